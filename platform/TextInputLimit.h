#pragma once
// The byte limits of core/TextLimit.h applied to what the user types into an editor.

#include "core/TextLimit.h"

class QLineEdit;
class QPlainTextEdit;

// What the user types or pastes into the line beyond maxBytes is cut before
// the first character that does not fit. A text the program puts there is
// left whole (a validator would cut it too, and with it an unchanged stored
// text in the old code page whose UTF-8 form is longer, or a full path).
void LimitTypedBytes(QLineEdit *edit, int maxBytes);
// The same for a plain-text editor, with its own test of what fits.
void LimitPlainText(QPlainTextEdit *edit, const TFitTest &fits);
