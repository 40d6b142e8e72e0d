#include "platform/TextInputLimit.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextCursor>

#include <algorithm>

void LimitTypedBytes(QLineEdit *edit, int maxBytes)
{
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, maxBytes](const QString &text) {
        if (Utf8Size(text) <= maxBytes)
            return;
        // Typed or pasted text ends at the cursor: that is where it is cut.
        int pos = edit->cursorPosition();
        const QString fitted = TrimToFit(text, pos, [maxBytes](const QString &t) { return Utf8Size(t) <= maxBytes; });
        edit->setText(fitted);
        edit->setCursorPosition(pos);
    });
}

void LimitPlainText(QPlainTextEdit *edit, const TFitTest &fits)
{
    QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [edit, fits] {
        const QString text = edit->toPlainText();
        if (fits(text))
            return;
        int pos = edit->textCursor().position();
        const QString fitted = TrimToFit(text, pos, fits);
        const QSignalBlocker block(edit);
        edit->setPlainText(fitted);
        QTextCursor c = edit->textCursor();
        c.setPosition(std::min(pos, int(fitted.size())));
        edit->setTextCursor(c);
    });
}
