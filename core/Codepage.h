#pragma once
// Single-byte texts in Windows-1252, the code page of files written by the
// original desktop program, and the fixed-capacity length-prefixed form used
// inside records and the preferences file.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstring>

// Characters the code page cannot hold become '?'.
QByteArray ToCp1252(const QString &text);
QString FromCp1252(const char *data, int length);
inline QString FromCp1252(const QByteArray &bytes)
{
    return FromCp1252(bytes.constData(), int(bytes.size()));
}

// One length byte followed by N bytes; longer input is cut to N bytes.
template <std::size_t N>
struct TShortText {
    static_assert(N >= 1 && N <= 255, "a length byte holds at most 255");
    uint8_t Len;
    char Data[N];

    static constexpr std::size_t Capacity = N;

    QString Get() const
    {
        // A damaged record may claim more than it holds.
        const int n = Len > N ? int(N) : int(Len);
        return FromCp1252(Data, n);
    }
    void Set(const QString &text)
    {
        const QByteArray bytes = ToCp1252(text);
        const std::size_t n = std::size_t(bytes.size()) > N ? N : std::size_t(bytes.size());
        std::memset(Data, 0, N);
        std::memcpy(Data, bytes.constData(), n);
        Len = uint8_t(n);
    }
    void Clear()
    {
        Len = 0;
        std::memset(Data, 0, N);
    }
};

// Cut a text so that its code-page form has at most n bytes.
QString CutToCapacity(const QString &text, int n);
