#pragma once
// Answers the modal dialogs run through ui/ModalRun.h for the life of the
// object: answer receives the dialog, drives it and returns its result.
// Header-only: only suites linked to the ui layer include it.

#include "ui/ModalRun.h"

#include <QDialog>
#include <functional>
#include <utility>

namespace TestSupport {

class ModalAnswer {
public:
    explicit ModalAnswer(std::function<int(QDialog &)> answer)
        : FSaved(std::exchange(ModalRun::Hook(), std::move(answer)))
    {
    }
    ~ModalAnswer() { ModalRun::Hook() = std::move(FSaved); }
    ModalAnswer(const ModalAnswer &) = delete;
    ModalAnswer &operator=(const ModalAnswer &) = delete;

private:
    std::function<int(QDialog &)> FSaved;
};

// Drives a dialog of type T with drive, then returns the result its buttons set.
template <class T>
std::function<int(QDialog &)> Drive(std::function<void(T &)> drive)
{
    return [fn = std::move(drive)](QDialog &dialog) {
        auto *form = qobject_cast<T *>(&dialog);
        if (!form)
            return int(QDialog::Rejected);
        fn(*form);
        return dialog.result();
    };
}

} // namespace TestSupport
