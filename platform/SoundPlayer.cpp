#include "platform/SoundPlayer.h"

#include "core/vornLogFile.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QThread>
#include <canberra.h>

namespace {

// libcanberra, the desktop's event-sound library: it plays WAV and Ogg files
// and the sound theme's events through PulseAudio or ALSA, and answers an error
// code when there is no sound card or server instead of bringing the program
// down. Everything goes through one context, made on first use.
class CanberraSoundPlayer : public ISoundPlayer {
public:
    ~CanberraSoundPlayer() override
    {
        if (FContext)
            ca_context_destroy(FContext);
    }

    void Play(const QString &path) override
    {
        ca_context *c = Context();
        if (!c)
            return;
        ca_context_cancel(c, SoundId);
        const QByteArray file = QFile::encodeName(QFileInfo(path).absoluteFilePath());
        const int rc =
            ca_context_play(c, SoundId, CA_PROP_MEDIA_FILENAME, file.constData(), static_cast<const char *>(nullptr));
        if (rc != CA_SUCCESS)
            WarnOnce(QStringLiteral("Sound: cannot play ") + path + QStringLiteral(": ")
                     + QString::fromUtf8(ca_strerror(rc)));
    }

    void PlayDefault() override
    {
        ca_context *c = Context();
        if (c) {
            ca_context_cancel(c, SoundId);
            // A theme without the alarm event still has the bell.
            int rc = PlayEvent(c, "alarm-clock-elapsed");
            if (rc != CA_SUCCESS)
                rc = PlayEvent(c, "bell");
            if (rc == CA_SUCCESS)
                return;
            WarnOnce(QStringLiteral("Sound: cannot play the default sound: ") + QString::fromUtf8(ca_strerror(rc))
                     + QStringLiteral("; using the X bell"));
        }
        QApplication::beep();
    }

    void Stop() override
    {
        // Nothing was ever played when there is no context yet: no need to make one.
        if (FContext)
            ca_context_cancel(FContext, SoundId);
    }

private:
    // "One sound at a time": every sound shares this id, so cancelling it
    // cuts off whatever still plays.
    static constexpr uint32_t SoundId = 1;

    static int PlayEvent(ca_context *c, const char *event)
    {
        return ca_context_play(c, SoundId, CA_PROP_EVENT_ID, event, CA_PROP_EVENT_DESCRIPTION, "Reminder",
                               static_cast<const char *>(nullptr));
    }

    ca_context *Context()
    {
        if (FContext || FCreateFailed)
            return FContext;
        Q_ASSERT(!qApp || QThread::currentThread() == qApp->thread());
        int rc = ca_context_create(&FContext);
        if (rc != CA_SUCCESS) {
            FContext = nullptr;
            FCreateFailed = true;
            WarnOnce(QStringLiteral("Sound: no sound context: ") + QString::fromUtf8(ca_strerror(rc)));
            return nullptr;
        }
        const QByteArray name = QCoreApplication::applicationName().toUtf8();
        ca_context_change_props(FContext, CA_PROP_APPLICATION_NAME, name.constData(),
                                static_cast<const char *>(nullptr));
        // A failed open needs no line of its own: the play that follows fails
        // with the same reason and says so. The context is kept because every
        // play opens it again, so a sound server that comes up after the
        // program (an early autostart) is still used.
        ca_context_open(FContext);
        return FContext;
    }

    // A reminder that fires every few minutes on a machine without sound must
    // not fill the log with the same line.
    void WarnOnce(const QString &line)
    {
        if (FWarned.contains(line))
            return;
        FWarned.insert(line);
        LogWarning(line);
    }

    ca_context *FContext = nullptr;
    bool FCreateFailed = false;
    QSet<QString> FWarned;
};

} // namespace

namespace Sound {

std::unique_ptr<ISoundPlayer> CreateDesktopPlayer()
{
    return std::make_unique<CanberraSoundPlayer>();
}

void PlayFileOn(ISoundPlayer &player, const QString &path)
{
    const QFileInfo fi(path);
    QFile probe(path);
    if (fi.isFile() && fi.size() > 0 && probe.open(QIODevice::ReadOnly))
        player.Play(path);
    else
        player.PlayDefault();
}

} // namespace Sound
