#pragma once
// Input limits in bytes: every stored text has a capacity in UTF-8 bytes, and
// typing or pasting stops at the last whole character that fits.

#include <QString>
#include <functional>

int Utf8Size(const QString &text);
// The longest start of text, of whole characters, whose UTF-8 has at most maxBytes.
QString CutToUtf8(const QString &text, int maxBytes);
// Whether text fits into `parts` fields of partBytes each, filled one after
// the other and split only between characters.
bool FitsInParts(const QString &text, int partBytes, int parts);

using TFitTest = std::function<bool(const QString &)>;
// Removes whole characters just before pos (the end of what was typed or
// pasted) until the text fits, then from the end; pos follows.
QString TrimToFit(const QString &text, int &pos, const TFitTest &fits);
