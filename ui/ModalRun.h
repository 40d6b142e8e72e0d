#pragma once
// Runs a modal dialog. Tests set the hook to answer a dialog without a user:
// it receives the dialog, drives it (fields, buttons) and returns its result.

#include <functional>

class QDialog;

namespace ModalRun {

// Empty: dialogs run through exec().
std::function<int(QDialog &)> &Hook();
// The hook's answer when set, else exec().
int Exec(QDialog &dialog);

} // namespace ModalRun
