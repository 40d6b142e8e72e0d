#include "core/Codepage.h"

#include <QList>

namespace {

// 0x80..0x9F of Windows-1252; 0 marks the five unassigned bytes, which map to
// the C1 control of the same value as the original platform does.
const char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                            0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                            0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t ByteToUnicode(unsigned char b)
{
    if (b >= 0x80 && b <= 0x9F) {
        const char16_t u = kHigh[b - 0x80];
        return u ? u : char16_t(b);
    }
    return char16_t(b);
}

int UnicodeToByte(char32_t u)
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return int(u);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == u || (kHigh[i] == 0 && u == char32_t(0x80 + i)))
            return 0x80 + i;
    return -1;
}

} // namespace

QByteArray ToCp1252(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const char32_t u : text.toUcs4()) {
        const int b = UnicodeToByte(u);
        out.append(b < 0 ? '?' : char(b));
    }
    return out;
}

QString FromCp1252(const char *data, int length)
{
    QString out;
    out.reserve(length);
    for (int i = 0; i < length; ++i)
        out.append(QChar(ByteToUnicode(static_cast<unsigned char>(data[i]))));
    return out;
}

bool IsValidUtf8(const char *data, int length)
{
    const auto *p = reinterpret_cast<const unsigned char *>(data);
    int i = 0;
    while (i < length) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        int more = 0;
        unsigned char lo = 0x80, hi = 0xBF; // bounds of the second byte
        if (b >= 0xC2 && b <= 0xDF) {
            more = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            more = 2;
            if (b == 0xE0)
                lo = 0xA0; // overlong
            else if (b == 0xED)
                hi = 0x9F; // surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            more = 3;
            if (b == 0xF0)
                lo = 0x90; // overlong
            else if (b == 0xF4)
                hi = 0x8F; // beyond U+10FFFF
        } else {
            return false;
        }
        if (i + more >= length) // cut off
            return false;
        if (p[i + 1] < lo || p[i + 1] > hi)
            return false;
        for (int k = 2; k <= more; ++k)
            if (p[i + k] < 0x80 || p[i + k] > 0xBF)
                return false;
        i += more + 1;
    }
    return true;
}

QString DecodeStoredText(const char *data, int length)
{
    if (length <= 0)
        return QString();
    if (IsValidUtf8(data, length))
        return QString::fromUtf8(data, length);
    return FromCp1252(data, length);
}

QByteArray EncodeText(const QString &text, int capacity)
{
    QByteArray out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        char32_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            u = QChar::surrogateToUcs4(c, text.at(i + 1));
            ++i;
        } else if (c.isSurrogate()) {
            continue;
        }
        const int w = Utf8Width(u);
        if (capacity >= 0 && out.size() + w > capacity)
            break;
        if (w == 1) {
            out.append(char(u));
        } else if (w == 2) {
            out.append(char(0xC0 | (u >> 6)));
            out.append(char(0x80 | (u & 0x3F)));
        } else if (w == 3) {
            out.append(char(0xE0 | (u >> 12)));
            out.append(char(0x80 | ((u >> 6) & 0x3F)));
            out.append(char(0x80 | (u & 0x3F)));
        } else {
            out.append(char(0xF0 | (u >> 18)));
            out.append(char(0x80 | ((u >> 12) & 0x3F)));
            out.append(char(0x80 | ((u >> 6) & 0x3F)));
            out.append(char(0x80 | (u & 0x3F)));
        }
    }
    return out;
}

qsizetype FittingLength(const QString &text, int capacity)
{
    int used = 0;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text.at(i);
        const bool pair = c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate();
        const int w = pair ? 4 : c.isSurrogate() ? 0 : Utf8Width(c.unicode());
        if (used + w > capacity)
            break;
        used += w;
        i += pair ? 2 : 1;
    }
    return i;
}

QString CutToCapacity(const QString &text, int n)
{
    return QString::fromUtf8(EncodeText(text, n));
}
