#pragma once
// Buttons and scroll bars for windows that come and go all day (the notes and
// the other action windows) and colour their panels with palettes of their own.
//
// A widget style caches its drawings of buttons and scroll bars under a key
// that holds the identity of the palette they were drawn with, and a widget
// below a palette of its own gets a new identity in every new window. Qt keeps
// the key of every drawing it ever cached (the drawings themselves are let go
// while the program is idle), so each window would leave its keys behind for
// good. These widgets hand the style one shared palette per look instead: every
// window draws with the keys of the first.

#include <QPalette>
#include <QPushButton>
#include <QScrollBar>

// One shared copy of each distinct palette: equal palettes, equal identity.
QPalette SharedPalette(const QPalette &palette);

class TSharedPaletteButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void initStyleOption(QStyleOptionButton *option) const override;
};

class TSharedPaletteScrollBar : public QScrollBar {
    Q_OBJECT
public:
    using QScrollBar::QScrollBar;

protected:
    void initStyleOption(QStyleOptionSlider *option) const override;
};
