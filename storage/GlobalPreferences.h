#pragma once
// The user's preferences: one program-wide object read directly by every part
// that needs a preference, and the binary preferences file it lives in. The file
// is the original desktop program's object-stream format, byte for byte, so a
// file can move between the two programs in either direction.
//
// The program's context makes the one object at start-up, loads it and saves it
// at the end; the parts that read preferences are given it.

#include "core/DateTime.h"

#include "model/Recurrence.h"

class TvornIniFile;

#include <QByteArray>
#include <QHash>
#include "core/TextLook.h"

#include <QPair>
#include <QString>
#include <QStringList>
#include <cstdint>

enum TMissedTasksTreatment : uint8_t { mtShowAll, mtDontShowbutReschedule };

// Standard names for colours and character sets as the file writes them; empty
// / -1 when there is none.
QString ColorToIdent(TColor color);
bool IdentToColor(const QString &ident, TColor &color);
QString CharsetToIdent(int charset);
bool IdentToCharset(const QString &ident, int &charset);

class TPreferences {
public:
    // The names shape the defaults (sender name, store folder); empty: "Brivane".
    explicit TPreferences(const QString &programName = QString(), const QString &productName = QString());

    // Capacities of the texts in UTF-8 bytes; FontName has none.
    static constexpr int kTextCapacity = 50;
    static constexpr int kEmailSignatureCapacity = 250;
    static constexpr int kTaskStoreFolderCapacity = 250;

    // Where LoadPreferences / SavePreferences read and write (the environment's
    // config folder + the edition's preferences file name); empty until set.
    const QString &FilePath() const { return FFilePath; }
    void SetFilePath(const QString &path) { FFilePath = path; }

    // Reads the file (a missing one is written from the defaults), copies
    // TaskStoreFolder to the ini key [Preferences] DB and logs. False when the
    // file was damaged or could not be read or created; the object then holds
    // what was read before the fault and defaults for the rest. A file that
    // reading stopped on is first copied to FilePath() + ".bad", once for the
    // object's life, since the next save replaces it. Unknown properties that
    // could be skipped are logged as warnings and do not count as damage.
    bool LoadPreferences(TvornIniFile *ini = nullptr);
    // Writes the whole file in one step (readable by its owner only: it holds
    // the SMTP password in clear). False when it could not be written.
    bool SavePreferences();

    // The file image and its reading, without touching the disk or the log.
    QByteArray ToFileBytes() const;
    // Sets properties in file order until the end or the first fault; error
    // receives the fault's text. A property this version does not know is
    // stepped over when its value type tells its length (an unknown type is a
    // fault); skipped receives its name.
    bool ReadFileBytes(const QByteArray &bytes, QString *error = nullptr, QStringList *skipped = nullptr);

    static QString SnoozeUnitText(TSnoozeType type);
    // " ampm" when times are shown on a 12-hour base, else empty.
    QString TimeFormatSuffix() const;
    // StartofWeek for date pickers counting from Sunday = 0.
    int CalendarStartOfWeek() const;

    // The shared look of the reminders' texts, following FontStyle/Name/Size/Color.
    TTextLook TextLook() const { return {FFontStyle, FFontName, FFontSize, FFontColor}; }

    // Inherited from the framework's component: stored only when non-zero.
    int32_t Tag() const { return FTag; }
    void SetTag(int32_t v) { FTag = v; }

    TMissedTasksTreatment MissedTasksTreatment() const { return FMissedTasksTreatment; }
    void SetMissedTasksTreatment(TMissedTasksTreatment v);
    QString Host() const { return FHost; }
    void SetHost(const QString &v);
    QString Port() const { return FPort; }
    void SetPort(const QString &v);
    QString UserID() const { return FUserID; }
    void SetUserID(const QString &v);
    QString Password() const { return FPassword; }
    void SetPassword(const QString &v);
    QString Fromaddress() const { return FFromaddress; }
    void SetFromaddress(const QString &v);
    QString FromName() const { return FFromName; }
    void SetFromName(const QString &v);
    QString EmailSignature() const { return FEmailSignature; }
    void SetEmailSignature(const QString &v);
    bool SMTPRequiresAuthentication() const { return FSMTPRequiresAuthentication; }
    void SetSMTPRequiresAuthentication(bool v) { FSMTPRequiresAuthentication = v; }
    int32_t TooltipDisplayTime() const { return FTooltipDisplayTime; }
    void SetTooltipDisplayTime(int32_t v) { FTooltipDisplayTime = v; }
    uint8_t EmailActionWaittime() const { return FEmailActionWaittime; }
    void SetEmailActionWaittime(uint8_t v) { FEmailActionWaittime = v; }
    uint8_t RunprogramWaittime() const { return FRunprogramWaittime; }
    void SetRunprogramWaittime(uint8_t v) { FRunprogramWaittime = v; }
    uint8_t ShutdownWaittime() const { return FShutdownWaittime; }
    void SetShutdownWaittime(uint8_t v) { FShutdownWaittime = v; }
    bool ShowOnlyRunOnceMissedTasks() const { return FShowOnlyRunOnceMissedTasks; }
    void SetShowOnlyRunOnceMissedTasks(bool v) { FShowOnlyRunOnceMissedTasks = v; }
    bool EnableToolbar() const { return FEnableToolbar; }
    void SetEnableToolbar(bool v) { FEnableToolbar = v; }
    bool ShowToolbuttonsText() const { return FShowToolbuttonsText; }
    void SetShowToolbuttonsText(bool v) { FShowToolbuttonsText = v; }
    bool UseSmallToolbarIcons() const { return FUseSmallToolbarIcons; }
    void SetUseSmallToolbarIcons(bool v) { FUseSmallToolbarIcons = v; }
    bool CopyNotesToemailBody() const { return FCopyNotesToemailBody; }
    void SetCopyNotesToemailBody(bool v) { FCopyNotesToemailBody = v; }
    int32_t Snooze1N() const { return FSnoozeN[0]; }
    void SetSnooze1N(int32_t v) { FSnoozeN[0] = v; }
    TSnoozeType Snooze1Type() const { return FSnoozeType[0]; }
    void SetSnooze1Type(TSnoozeType v) { SetSnoozeType(1, v); }
    int32_t Snooze2N() const { return FSnoozeN[1]; }
    void SetSnooze2N(int32_t v) { FSnoozeN[1] = v; }
    TSnoozeType Snooze2Type() const { return FSnoozeType[1]; }
    void SetSnooze2Type(TSnoozeType v) { SetSnoozeType(2, v); }
    int32_t Snooze3N() const { return FSnoozeN[2]; }
    void SetSnooze3N(int32_t v) { FSnoozeN[2] = v; }
    TSnoozeType Snooze3Type() const { return FSnoozeType[2]; }
    void SetSnooze3Type(TSnoozeType v) { SetSnoozeType(3, v); }
    int32_t Snooze4N() const { return FSnoozeN[3]; }
    void SetSnooze4N(int32_t v) { FSnoozeN[3] = v; }
    TSnoozeType Snooze4Type() const { return FSnoozeType[3]; }
    void SetSnooze4Type(TSnoozeType v) { SetSnoozeType(4, v); }
    // The presets by number 1..4 (other numbers: preset 1).
    int32_t SnoozeN(int preset) const { return FSnoozeN[PresetIndex(preset)]; }
    void SetSnoozeN(int preset, int32_t v) { FSnoozeN[PresetIndex(preset)] = v; }
    TSnoozeType SnoozeType(int preset) const { return FSnoozeType[PresetIndex(preset)]; }
    void SetSnoozeType(int preset, TSnoozeType v);
    bool EditableNotes() const { return FEditableNotes; }
    void SetEditableNotes(bool v) { FEditableNotes = v; }
    bool MoveDelTasksToRecycleBin() const { return FMoveDelTasksToRecycleBin; }
    void SetMoveDelTasksToRecycleBin(bool v) { FMoveDelTasksToRecycleBin = v; }
    bool ShowFullMoons() const { return FShowFullMoons; }
    void SetShowFullMoons(bool v) { FShowFullMoons = v; }
    bool NeverShowSplash() const { return FNeverShowSplash; }
    void SetNeverShowSplash(bool v) { FNeverShowSplash = v; }
    TFontStyles FontStyle() const { return FFontStyle; }
    void SetFontStyle(TFontStyles v);
    QString FontName() const { return FFontName; }
    void SetFontName(const QString &v);
    int32_t FontSize() const { return FFontSize; }
    void SetFontSize(int32_t v);
    uint8_t FontCharset() const { return FFontCharset; }
    void SetFontCharset(uint8_t v);
    TColor FontColor() const { return FFontColor; }
    void SetFontColor(TColor v);
    TDateTime LastRun() const { return FLastRun; }
    void SetLastRun(TDateTime v) { FLastRun = v; }
    bool RunOnStartup() const { return FRunOnStartup; }
    void SetRunOnStartup(bool v) { FRunOnStartup = v; }
    bool ShowDisabledTasks() const { return FShowDisabledTasks; }
    void SetShowDisabledTasks(bool v) { FShowDisabledTasks = v; }
    QString TaskStoreFolder() const { return FTaskStoreFolder; }
    void SetTaskStoreFolder(const QString &v);
    bool TimeBase24hour() const { return FTimeBase24hour; }
    void SetTimeBase24hour(bool v) { FTimeBase24hour = v; }
    int32_t HotKey1() const { return FHotKey1; }
    void SetHotKey1(int32_t v) { FHotKey1 = v; }
    int32_t HotKey2() const { return FHotKey2; }
    void SetHotKey2(int32_t v) { FHotKey2 = v; }
    int32_t StartofWeek() const { return FStartofWeek; }
    void SetStartofWeek(int32_t v) { FStartofWeek = v; }

private:
    static int PresetIndex(int preset) { return preset >= 1 && preset <= 4 ? preset - 1 : 0; }
    void KeepBadCopy(const QByteArray &bytes);

    QString FFilePath;
    bool FBadCopyKept = false;
    bool FReading = false; // while ReadFileBytes runs
    QString FitText(const QString &v, int capacity) const;
    // Texts as read from the file (name -> the text and its value bytes).
    QHash<QByteArray, QPair<QString, QByteArray>> FStoredTexts;
    void KeepStoredText(const QByteArray &name, const QString &current, const QByteArray &raw);

    int32_t FTag = 0;
    TMissedTasksTreatment FMissedTasksTreatment = mtShowAll;
    QString FHost;
    QString FPort;
    QString FUserID;
    QString FPassword;
    QString FFromaddress;
    QString FFromName;
    QString FEmailSignature;
    bool FSMTPRequiresAuthentication = false;
    int32_t FTooltipDisplayTime = 4000;
    uint8_t FEmailActionWaittime = 5;
    uint8_t FRunprogramWaittime = 20;
    uint8_t FShutdownWaittime = 50;
    bool FShowOnlyRunOnceMissedTasks = true;
    bool FEnableToolbar = true;
    bool FShowToolbuttonsText = true;
    bool FUseSmallToolbarIcons = false;
    bool FCopyNotesToemailBody = true;
    int32_t FSnoozeN[4] = {5, 1, 1, 1};
    TSnoozeType FSnoozeType[4] = {stMinutes, stHours, stDays, stWeeks};
    bool FEditableNotes = false;
    bool FMoveDelTasksToRecycleBin = true;
    bool FShowFullMoons = true;
    bool FNeverShowSplash = false;
    TFontStyles FFontStyle = 0;
    QString FFontName;
    int32_t FFontSize = 0;
    uint8_t FFontCharset = 0;
    TColor FFontColor = clBlack;
    TDateTime FLastRun = 0;
    bool FRunOnStartup = true;
    bool FShowDisabledTasks = true;
    QString FTaskStoreFolder;
    bool FTimeBase24hour = false;
    int32_t FHotKey1 = 'T';
    int32_t FHotKey2 = 'L';
    int32_t FStartofWeek = 7;
};
