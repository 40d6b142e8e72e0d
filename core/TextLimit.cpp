#include "core/TextLimit.h"

#include <algorithm>

namespace {

// Length in QChars of the character that ends just before i.
int CharBefore(const QString &text, int i)
{
    return i >= 2 && text.at(i - 1).isLowSurrogate() && text.at(i - 2).isHighSurrogate() ? 2 : 1;
}

} // namespace

int Utf8Size(const QString &text)
{
    int n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < 0x80)
            n += 1;
        else if (c < 0x800)
            n += 2;
        else if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            n += 4;
            ++i;
        } else
            n += 3; // a lone surrogate becomes U+FFFD, three bytes too
    }
    return n;
}

QString CutToUtf8(const QString &text, int maxBytes)
{
    int bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const int len = pair ? 2 : 1;
        const int w = Utf8Size(text.mid(i, len));
        if (bytes + w > maxBytes)
            break;
        bytes += w;
        i += len;
    }
    return i == text.size() ? text : text.left(i);
}

bool FitsInParts(const QString &text, int partBytes, int parts)
{
    QString rest = text;
    for (int p = 0; p < parts && !rest.isEmpty(); ++p)
        rest = rest.mid(CutToUtf8(rest, partBytes).size());
    return rest.isEmpty();
}

QString TrimToFit(const QString &text, int &pos, const TFitTest &fits)
{
    QString t = text;
    pos = std::clamp(pos, 0, int(t.size()));
    while (!fits(t) && pos > 0) {
        const int n = CharBefore(t, pos);
        t.remove(pos - n, n);
        pos -= n;
    }
    while (!fits(t) && !t.isEmpty()) {
        t.chop(CharBefore(t, int(t.size())));
        pos = std::min(pos, int(t.size()));
    }
    return t;
}
