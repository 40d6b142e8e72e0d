#pragma once
// How the windows ask the user and tell them things. One object answers for
// the whole program: the desktop's boxes in the program, a scripted answerer
// in tests. The domain never asks; it returns what happened and its caller
// asks through here.

#include "core/MessageTypes.h"

#include <QString>
#include <functional>

class QDialog;
class QWidget;

class IMessageBoxes {
public:
    virtual ~IMessageBoxes() = default;
    // Waits for the answer, but holds up no other window: the notes, the
    // countdowns and the tray keep taking input. Only for start-up and the
    // end, where nothing else can ask. A carriage return is a line break.
    virtual TMsgResult Show(const QString &text, TMsgIcon icon, TMsgButtons buttons, const QString &title) = 0;
    // An OK box that does not wait: modal to parent only, or to nothing.
    virtual void Notice(const QString &text, TMsgIcon icon, const QString &title, QWidget *parent) = 0;
    // Asks without waiting. The answer arrives later through a callback,
    // because the caller's next step depends on it; it is dropped when
    // parent goes first. Modal to parent only, or to nothing.
    virtual void Ask(QWidget *parent, const QString &text, TMsgIcon icon, TMsgButtons buttons,
                     const QString &title, std::function<void(TMsgResult)> answered) = 0;
    // Takes a dialog and shows it modal to its parent window only (or to
    // nothing); finished receives its result once, then the dialog is deleted.
    virtual void OpenDialog(QDialog *dialog, std::function<void(int result)> finished) = 0;

    // Shorthands.
    TMsgResult Show(const QString &text, TMsgIcon icon = TMsgIcon::Information)
    {
        return Show(text, icon, TMsgButtons::Ok, QString());
    }
    void Notice(const QString &text, TMsgIcon icon = TMsgIcon::Information) { Notice(text, icon, QString(), nullptr); }
};
