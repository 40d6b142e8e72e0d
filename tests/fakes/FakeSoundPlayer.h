#pragma once
// A sound player that records what it was asked to play.

#include "platform/SoundPlayer.h"

#include <QStringList>

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
