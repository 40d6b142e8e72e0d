// The reminder chime: three soft bell tones rising through a major chord, each
// a few sine partials with exponential decay, written as a 16-bit PCM wave.

#include "GenCommon.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace gen {

namespace {

constexpr int kRate = 44100;
constexpr double kSeconds = 1.9;

struct Partial {
    double ratio; // of the tone's fundamental
    double gain;
    double decay; // seconds to fall to 1/e
};

// Slightly inharmonic upper partials give the bell colour.
constexpr Partial kPartials[] = {
    {1.0, 1.00, 0.62}, {2.0, 0.32, 0.30}, {2.76, 0.14, 0.18}, {4.07, 0.06, 0.10}, {0.5, 0.10, 0.80}};

void AppendLe16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void AppendLe32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

} // namespace

QByteArray ChimeWav()
{
    const int frames = int(kSeconds * kRate);
    std::vector<double> mix(size_t(frames), 0.0);
    // C5, E5, G5, the last held longest.
    const struct {
        double start, freq, level;
    } tones[] = {{0.00, 523.25, 0.80}, {0.24, 659.26, 0.75}, {0.48, 783.99, 0.90}};
    for (const auto &tone : tones) {
        const int first = int(tone.start * kRate);
        for (int i = first; i < frames; ++i) {
            const double t = double(i - first) / kRate;
            const double attack = std::min(1.0, t / 0.006); // no click at the onset
            double v = 0;
            for (const Partial &p : kPartials)
                v += p.gain * std::exp(-t / p.decay) * std::sin(2 * std::numbers::pi * tone.freq * p.ratio * t);
            mix[size_t(i)] += tone.level * attack * v;
        }
    }
    // Fade the tail out so the file ends in silence.
    const int fade = int(0.25 * kRate);
    for (int i = 0; i < fade; ++i)
        mix[size_t(frames - 1 - i)] *= double(i) / fade;

    double peak = 0;
    for (double v : mix)
        peak = std::max(peak, std::abs(v));
    const double scale = peak > 0 ? 0.6 / peak : 0; // well below full scale: a soft chime

    QByteArray data;
    data.reserve(frames * 2);
    for (double v : mix)
        AppendLe16(data, quint16(qint16(std::lround(v * scale * 32767.0))));

    QByteArray wav;
    wav.append("RIFF", 4);
    AppendLe32(wav, quint32(36 + data.size()));
    wav.append("WAVE", 4);
    wav.append("fmt ", 4);
    AppendLe32(wav, 16);
    AppendLe16(wav, 1); // PCM
    AppendLe16(wav, 1); // mono
    AppendLe32(wav, kRate);
    AppendLe32(wav, kRate * 2); // bytes per second
    AppendLe16(wav, 2); // block align
    AppendLe16(wav, 16); // bits per sample
    wav.append("data", 4);
    AppendLe32(wav, quint32(data.size()));
    wav.append(data);
    return wav;
}

} // namespace gen
