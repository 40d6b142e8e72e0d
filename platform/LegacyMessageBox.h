#pragma once
// The old free functions for boxes, kept only until their last users are handed
// an IMessageBoxes; to be removed then. Do not add new users.

#include "core/MessageTypes.h"

#include <QString>
#include <functional>

class QDialog;
class QWidget;


// A carriage return in text is a line break. Waits for the answer, but holds
// up no other window: the notes, the countdowns and the tray keep taking
// input. Meant for start-up and the end, where nothing else can ask; a window
// asks through AskMessageBox.
TMsgResult ShowMessageBox(const QString &text, TMsgIcon icon = TMsgIcon::Information,
                          TMsgButtons buttons = TMsgButtons::Ok, const QString &title = QString());
// The plain message without icon.
void ShowMessage(const QString &text);
// A box with an OK button that does not wait for it: the caller goes on at
// once and the box closes itself when answered. A handler set below receives
// it like any box (its answer is not used). With a parent the box is modal to
// that window only.
void ShowNotice(const QString &text, TMsgIcon icon = TMsgIcon::Information, const QString &title = QString(),
                QWidget *parent = nullptr);
// Asks without waiting: answered receives the answer once, later (at once
// when a handler answers or the box cannot be shown). The box is modal to
// parent only, or to nothing without one; answered is dropped when parent
// goes first.
void AskMessageBox(QWidget *parent, const QString &text, TMsgIcon icon, TMsgButtons buttons, const QString &title,
                   std::function<void(TMsgResult)> answered);

// Shows a dialog without waiting and without holding up any other window:
// modal to its parent window when it has one, else not modal at all.
// finished receives its result once; the dialog is deleted afterwards.
void OpenDialog(QDialog *dialog, std::function<void(int result)> finished);

using TMessageBoxHandler = std::function<TMsgResult(const QString &text, TMsgIcon, TMsgButtons, const QString &title)>;
// Replaces the real boxes (tests); an empty handler restores them.
void SetMessageBoxHandler(TMessageBoxHandler handler);
