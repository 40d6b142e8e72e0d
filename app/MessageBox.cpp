#include "app/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace {
TMessageBoxHandler g_handler;
}

void SetMessageBoxHandler(TMessageBoxHandler handler)
{
    g_handler = std::move(handler);
}

TMsgResult ShowMessageBox(const QString &text, TMsgIcon icon, TMsgButtons buttons, const QString &title)
{
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (g_handler)
        return g_handler(shown, icon, buttons, title);
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return buttons == TMsgButtons::Ok ? TMsgResult::Ok
             : buttons == TMsgButtons::OkIgnore ? TMsgResult::Ignore
             : buttons == TMsgButtons::YesNo ? TMsgResult::No : TMsgResult::Abort;

    QMessageBox box;
    box.setWindowTitle(title.isEmpty() ? QCoreApplication::applicationName() : title);
    box.setText(shown);
    switch (icon) {
    case TMsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case TMsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case TMsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case TMsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    }
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
    default:
        // Closing the box by the window manager counts as the cautious answer.
        return buttons == TMsgButtons::Ok ? TMsgResult::Ok
             : buttons == TMsgButtons::OkIgnore ? TMsgResult::Ignore
             : buttons == TMsgButtons::YesNo ? TMsgResult::No : TMsgResult::Abort;
    }
}

void ShowMessage(const QString &text)
{
    ShowMessageBox(text, TMsgIcon::None, TMsgButtons::Ok);
}
