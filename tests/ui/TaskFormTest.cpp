// The Add Reminder wizard answered through the message boxes, driven as a user would drive it.
#include "ui/TaskFrm.h"

#include "core/vornIniFile.h"
#include "model/TaskList.h"
#include "platform/Desktop.h"
#include "scheduler/ActionContext.h"
#include "storage/GlobalPreferences.h"
#include "tests/fakes/FakeSoundPlayer.h"
#include "tests/fakes/ScriptedAnswers.h"
#include "tests/support/Records.h"
#include "tests/support/TestSupport.h"
#include "ui/RunProgramFrm.h"
#include "ui/SendemailFrm.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
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
#include <stdexcept>

using namespace TestRecords;
using TestSupport::PinnedClock;

namespace {

// The control named name under parent; the test fails when there is none.
template <class T = QWidget>
T &Control(const QObject &parent, const char *name)
{
    T *found = parent.findChild<T *>(QLatin1String(name));
    if (!found)
        throw std::runtime_error(std::string("no control named ") + name);
    return *found;
}

void Click(const QObject &parent, const char *name)
{
    Control<QAbstractButton>(parent, name).click();
}

// The names of the wizard's visible pages, in order, and of the one shown.
QStringList PageNames(const TTaskForm &w)
{
    QStringList names;
    for (const QWidget *page : w.VisiblePages())
        names << page->objectName();
    return names;
}

QString Shown(const TTaskForm &w)
{
    return w.CurrentPage()->objectName();
}

const TDateTime kNow = At(2024, 5, 15, 10, 30, 20); // a Wednesday

// The wizard's world, and message boxes that play the user for every dialog.
struct WizardEnv {
    QTemporaryDir Dir;
    PinnedClock Clock{kNow};
    TTaskList List;
    TPreferences Preferences{QStringLiteral("Brivane"), QStringLiteral("Brivane")};
    TScriptedAnswers Boxes;
    FakeSoundPlayer Player;
    TActionContext Actions;
    TvornIniFile Ini{Dir.filePath(QStringLiteral("Brivane.ini"))};
    int Refreshed = 0;
    std::function<int(TTaskForm &)> Wizard;
    std::function<int(TSendemailForm &)> Recipients;
    std::function<int(TRunProgramForm &)> Program;
    // The sound the user picks in the browse dialog; empty: cancelled.
    std::function<QString(QFileDialog &)> SoundFile;

    WizardEnv()
    {
        Actions.List = &List;
        Actions.Preferences = &Preferences;
        Actions.Boxes = &Boxes;
        Actions.Sound = &Player;
        // A portable copy: the user's sounds go beside the program's.
        Actions.Sounds = Desktop::ResolveSoundFolders(Dir.path(), true, QStringLiteral("Brivane"));
        Actions.Windows.TaskList = true;
        QObject::connect(&Actions.Windows, &TOpenWindows::RefreshListRequested, [this] { ++Refreshed; });
        Boxes.DialogAnswer = [this](QDialog &dialog) {
            if (auto *w = qobject_cast<TTaskForm *>(&dialog))
                return Wizard(*w);
            if (auto *r = qobject_cast<TSendemailForm *>(&dialog))
                return Recipients ? Recipients(*r) : int(QDialog::Rejected);
            if (auto *p = qobject_cast<TRunProgramForm *>(&dialog))
                return Program ? Program(*p) : int(QDialog::Rejected);
            if (auto *f = qobject_cast<QFileDialog *>(&dialog)) {
                const QString picked = SoundFile ? SoundFile(*f) : QString();
                if (picked.isEmpty())
                    return int(QDialog::Rejected);
                f->selectFile(picked);
                return int(QDialog::Accepted);
            }
            return int(QDialog::Rejected);
        };
    }

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
        TTaskForm *wizard = TTaskForm::NewReminder(Services(), nullptr);
        QObject::connect(wizard, &TTaskForm::ReminderAdded, [&added](const TTaskData &task) { added = task; });
        wizard->Open();
        return added;
    }
    // 1 when the user finished, 2 when not, 0 when the wizard never said.
    int Edit(TTaskData &task, bool changeScheduleOnly)
    {
        auto shared = std::make_shared<TTaskData>(task);
        int result = 0;
        TTaskForm *wizard = TTaskForm::EditReminder(Services(), shared, changeScheduleOnly, nullptr);
        QObject::connect(wizard, &TTaskForm::EditFinished, [&result](bool changed) { result = changed ? 1 : 2; });
        wizard->Open();
        task = *shared;
        return result;
    }
};

void StartAt(TTaskForm &w, TDateTime when)
{
    int y, m, d, h, mi, s, ms;
    DecodeDateTime(when, y, m, d, h, mi, s, ms);
    Control<QDateEdit>(w, "dedStartDate").setDate(QDate(y, m, d));
    Control<QTimeEdit>(w, "sedStartTime").setTime(QTime(h, mi));
}

} // namespace

TEST(TaskForm, NewAlarmDefaultsAndPreWarning)
{
    WizardEnv env;
    // Finished at once: a popup note with the default sound on the next pass.
    std::optional<TTaskData> t = env.New([](TTaskForm &w) {
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Add Reminder wizard"));
        auto &finish = Control<QPushButton>(w, "btnFinish");
        auto &next = Control<QPushButton>(w, "btnNext");
        EXPECT_FALSE(finish.isEnabled() || Control<QPushButton>(w, "btnBack").isEnabled())
            << "the Type page offers Next and Cancel";
        EXPECT_TRUE(next.isDefault() && !finish.isDefault()) << "Enter must move on";
        EXPECT_EQ(Control<QLabel>(w, "lblReminderTypeHelp").text(),
                  QStringLiteral("Use this type when you want an alarm to \"hit\" on a predefined date and time. "
                                 "Optionally you can set a pre-warning notification and a repeat schedule. Choose "
                                 "among audio, visual, e-mail alarm or any combination of the above."));
        next.click();
        EXPECT_EQ(Shown(w), QStringLiteral("GeneralTab"));
        EXPECT_EQ(Control<QLineEdit>(w, "edtTaskTitle").text(), QStringLiteral("Untitled"));
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Add Reminder wizard - Untitled"));
        // Without any action there is nothing to finish.
        Click(w, "chkPopupNote");
        Click(w, "chkPlaySound");
        EXPECT_FALSE(finish.isEnabled());
        Click(w, "chkPlaySound");
        Click(w, "chkPopupNote");
        finish.click();
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
        Click(w, "btnNext");
        Control<QLineEdit>(w, "edtTaskTitle").setText(QStringLiteral("  Dentist  "));
        Control<QPlainTextEdit>(w, "memTaskNotes").setPlainText(QString(300, QLatin1Char('n')));
        Click(w, "btnNext");
        EXPECT_EQ(Shown(w), QStringLiteral("WhenTab"));
        StartAt(w, At(2024, 5, 16, 10, 0));
        Click(w, "chkPrewarning");
        Control<QSpinBox>(w, "sedPrewarningNFactor").setValue(2);
        Control<QComboBox>(w, "cbxPrewarningPresets").setCurrentIndex(1);
        Click(w, "btnNext");
        EXPECT_FALSE(Control<QPushButton>(w, "btnNext").isEnabled());
        Click(w, "btnFinish");
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
    EXPECT_TRUE(env.Boxes.Texts.isEmpty()) << env.Boxes.Texts.join(QLatin1Char('|')).toStdString();

    // A start on an excluded weekday is refused and the wizard stays open.
    t = env.New([](TTaskForm &w) {
        Click(w, "btnNext");
        Click(w, "btnNext");
        Click(w, "chkRepeatTask");
        Click(w, "chkExcludeSaturday");
        StartAt(w, At(2024, 5, 18, 9, 0)); // a Saturday
        Click(w, "btnFinish");
        EXPECT_NE(w.result(), QDialog::Accepted);
        EXPECT_EQ(Shown(w), QStringLiteral("WhenTab"));
    });
    EXPECT_FALSE(t);
    ASSERT_EQ(env.Boxes.Texts.size(), 1);
    EXPECT_TRUE(env.Boxes.Texts[0].startsWith(QStringLiteral("You cannot set the reminder's Date/Time to start on")));
}

TEST(TaskForm, ComputerTasksAndGoingBackToType)
{
    WizardEnv env;
    env.Program = [](TRunProgramForm &r) {
        Control<QLineEdit>(r, "fedProgramPathname").setText(QStringLiteral("/usr/bin/true"));
        Click(r, "btnOK");
        return r.result();
    };
    struct Case {
        bool run, shutdown;
        const char *kind;
        QString title;
    } cases[] = {
        {true, true, "rbtLogoff", QStringLiteral("Run program and shutdown computer")},
        {false, true, "rbtLogoff", QStringLiteral("Log off ") + Desktop::UserName()},
        {false, true, "rbtRestart", QStringLiteral("Restart Computer")},
    };
    for (const Case &c : cases) {
        std::optional<TTaskData> t = env.New([&](TTaskForm &w) {
            Click(w, "rbtTaskType");
            EXPECT_EQ(PageNames(w), (QStringList{"ReminderTypeTab", "TaskWhenTab", "TaskActionsTab"}));
            Click(w, "btnNext");
            Click(w, "btnNext");
            if (c.run)
                Click(w, "chkRunProgram");
            if (c.shutdown)
                Click(w, "chkShutdown");
            Click(w, c.kind);
            Click(w, "btnFinish");
        });
        ASSERT_TRUE(t);
        EXPECT_EQ(t->Title.Get(), c.title);
        EXPECT_EQ(t->Taskkind, tkAutomatedTask);
        EXPECT_EQ(t->RunProgram, c.run);
        EXPECT_FALSE(t->PopupNote || t->PlaySound || t->SendEmail || t->PreWarning);
    }
    EXPECT_EQ(env.Ini.ReadInteger(QStringLiteral("TaskWizard"), QStringLiteral("AlarmType"), 9), 0);
    EXPECT_TRUE(env.Boxes.Texts.isEmpty());

    // No action: the warning, the actions page, and nothing made. Going back
    // to Type resets the start to now.
    std::optional<TTaskData> t = env.New([](TTaskForm &w) {
        Click(w, "rbtTaskType");
        Click(w, "btnNext");
        StartAt(w, At(2024, 6, 1, 7, 0));
        Click(w, "btnNext");
        Click(w, "btnFinish");
        EXPECT_NE(w.result(), QDialog::Accepted);
        EXPECT_EQ(Shown(w), QStringLiteral("TaskActionsTab"));
        w.GoToPage(&Control(w, "ReminderTypeTab"));
        EXPECT_EQ(Control<QDateEdit>(w, "dedStartDate").date(), QDate(2024, 5, 15));
        EXPECT_EQ(Control<QTimeEdit>(w, "sedStartTime").time(), QTime(10, 30));
        Click(w, "btnCancel");
    });
    EXPECT_FALSE(t);
    EXPECT_EQ(env.Boxes.Texts, QStringList{QStringLiteral("At least one action must be set.")});
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
        Control<QLineEdit>(r, "edtTo").setText(QStringLiteral("someone@else.example"));
        Click(r, "btnOK");
        return r.result();
    };
    env.Wizard = [](TTaskForm &w) {
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Alarm Properties - Water the plants"));
        EXPECT_EQ(Shown(w), QStringLiteral("GeneralTab"));
        EXPECT_FALSE(Control<QPushButton>(w, "btnBack").isEnabled());
        Click(w, "chkSendemail");
        Click(w, "btnMailRecipients");
        EXPECT_EQ(w.Task().EmailTo.Get(), QStringLiteral("someone@else.example"));
        Click(w, "btnCancel");
        return w.result();
    };
    EXPECT_EQ(env.Edit(task, false), 2);
    EXPECT_EQ(task.EmailTo.Get(), QStringLiteral("anna@example.org"));
    EXPECT_FALSE(task.InService);
    EXPECT_EQ(modified, 0);

    // Finishing re-enables and re-arms it and keeps its history.
    env.Wizard = [](TTaskForm &w) {
        Click(w, "btnNext");
        StartAt(w, At(2024, 5, 20, 18, 0));
        Click(w, "btnFinish");
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
        EXPECT_EQ(PageNames(w), QStringList{"WhenTab"});
        EXPECT_TRUE(Control(w, "btnBack").isHidden() && Control(w, "btnNext").isHidden());
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Change schedule - Water the plants"));
        Click(w, "btnCancel");
        return w.result();
    };
    EXPECT_EQ(env.Edit(task, true), 2);
    EXPECT_TRUE(task.InService);
    env.Wizard = [](TTaskForm &w) {
        Click(w, "rbtRelatedDateTime");
        Control<QSpinBox>(w, "sedPresetNTimes").setValue(90);
        Control<QComboBox>(w, "cbxPresetDate").setCurrentIndex(0);
        Click(w, "btnFinish");
        return w.result();
    };
    EXPECT_EQ(env.Edit(task, true), 1);
    EXPECT_NEAR(task.EventDateTime, At(2024, 5, 15, 12, 0), OneMillisecond);
    EXPECT_EQ(task.Title.Get(), QStringLiteral("Water the plants"));
    EXPECT_TRUE(task.PopupNote && task.PlaySound) << "an alarm without any action gets the note and the sound";
}

TEST(TaskForm, OneOpenWizardIsFoundAndNoneWithoutBoxes)
{
    WizardEnv env;
    TWindowRegistry windows;
    TTaskFormServices s = env.Services();
    s.Windows = &windows;
    auto *first = TTaskForm::NewReminder(s, nullptr);
    auto *second = TTaskForm::NewReminder(s, nullptr);
    EXPECT_EQ(TTaskForm::OpenWizard(windows), nullptr) << "made is not open";
    first->show();
    EXPECT_EQ(TTaskForm::OpenWizard(windows), first);
    second->show();
    EXPECT_EQ(TTaskForm::OpenWizard(windows), second) << "the newest first";
    delete second;
    EXPECT_EQ(TTaskForm::OpenWizard(windows), first);
    delete first;
    EXPECT_EQ(TTaskForm::OpenWizard(windows), nullptr);

    // Without boxes nothing is shown: an edit counts as cancelled and frees its record.
    env.Actions.Boxes = nullptr;
    auto task = std::make_shared<TTaskData>(Alarm(QStringLiteral("x"), At(2024, 5, 20, 9, 0)));
    int finished = 0;
    TTaskForm *edit = TTaskForm::EditReminder(s, task, false, nullptr);
    QObject::connect(edit, &TTaskForm::EditFinished, [&](bool changed) { finished = changed ? 1 : 2; });
    edit->Open();
    EXPECT_EQ(finished, 2);
    EXPECT_FALSE(task->InService);
    EXPECT_EQ(TTaskForm::OpenWizard(windows), nullptr);
}

TEST(TaskForm, SoundFieldButtons)
{
    WizardEnv env;
    QTemporaryDir elsewhere;
    const QString picked = elsewhere.filePath(QStringLiteral("chime.wav"));
    ASSERT_TRUE(TestSupport::WriteAll(picked, QByteArray("RIFF")));
    env.SoundFile = [&](QFileDialog &) { return picked; };
    TTaskForm w(env.Services(), TTaskForm::wmNew, nullptr);
    auto &field = Control<QLineEdit>(w, "fedSoundPathname");
    const QStringList &boxes = env.Boxes.Texts;

    field.setText(QStringLiteral("none.wav"));
    Click(w, "btnTestSound");
    Click(w, "btnDefaultSound"); // no reminder.wav in the Sounds folder either
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("Error 10: Sound file not found.")));
    EXPECT_TRUE(boxes[1].startsWith(QStringLiteral("Error 08: Default sound file not found.")));
    EXPECT_EQ(field.text(), QStringLiteral("none.wav"));

    // A picked sound is copied into the Sounds folder and named bare.
    Click(w, "btnBrowseSound");
    EXPECT_EQ(field.text(), QStringLiteral("chime.wav"));
    EXPECT_TRUE(QFileInfo::exists(env.Dir.filePath(QStringLiteral("chime.wav"))));
    // A copy that cannot be made keeps the full path, with Error 09; that path still plays.
    ASSERT_TRUE(TestSupport::WriteAll(env.Dir.filePath(QStringLiteral("file")), "x"));
    env.Actions.Sounds.user = env.Actions.Sounds.program = env.Dir.filePath(QStringLiteral("file/Sounds/"));
    Click(w, "btnBrowseSound");
    EXPECT_EQ(field.text(), picked);
    EXPECT_EQ(boxes.value(2), QStringLiteral("Error 09: Unable to copy file to \"Sounds\" folder: cannot create ")
                                  + env.Actions.Sounds.user + QStringLiteral(": ")
                                  + env.Dir.filePath(QStringLiteral("file")) + QStringLiteral(" is not a folder"));
    Click(w, "btnTestSound");
    EXPECT_EQ(env.Player.Played, QStringList{picked});
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
    QString next;
    QString askedIn;
    env.SoundFile = [&](QFileDialog &dialog) {
        askedIn = dialog.directory().absolutePath() + QLatin1Char('/');
        return next;
    };
    TTaskForm w(env.Services(), TTaskForm::wmNew, nullptr);
    auto &field = Control<QLineEdit>(w, "fedSoundPathname");

    // Before the user has sounds of their own the browser opens on the program's.
    next = shipped + QStringLiteral("/bell.wav");
    Click(w, "btnBrowseSound");
    EXPECT_EQ(askedIn, shipped + QLatin1Char('/'));
    EXPECT_EQ(field.text(), QStringLiteral("bell.wav"));
    EXPECT_FALSE(QFileInfo::exists(user)) << "one of the program's own sounds is not copied";

    // A sound from elsewhere goes to the user's folder, made for the owner only.
    next = elsewhere.filePath(QStringLiteral("chime.wav"));
    ASSERT_TRUE(TestSupport::WriteAll(next, "RIFF mine"));
    Click(w, "btnBrowseSound");
    EXPECT_EQ(field.text(), QStringLiteral("chime.wav"));
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
    next.clear(); // cancelled: the field keeps its sound
    Click(w, "btnBrowseSound");
    EXPECT_EQ(askedIn, user) << "then it opens on the user's";
    EXPECT_EQ(field.text(), QStringLiteral("chime.wav"));

    // "Test sound" and "Default": the user's copy first, then the program's.
    Click(w, "btnTestSound");
    field.setText(QStringLiteral("bell.wav"));
    Click(w, "btnTestSound");
    ASSERT_TRUE(TestSupport::WriteAll(user + QStringLiteral("bell.wav"), "RIFF my bell"));
    Click(w, "btnTestSound");
    Click(w, "btnDefaultSound");
    EXPECT_EQ(env.Player.Played, (QStringList{user + QStringLiteral("chime.wav"), shipped + QStringLiteral("/bell.wav"),
                                              user + QStringLiteral("bell.wav")}));
    EXPECT_EQ(field.text(), QStringLiteral("reminder.wav"));
    EXPECT_TRUE(env.Boxes.Texts.isEmpty()) << env.Boxes.Texts.join(QLatin1Char('|')).toStdString();
}

TEST(TaskForm, TabVisitsEveryControlOfTheWhenPageInOrder)
{
    WizardEnv env;
    TTaskForm *wizard = TTaskForm::NewReminder(env.Services(), nullptr);
    const std::unique_ptr<TTaskForm> owned(wizard);
    TTaskForm &w = *wizard;
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    Click(w, "btnNext");
    Click(w, "btnNext");
    ASSERT_EQ(Shown(w), QStringLiteral("WhenTab"));
    Click(w, "chkRepeatTask");
    Click(w, "chkPrewarning");
    QApplication::processEvents(); // the moved panels show

    // Each widget once, in the order Tab reaches it (a date field takes a Tab per
    // part; of a group of radio buttons only the chosen one is a stop).
    const auto tabFrom = [](QWidget *start, QWidget *stop) {
        QStringList seen;
        start->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < 60 && QApplication::focusWidget() != stop; ++i) {
            QWidget *at = QApplication::focusWidget();
            if (!at)
                break;
            if (seen.isEmpty() || seen.last() != at->objectName())
                seen << at->objectName();
            QTest::keyClick(at, Qt::Key_Tab);
        }
        seen << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QStringLiteral("none"));
        return seen;
    };
    const QStringList expected{"dedStartDate",         "sedStartTime",         "sedPresetNTimes",
                               "cbxPresetDate",        "chkRepeatTask",        "rbtEveryNTimes",
                               "sedEveryNTimes",       "cbxEveryNTimes",       "cbxEveryYearMonth",
                               "cbxEveryWeekday",      "chkExcludeMonday",     "chkExcludeTuesday",
                               "chkExcludeWednesday",  "chkExcludeThursday",   "chkExcludeFriday",
                               "chkExcludeSaturday",   "chkExcludeSunday",     "chkPrewarning",
                               "sedPrewarningNFactor", "cbxPrewarningPresets", "btnBack"};
    EXPECT_EQ(tabFrom(&Control(w, "dedStartDate"), &Control(w, "btnBack")), expected);

    // From "or in" the next stop is its count, chosen or not.
    auto &absolute = Control<QRadioButton>(w, "rbtAbsoluteDateTime");
    EXPECT_TRUE(absolute.isChecked());
    EXPECT_EQ(tabFrom(&Control(w, "rbtRelatedDateTime"), &Control(w, "sedPresetNTimes")).value(1),
              QStringLiteral("sedPresetNTimes"));
    EXPECT_TRUE(absolute.isChecked()) << "passing through chose nothing";
    Click(w, "btnCancel");
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
        Click(w, "btnNext");
        QLineEdit *title = &Control<QLineEdit>(w, "edtTaskTitle");
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
        auto &notes = Control<QPlainTextEdit>(w, "memTaskNotes");
        notes.clear();
        notes.insertPlainText(QString(249, 'a') + n + QString(300, 'b'));
        EXPECT_EQ(notes.toPlainText(), QString(249, 'a') + n + QString(248, 'b'));

        auto &sound = Control<QLineEdit>(w, "fedSoundPathname");
        sound.setText(QString());
        sound.insert(QString::fromUtf8("é").repeated(30));
        EXPECT_EQ(sound.text(), QString::fromUtf8("é").repeated(25));
        Click(w, "btnCancel");
    });

    TSendemailForm mail(&env.Ini, QFont());
    for (const char *name : {"edtTo", "edtCc", "edtBcc"}) {
        QLineEdit *line = &Control<QLineEdit>(mail, name);
        line->insert(QString::fromUtf8("ż").repeated(60));
        EXPECT_EQ(line->text(), QString::fromUtf8("ż").repeated(50));
    }
    TRunProgramForm run(&env.Boxes, &env.Ini, QStringLiteral("Brivane"));
    auto &program = Control<QLineEdit>(run, "fedProgramPathname");
    program.insert(QString::fromUtf8("ё").repeated(150));
    EXPECT_EQ(program.text(), QString::fromUtf8("ё").repeated(100));
    auto &parameters = Control<QLineEdit>(run, "edtProgramParameters");
    parameters.insert(QString::fromUtf8("日").repeated(40));
    EXPECT_EQ(parameters.text(), QString::fromUtf8("日").repeated(33));
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
        EXPECT_EQ(Control<QLineEdit>(w, "edtTaskTitle").text(), QString::fromUtf8("Café – Réunion"));
        Click(w, "btnNext");
        StartAt(w, At(2024, 5, 20, 18, 0));
        Click(w, "btnFinish");
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
