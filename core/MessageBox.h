#pragma once
// Modal message boxes go through here so that tests can answer them.

#include <QString>
#include <functional>

enum class TMsgIcon { None, Information, Warning, Error };
enum class TMsgButtons { Ok, OkIgnore, YesNo, YesAbort };
enum class TMsgResult { Ok, Ignore, Yes, No, Abort };

// A carriage return in text is a line break.
TMsgResult ShowMessageBox(const QString &text, TMsgIcon icon = TMsgIcon::Information,
                          TMsgButtons buttons = TMsgButtons::Ok, const QString &title = QString());
// The answer that changes nothing: Ok, Ignore, No or Abort. Given when a box
// is closed by the window manager or cannot be shown at all, and when the
// program is asked to end while the box waits (see core/EndRequest.h).
TMsgResult CautiousAnswer(TMsgButtons buttons);
// The plain message without icon.
void ShowMessage(const QString &text);
// A box with an OK button that does not wait for it: the caller goes on at
// once and the box closes itself when answered. A handler set below receives
// it like any box (its answer is not used).
void ShowNotice(const QString &text, TMsgIcon icon = TMsgIcon::Information, const QString &title = QString());

using TMessageBoxHandler = std::function<TMsgResult(const QString &text, TMsgIcon, TMsgButtons, const QString &title)>;
// Replaces the real boxes (tests); an empty handler restores them.
void SetMessageBoxHandler(TMessageBoxHandler handler);
