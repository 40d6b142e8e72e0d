#pragma once
// One sound at a time, played in the background and never looped. Tests use
// FakeSoundPlayer so nothing is ever heard on the host.

#include <QString>
#include <QStringList>

class ISoundPlayer {
public:
    virtual ~ISoundPlayer() = default;
    // Starts the file, cutting off whatever plays.
    virtual void Play(const QString &path) = 0;
    // The desktop's default sound.
    virtual void PlayDefault() = 0;
    virtual void Stop() = 0;
};

namespace Sound {

ISoundPlayer &Player();
// Tests install a fake; nullptr restores the real player.
void SetPlayer(ISoundPlayer *player);
// Plays the file, or the default sound when it is missing, empty or unreadable.
void PlayFile(const QString &path);
void Stop();

} // namespace Sound

class FakeSoundPlayer : public ISoundPlayer {
public:
    void Play(const QString &path) override
    {
        Played << path;
        Current = path;
    }
    void PlayDefault() override
    {
        Played << QStringLiteral("<default>");
        Current = QStringLiteral("<default>");
    }
    void Stop() override
    {
        ++Stops;
        Current.clear();
    }
    QStringList Played;
    QString Current;
    int Stops = 0;
};
