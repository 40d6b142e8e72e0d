#pragma once
// The preferences window: seven pages over the one preferences object. OK
// copies the pages back group by group, validating the e-mail settings on the
// way, and saves; a few controls act at once (the font, the hot keys, starting
// at log-on, the test e-mail, the links). At most one exists; it is shown
// modally and freed when it closes.

#include "core/DateTime.h"

#include <QDialog>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class TFormPlacement;
class TImageList;
class TPreferences;
class TvornIniFile;
struct TActionContext;

// What the test e-mail is sent with: the boxes' unsaved contents.
struct TTestEmailSettings {
    QString From;
    QString Server; // host ":" port
    bool Authentication = false;
    QString Password;
    QString UserID;
};

struct TTestEmailResult {
    bool Sent = false;
    QString Error; // why it was not sent, for the log
};

// What the window works with and the program's services it calls. Empty
// functions leave their controls without effect (tests fill what they drive).
struct TPreferencesServices {
    TActionContext *Actions = nullptr; // the preferences, the list, the open-window flags
    TvornIniFile *Ini = nullptr;
    QString ProgramName = QStringLiteral("Brivane");
    QString Version;
    TDateTime BuildDate = 0;
    int Edition = 0; // the Editorial page shows in edition 0 only
    QString AboutCredit;
    QString ContactAddress; // the contact link's address
    QString WebPage; // the web-site link's address

    // The shared picture lists; LoadImages fills them when still empty.
    const TImageList *PreferencesImages = nullptr;
    const TImageList *LargeImages = nullptr;
    std::function<void()> LoadImages;

    // Binds Ctrl+Shift+letter system-wide for kind 10 (add a reminder) or 11
    // (the Reminders window); false when the desktop refused it.
    std::function<bool(int kind, QChar letter)> RegisterHotKey;
    std::function<void(QChar letter)> WarnShortcutInUse;
    // The log-on entry: whether it exists, and writing or removing it.
    std::function<bool()> RunOnStartupExists;
    std::function<bool(bool enable)> SetRunOnStartup;
    // Sends the test e-mail without holding up any window; done receives the
    // result later (at once in tests).
    std::function<void(const TTestEmailSettings &settings, QWidget *owner,
                       std::function<void(const TTestEmailResult &result)> done)>
        SendTestEmail;
    std::function<void(const QString &key)> OpenHelpPage;
    std::function<void(const QString &address, const QString &subject, const QString &body)> ComposeEmail;
    std::function<void(const QString &address)> OpenAddress;
    std::function<void()> CheckForUpdates;
    // After OK saved: brings an open Reminders window up to date.
    std::function<void()> AfterOk;
    // The font dialog: true with the chosen font. Replaced in tests.
    std::function<bool(QFont &font, QWidget *owner)> ChooseFont;
};

class TPreferencesForm : public QDialog {
    Q_OBJECT
public:
    enum TPage { pgGeneral, pgRemindersWindow, pgPopupnote, pgEmail, pgReflexes, pgEditorial, pgAbout, PageCount };
    static constexpr int kAddTaskHotKey = 10;
    static constexpr int kTaskListHotKey = 11;

    explicit TPreferencesForm(TPreferencesServices services, QWidget *owner = nullptr);
    ~TPreferencesForm() override;

    // Opens the window modal to owner only (none: to no window) and frees it
    // when it closes; returns it while it is open.
    static TPreferencesForm *ShowPreferences(TPreferencesServices services, QWidget *owner = nullptr);
    // The open window, if any.
    static TPreferencesForm *Instance();

    // Turns to a page (its index, whether or not a page before it is hidden).
    void ShowPage(int page);
    int CurrentPage() const;
    bool PageShown(int page) const;

    // The buttons and links.
    void OkClick();
    void CancelClick();
    void HelpClick();
    void FontClick();
    void FontChosen(const QFont &font);
    void SendTestEmailClick();
    void TestEmailAnswered(const TTestEmailSettings &settings, const TTestEmailResult &result);
    void SmtpHelpClick();
    void CheckForUpdatesClick();
    void ContactClick();
    void WebSiteClick();
    // A hot-key list closed on a letter; index 0 the add-reminder key, 1 the Reminders window's.
    void HotKeyChosen(int list);
    // "Automatically run when I log on" clicked into its new state.
    void RunOnStartupClick();

    QTabWidget *PageControl;
    // General
    QRadioButton *rbShowAll, *rbReschedule;
    QCheckBox *chkShowOnlyRunOnce;
    std::array<QComboBox *, 2> cbHotKeys{};
    QComboBox *cbStartOfWeek;
    QCheckBox *chkRecycleBin, *chkNeverShowSplash, *chkRunOnStartup, *chkTimeBase24, *chkFullMoons;
    // Reminders window
    QCheckBox *chkEnableToolbar, *chkShowButtonTexts, *chkSmallIcons, *chkShowSuspended;
    QSlider *tbTooltipTime;
    QLabel *lblFontSample, *lblChangeFont;
    // Popupnote Action
    std::array<QSpinBox *, 4> seSnoozeN{};
    std::array<QComboBox *, 4> cbSnoozeUnit{};
    QCheckBox *chkEditableNotes;
    // E-mail Action
    QLabel *lblSmtpInfo;
    QLineEdit *edtHost, *edtPort, *edtUserID, *edtPassword, *edtFromaddress, *edtReplyaddress;
    QLabel *lblUserID, *lblPassword;
    QCheckBox *chkAuthentication;
    QPushButton *btnTestEmail;
    QPlainTextEdit *memSignature;
    // Action Reflexes: e-mail, run program, shutdown
    std::array<QSlider *, 3> tbWaitTimes{};
    std::array<QLabel *, 3> lblWaitTimes{};
    // About
    QLabel *lblProgram, *lblVersion, *lblCheckUpdates, *lblContact, *lblWebSite;
    QLabel *lblHelp;
    QPushButton *btnOK, *btnCancel;

protected:
    void done(int result) override;

private:
    QWidget *BuildGeneral();
    QWidget *BuildRemindersWindow();
    QWidget *BuildPopupnote();
    QWidget *BuildEmail();
    QWidget *BuildReflexes();
    QWidget *BuildEditorial();
    QWidget *BuildAbout();
    QGroupBox *Group(const QString &caption, int picture, QWidget *parent, bool large = false);
    QLabel *Link(const QString &caption, void (TPreferencesForm::*click)());
    void LoadControls();
    void OpenRememberedPage();
    void FocusFirstControl();
    void UpdateTimeBaseCaption();
    void UpdateFontSample();
    void UpdateAuthenticationBoxes();
    void ToolbarBoxClicked(QCheckBox *clicked);

    // The OK chain's groups; ApplyEmail is false when its page failed.
    void ApplyGeneral();
    bool ApplyEmail();
    void ApplyReflexes();
    void ApplyPopupnote();
    void ApplyRemindersWindow();
    void EmailError(const QString &text);

    TPreferences &Prefs() const;

    TPreferencesServices S;
    std::unique_ptr<TFormPlacement> FPlacement;
    QString FStoreFolder; // carried unchanged through OK
    bool FClosed = false;
    std::array<bool, 2> FHotKeyRebound{}; // a key was bound at once and OK has not stored it
    static QPointer<TPreferencesForm> FInstance;
};
