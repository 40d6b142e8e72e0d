#include "ui/ModalRun.h"

#include "platform/LegacyMessageBox.h"

#include <QDialog>
#include <memory>

std::function<int(QDialog &)> &ModalRun::Hook()
{
    static std::function<int(QDialog &)> hook;
    return hook;
}

void ModalRun::Open(QDialog *dialog, std::function<void(int result)> finished)
{
    if (const auto &hook = Hook()) {
        const std::unique_ptr<QDialog> owned(dialog);
        const int result = hook(*dialog);
        if (finished)
            finished(result);
        return;
    }
    OpenDialog(dialog, std::move(finished));
}
