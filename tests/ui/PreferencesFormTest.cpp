// The preferences window driven through its controls: the OK chain and what
// each failure leaves behind, page memory, and the controls that act at once.
#include "ui/PreferencesFrm.h"

#include "core/vornIniFile.h"
#include "extras/InfoDlgFrm.h"
#include "scheduler/ActionContext.h"
#include "storage/GlobalPreferences.h"
#include "tests/fakes/ScriptedAnswers.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "model/TaskList.h"

namespace {

// A window over preferences of its own, with an ini file, a preferences
// file, an answerer for its boxes and a record of what it asked the program
// and the desktop to do.
struct PrefsEnv : IPreferencesDesktop {
    QTemporaryDir Dir;
    TTaskList List;
    TPreferences Preferences{QStringLiteral("Brivane"), QStringLiteral("Brivane")};
    TActionContext Actions;
    TScriptedAnswers Boxes;
    TvornIniFile Ini{Dir.filePath(QStringLiteral("Brivane.ini"))};
    QStringList Calls;
    bool LogOnEntry = false;
    bool LogOnWritable = true;
    TTestEmailResult MailResult;
    int Edition = 0;
    // The build's addresses; none by default.
    QString ContactAddress, WebPage;
    bool CanCheckForUpdates = false;

    PrefsEnv()
    {
        Actions.List = &List;
        Actions.Boxes = &Boxes;
        // The font dialog: an italic 13-point serif chosen.
        Boxes.DialogAnswer = [](QDialog &dialog) {
            auto *fonts = qobject_cast<QFontDialog *>(&dialog);
            if (!fonts)
                return int(QDialog::Rejected);
            QFont font(QStringLiteral("Serif"), 13);
            font.setItalic(true);
            fonts->setCurrentFont(font);
            fonts->accept();
            return fonts->result();
        };
        Actions.Preferences = &Preferences;
        Preferences.SetFilePath(Dir.filePath(QStringLiteral("Brivane.pfc")));
    }

    bool RegisterHotKey(int kind, QChar letter) override
    {
        Calls << QStringLiteral("register %1 %2").arg(kind).arg(letter);
        return letter != u'K'; // another program holds Ctrl+Shift+K
    }
    bool RunOnStartupExists() override { return LogOnEntry; }
    bool SetRunOnStartup(bool on) override
    {
        Calls << QStringLiteral("log-on %1").arg(int(on));
        return LogOnWritable;
    }

    std::unique_ptr<TPreferencesForm> Open()
    {
        TPreferencesSetup s;
        s.Actions = &Actions;
        s.Desktop = this;
        s.Ini = &Ini;
        s.Edition = Edition;
        s.ContactAddress = ContactAddress;
        s.WebPage = WebPage;
        s.CanCheckForUpdates = CanCheckForUpdates;
        auto form = std::make_unique<TPreferencesForm>(s);
        TPreferencesForm *f = form.get();
        QObject::connect(f, &TPreferencesForm::hotKeyRefused, f,
                         [this](QChar letter) { Calls << QStringLiteral("warn %1").arg(letter); });
        QObject::connect(f, &TPreferencesForm::sendTestEmailRequested, f, [this, f](const TTestEmailSettings &m) {
            Calls << QStringLiteral("mail %1 %2 %3 %4").arg(m.From, m.Server, m.UserID).arg(int(m.Authentication));
            f->TestEmailAnswered(m, MailResult);
        });
        QObject::connect(f, &TPreferencesForm::helpRequested, f, [this](const QString &key) { Calls << key; });
        QObject::connect(f, &TPreferencesForm::preferencesSaved, f, [this] { Calls << QStringLiteral("after OK"); });
        form->show();
        return form;
    }

    // What the preferences file holds now.
    std::unique_ptr<TPreferences> Saved() const
    {
        auto p = std::make_unique<TPreferences>(QStringLiteral("Brivane"), QStringLiteral("Brivane"));
        p->SetFilePath(Preferences.FilePath());
        p->LoadPreferences();
        return p;
    }
};

// The information dialogs now open, as "title: text"; they are closed.
QStringList TakeInfoDialogs()
{
    QStringList out;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *d = qobject_cast<TInfoDlgForm *>(w)) {
            out << d->findChild<QLabel *>("lblTitle")->text() + QStringLiteral(": ")
                       + d->findChild<QLabel *>("lblText")->text();
            delete d;
        }
    }
    return out;
}

// A control of the window by its name.
template <typename T>
T *Find(QWidget &form, const QString &name)
{
    T *found = form.findChild<T *>(name);
    if (!found) {
        ADD_FAILURE() << "no control named " << name.toStdString();
        found = new T(&form);
    }
    return found;
}
template <typename T>
T *Find(const std::unique_ptr<TPreferencesForm> &form, const QString &name)
{
    return Find<T>(*form, name);
}

// Follows a link the way a click on it does.
void Follow(const std::unique_ptr<TPreferencesForm> &form, const char *link)
{
    emit Find<QLabel>(form, QLatin1String(link))->linkActivated(QStringLiteral("#"));
}

void Ok(const std::unique_ptr<TPreferencesForm> &form)
{
    Find<QPushButton>(form, QStringLiteral("btnOK"))->click();
}

void Cancel(const std::unique_ptr<TPreferencesForm> &form)
{
    Find<QPushButton>(form, QStringLiteral("btnCancel"))->click();
}

} // namespace

TEST(PreferencesForm, OkChainStopsAtAFailedEmailPageAndKeepsWhatCameBefore)
{
    struct Case {
        const char *name;
        std::function<void(TPreferencesForm &)> email;
        QString message; // empty: no failure
    } cases[] = {
        {"required field empty",
         [](TPreferencesForm &f) {
             Find<QLineEdit>(f, QStringLiteral("edtFromaddress"))->setText(QStringLiteral("   "));
         },
         QStringLiteral("Fields marked with asterisk (*) are required ")},
        {"authentication without a password",
         [](TPreferencesForm &f) {
             Find<QCheckBox>(f, QStringLiteral("chkAuthentication"))->setChecked(true);
             Find<QLineEdit>(f, QStringLiteral("edtUserID"))->setText(QStringLiteral("ann"));
         },
         QStringLiteral("Username and Password are required when\n\"My server requires authentication\" is selected.")},
        {"port not a number",
         [](TPreferencesForm &f) { Find<QLineEdit>(f, QStringLiteral("edtPort"))->setText(QStringLiteral(" 58x7 ")); },
         QStringLiteral("Only numeric characters are allowed.\n* Port:58x7")},
        {"all valid", [](TPreferencesForm &) {}, QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PrefsEnv env;
        auto form = env.Open();
        form->ShowPage(TPreferencesForm::pgAbout);
        // General, e-mail, reflexes, popup note, Reminders window: one change each.
        Find<QComboBox>(form, QStringLiteral("cbHotKeys0"))->setCurrentIndex('M' - 'A');
        Find<QRadioButton>(form, QStringLiteral("rbReschedule"))->setChecked(true);
        Find<QLineEdit>(form, QStringLiteral("edtHost"))->setText(QStringLiteral("  mail.example.org "));
        Find<QLineEdit>(form, QStringLiteral("edtPort"))->setText(QStringLiteral("587"));
        Find<QLineEdit>(form, QStringLiteral("edtReplyaddress"))->setText(QStringLiteral("Ann \"The\" <Boss>"));
        Find<QSlider>(form, QStringLiteral("tbWaitTimes0"))->setValue(30);
        Find<QSpinBox>(form, QStringLiteral("seSnoozeN0"))->setValue(9);
        Find<QCheckBox>(form, QStringLiteral("chkShowSuspended"))->setChecked(false);
        Find<QSlider>(form, QStringLiteral("tbTooltipTime"))->setValue(2000);
        c.email(*form);

        const TScriptedAnswers &boxes = env.Boxes;
        Ok(form);
        const bool failed = !c.message.isEmpty();
        // Boxes receive their line breaks as "\n".
        EXPECT_EQ(boxes.Texts.join(u'|'), c.message);
        EXPECT_EQ(form->isVisible(), failed);
        EXPECT_EQ(form->CurrentPage(), failed ? int(TPreferencesForm::pgEmail) : int(TPreferencesForm::pgAbout));
        EXPECT_EQ(env.Calls, QStringList{QStringLiteral("after OK")}) << "saved and the list told, failed or not";

        // Saved whatever happened: the General page.
        const auto saved = env.Saved();
        EXPECT_EQ(saved->HotKey1(), 'M');
        EXPECT_EQ(saved->MissedTasksTreatment(), mtDontShowbutReschedule);
        // The e-mail page: nothing after the first two failures, all but the port after the third.
        const bool emailCopied = !failed || c.message.startsWith(QStringLiteral("Only numeric"));
        EXPECT_EQ(saved->Host(), emailCopied ? QStringLiteral("mail.example.org") : QStringLiteral("smtp.example.com"));
        EXPECT_EQ(saved->FromName(), emailCopied ? QStringLiteral("Ann The Boss") : QStringLiteral("Brivane User"));
        EXPECT_EQ(saved->Port(), failed ? QStringLiteral("25") : QStringLiteral("587"));
        EXPECT_EQ(env.Ini.ReadString(QStringLiteral("Preferences"), QStringLiteral("Port"), QStringLiteral("none")),
                  failed ? QStringLiteral("none") : QStringLiteral("587"));
        // The groups after the e-mail page only when it passed.
        EXPECT_EQ(saved->EmailActionWaittime(), failed ? 5 : 30);
        EXPECT_EQ(saved->Snooze1N(), failed ? 5 : 9);
        EXPECT_EQ(saved->ShowDisabledTasks(), failed);
        EXPECT_EQ(saved->TooltipDisplayTime() == 2000, !failed);

        if (c.message.startsWith(QStringLiteral("Only numeric"))) {
            // The port box is in sight, so the user can put it right and OK closes.
            Find<QLineEdit>(form, QStringLiteral("edtPort"))->setText(QStringLiteral("587"));
            Ok(form);
            EXPECT_FALSE(form->isVisible());
            EXPECT_EQ(env.Saved()->Port(), QStringLiteral("587"));
            continue;
        }
        // Cancel after a failure closes without copying more.
        Find<QSpinBox>(form, QStringLiteral("seSnoozeN0"))->setValue(11);
        Cancel(form);
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(env.Preferences.Snooze1N(), failed ? 5 : 9);
    }

    // The port box shows the ini file's port; without one the stored port
    // stands, so that OK does not put a port of another machine back to 25.
    PrefsEnv env;
    env.Preferences.SetPort(QStringLiteral("2525"));
    EXPECT_EQ(Find<QLineEdit>(env.Open(), QStringLiteral("edtPort"))->text(), QStringLiteral("2525"));
    env.Ini.WriteString(QStringLiteral("Preferences"), QStringLiteral("Port"), QStringLiteral("465"));
    EXPECT_EQ(Find<QLineEdit>(env.Open(), QStringLiteral("edtPort"))->text(), QStringLiteral("465"));
}

TEST(PreferencesForm, OpensOnTheRememberedPageAndHelpGoesByShownPosition)
{
    PrefsEnv env;
    // "About" of the Reminders window or the tray writes 6 first.
    env.Ini.WriteInteger(QStringLiteral("Preferences"), QStringLiteral("Tab"), 6);
    auto form = env.Open();
    EXPECT_TRUE(env.Actions.Windows.Preferences);
    EXPECT_EQ(form->CurrentPage(), TPreferencesForm::pgAbout);
    Follow(form, "lblHelp");
    form->ShowPage(TPreferencesForm::pgEditorial);
    Follow(form, "lblHelp"); // the Editorial page has no help page
    form->ShowPage(TPreferencesForm::pgPopupnote);
    Follow(form, "lblHelp");
    EXPECT_EQ(env.Calls, (QStringList{QStringLiteral("HELP_PREF_ABOUT"), QStringLiteral("HELP_PREF_POPUPNOTE")}));
    form->close(); // the close box
    EXPECT_FALSE(env.Actions.Windows.Preferences);
    EXPECT_EQ(env.Ini.ReadInteger(QStringLiteral("Preferences"), QStringLiteral("Tab"), -1), 2);
    form = env.Open();
    EXPECT_EQ(form->CurrentPage(), TPreferencesForm::pgPopupnote);
    Cancel(form);

    // The second edition has no Editorial page: About is the sixth page shown,
    // and a remembered Editorial page opens the first.
    env.Edition = 1;
    env.Calls.clear();
    form = env.Open();
    EXPECT_FALSE(form->PageShown(TPreferencesForm::pgEditorial));
    EXPECT_EQ(form->CurrentPage(), TPreferencesForm::pgPopupnote);
    form->ShowPage(TPreferencesForm::pgAbout);
    Follow(form, "lblHelp");
    EXPECT_EQ(env.Calls, QStringList{QStringLiteral("HELP_PREF_ABOUT")});
    Cancel(form);
    env.Ini.WriteInteger(QStringLiteral("Preferences"), QStringLiteral("Tab"), 5);
    form = env.Open();
    EXPECT_EQ(form->CurrentPage(), TPreferencesForm::pgGeneral);
}

TEST(PreferencesForm, TakenHotKeyWarnsAndOkStillStoresTheLetter)
{
    PrefsEnv env;
    auto form = env.Open();
    EXPECT_EQ(Find<QComboBox>(form, QStringLiteral("cbHotKeys0"))->currentText(), QStringLiteral("T"));
    EXPECT_EQ(Find<QComboBox>(form, QStringLiteral("cbHotKeys1"))->currentText(), QStringLiteral("L"));
    // Typed on the closed list, as the keyboard picks a letter.
    const auto choose = [&](int list, char letter) {
        QTest::keyClick(Find<QComboBox>(form, QStringLiteral("cbHotKeys%1").arg(list)), letter);
    };
    choose(0, 'k');
    choose(1, 'r');
    EXPECT_EQ(env.Calls, (QStringList{QStringLiteral("register 10 K"), QStringLiteral("warn K"),
                                      QStringLiteral("register 11 R")}));
    EXPECT_EQ(Find<QComboBox>(form, QStringLiteral("cbHotKeys0"))->currentText(), QStringLiteral("K"));
    EXPECT_EQ(env.Preferences.HotKey1(), 'T') << "the property waits for OK";
    Ok(form);
    EXPECT_EQ(env.Saved()->HotKey1(), 'K');
    EXPECT_EQ(env.Saved()->HotKey2(), 'R');
}

TEST(PreferencesForm, CancelBindsTheStoredHotKeysAgain)
{
    PrefsEnv env;
    auto form = env.Open();
    QTest::keyClick(Find<QComboBox>(form, QStringLiteral("cbHotKeys1")), 'r');
    Cancel(form);
    // Only the key that was tried is bound back, to the letter still stored.
    EXPECT_EQ(env.Calls, (QStringList{QStringLiteral("register 11 R"), QStringLiteral("register 11 L")}));
    EXPECT_EQ(env.Preferences.HotKey2(), 'L');

    env.Calls.clear();
    form = env.Open();
    Cancel(form);
    EXPECT_TRUE(env.Calls.isEmpty()) << "nothing was tried, nothing is bound";
}

TEST(PreferencesForm, ControlsThatActAtOnceOutliveCancel)
{
    PrefsEnv env;
    env.LogOnEntry = false; // the stored preference says true: the entry decides
    env.LogOnWritable = false;
    auto form = env.Open();
    EXPECT_FALSE(Find<QCheckBox>(form, QStringLiteral("chkRunOnStartup"))->isChecked());

    // Run at log-on: the entry cannot be written; box and property keep the click.
    Find<QCheckBox>(form, QStringLiteral("chkRunOnStartup"))->click();
    EXPECT_TRUE(Find<QCheckBox>(form, QStringLiteral("chkRunOnStartup"))->isChecked());
    EXPECT_TRUE(env.Preferences.RunOnStartup());
    EXPECT_EQ(TakeInfoDialogs(),
              QStringList{QStringLiteral("Error 13: Cannot Enable or Disable the \"Automatically run when I log in\" "
                                         "option.\nPlease make sure that Brivane is allowed to read and write the "
                                         "desktop's autostart entry.")});
    env.LogOnWritable = true;
    Find<QCheckBox>(form, QStringLiteral("chkRunOnStartup"))->click();
    EXPECT_FALSE(env.Preferences.RunOnStartup());
    EXPECT_TRUE(TakeInfoDialogs().isEmpty());

    // The test e-mail goes with the unsaved boxes, trimmed, and reports either way.
    Find<QLineEdit>(form, QStringLiteral("edtHost"))->setText(QStringLiteral(" mail.example.org "));
    Find<QLineEdit>(form, QStringLiteral("edtPort"))->setText(QStringLiteral("2525 "));
    Find<QLineEdit>(form, QStringLiteral("edtFromaddress"))->setText(QStringLiteral("ann@example.org"));
    env.MailResult = {true, {}};
    Find<QPushButton>(form, QStringLiteral("btnTestEmail"))->click();
    env.MailResult = {false, QStringLiteral("connection refused")};
    Find<QPushButton>(form, QStringLiteral("btnTestEmail"))->click();
    const QStringList dialogs = TakeInfoDialogs();
    ASSERT_EQ(dialogs.size(), 2);
    EXPECT_TRUE(dialogs.contains(
        QStringLiteral("Success!: A test e-mail was successfully sent. You should expect it at ann@example.org")));
    EXPECT_TRUE(
        dialogs.contains(QStringLiteral("Error 11: A test e-mail could not be sent to ann@example.org\n"
                                        "Reason: connection refused\n\nThis "
                                        "may be caused by one of the following reasons:\n   1.Mistyped or "
                                        "invalid SMTP settings\n   2.Message blocked by a Firewall (software or "
                                        "hardware)\n   3.Your SMTP Server is not responding\n   4.You are not "
                                        "connected to the Internet")));

    // The font: in force at once, drawn in the sample, kept after Cancel.
    Follow(form, "lblChangeFont");
    EXPECT_EQ(Find<QLabel>(form, QStringLiteral("lblFontSample"))->text(), QStringLiteral("13. Serif"));
    Cancel(form);
    EXPECT_EQ(env.Preferences.FontName(), QStringLiteral("Serif"));
    EXPECT_EQ(env.Preferences.FontSize(), 13);
    EXPECT_EQ(env.Preferences.FontStyle(), FontStyleBit(fsItalic));
    EXPECT_EQ(env.Calls, (QStringList{QStringLiteral("log-on 1"), QStringLiteral("log-on 0"),
                                      QStringLiteral("mail ann@example.org mail.example.org:2525  0"),
                                      QStringLiteral("mail ann@example.org mail.example.org:2525  0")}));
}

TEST(PreferencesForm, AboutLinksOnlyWhereTheBuildGaveAnAddress)
{
    PrefsEnv env;
    auto form = env.Open();
    Find<QTabWidget>(form, QStringLiteral("PageControl"))
        ->setCurrentIndex(Find<QTabWidget>(form, QStringLiteral("PageControl"))->count() - 1);
    EXPECT_FALSE(Find<QLabel>(form, QStringLiteral("lblCheckUpdates"))->isVisible());
    EXPECT_FALSE(Find<QLabel>(form, QStringLiteral("lblContact"))->isVisible());
    EXPECT_FALSE(Find<QLabel>(form, QStringLiteral("lblWebSite"))->isVisible());
    form.reset();

    env.ContactAddress = QStringLiteral("Brivane reminder <hello@example.org>");
    env.WebPage = QStringLiteral("https://example.org/?from_exe");
    env.CanCheckForUpdates = true;
    form = env.Open();
    Find<QTabWidget>(form, QStringLiteral("PageControl"))
        ->setCurrentIndex(Find<QTabWidget>(form, QStringLiteral("PageControl"))->count() - 1);
    EXPECT_TRUE(Find<QLabel>(form, QStringLiteral("lblCheckUpdates"))->isVisible());
    EXPECT_TRUE(Find<QLabel>(form, QStringLiteral("lblContact"))->isVisible());
    EXPECT_TRUE(Find<QLabel>(form, QStringLiteral("lblWebSite"))->isVisible());
}

TEST(PreferencesForm, SaysWhatALinuxDesktopDoes)
{
    PrefsEnv env;
    auto form = env.Open();
    EXPECT_EQ(Find<QCheckBox>(form, QStringLiteral("chkRecycleBin"))->text(),
              QStringLiteral("Move deleted Reminders to the Trash"));
    EXPECT_EQ(Find<QCheckBox>(form, QStringLiteral("chkRunOnStartup"))->text(),
              QStringLiteral("Automatically run when I log in (recommended)"));
    QStringList labels;
    for (const QLabel *label : form->findChildren<QLabel *>())
        labels << label->text();
    const QString all = labels.join(QLatin1Char('\n'));
    EXPECT_TRUE(all.contains(QStringLiteral("Customize toolbar's appearance")));
    EXPECT_TRUE(all.contains(QStringLiteral("to be thankful for our health")));
    EXPECT_FALSE(all.contains(QStringLiteral("Windows")));
}

TEST(PreferencesForm, TypedMailTextsStopAtTheirCapacityInBytes)
{
    PrefsEnv env;
    auto form = env.Open();
    // The from name holds 50 bytes: 25 two-byte letters, then nothing more.
    Find<QLineEdit>(form, QStringLiteral("edtReplyaddress"))->clear();
    Find<QLineEdit>(form, QStringLiteral("edtReplyaddress"))
        ->insert(QString::fromUtf8("Łucja Żak ") + QString::fromUtf8("ż").repeated(30));
    EXPECT_EQ(Find<QLineEdit>(form, QStringLiteral("edtReplyaddress"))->text(),
              QString::fromUtf8("Łucja Żak ") + QString::fromUtf8("ż").repeated(19));
    // The signature: 200 characters, and at most 250 bytes of them.
    Find<QPlainTextEdit>(form, QStringLiteral("memSignature"))->clear();
    Find<QPlainTextEdit>(form, QStringLiteral("memSignature"))->insertPlainText(QString::fromUtf8("日").repeated(100));
    EXPECT_EQ(Find<QPlainTextEdit>(form, QStringLiteral("memSignature"))->toPlainText(),
              QString::fromUtf8("日").repeated(83));
    Find<QPlainTextEdit>(form, QStringLiteral("memSignature"))->clear();
    Find<QPlainTextEdit>(form, QStringLiteral("memSignature"))->insertPlainText(QString(300, 'a'));
    EXPECT_EQ(Find<QPlainTextEdit>(form, QStringLiteral("memSignature"))->toPlainText(), QString(200, 'a'));
}
