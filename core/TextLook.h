#pragma once
// The look of the reminders' texts as the preferences file holds it, without
// the desktop's font and colour types (platform/TextLookGui.h makes those).

#include <QString>
#include <cstdint>

enum TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };

// A set of TFontStyle: bit n stands for style n.
using TFontStyles = uint8_t;
constexpr TFontStyles FontStyleBit(TFontStyle s)
{
    return TFontStyles(1u << s);
}

// A colour as the file holds it: 0x00BBGGRR, or 0xFF0000nn for system colour nn.
using TColor = int32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clWindowText = TColor(0xFF000008u);

struct TTextLook {
    TFontStyles Styles = 0;
    QString Family; // empty: the desktop's
    // Points; a negative size is a height in pixels, as the old font dialog
    // could store it; 0: the desktop's.
    int32_t Size = 0;
    TColor Color = clBlack;
};
