#pragma once
// The desktop's message boxes (QMessageBox), never modal to the whole program.

#include "platform/MessageBoxes.h"

class TDesktopMessageBoxes final : public IMessageBoxes {
public:
    using IMessageBoxes::Notice;
    using IMessageBoxes::Show;
    TMsgResult Show(const QString &text, TMsgIcon icon, TMsgButtons buttons, const QString &title) override;
    void Notice(const QString &text, TMsgIcon icon, const QString &title, QWidget *parent) override;
    void Ask(QWidget *parent, const QString &text, TMsgIcon icon, TMsgButtons buttons, const QString &title,
             std::function<void(TMsgResult)> answered) override;
    void OpenDialog(QDialog *dialog, std::function<void(int result)> finished) override;
};
