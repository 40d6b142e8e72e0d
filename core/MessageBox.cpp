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

TMsgResult ShowMessageBox(const QString &text, TMsgIcon icon, TMsgButtons buttons, const QString &title)
{
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
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
    default: return CautiousAnswer(buttons);
    }
}

void ShowMessage(const QString &text)
{
    ShowMessageBox(text, TMsgIcon::None, TMsgButtons::Ok);
}
