#pragma once
// Stored texts. Texts are written in UTF-8; files written by older versions
// hold Windows-1252, so a stored text that is not valid UTF-8 is read in that
// code page. Capacities count bytes, and a cut never splits a character.

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

// True for well-formed UTF-8 (no overlong forms, no surrogates, nothing cut off).
bool IsValidUtf8(const char *data, int length);
// A stored text: UTF-8 when it is valid UTF-8, otherwise Windows-1252.
QString DecodeStoredText(const char *data, int length);
inline QString DecodeStoredText(const QByteArray &bytes)
{
    return DecodeStoredText(bytes.constData(), int(bytes.size()));
}
// The UTF-8 form of a text, cut before the first character that would pass
// capacity bytes (a negative capacity: no limit). Unpaired surrogates, which
// have no UTF-8 form, are left out.
QByteArray EncodeText(const QString &text, int capacity = -1);
// How many UTF-16 units at the start of a text EncodeText keeps within capacity.
qsizetype FittingLength(const QString &text, int capacity);
// The number of UTF-8 bytes of a character (1..4).
inline int Utf8Width(char32_t u)
{
    return u < 0x80 ? 1 : u < 0x800 ? 2 : u < 0x10000 ? 3 : 4;
}

// One length byte followed by N bytes; longer input is cut to at most N bytes
// at a character boundary.
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
        return DecodeStoredText(Data, n);
    }
    void Set(const QString &text)
    {
        // An unchanged text keeps its bytes, whatever code page wrote them.
        if (Get() == text)
            return;
        const QByteArray bytes = EncodeText(text, int(N));
        std::memset(Data, 0, N);
        std::memcpy(Data, bytes.constData(), std::size_t(bytes.size()));
        Len = uint8_t(bytes.size());
    }
    void Clear()
    {
        Len = 0;
        std::memset(Data, 0, N);
    }
};

// The longest start of a text whose UTF-8 form has at most n bytes.
QString CutToCapacity(const QString &text, int n);
