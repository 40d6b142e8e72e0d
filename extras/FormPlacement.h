#pragma once
// Keeps a window's position, size and maximized state in a section of the ini
// file, so that it opens where the user left it. A stored place that no
// screen shows any more (a monitor unplugged) is not restored.
// Left, Top, Width and Height are those of the client area, inside the window
// manager's frame, both when saved and when restored.

#include <QString>

class QWidget;
class TvornIniFile;

class TFormPlacement {
public:
    TFormPlacement(TvornIniFile *ini, QString section)
        : FIni(ini)
        , FSection(std::move(section))
    {
    }
    // Puts the window where it was; false (the window untouched) when nothing
    // usable is stored.
    bool Restore(QWidget &window) const;
    void Save(const QWidget &window) const;

private:
    TvornIniFile *FIni;
    QString FSection;
};
