#pragma once
// Gives a window the outline of its background picture: the colour of the
// bottom-right pixel is transparent, the rest is the window. A left-button
// press anywhere on the window drags it.

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QVector>

class QWidget;

class TFormShaper : public QObject {
    Q_OBJECT
public:
    explicit TFormShaper(QWidget *form);

    // An empty picture restores border, size and region. A picture with a
    // device pixel ratio above 1 (drawn for a dense screen) gives the window
    // its device-independent size.
    void SetPicture(const QImage &picture);
    const QImage &Picture() const { return FPicture; }

    // One-pixel-high rectangles, one per horizontal run of non-key pixels, in
    // device-independent pixels: with a ratio above 1 a pixel of the window
    // belongs to it when every picture pixel it covers does, so no key colour
    // shows at the edge.
    static QVector<QRect> BuildRects(const QImage &picture);
    static QRegion BuildRegion(const QImage &picture);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *FForm;
    QImage FPicture;
    QSize FOldSize;
    Qt::WindowFlags FOldFlags;
    bool FShaped = false;
    bool FDragging = false;
    QPoint FDragOffset;
};
