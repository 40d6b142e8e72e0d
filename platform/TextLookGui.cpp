#include "platform/TextLookGui.h"

#include <QGuiApplication>
#include <QPalette>

#include <climits>

QColor ColorToQColor(TColor color)
{
    const uint32_t u = uint32_t(color);
    if ((u & 0xFF000000u) == 0)
        return QColor(int(u & 0xFF), int((u >> 8) & 0xFF), int((u >> 16) & 0xFF));
    // System colours follow the desktop's palette; anything else reads as text colour.
    const QPalette pal = QGuiApplication::palette();
    if ((u & 0xFF000000u) == 0xFF000000u) {
        switch (u & 0xFF) {
        case 1:
        case 4:
        case 12: return pal.color(QPalette::Window);
        case 5: return pal.color(QPalette::Base);
        case 7: return pal.color(QPalette::WindowText);
        case 9:
        case 14: return pal.color(QPalette::HighlightedText);
        case 2:
        case 13:
        case 29: return pal.color(QPalette::Highlight);
        case 15:
        case 30: return pal.color(QPalette::Button);
        case 16: return pal.color(QPalette::Mid);
        case 17: return pal.color(QPalette::Disabled, QPalette::Text);
        case 18: return pal.color(QPalette::ButtonText);
        case 20: return pal.color(QPalette::Light);
        case 21: return pal.color(QPalette::Shadow);
        case 22: return pal.color(QPalette::Midlight);
        case 23: return pal.color(QPalette::ToolTipText);
        case 24: return pal.color(QPalette::ToolTipBase);
        case 26: return pal.color(QPalette::Link);
        default: break;
        }
    }
    return pal.color(QPalette::Text);
}

TColor ColorFromQColor(const QColor &color)
{
    const QColor c = color.toRgb();
    return TColor(uint32_t(c.red()) | (uint32_t(c.green()) << 8) | (uint32_t(c.blue()) << 16));
}

QFont TextFont(const TTextLook &look)
{
    // Built from the default so that clearing a property restores the default.
    QFont f;
    f.setBold(look.Styles & FontStyleBit(fsBold));
    f.setItalic(look.Styles & FontStyleBit(fsItalic));
    f.setUnderline(look.Styles & FontStyleBit(fsUnderline));
    f.setStrikeOut(look.Styles & FontStyleBit(fsStrikeOut));
    if (!look.Family.isEmpty())
        f.setFamily(look.Family);
    // A negative size is a height in pixels, as the original font dialog could
    // store it. The lowest one has no positive counterpart in 32 bits: it is
    // held at the largest height rather than overflowing.
    if (look.Size > 0)
        f.setPointSize(look.Size);
    else if (look.Size < 0)
        f.setPixelSize(look.Size == INT32_MIN ? INT32_MAX : -look.Size);
    // The character set has no meaning for Qt fonts (they are Unicode); it is kept for the file only.
    return f;
}
