#include "platform/LegacyMessageBox.h"

#include "core/LineBreaks.h"
#include "platform/DesktopMessageBoxes.h"

#include <utility>

namespace {
TMessageBoxHandler g_handler;

TDesktopMessageBoxes &Desktop()
{
    static TDesktopMessageBoxes boxes;
    return boxes;
}
} // namespace

void SetMessageBoxHandler(TMessageBoxHandler handler)
{
    g_handler = std::move(handler);
}

TMsgResult ShowMessageBox(const QString &text, TMsgIcon icon, TMsgButtons buttons, const QString &title)
{
    if (g_handler)
        return g_handler(ToLineFeeds(text), icon, buttons, title);
    return Desktop().Show(text, icon, buttons, title);
}

void ShowMessage(const QString &text)
{
    ShowMessageBox(text, TMsgIcon::None, TMsgButtons::Ok);
}

void ShowNotice(const QString &text, TMsgIcon icon, const QString &title, QWidget *parent)
{
    if (g_handler) {
        g_handler(ToLineFeeds(text), icon, TMsgButtons::Ok, title);
        return;
    }
    Desktop().Notice(text, icon, title, parent);
}

void AskMessageBox(QWidget *parent, const QString &text, TMsgIcon icon, TMsgButtons buttons, const QString &title,
                   std::function<void(TMsgResult)> answered)
{
    if (g_handler) {
        const TMsgResult answer = g_handler(ToLineFeeds(text), icon, buttons, title);
        if (answered)
            answered(answer);
        return;
    }
    Desktop().Ask(parent, text, icon, buttons, title, std::move(answered));
}

void OpenDialog(QDialog *dialog, std::function<void(int result)> finished)
{
    Desktop().OpenDialog(dialog, std::move(finished));
}
