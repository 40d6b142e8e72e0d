// The Add Reminder wizard run through its modal hook, as a user would drive it.
#include "ui/TaskFrm.h"

#include "core/vornIniFile.h"
#include "model/TaskList.h"
#include "platform/Desktop.h"
#include "scheduler/ActionContext.h"
#include "storage/GlobalPreferences.h"
#include "tests/fakes/FakeSoundPlayer.h"
#include "tests/support/Records.h"
#include "tests/support/TestSupport.h"
#include "ui/ComponentFrm.h"
#include "ui/ModalRun.h"
#include "ui/RunProgramFrm.h"
#include "ui/SendemailFrm.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <cstring>
#include <gtest/gtest.h>

using namespace TestRecords;
using TestSupport::MessageBoxRecorder;
using TestSupport::PinnedClock;

namespace {

const TDateTime kNow = At(2024, 5, 15, 10, 30, 20); // a Wednesday

// The wizard's world, and a hook that plays the user for every modal run.
struct WizardEnv {
    QTemporaryDir Dir;
    PinnedClock Clock{kNow};
    TTaskList List;
    TPreferences Preferences{QStringLiteral("Brivane"), QStringLiteral("Brivane")};
    TActionContext Actions;
    TvornIniFile Ini{Dir.filePath(QStringLiteral("Brivane.ini"))};
    int Refreshed = 0;
    std::function<int(TTaskForm &)> Wizard;
    std::function<int(TSendemailForm &)> Recipients;

    WizardEnv()
    {
        Actions.List = &List;
        Actions.Preferences = &Preferences;
        // A portable copy: the user's sounds go beside the program's.
        Actions.Sounds = Desktop::ResolveSoundFolders(Dir.path(), true, QStringLiteral("Brivane"));
        Actions.Windows.TaskList = true;
        QObject::connect(&Actions.Windows, &TOpenWindows::RefreshListRequested, [this] { ++Refreshed; });
        ModalRun::Hook() = [this](QDialog &dialog) {
            if (auto *w = qobject_cast<TTaskForm *>(&dialog))
                return Wizard(*w);
            if (auto *r = qobject_cast<TSendemailForm *>(&dialog))
                return Recipients ? Recipients(*r) : int(QDialog::Rejected);
            return int(QDialog::Rejected);
        };
    }
    ~WizardEnv() { ModalRun::Hook() = nullptr; }

    TTaskFormServices Services()
    {
        TTaskFormServices s;
        s.Actions = &Actions;
        s.Ini = &Ini;
        return s;
    }
    std::optional<TTaskData> New(std::function<void(TTaskForm &)> drive)
    {
        Wizard = [drive](TTaskForm &w) {
            drive(w);
            return w.result();
        };
        std::optional<TTaskData> added;
        TTaskForm::OpenNewReminderWizard(Services(), nullptr, [&added](const TTaskData &task) { added = task; });
        return added;
    }
    // 1 when the user finished, 2 when not, 0 when the wizard never said.
    int Edit(TTaskData &task, bool changeScheduleOnly)
    {
        auto shared = std::make_shared<TTaskData>(task);
        int result = 0;
        TTaskForm::OpenEditReminder(Services(), shared, changeScheduleOnly, nullptr,
                                    [&result](bool changed) { result = changed ? 1 : 2; });
        task = *shared;
        return result;
    }
};

void StartAt(TTaskForm &w, TDateTime when)
{
    int y, m, d, h, mi, s, ms;
    DecodeDateTime(when, y, m, d, h, mi, s, ms);
    w.Panels->dedStartDate->setDate(QDate(y, m, d));
    w.Panels->sedStartTime->setTime(QTime(h, mi));
}

} // namespace

TEST(TaskForm, NewAlarmDefaultsAndPreWarning)
{
    WizardEnv env;
    // Finished at once: a popup note with the default sound on the next pass.
    std::optional<TTaskData> t = env.New([](TTaskForm &w) {
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Add Reminder wizard"));
        EXPECT_FALSE(w.btnFinish->isEnabled() || w.btnBack->isEnabled()) << "the Type page offers Next and Cancel";
        EXPECT_TRUE(w.btnNext->isDefault() && !w.btnFinish->isDefault()) << "Enter must move on";
        EXPECT_EQ(w.lblReminderTypeHelp->text(),
                  QStringLiteral("Use this type when you want an alarm to \"hit\" on a predefined date and time. "
                                 "Optionally you can set a pre-warning notification and a repeat schedule. Choose "
                                 "among audio, visual, e-mail alarm or any combination of the above."));
        w.NextClick();
        EXPECT_EQ(w.CurrentPage(), w.GeneralTab);
        EXPECT_EQ(w.edtTaskTitle->text(), QStringLiteral("Untitled"));
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Add Reminder wizard - Untitled"));
        w.chkPopupNote->setChecked(false);
        w.chkPlaySound->setChecked(false);
        w.FinishClick();
    });
    ASSERT_TRUE(t);
    EXPECT_EQ(t->Taskkind, tkAlarm);
    EXPECT_EQ(t->Title.Get(), QStringLiteral("Untitled"));
    EXPECT_EQ(t->EventDateTime, At(2024, 5, 15, 10, 30));
    EXPECT_EQ(t->Scheduled, t->EventDateTime);
    EXPECT_TRUE(t->PopupNote && t->PlaySound && t->Enabled && t->Visible);
    EXPECT_EQ(t->SoundFile.Get(), QStringLiteral("reminder.wav"));
    EXPECT_EQ(t->PreWarningRule, srMinutes);
    EXPECT_EQ(t->PreWarningNFactor, 1);
    EXPECT_EQ(t->Created, kNow);
    EXPECT_EQ(env.Ini.ReadInteger(QStringLiteral("TaskWizard"), QStringLiteral("AlarmType"), 9), 9)
        << "only a click on a type is remembered";

    // Two hours' notice of tomorrow 10:00; notes longer than one part are split.
    t = env.New([](TTaskForm &w) {
        w.NextClick();
        w.edtTaskTitle->setText(QStringLiteral("  Dentist  "));
        w.memTaskNotes->setPlainText(QString(300, QLatin1Char('n')));
        w.NextClick();
        EXPECT_EQ(w.CurrentPage(), w.WhenTab);
        StartAt(w, At(2024, 5, 16, 10, 0));
        w.chkPrewarning->setChecked(true);
        w.sedPrewarningNFactor->setValue(2);
        w.cbxPrewarningPresets->setCurrentIndex(1);
        w.NextClick();
        EXPECT_FALSE(w.btnNext->isEnabled());
        w.FinishClick();
    });
    ASSERT_TRUE(t);
    EXPECT_EQ(t->Title.Get(), QStringLiteral("Dentist"));
    EXPECT_EQ(t->Notes1.Len, 250);
    EXPECT_EQ(t->Notes2.Len, 50);
    EXPECT_EQ(t->EventDateTime, At(2024, 5, 16, 10, 0));
    EXPECT_NEAR(t->Scheduled, At(2024, 5, 16, 8, 0), OneMillisecond);
    EXPECT_TRUE(t->PreWarning);
    EXPECT_EQ(t->PreWarningRule, srHours);
    EXPECT_EQ(t->PreWarningNFactor, 2);

    // A start on an excluded weekday is refused and the wizard stays open.
    MessageBoxRecorder boxes;
    t = env.New([](TTaskForm &w) {
        w.NextClick();
        w.NextClick();
        w.Panels->SetRepeat(true);
        StartAt(w, At(2024, 5, 18, 9, 0)); // a Saturday
        w.Panels->chkExclude[5]->setChecked(true);
        EXPECT_FALSE(w.FinishClick());
    });
    EXPECT_FALSE(t);
    ASSERT_EQ(boxes.Texts.size(), 1);
    EXPECT_TRUE(boxes.Texts[0].startsWith(QStringLiteral("You cannot set the reminder's Date/Time to start on")));
}

TEST(TaskForm, ComputerTasksAndGoingBackToType)
{
    WizardEnv env;
    MessageBoxRecorder boxes;
    struct Case {
        bool run, shutdown;
        int kind; // 0 shutdown, 1 restart, 2 log off
        QString title;
    } cases[] = {
        {true, true, 2, QStringLiteral("Run program and shutdown computer")},
        {false, true, 2, QStringLiteral("Log off ") + Desktop::UserName()},
        {false, true, 1, QStringLiteral("Restart Computer")},
    };
    for (const Case &c : cases) {
        std::optional<TTaskData> t = env.New([&](TTaskForm &w) {
            w.rbtTaskType->click();
            EXPECT_EQ(w.VisiblePages(), (QList<QWidget *>{w.ReminderTypeTab, w.TaskWhenTab, w.TaskActionsTab}));
            w.NextClick();
            w.NextClick();
            w.TaskCopy.ProgramPathname.Set(QStringLiteral("/usr/bin/true"));
            w.chkRunProgram->setChecked(c.run);
            w.chkShutdown->setChecked(c.shutdown);
            (c.kind == 2 ? w.rbtLogoff : c.kind == 1 ? w.rbtRestart : w.rbtShutdown)->setChecked(true);
            w.FinishClick();
        });
        ASSERT_TRUE(t);
        EXPECT_EQ(t->Title.Get(), c.title);
        EXPECT_EQ(t->Taskkind, tkAutomatedTask);
        EXPECT_FALSE(t->PopupNote || t->PlaySound || t->SendEmail || t->PreWarning);
    }
    EXPECT_EQ(env.Ini.ReadInteger(QStringLiteral("TaskWizard"), QStringLiteral("AlarmType"), 9), 0);
    EXPECT_TRUE(boxes.Texts.isEmpty());

    // No action: the warning, the actions page, and nothing made. Going back
    // to Type resets the start to now.
    std::optional<TTaskData> t = env.New([](TTaskForm &w) {
        w.rbtTaskType->click();
        w.NextClick();
        StartAt(w, At(2024, 6, 1, 7, 0));
        w.NextClick();
        EXPECT_FALSE(w.FinishClick());
        EXPECT_EQ(w.CurrentPage(), w.TaskActionsTab);
        w.GoToPage(w.ReminderTypeTab);
        EXPECT_EQ(w.Panels->StartDateTime(), At(2024, 5, 15, 10, 30));
        w.CancelClick();
    });
    EXPECT_FALSE(t);
    EXPECT_EQ(boxes.Texts, QStringList{QStringLiteral("At least one action must be set.")});
}

TEST(TaskForm, PropertiesAndChangeScheduleEditTheRecordInPlace)
{
    WizardEnv env;
    TTaskData &task = env.List.AddTask([] {
        TTaskData t = Alarm(QStringLiteral("Water the plants"), At(2024, 5, 14, 18, 0));
        t.PopupNote = true;
        t.Enabled = false;
        t.Delivered = true;
        t.HasRun = 3;
        t.LastRun = At(2024, 5, 14, 18, 0);
        t.Created = At(2024, 1, 1);
        t.EmailTo.Set(QStringLiteral("anna@example.org"));
        return t;
    }());
    int modified = 0;
    env.List.OnModified = [&] { ++modified; };

    // Cancel after editing the recipients: the block is as it was.
    env.Recipients = [](TSendemailForm &r) {
        r.edtTo->setText(QStringLiteral("someone@else.example"));
        r.btnOK->click();
        return r.result();
    };
    env.Wizard = [](TTaskForm &w) {
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Alarm Properties - Water the plants"));
        EXPECT_EQ(w.CurrentPage(), w.GeneralTab);
        EXPECT_FALSE(w.btnBack->isEnabled());
        w.chkSendemail->setChecked(true);
        w.btnMailReceipientsClick();
        EXPECT_EQ(w.TaskCopy.EmailTo.Get(), QStringLiteral("someone@else.example"));
        w.CancelClick();
        return w.result();
    };
    EXPECT_EQ(env.Edit(task, false), 2);
    EXPECT_EQ(task.EmailTo.Get(), QStringLiteral("anna@example.org"));
    EXPECT_FALSE(task.InService);
    EXPECT_EQ(modified, 0);

    // Finishing re-enables and re-arms it and keeps its history.
    env.Wizard = [](TTaskForm &w) {
        w.NextClick();
        StartAt(w, At(2024, 5, 20, 18, 0));
        w.FinishClick();
        return w.result();
    };
    EXPECT_EQ(env.Edit(task, false), 1);
    EXPECT_TRUE(task.Enabled && !task.Delivered && !task.InService);
    EXPECT_EQ(task.HasRun, 3);
    EXPECT_EQ(task.LastRun, At(2024, 5, 14, 18, 0));
    EXPECT_EQ(task.Created, At(2024, 1, 1));
    EXPECT_EQ(task.EventDateTime, At(2024, 5, 20, 18, 0));
    EXPECT_EQ(modified, 1);
    EXPECT_EQ(env.Refreshed, 1);

    // Change schedule: the When? page alone; a Cancel keeps the note's reminder in service.
    task.PopupNote = false;
    task.PlaySound = false;
    env.Wizard = [](TTaskForm &w) {
        EXPECT_EQ(w.VisiblePages(), QList<QWidget *>{w.WhenTab});
        EXPECT_TRUE(w.btnBack->isHidden() && w.btnNext->isHidden());
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Change schedule - Water the plants"));
        w.CancelClick();
        return w.result();
    };
    EXPECT_EQ(env.Edit(task, true), 2);
    EXPECT_TRUE(task.InService);
    env.Wizard = [](TTaskForm &w) {
        w.Panels->rbtRelatedDateTime->click();
        w.Panels->sedPresetNTimes->setValue(90);
        w.Panels->cbxPresetDate->setCurrentIndex(0);
        w.FinishClick();
        return w.result();
    };
    EXPECT_EQ(env.Edit(task, true), 1);
    EXPECT_NEAR(task.EventDateTime, At(2024, 5, 15, 12, 0), OneMillisecond);
    EXPECT_EQ(task.Title.Get(), QStringLiteral("Water the plants"));
    EXPECT_TRUE(task.PopupNote && task.PlaySound) << "an alarm without any action gets the note and the sound";
}

TEST(TaskForm, SoundFieldButtons)
{
    WizardEnv env;
    QTemporaryDir elsewhere;
    const QString picked = elsewhere.filePath(QStringLiteral("chime.wav"));
    ASSERT_TRUE(TestSupport::WriteAll(picked, QByteArray("RIFF")));
    TTaskFormServices s = env.Services();
    QString next = picked;
    s.AskSoundFile = [&](QWidget *, const QString &) { return next; };
    TTaskForm w(s, TTaskForm::wmNew, nullptr);
    MessageBoxRecorder boxes;

    w.fedSoundPathname->setText(QStringLiteral("none.wav"));
    w.btnTestSoundClick();
    w.btnDefaultSoundClick(); // no reminder.wav in the Sounds folder either
    ASSERT_EQ(boxes.Texts.size(), 2);
    EXPECT_TRUE(boxes.Texts[0].startsWith(QStringLiteral("Error 10: Sound file not found.")));
    EXPECT_TRUE(boxes.Texts[1].startsWith(QStringLiteral("Error 08: Default sound file not found.")));
    EXPECT_EQ(w.fedSoundPathname->text(), QStringLiteral("none.wav"));

    // A picked sound is copied into the Sounds folder and named bare.
    w.BrowseSound();
    EXPECT_EQ(w.fedSoundPathname->text(), QStringLiteral("chime.wav"));
    EXPECT_TRUE(QFileInfo::exists(env.Dir.filePath(QStringLiteral("chime.wav"))));
    // A copy that cannot be made keeps the full path, with Error 09; that path still plays.
    ASSERT_TRUE(TestSupport::WriteAll(env.Dir.filePath(QStringLiteral("file")), "x"));
    env.Actions.Sounds.user = env.Actions.Sounds.program = env.Dir.filePath(QStringLiteral("file/Sounds/"));
    w.BrowseSound();
    EXPECT_EQ(w.fedSoundPathname->text(), picked);
    EXPECT_EQ(boxes.Texts.value(2), QStringLiteral("Error 09: Unable to copy file to \"Sounds\" folder: cannot create ")
                                        + env.Actions.Sounds.user + QStringLiteral(": ")
                                        + env.Dir.filePath(QStringLiteral("file")) + QStringLiteral(" is not a folder"));
    FakeSoundPlayer player;
    Sound::SetPlayer(&player);
    w.btnTestSoundClick();
    Sound::SetPlayer(nullptr);
    EXPECT_EQ(player.Played, QStringList{picked});
}

TEST(TaskForm, InstalledCopyKeepsPickedSoundsInTheUsersDataFolderAndLooksThereFirst)
{
    WizardEnv env;
    const QString data = env.Dir.filePath(QStringLiteral("data"));
    const QString shipped = env.Dir.filePath(QStringLiteral("share/brivane/Sounds"));
    ASSERT_TRUE(QDir().mkpath(shipped));
    ASSERT_TRUE(TestSupport::WriteAll(shipped + QStringLiteral("/reminder.wav"), "RIFF shipped"));
    ASSERT_TRUE(TestSupport::WriteAll(shipped + QStringLiteral("/bell.wav"), "RIFF shipped bell"));
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    const auto restore = qScopeGuard([&] { qputenv("XDG_DATA_HOME", dataHome); });
    qputenv("XDG_DATA_HOME", data.toUtf8());
    env.Actions.Sounds = Desktop::ResolveSoundFolders(shipped, false, QStringLiteral("Brivane"));
    const QString user = data + QStringLiteral("/Brivane/Sounds/");
    EXPECT_EQ(env.Actions.Sounds.user, user);

    QTemporaryDir elsewhere;
    TTaskFormServices s = env.Services();
    QString next;
    QString askedIn;
    s.AskSoundFile = [&](QWidget *, const QString &folder) {
        askedIn = folder;
        return next;
    };
    TTaskForm w(s, TTaskForm::wmNew, nullptr);
    MessageBoxRecorder boxes;
    FakeSoundPlayer player;
    Sound::SetPlayer(&player);

    // Before the user has sounds of their own the browser opens on the program's.
    next = shipped + QStringLiteral("/bell.wav");
    w.BrowseSound();
    EXPECT_EQ(askedIn, shipped + QLatin1Char('/'));
    EXPECT_EQ(w.fedSoundPathname->text(), QStringLiteral("bell.wav"));
    EXPECT_FALSE(QFileInfo::exists(user)) << "one of the program's own sounds is not copied";

    // A sound from elsewhere goes to the user's folder, made for the owner only.
    next = elsewhere.filePath(QStringLiteral("chime.wav"));
    ASSERT_TRUE(TestSupport::WriteAll(next, "RIFF mine"));
    w.BrowseSound();
    EXPECT_EQ(w.fedSoundPathname->text(), QStringLiteral("chime.wav"));
    EXPECT_EQ(TestSupport::ReadAll(user + QStringLiteral("chime.wav")), QByteArray("RIFF mine"));
    EXPECT_FALSE(QFileInfo::exists(shipped + QStringLiteral("/chime.wav")));
    for (const QString &made : {user, data + QStringLiteral("/Brivane")}) {
        const QFileDevice::Permissions p = QFileInfo(made).permissions();
        EXPECT_TRUE(p.testFlags(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner)) << p;
        EXPECT_FALSE(p
                     & (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
                        | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther))
            << made.toStdString();
    }
    w.BrowseSound();
    EXPECT_EQ(askedIn, user) << "then it opens on the user's";

    // "Test sound" and "Default": the user's copy first, then the program's.
    w.btnTestSoundClick();
    w.fedSoundPathname->setText(QStringLiteral("bell.wav"));
    w.btnTestSoundClick();
    ASSERT_TRUE(TestSupport::WriteAll(user + QStringLiteral("bell.wav"), "RIFF my bell"));
    w.btnTestSoundClick();
    w.btnDefaultSoundClick();
    Sound::SetPlayer(nullptr);
    EXPECT_EQ(player.Played, (QStringList{user + QStringLiteral("chime.wav"), shipped + QStringLiteral("/bell.wav"),
                                          user + QStringLiteral("bell.wav")}));
    EXPECT_EQ(w.fedSoundPathname->text(), QStringLiteral("reminder.wav"));
    EXPECT_TRUE(boxes.Texts.isEmpty()) << boxes.Texts.join(QLatin1Char('|')).toStdString();
}

TEST(TaskForm, TabVisitsEveryControlOfTheWhenPageInOrder)
{
    WizardEnv env;
    TTaskForm w(env.Services(), TTaskForm::wmNew, nullptr);
    w.GoToPage(w.ReminderTypeTab);
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.NextClick();
    w.NextClick();
    ASSERT_EQ(w.CurrentPage(), w.WhenTab);
    w.Panels->chkRepeatTask->click();
    w.chkPrewarning->click();
    QApplication::processEvents(); // the moved panels show
    const Tcomponentform &p = *w.Panels;

    // Each widget once, in the order Tab reaches it (a date field takes a Tab per
    // part; of a group of radio buttons only the chosen one is a stop).
    const auto tabFrom = [](QWidget *start, QWidget *stop) {
        QList<QWidget *> seen;
        start->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < 60 && QApplication::focusWidget() != stop; ++i) {
            QWidget *at = QApplication::focusWidget();
            if (!at)
                break;
            if (seen.isEmpty() || seen.last() != at)
                seen << at;
            QTest::keyClick(at, Qt::Key_Tab);
        }
        seen << QApplication::focusWidget();
        return seen;
    };
    QList<QWidget *> expected{p.dedStartDate,      p.sedStartTime,   p.sedPresetNTimes, p.cbxPresetDate,
                              p.chkRepeatTask,     p.rbtEveryNTimes, p.sedEveryNTimes,  p.cbxEveryNTimes,
                              p.cbxEveryYearMonth, p.cbxEveryWeekday};
    for (QCheckBox *box : p.chkExclude)
        expected << box;
    expected << w.chkPrewarning << w.sedPrewarningNFactor << w.cbxPrewarningPresets << w.btnBack;
    const QList<QWidget *> seen = tabFrom(p.dedStartDate, w.btnBack);
    QStringList names;
    for (QWidget *x : seen)
        names << (x ? x->objectName() + QLatin1Char(':') + QLatin1String(x->metaObject()->className()) : "none");
    EXPECT_EQ(seen, expected) << names.join(QLatin1Char(' ')).toStdString();

    // From "or in" the next stop is its count, chosen or not.
    EXPECT_TRUE(p.rbtAbsoleteDateTime->isChecked());
    EXPECT_EQ(tabFrom(p.rbtRelatedDateTime, p.sedPresetNTimes).value(1), p.sedPresetNTimes);
    EXPECT_TRUE(p.rbtAbsoleteDateTime->isChecked()) << "passing through chose nothing";
    w.CancelClick();
}

// Key presses carrying any character, one at a time (a surrogate pair is one).
void TypeText(QWidget *w, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = text.at(i).isHighSurrogate() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, text.mid(i, n), Qt::NoModifier);
        i += n - 1;
    }
}

TEST(TaskForm, TypedAndPastedTextsStopAtTheirCapacityInBytes)
{
    const QString n = QString::fromUtf8("ń"); // two bytes
    const QString emoji = QString::fromUtf8("🎂"); // four bytes, two QChars
    WizardEnv env;
    env.New([&](TTaskForm &w) {
        w.NextClick();
        QLineEdit *title = w.edtTaskTitle;
        title->clear();
        title->setFocus();
        TypeText(title, n.repeated(24) + "ab" + n + "c");
        EXPECT_EQ(title->text(), n.repeated(24) + "ab") << "50 bytes taken, nothing beyond";
        title->setText(QString(47, 'a'));
        title->end(false);
        TypeText(title, emoji + n + "z");
        EXPECT_EQ(title->text(), QString(47, 'a') + n + "z");
        // A paste in the middle is cut at its own end, before the character that would not fit.
        title->setText(QString(40, 'a') + "xy");
        title->setCursorPosition(40);
        title->insert(QString::fromUtf8("Привет 日本"));
        EXPECT_EQ(title->text(), QString(40, 'a') + QString::fromUtf8("Прив") + "xy");
        title->setText(QString(46, 'a'));
        title->end(false);
        title->insert("b" + emoji + "c");
        EXPECT_EQ(title->text(), QString(46, 'a') + "b") << "never half a character";

        // Notes: two parts of 250 bytes, each of whole characters.
        w.memTaskNotes->clear();
        w.memTaskNotes->insertPlainText(QString(249, 'a') + n + QString(300, 'b'));
        EXPECT_EQ(w.memTaskNotes->toPlainText(), QString(249, 'a') + n + QString(248, 'b'));

        w.fedSoundPathname->setText(QString());
        w.fedSoundPathname->insert(QString::fromUtf8("é").repeated(30));
        EXPECT_EQ(w.fedSoundPathname->text(), QString::fromUtf8("é").repeated(25));
        static_cast<QDialog &>(w).reject();
    });

    TSendemailForm mail(&env.Ini, QFont());
    for (QLineEdit *line : {mail.edtTo, mail.edtCc, mail.edtBcc}) {
        line->insert(QString::fromUtf8("ż").repeated(60));
        EXPECT_EQ(line->text(), QString::fromUtf8("ż").repeated(50));
    }
    TRunProgramForm run(&env.Ini, QStringLiteral("Brivane"));
    run.fedProgramPathname->insert(QString::fromUtf8("ё").repeated(150));
    EXPECT_EQ(run.fedProgramPathname->text(), QString::fromUtf8("ё").repeated(100));
    run.edtProgramParameters->insert(QString::fromUtf8("日").repeated(40));
    EXPECT_EQ(run.edtProgramParameters->text(), QString::fromUtf8("日").repeated(33));
}

// A reminder an older version saved in its code page, opened and finished
// without touching its texts, keeps their bytes.
TEST(TaskForm, UnchangedOldTextsKeepTheirBytesThroughTheWizard)
{
    WizardEnv env;
    TTaskData &task = env.List.AddTask([] {
        TTaskData t = Alarm(QStringLiteral("x"), At(2024, 5, 14, 18, 0));
        t.Title.Len = 14;
        std::memcpy(t.Title.Data, "Caf\xE9 \x96 R\xE9union", 14);
        t.Notes1.Len = 12;
        std::memcpy(t.Notes1.Data,
                    "Stra\xDF"
                    "e\r\n\x93ok\x94",
                    12);
        t.PlaySound = true;
        t.SoundFile.Len = 10;
        std::memcpy(t.SoundFile.Data, "cloch\xE9.wav", 10);
        return t;
    }());
    const TTaskData before = task;
    env.Wizard = [](TTaskForm &w) {
        EXPECT_EQ(w.edtTaskTitle->text(), QString::fromUtf8("Café – Réunion"));
        w.NextClick();
        StartAt(w, At(2024, 5, 20, 18, 0));
        w.FinishClick();
        return w.result();
    };
    ASSERT_EQ(env.Edit(task, false), 1);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(&task.Title), 51),
              QByteArray(reinterpret_cast<const char *>(&before.Title), 51));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(&task.Notes1), 502),
              QByteArray(reinterpret_cast<const char *>(&before.Notes1), 502));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(&task.SoundFile), 51),
              QByteArray(reinterpret_cast<const char *>(&before.SoundFile), 51));
}
