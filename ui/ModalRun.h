#pragma once
// Opens a dialog that holds up no other window (see OpenDialog in
// core/MessageBox.h). Tests set the hook to answer a dialog without a user:
// it receives the dialog, drives it (fields, buttons) and returns its result,
// which reaches finished at once.

#include <functional>

class QDialog;

namespace ModalRun {

// Empty: dialogs are shown and answer later.
std::function<int(QDialog &)> &Hook();
// Takes the dialog (deleted after finished has run).
void Open(QDialog *dialog, std::function<void(int result)> finished);

} // namespace ModalRun
