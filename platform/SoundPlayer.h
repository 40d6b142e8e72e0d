#pragma once
// One sound at a time, played in the background and never looped. Tests use
// a fake player so nothing is ever heard on the host.

#include <QString>
#include <QStringList>
#include <memory>

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

// Plays through the desktop's sound service.
std::unique_ptr<ISoundPlayer> CreateDesktopPlayer();
// Plays the file, or the default sound when it is missing, empty or unreadable.
void PlayFileOn(ISoundPlayer &player, const QString &path);

} // namespace Sound
