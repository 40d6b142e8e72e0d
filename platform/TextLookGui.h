#pragma once
// The stored look of texts (core/TextLook.h) as the desktop's font and colours.

#include "core/TextLook.h"

#include <QColor>
#include <QFont>

// System colours follow the desktop's palette.
QColor ColorToQColor(TColor color);
TColor ColorFromQColor(const QColor &color);
// The desktop's default font with the stored style, family and size.
QFont TextFont(const TTextLook &look);
