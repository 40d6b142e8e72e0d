#pragma once
// The picture library: a separate file beside the program from which windows
// load their pictures by name ("SPL0", "NOTE", "TL_3", ...).

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QVector>

class TResourceLibrary {
public:
    TResourceLibrary() = default;
    ~TResourceLibrary();
    TResourceLibrary(const TResourceLibrary &) = delete;
    TResourceLibrary &operator=(const TResourceLibrary &) = delete;

    // False when the file is missing or not a picture library.
    bool Load(const QString &path);
    void Unload();
    bool IsLoaded() const { return FLoaded; }
    const QString &FilePath() const { return FPath; }

    bool HasPicture(const QString &name) const;
    // A null image when the name is unknown.
    QImage Picture(const QString &name) const;
    // The picture for a screen of the given device pixel ratio. Above 1 it is
    // the variant drawn at twice the size, when the library has one, with a
    // ratio of 2: it covers the same device-independent size as the plain one.
    QImage Picture(const QString &name, qreal devicePixelRatio) const;
    // The plain picture and its variant at twice the size as one icon.
    QIcon Icon(const QString &name) const;

    // Path inside the registered resource tree; pictures are "<name>.png".
    static QString ResourcePath(const QString &name);
    // The name of a picture's variant for screens of twice the density.
    static QString HiDpiName(const QString &name);

private:
    QString FPath;
    QString FRoot;
    bool FLoaded = false;
};

// Fixed-size pictures addressed by index; lime green is transparent.
class TImageList {
public:
    TImageList(int width = 16, int height = 16)
        : FWidth(width)
        , FHeight(height)
    {
    }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int Count() const { return int(FImages.size()); }
    // Puts the picture at index, replacing what is there; lime green becomes transparent.
    void Replace(int index, const QImage &picture);
    // The same for the variant at twice the size, kept at a ratio of 2.
    void ReplaceHiDpi(int index, const QImage &picture);
    QPixmap Pixmap(int index) const;
    // The variant at twice the size when the ratio is above 1 and there is one.
    QPixmap Pixmap(int index, qreal devicePixelRatio) const;
    // Both sizes of the picture at index, for the views to choose from.
    QIcon Icon(int index) const;
    void Clear()
    {
        FImages.clear();
        FHiDpi.clear();
    }

private:
    int FWidth;
    int FHeight;
    QVector<QPixmap> FImages;
    QVector<QPixmap> FHiDpi;
};

// Lime green (0, 255, 0) pixels made transparent.
QImage WithLimeTransparent(const QImage &picture);
