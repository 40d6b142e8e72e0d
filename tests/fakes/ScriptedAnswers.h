#pragma once
// Answers the program's questions in tests: records every box, answers with
// a chosen result (or one decided per text), and drives dialogs through a
// script. A dialog without a script is shown as the program would show it.

#include "core/LineBreaks.h"
#include "platform/DesktopMessageBoxes.h"

#include <QDialog>
#include <QStringList>
#include <functional>
#include <memory>

class TScriptedAnswers : public IMessageBoxes {
public:
    using IMessageBoxes::Notice;
    using IMessageBoxes::Show;

    explicit TScriptedAnswers(std::function<TMsgResult(TMsgButtons)> answer = CautiousAnswer)
        : Answer(std::move(answer))
    {
    }

    QStringList Texts;
    QStringList Titles;
    QList<TMsgIcon> Icons;
    QList<TMsgButtons> Buttons;
    // The answer for a box with these buttons; Decide, when set, answers by text.
    std::function<TMsgResult(TMsgButtons)> Answer;
    std::function<TMsgResult(const QString &text)> Decide;
    // Receives a dialog, drives it and returns its result; empty: shown for real.
    std::function<int(QDialog &)> DialogAnswer;

    TMsgResult Show(const QString &text, TMsgIcon icon, TMsgButtons buttons, const QString &title) override
    {
        return Record(text, icon, buttons, title);
    }
    void Notice(const QString &text, TMsgIcon icon, const QString &title, QWidget *) override
    {
        Record(text, icon, TMsgButtons::Ok, title);
    }
    void Ask(QWidget *, const QString &text, TMsgIcon icon, TMsgButtons buttons, const QString &title,
             std::function<void(TMsgResult)> answered) override
    {
        const TMsgResult answer = Record(text, icon, buttons, title);
        if (answered)
            answered(answer);
    }
    void OpenDialog(QDialog *dialog, std::function<void(int result)> finished) override
    {
        if (!DialogAnswer) {
            FReal.OpenDialog(dialog, std::move(finished));
            return;
        }
        const std::unique_ptr<QDialog> owned(dialog);
        const int result = DialogAnswer(*dialog);
        if (finished)
            finished(result);
    }

private:
    TMsgResult Record(const QString &text, TMsgIcon icon, TMsgButtons buttons, const QString &title)
    {
        const QString shown = ToLineFeeds(text);
        Texts << shown;
        Titles << title;
        Icons << icon;
        Buttons << buttons;
        return Decide ? Decide(shown) : Answer ? Answer(buttons) : CautiousAnswer(buttons);
    }

    TDesktopMessageBoxes FReal;
};
