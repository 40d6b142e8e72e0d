#include "scheduler/SharedPaletteWidgets.h"

#include <QList>
#include <QStyleOptionButton>
#include <QStyleOptionSlider>

QPalette SharedPalette(const QPalette &palette)
{
    // A few: another look only when the desktop's colours change.
    static QList<QPalette> looks;
    for (const QPalette &look : std::as_const(looks)) {
        if (look == palette)
            return look;
    }
    if (looks.size() >= 8)
        looks.removeFirst();
    looks.append(palette);
    return looks.last();
}

void TSharedPaletteButton::initStyleOption(QStyleOptionButton *option) const
{
    QPushButton::initStyleOption(option);
    option->palette = SharedPalette(option->palette);
}

void TSharedPaletteScrollBar::initStyleOption(QStyleOptionSlider *option) const
{
    QScrollBar::initStyleOption(option);
    option->palette = SharedPalette(option->palette);
}
