#pragma once
// The update check: fetches the published version file, compares it with the
// running program and offers the download page when there is something newer.
// The request runs on a worker thread; the window shows "Checking..." until
// the answer is back. Each check has a window of its own that only its
// buttons close.

#include "core/DateTime.h"
#include "platform/Network.h"
#include "scheduler/ActionFrm.h"

#include <QFutureWatcher>
#include <memory>

class QPushButton;

struct TUpdateCheckSettings {
    QString VersionCheckFile; // web address of the version file
    QString DownloadUpdate; // web address of the download page
    QString TempFolder; // where the version file is read from, with trailing "/"
    QString Version; // the running program's
    TDateTime BuildDate = 0;
    // Shared with the worker, which may outlive the window.
    std::shared_ptr<IHttpClient> Http;
};

enum class TUpdateOutcome {
    UpToDate = 0,
    NewerVersion = 1,
    MinorImprovements = 2,
};

// The version texts compared character by character with a-z taken as A-Z:
// the difference of the first differing characters (published minus own),
// else the difference of the lengths.
int CompareVersionTexts(const QString &published, const QString &own);
// A higher published version is newer; the same version counts as improved
// when it was built on a later day; anything else is up to date. An invalid
// published date (0) never counts as later.
TUpdateOutcome DecideUpdateOutcome(int comparison, TDateTime publishedBuild, TDateTime ownBuild);

class TCheckVersionForm : public TActionForm {
    Q_OBJECT
public:
    static constexpr int kWidth = 295;
    static constexpr int kHeight = 119;

    TCheckVersionForm(TActionContext &context, TUpdateCheckSettings settings, QWidget *owner = nullptr);
    ~TCheckVersionForm() override;

    // Shows the window and sends the request; returns at once.
    void ManualCheck();
    bool Checking() const { return FChecking; }
    // Valid once the check ended without an error.
    TUpdateOutcome Outcome() const { return FOutcome; }
    bool Failed() const { return FFailed; }

signals:
    // The check has shown its result or its error.
    void CheckFinished();

protected:
    // Closing leaves the reminder list and its window alone.
    void FormClose() override { }

private slots:
    void btnDownloadClick();
    void btnCancelClick();

private:
    QLabel *lblStatus;
    QPushButton *btnDownload;
    QPushButton *btnCancel;

    void ReplyArrived(const THttpReply &reply);
    // The published version and build date, read through a temporary ini file;
    // false when the reply holds no published version.
    bool ReadVersionFile(const QByteArray &body, QString &version, TDateTime &build);
    void ShowOutcome(TUpdateOutcome outcome);
    // Error 15 with the reason the answer was not usable.
    void ShowError(const QString &cause);
    void EndCheck();

    TUpdateCheckSettings S;
    QFutureWatcher<THttpReply> *FWatcher;
    bool FChecking = false;
    bool FFailed = false;
    TUpdateOutcome FOutcome = TUpdateOutcome::UpToDate;
};

// Logs the start, opens a new update check window and starts its check.
TCheckVersionForm *CheckforUpdates(TActionContext &context, const TUpdateCheckSettings &settings);
