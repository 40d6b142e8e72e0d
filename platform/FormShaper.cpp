#include "platform/FormShaper.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <vector>

TFormShaper::TFormShaper(QWidget *form)
    : QObject(form)
    , FForm(form)
{
    FOldFlags = form->windowFlags();
    form->installEventFilter(this);
}

QVector<QRect> TFormShaper::BuildRects(const QImage &picture)
{
    QVector<QRect> rects;
    if (picture.isNull())
        return rects;
    const QImage img = picture.convertToFormat(QImage::Format_RGB32);
    const QRgb key = img.pixel(img.width() - 1, img.height() - 1);
    const int ratio = qMax(1, qRound(picture.devicePixelRatio()));
    const int width = img.width() / ratio;
    const int height = img.height() / ratio;
    std::vector<bool> inside(static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y) {
        std::fill(inside.begin(), inside.end(), true);
        for (int dy = 0; dy < ratio; ++dy) {
            const auto *line = reinterpret_cast<const QRgb *>(img.constScanLine(y * ratio + dy));
            for (int x = 0; x < width; ++x)
                for (int dx = 0; dx < ratio; ++dx)
                    if (line[x * ratio + dx] == key)
                        inside[std::size_t(x)] = false;
        }
        int x = 0;
        while (x < width) {
            while (x < width && !inside[std::size_t(x)])
                ++x;
            const int start = x;
            while (x < width && inside[std::size_t(x)])
                ++x;
            if (x > start)
                rects.append(QRect(start, y, x - start, 1));
        }
    }
    return rects;
}

QRegion TFormShaper::BuildRegion(const QImage &picture)
{
    QRegion region;
    const QVector<QRect> rects = BuildRects(picture);
    region.setRects(rects.constData(), int(rects.size()));
    return region;
}

void TFormShaper::SetPicture(const QImage &picture)
{
    const bool wasVisible = FForm->isVisible();
    if (picture.isNull()) {
        FPicture = QImage();
        if (FShaped) {
            FForm->clearMask();
            FForm->setWindowFlags(FOldFlags);
            FForm->setMinimumSize(0, 0);
            FForm->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
            FForm->resize(FOldSize);
            FShaped = false;
            if (wasVisible)
                FForm->show();
        }
        FForm->update();
        return;
    }
    if (!FShaped) {
        FOldSize = FForm->size();
        FOldFlags = FForm->windowFlags();
    }
    FPicture = picture.convertToFormat(QImage::Format_RGB32);
    FShaped = true;
    FForm->setWindowFlags(FOldFlags | Qt::FramelessWindowHint);
    FForm->setFixedSize(FPicture.deviceIndependentSize().toSize());
    FForm->setMask(BuildRegion(FPicture));
    if (wasVisible)
        FForm->show();
    FForm->update();
}

bool TFormShaper::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != FForm || FPicture.isNull())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Paint: {
        // The picture is the background; the form's own painting follows.
        QPainter p(FForm);
        p.drawImage(QPointF(0, 0), FPicture); // at its device-independent size
        break;
    }
    case QEvent::MouseButtonPress: {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() == Qt::LeftButton) {
            QWindow *w = FForm->windowHandle();
            if (w && w->startSystemMove())
                return true;
            FDragging = true;
            FDragOffset = me->globalPosition().toPoint() - FForm->frameGeometry().topLeft();
            return true;
        }
        break;
    }
    case QEvent::MouseMove:
        if (FDragging) {
            auto *me = static_cast<QMouseEvent *>(event);
            FForm->move(me->globalPosition().toPoint() - FDragOffset);
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (FDragging) {
            FDragging = false;
            return true;
        }
        break;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}
