#pragma once
// Input limits in bytes: every stored text has a capacity in UTF-8 bytes, and
// typing or pasting stops at the last whole character that fits.

#include <QString>
#include <QValidator>
#include <functional>

class QPlainTextEdit;

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

// For a QLineEdit: what is typed or pasted beyond maxBytes is cut before the
// first character that does not fit (the line edit takes the cut text).
class TByteLengthValidator : public QValidator {
    Q_OBJECT
public:
    explicit TByteLengthValidator(int maxBytes, QObject *parent = nullptr);
    State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;
    int MaxBytes() const { return FMaxBytes; }

private:
    int FMaxBytes;
};

// The same for a plain-text editor, with its own test of what fits.
void LimitPlainText(QPlainTextEdit *edit, const TFitTest &fits);
