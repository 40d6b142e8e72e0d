#pragma once
// What the tests of the countdown windows (program, shutdown, e-mail) share:
// a list, preferences, the fakes of the launcher, the login manager and the
// mail transport, answered boxes, a pinned clock and no pauses.

#include "model/TaskList.h"
#include "scheduler/CountdownFrm.h"
#include "storage/GlobalPreferences.h"
#include "tests/fakes/FakeDesktopServices.h"
#include "tests/fakes/FakeShell.h"
#include "tests/fakes/FakeSoundPlayer.h"
#include "tests/fakes/ScriptedAnswers.h"
#include "tests/support/Records.h"
#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QRegularExpression>
#include <QThread>
#include <gtest/gtest.h>

// A window's control found by its object name, as a user finds it by its
// look; the test fails when there is none.
template <typename T>
T *Child(const QObject *window, const char *name)
{
    T *child = window ? window->findChild<T *>(QLatin1String(name)) : nullptr;
    if (!child)
        ADD_FAILURE() << "no control named " << name;
    return child;
}

// Follows the link a label carries, as a click on it would; the test fails
// when the label shows no link.
inline void ActivateLink(QLabel *label)
{
    if (!label)
        return;
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("<a\\s[^>]*href=\"([^\"]*)\"")).match(label->text());
    if (!m.hasMatch()) {
        ADD_FAILURE() << "no link on " << label->objectName().toStdString();
        return;
    }
    emit label->linkActivated(m.captured(1));
}

struct ActionWindowFixture : ::testing::Test {
    void SetUp() override
    {
        context.List = &list;
        context.Preferences = &prefs;
        context.Power = &power;
        context.Mail = &mail;
        context.Sound = &player;
        context.Shell = &shell;
        context.Boxes = &boxes;
        context.PauseMs = 0;
    }

    // Runs the event loop until done() holds or two seconds have passed.
    template <typename F>
    static bool Settle(F done)
    {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < 2000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(1);
        }
        return done();
    }
    // Ticks the countdown n times, collecting the countdown line after each.
    static QStringList Tick(TCountdownActionForm *form, int n)
    {
        QStringList shown;
        for (int k = 0; k < n && form; ++k) {
            form->CancelTimerTimer();
            shown << Child<QLabel>(form, "lblSecsRemaining")->text();
        }
        return shown;
    }
    static bool Closed(const QPointer<TCountdownActionForm> &form)
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return form.isNull() || !form->isVisible();
    }

    TTaskList list;
    TPreferences prefs;
    TActionContext context;
    FakePower power;
    FakeMailTransport mail;
    FakeSoundPlayer player;
    Shell::FakeShell shell;
    TScriptedAnswers boxes{[](TMsgButtons) { return TMsgResult::Ok; }};
    const TDateTime now = TestRecords::At(2009, 2, 17, 10, 0, 30);
    TestSupport::PinnedClock clock{now};
};
