#include "platform/ResourceLibrary.h"

#include <QFileInfo>
#include <QResource>

namespace {
const QString kRoot = QStringLiteral("/brivane-library");
}

TResourceLibrary::~TResourceLibrary()
{
    Unload();
}

bool TResourceLibrary::Load(const QString &path)
{
    Unload();
    if (!QFileInfo(path).isFile())
        return false;
    if (!QResource::registerResource(path, kRoot))
        return false;
    FPath = path;
    FRoot = kRoot;
    FLoaded = true;
    return true;
}

void TResourceLibrary::Unload()
{
    if (FLoaded)
        QResource::unregisterResource(FPath, FRoot);
    FLoaded = false;
}

QString TResourceLibrary::ResourcePath(const QString &name)
{
    return QStringLiteral(":") + kRoot + QStringLiteral("/pictures/") + name + QStringLiteral(".png");
}

bool TResourceLibrary::HasPicture(const QString &name) const
{
    return FLoaded && QFileInfo::exists(ResourcePath(name));
}

QImage TResourceLibrary::Picture(const QString &name) const
{
    if (!FLoaded)
        return QImage();
    return QImage(ResourcePath(name));
}

QImage WithLimeTransparent(const QImage &picture)
{
    QImage img = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((line[x] & 0x00FFFFFFu) == 0x0000FF00u)
                line[x] = 0;
    }
    return img;
}

void TImageList::Replace(int index, const QImage &picture)
{
    if (index < 0)
        return;
    if (index >= FImages.size())
        FImages.resize(index + 1);
    QImage img = WithLimeTransparent(picture);
    if (img.width() != FWidth || img.height() != FHeight)
        img = img.scaled(FWidth, FHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    FImages[index] = QPixmap::fromImage(img);
}

QPixmap TImageList::Pixmap(int index) const
{
    return index >= 0 && index < FImages.size() ? FImages[index] : QPixmap();
}
