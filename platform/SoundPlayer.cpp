#include "platform/SoundPlayer.h"

#include <QApplication>
#include <QAudioOutput>
#include <QFile>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QUrl>

namespace {

class QtSoundPlayer : public ISoundPlayer {
public:
    void Play(const QString &path) override
    {
        Ensure();
        FPlayer->stop();
        FPlayer->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
        FPlayer->play();
    }

    void PlayDefault() override
    {
        static const char *candidates[] = {"/usr/share/sounds/freedesktop/stereo/complete.oga",
                                           "/usr/share/sounds/freedesktop/stereo/bell.oga",
                                           "/usr/share/sounds/freedesktop/stereo/message.oga"};
        for (const char *c : candidates) {
            if (QFileInfo(QString::fromLatin1(c)).isFile()) {
                Play(QString::fromLatin1(c));
                return;
            }
        }
        Stop();
        QApplication::beep();
    }

    void Stop() override
    {
        if (FPlayer)
            FPlayer->stop();
    }

private:
    void Ensure()
    {
        if (FPlayer)
            return;
        // One player for the whole program, made on first use.
        FOutput = new QAudioOutput(qApp);
        FPlayer = new QMediaPlayer(qApp);
        FPlayer->setAudioOutput(FOutput);
        FPlayer->setLoops(1);
    }
    QMediaPlayer *FPlayer = nullptr;
    QAudioOutput *FOutput = nullptr;
};

ISoundPlayer *g_override = nullptr;

} // namespace

namespace Sound {

ISoundPlayer &Player()
{
    static QtSoundPlayer real;
    return g_override ? *g_override : real;
}

void SetPlayer(ISoundPlayer *player)
{
    g_override = player;
}

void PlayFile(const QString &path)
{
    const QFileInfo fi(path);
    QFile probe(path);
    if (fi.isFile() && fi.size() > 0 && probe.open(QIODevice::ReadOnly))
        Player().Play(path);
    else
        Player().PlayDefault();
}

void Stop()
{
    Player().Stop();
}

} // namespace Sound
