#include "core/MessageBox.h"

#include "core/EndRequest.h"
#include "core/vornLogFile.h"

#include <QApplication>
#include <QMessageBox>

namespace {
TMessageBoxHandler g_handler;
}

TMsgResult CautiousAnswer(TMsgButtons buttons)
{
    switch (buttons) {
    case TMsgButtons::Ok: return TMsgResult::Ok;
    case TMsgButtons::OkIgnore: return TMsgResult::Ignore;
    case TMsgButtons::YesNo: return TMsgResult::No;
    case TMsgButtons::YesAbort: return TMsgResult::Abort;
    }
    return TMsgResult::Ok;
}

void SetMessageBoxHandler(TMessageBoxHandler handler)
{
    g_handler = std::move(handler);
}

namespace {

QString WithLineBreaks(const QString &text)
{
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

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

TMsgResult ShowMessageBox(const QString &text, TMsgIcon icon, TMsgButtons buttons, const QString &title)
{
    const QString shown = WithLineBreaks(text);
    if (g_handler)
        return g_handler(shown, icon, buttons, title);
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return CautiousAnswer(buttons);
    // Nobody may be there to answer (a logout, Ctrl+C in a terminal).
    if (ProgramEndRequested()) {
        LogInfo(QStringLiteral("Box not shown, the program is ending: ") + shown.section(QLatin1Char('\n'), 0, 0));
        return CautiousAnswer(buttons);
    }

    QMessageBox box;
    SetUpBox(box, shown, icon, title);
    switch (buttons) {
    case TMsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case TMsgButtons::OkIgnore: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Ignore); break;
    case TMsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case TMsgButtons::YesAbort: box.setStandardButtons(QMessageBox::Yes | QMessageBox::Abort); break;
    }
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    switch (box.exec()) {
    case QMessageBox::Ok: return TMsgResult::Ok;
    case QMessageBox::Ignore: return TMsgResult::Ignore;
    case QMessageBox::Yes: return TMsgResult::Yes;
    case QMessageBox::No: return TMsgResult::No;
    case QMessageBox::Abort: return TMsgResult::Abort;
    default: return CautiousAnswer(buttons);
    }
}

void ShowMessage(const QString &text)
{
    ShowMessageBox(text, TMsgIcon::None, TMsgButtons::Ok);
}

void ShowNotice(const QString &text, TMsgIcon icon, const QString &title)
{
    const QString shown = WithLineBreaks(text);
    if (g_handler) {
        g_handler(shown, icon, TMsgButtons::Ok, title);
        return;
    }
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()) || ProgramEndRequested())
        return;
    auto *box = new QMessageBox;
    SetUpBox(*box, shown, icon, title);
    box->setStandardButtons(QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->setWindowModality(Qt::NonModal);
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
    box->show();
}
