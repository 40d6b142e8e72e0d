#pragma once
// The preferences window: seven pages over the one preferences object. OK
// copies the pages back group by group, validating the e-mail settings on the
// way, and saves; a few controls act at once (the font, the hot keys, starting
// at log-on, the test e-mail, the links). At most one exists; it is shown
// modally and freed when it closes.

#include "core/DateTime.h"

#include <QDialog>
#include <array>
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

// What the window changes on the desktop at once, before OK, and asks about
// while it opens.
class IPreferencesDesktop {
public:
    virtual ~IPreferencesDesktop() = default;
    // Binds Ctrl+Shift+letter system-wide for kind 10 (add a reminder) or 11
    // (the Reminders window); false when the desktop refused it.
    virtual bool RegisterHotKey(int kind, QChar letter) = 0;
    // The log-on entry: whether it exists, and writing or removing it.
    virtual bool RunOnStartupExists() = 0;
    virtual bool SetRunOnStartup(bool enable) = 0;
};

// What the window works with. The picture lists are loaded by the caller;
// message boxes and dialogs go through Actions->Boxes.
struct TPreferencesSetup {
    TActionContext *Actions = nullptr; // the preferences, the list, the boxes, the open-window flags
    IPreferencesDesktop *Desktop = nullptr; // none: the keys stay as they are, the entry follows the preference
    TvornIniFile *Ini = nullptr;
    QString ProgramName = QStringLiteral("Brivane");
    QString Version;
    TDateTime BuildDate = 0;
    int Edition = 0; // the Editorial page shows in edition 0 only
    QString AboutCredit;
    QString ContactAddress; // the contact link's address
    QString WebPage; // the web-site link's address
    bool CanCheckForUpdates = false;
    const TImageList *PreferencesImages = nullptr;
    const TImageList *LargeImages = nullptr;
};

class TPreferencesForm : public QDialog {
    Q_OBJECT
public:
    enum TPage { pgGeneral, pgRemindersWindow, pgPopupnote, pgEmail, pgReflexes, pgEditorial, pgAbout, PageCount };
    static constexpr int kAddTaskHotKey = 10;
    static constexpr int kTaskListHotKey = 11;

    explicit TPreferencesForm(TPreferencesSetup setup, QWidget *owner = nullptr);
    ~TPreferencesForm() override;

    // Turns to a page (its index, whether or not a page before it is hidden).
    void ShowPage(int page);
    int CurrentPage() const;
    bool PageShown(int page) const;

public slots:
    // The answer to sendTestEmailRequested, with the settings it was sent with.
    void TestEmailAnswered(const TTestEmailSettings &settings, const TTestEmailResult &result);

signals:
    // OK saved the preferences (whether or not the window closes).
    void preferencesSaved();
    void hotKeyRefused(QChar letter);
    // Sends the test e-mail without holding up any window; the answer comes back through TestEmailAnswered.
    void sendTestEmailRequested(const TTestEmailSettings &settings);
    void helpRequested(const QString &key);
    void composeEmailRequested(const QString &address, const QString &subject, const QString &body);
    void openAddressRequested(const QString &address);
    void checkForUpdatesRequested();

protected:
    void done(int result) override;

private:
    // The buttons and links.
    void OkClick();
    void CancelClick();
    void HelpClick();
    void FontClick();
    void FontChosen(const QFont &font);
    void SendTestEmailClick();
    void SmtpHelpClick();
    void CheckForUpdatesClick();
    void ContactClick();
    void WebSiteClick();
    // A hot-key list closed on a letter; index 0 the add-reminder key, 1 the Reminders window's.
    void HotKeyChosen(int list);
    // "Automatically run when I log on" clicked into its new state.
    void RunOnStartupClick();
    // Gives every control its field's name, for the tests and accessibility tools that find them.
    void NameControls();
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

    TPreferencesSetup S;

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
    QLabel *lblSmtpInfo, *lblSmtpHelp;
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
    std::unique_ptr<TFormPlacement> FPlacement;
    QString FStoreFolder; // carried unchanged through OK
    bool FClosed = false;
    std::array<bool, 2> FHotKeyRebound{}; // a key was bound at once and OK has not stored it
};
