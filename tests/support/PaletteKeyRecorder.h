#pragma once
// A style for the widgets under test that records which palette it is handed
// for the buttons and scroll bars it draws: the identity that the style's
// drawing cache keys on. Set it with QWidget::setStyle; it must outlive them.

#include <QMap>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>

namespace TestSupport {

class PaletteKeyRecorder : public QProxyStyle {
public:
    PaletteKeyRecorder()
        : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
    {
    }
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override
    {
        if (element == CE_PushButton && widget)
            Keys[widget->objectName()] = option->palette.cacheKey();
        QProxyStyle::drawControl(element, option, painter, widget);
    }
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                            const QWidget *widget) const override
    {
        if (control == CC_ScrollBar)
            Keys[QStringLiteral("scroll bar")] = option->palette.cacheKey();
        QProxyStyle::drawComplexControl(control, option, painter, widget);
    }
    mutable QMap<QString, qint64> Keys;
};

} // namespace TestSupport
