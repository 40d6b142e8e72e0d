#include "core/Codepage.h"

#include <QList>

namespace {

// 0x80..0x9F of Windows-1252; 0 marks the five unassigned bytes, which map to
// the C1 control of the same value as the original platform does.
const char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                            0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                            0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t ByteToUnicode(unsigned char b)
{
    if (b >= 0x80 && b <= 0x9F) {
        const char16_t u = kHigh[b - 0x80];
        return u ? u : char16_t(b);
    }
    return char16_t(b);
}

int UnicodeToByte(char32_t u)
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return int(u);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == u || (kHigh[i] == 0 && u == char32_t(0x80 + i)))
            return 0x80 + i;
    return -1;
}

} // namespace

QByteArray ToCp1252(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const char32_t u : text.toUcs4()) {
        const int b = UnicodeToByte(u);
        out.append(b < 0 ? '?' : char(b));
    }
    return out;
}

QString FromCp1252(const char *data, int length)
{
    QString out;
    out.reserve(length);
    for (int i = 0; i < length; ++i)
        out.append(QChar(ByteToUnicode(static_cast<unsigned char>(data[i]))));
    return out;
}

QString CutToCapacity(const QString &text, int n)
{
    const QByteArray bytes = ToCp1252(text);
    if (bytes.size() <= n)
        return FromCp1252(bytes);
    return FromCp1252(bytes.constData(), n);
}
