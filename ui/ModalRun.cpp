#include "ui/ModalRun.h"

#include <QDialog>

std::function<int(QDialog &)> &ModalRun::Hook()
{
    static std::function<int(QDialog &)> hook;
    return hook;
}

int ModalRun::Exec(QDialog &dialog)
{
    const auto &hook = Hook();
    return hook ? hook(dialog) : dialog.exec();
}
