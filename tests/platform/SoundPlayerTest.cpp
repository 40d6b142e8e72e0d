// The real player on a machine without a sound server: it must log why it is
// silent, once, and let the program go on.
#include "platform/SoundPlayer.h"
#include "tests/support/CapturedLog.h"

#include <QDataStream>
#include <QFile>
#include <gtest/gtest.h>

namespace {

// A tenth of a second of 8 kHz mono 16-bit silence: a file the player can decode.
void WriteWave(const QString &path)
{
    const quint32 samples = 800, dataBytes = samples * 2;
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QDataStream out(&f);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + dataBytes);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(8000) << quint32(16000) << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(dataBytes);
    for (quint32 i = 0; i < samples; ++i)
        out << qint16(0);
}

int CountStartingWith(const QStringList &lines, const QString &prefix)
{
    int n = 0;
    for (const QString &l : lines)
        if (l.startsWith(prefix) && l.size() > prefix.size())
            ++n;
    return n;
}

class RealSoundPlayer : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Without these the player could reach a real sound server or card.
        ASSERT_TRUE(qEnvironmentVariable("PULSE_SERVER").contains(QLatin1String("nonexistent")));
        ASSERT_EQ(qEnvironmentVariable("CANBERRA_DRIVER"), QStringLiteral("pulse"));
        Player = Sound::CreateDesktopPlayer();
    }
    std::unique_ptr<ISoundPlayer> Player;
    TestSupport::CapturedLog Log;
    QTemporaryDir Dir;
};

} // namespace

TEST_F(RealSoundPlayer, FilesAreRefusedWithOneWarningEachAndStopStaysHarmless)
{
    const QString wave = Dir.path() + QStringLiteral("/chime.wav");
    WriteWave(wave);
    const QString missing = Dir.path() + QStringLiteral("/gone.wav");

    EXPECT_NO_THROW(Player->Stop());
    for (int i = 0; i < 3; ++i) {
        EXPECT_NO_THROW(Player->Play(wave));
        EXPECT_NO_THROW(Player->Play(missing));
        EXPECT_NO_THROW(Player->Stop());
    }

    const QStringList lines = Log.Lines();
    EXPECT_EQ(CountStartingWith(lines, QStringLiteral("Warning: Sound: cannot play ") + wave + QStringLiteral(": ")), 1)
        << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(CountStartingWith(lines, QStringLiteral("Warning: Sound: cannot play ") + missing + QStringLiteral(": ")),
              1)
        << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(CountStartingWith(lines, QStringLiteral("Warning: Sound: ")), 2) << "one line per reason";
}

TEST_F(RealSoundPlayer, DefaultSoundFallsBackToTheBellWithOneWarning)
{
    // A missing file takes the default sound's way, as a reminder with a deleted sound does.
    EXPECT_NO_THROW(Sound::PlayFileOn(*Player, Dir.path() + QStringLiteral("/deleted.wav")));
    EXPECT_NO_THROW(Player->PlayDefault());
    EXPECT_NO_THROW(Player->Stop());

    const QStringList lines = Log.Lines();
    int defaults = 0;
    for (const QString &l : lines)
        if (l.startsWith(QStringLiteral("Warning: Sound: cannot play the default sound: "))
            && l.endsWith(QStringLiteral("; using the X bell")))
            ++defaults;
    EXPECT_EQ(defaults, 1) << lines.join(QLatin1Char('\n')).toStdString();
    // Nothing else: in particular the missing file was never handed to the player.
    EXPECT_EQ(CountStartingWith(lines, QStringLiteral("Warning: Sound: ")), 1);
}
