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

QString TResourceLibrary::HiDpiName(const QString &name)
{
    return name + QStringLiteral("@2x");
}

QImage TResourceLibrary::Picture(const QString &name, qreal devicePixelRatio) const
{
    if (devicePixelRatio > 1.0) {
        QImage twice = Picture(HiDpiName(name));
        if (!twice.isNull()) {
            twice.setDevicePixelRatio(2.0);
            return twice;
        }
    }
    return Picture(name);
}

QIcon TResourceLibrary::Icon(const QString &name) const
{
    QIcon icon;
    const QImage plain = Picture(name);
    if (!plain.isNull())
        icon.addPixmap(QPixmap::fromImage(plain));
    const QImage twice = Picture(name, 2.0);
    if (!twice.isNull() && twice.devicePixelRatio() > 1.0)
        icon.addPixmap(QPixmap::fromImage(twice));
    return icon;
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

void TImageList::ReplaceHiDpi(int index, const QImage &picture)
{
    if (index < 0 || picture.isNull())
        return;
    if (index >= FHiDpi.size())
        FHiDpi.resize(index + 1);
    QImage img = WithLimeTransparent(picture);
    if (img.width() != 2 * FWidth || img.height() != 2 * FHeight)
        img = img.scaled(2 * FWidth, 2 * FHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    img.setDevicePixelRatio(2.0);
    FHiDpi[index] = QPixmap::fromImage(img);
}

QPixmap TImageList::Pixmap(int index) const
{
    return index >= 0 && index < FImages.size() ? FImages[index] : QPixmap();
}

QPixmap TImageList::Pixmap(int index, qreal devicePixelRatio) const
{
    if (devicePixelRatio > 1.0 && index >= 0 && index < FHiDpi.size() && !FHiDpi[index].isNull())
        return FHiDpi[index];
    return Pixmap(index);
}

QIcon TImageList::Icon(int index) const
{
    QIcon icon;
    const QPixmap plain = Pixmap(index);
    if (plain.isNull())
        return icon;
    icon.addPixmap(plain);
    const QPixmap twice = Pixmap(index, 2.0);
    if (twice.devicePixelRatio() > 1.0)
        icon.addPixmap(twice);
    return icon;
}
