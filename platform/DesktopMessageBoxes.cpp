#include "platform/DesktopMessageBoxes.h"

#include "core/EndRequest.h"
#include "core/LineBreaks.h"
#include "core/vornLogFile.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>

#include <memory>
#include <utility>

namespace {

void SetUpBox(QMessageBox &box, const QString &shown, TMsgIcon icon, const QString &title)
{
    box.setWindowTitle(title.isEmpty() ? QCoreApplication::applicationName() : title);
    box.setText(shown);
    switch (icon) {
    case TMsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case TMsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case TMsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case TMsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    }
}

} // namespace

namespace {

bool CanShowBoxes()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) && !ProgramEndRequested();
}

void SetButtons(QMessageBox &box, TMsgButtons buttons)
{
    switch (buttons) {
    case TMsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case TMsgButtons::OkIgnore: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Ignore); break;
    case TMsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case TMsgButtons::YesAbort: box.setStandardButtons(QMessageBox::Yes | QMessageBox::Abort); break;
    }
}

TMsgResult ResultOf(int button, TMsgButtons buttons)
{
    switch (button) {
    case QMessageBox::Ok: return TMsgResult::Ok;
    case QMessageBox::Ignore: return TMsgResult::Ignore;
    case QMessageBox::Yes: return TMsgResult::Yes;
    case QMessageBox::No: return TMsgResult::No;
    case QMessageBox::Abort: return TMsgResult::Abort;
    default: return CautiousAnswer(buttons);
    }
}

// Modal to its parent window only; a box of its own stays above the notes,
// which are always on top themselves.
void SetModality(QDialog &dialog)
{
    dialog.setWindowModality(dialog.parentWidget() ? Qt::WindowModal : Qt::NonModal);
}

QMessageBox *NewBox(QWidget *parent, const QString &shown, TMsgIcon icon, TMsgButtons buttons, const QString &title)
{
    auto *box = new QMessageBox(parent);
    SetUpBox(*box, shown, icon, title);
    SetButtons(*box, buttons);
    if (!parent)
        box->setWindowFlag(Qt::WindowStaysOnTopHint);
    SetModality(*box);
    return box;
}

} // namespace

TMsgResult TDesktopMessageBoxes::Show(const QString &text, TMsgIcon icon, TMsgButtons buttons, const QString &title)
{
    const QString shown = ToLineFeeds(text);
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return CautiousAnswer(buttons);
    // Nobody may be there to answer (a logout, Ctrl+C in a terminal).
    if (ProgramEndRequested()) {
        LogInfo(QStringLiteral("Box not shown, the program is ending: ") + shown.section(QLatin1Char('\n'), 0, 0));
        return CautiousAnswer(buttons);
    }

    // Not QDialog::exec(): that would make the box modal to the whole program.
    // A request to end leaves this loop too (the box is then unanswered).
    QPointer<QMessageBox> box = NewBox(nullptr, shown, icon, buttons, title);
    int answer = -1;
    QEventLoop loop;
    QObject::connect(box, &QDialog::finished, &loop, [&answer, &loop](int result) {
        answer = result;
        loop.quit();
    });
    box->show();
    loop.exec(QEventLoop::DialogExec);
    delete box.data();
    return answer < 0 ? CautiousAnswer(buttons) : ResultOf(answer, buttons);
}

void TDesktopMessageBoxes::Ask(QWidget *parent, const QString &text, TMsgIcon icon, TMsgButtons buttons,
                               const QString &title, std::function<void(TMsgResult)> answered)
{
    const QString shown = ToLineFeeds(text);
    if (!CanShowBoxes()) {
        if (answered)
            answered(CautiousAnswer(buttons));
        return;
    }
    QMessageBox *box = NewBox(parent, shown, icon, buttons, title);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QDialog::finished, parent ? static_cast<QObject *>(parent) : box,
                     [answered = std::move(answered), buttons](int result) {
                         if (answered)
                             answered(ResultOf(result, buttons));
                     });
    box->show();
}

void TDesktopMessageBoxes::OpenDialog(QDialog *dialog, std::function<void(int result)> finished)
{
    SetModality(*dialog);
    auto done = std::make_shared<bool>(false);
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, done, finished = std::move(finished)](int result) {
        // Once only: the dialog goes when control returns to the event loop.
        if (std::exchange(*done, true))
            return;
        if (finished)
            finished(result);
        dialog->deleteLater();
    });
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void TDesktopMessageBoxes::Notice(const QString &text, TMsgIcon icon, const QString &title, QWidget *parent)
{
    const QString shown = ToLineFeeds(text);
    if (!CanShowBoxes())
        return;
    QMessageBox *box = NewBox(parent, shown, icon, TMsgButtons::Ok, title);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
}
