#include "extras/CheckVersionFrm.h"

#include "core/vornIniFile.h"
#include "core/vornLogFile.h"
#include "platform/FormShaper.h"
#include "platform/ResourceLibrary.h"
#include "platform/Shell.h"

#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryFile>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace {

const QString kMarker = QStringLiteral("  *** CheckforUpdates *** ");
const QString kChecking = QStringLiteral("Checking...");
const QString kError15 = QStringLiteral("Error 15: Unable to connect to the server.");
const QString kUpToDate = QStringLiteral("You are already using the latest version.");
const QString kNewer = QStringLiteral("A newer version has been published!\nYou can download it now.");
const QString kMinor =
    QStringLiteral("There are minor improvements to the current version\nDo you wish to download it?");

constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kMargin = 18;

int FoldedCode(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') ? u - (u'a' - u'A') : u;
}

} // namespace

int CompareVersionTexts(const QString &published, const QString &own)
{
    const qsizetype n = std::min(published.size(), own.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int d = FoldedCode(published[i]) - FoldedCode(own[i]);
        if (d != 0)
            return d;
    }
    return int(published.size() - own.size());
}

TUpdateOutcome DecideUpdateOutcome(int comparison, TDateTime publishedBuild, TDateTime ownBuild)
{
    if (comparison > 0)
        return TUpdateOutcome::NewerVersion;
    if (comparison == 0 && DateOf(publishedBuild) > DateOf(ownBuild))
        return TUpdateOutcome::MinorImprovements;
    return TUpdateOutcome::UpToDate;
}

TCheckVersionForm::TCheckVersionForm(TActionContext &context, TUpdateCheckSettings settings, QWidget *owner)
    : TActionForm(context, owner)
    , lblStatus(new QLabel(this))
    , btnDownload(new QPushButton(tr("Download"), this))
    , btnCancel(new QPushButton(tr("Cancel"), this))
    , S(std::move(settings))
    , FWatcher(new QFutureWatcher<THttpReply>(this))
{
    setObjectName(QStringLiteral("CheckVersionForm"));
    setWindowTitle(tr("Check for updates"));
    setFixedSize(kWidth, kHeight);
    if (context.Library) {
        const QImage picture = context.Library->Picture(QStringLiteral("UPDT"), devicePixelRatioF());
        if (!picture.isNull())
            (new TFormShaper(this))->SetPicture(picture);
    }
    // The frame's schedule and title lines belong to reminders; this window serves none.
    labSchedule->hide();
    lblTitle->hide();

    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setWordWrap(true);
    lblStatus->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblStatus->setAttribute(Qt::WA_TranslucentBackground);
    lblStatus->setGeometry(kMargin, 34, 259, 36);

    const int top = 83;
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(kWidth - kMargin - kButtonWidth, top, kButtonWidth, kButtonHeight);
    btnDownload->setObjectName(QStringLiteral("btnDownload"));
    btnDownload->setGeometry(btnCancel->x() - 8 - kButtonWidth, top, kButtonWidth, kButtonHeight);
    btnDownload->hide();
    // Return presses the button that has the focus, as in a dialog.
    btnCancel->setAutoDefault(true);
    btnDownload->setAutoDefault(true);
    connect(btnDownload, &QPushButton::clicked, this, &TCheckVersionForm::btnDownloadClick);
    connect(btnCancel, &QPushButton::clicked, this, &TCheckVersionForm::btnCancelClick);
    // The watcher goes with the window, so an answer that comes after the
    // window has closed is dropped.
    connect(FWatcher, &QFutureWatcher<THttpReply>::finished, this,
            [this] { ReplyArrived(FWatcher->future().result()); });

    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(kWidth / 2, kHeight / 2));
}

TCheckVersionForm::~TCheckVersionForm() = default;

void TCheckVersionForm::ManualCheck()
{
    LogInfo(QStringLiteral(" ManuallCheck "));
    show();
    raise();
    lblStatus->setText(kChecking);
    btnCancel->setFocus();
    LogInfo(QStringLiteral("Connected: Download URL --> ") + S.VersionCheckFile);
    FChecking = true;
    std::shared_ptr<IHttpClient> http = S.Http;
    if (!http) {
        ReplyArrived(THttpReply());
        return;
    }
    FWatcher->setFuture(QtConcurrent::run([http, url = S.VersionCheckFile] { return http->Get(url); }));
}

void TCheckVersionForm::ReplyArrived(const THttpReply &reply)
{
    // An error page says nothing about the published version: it counts as
    // no answer rather than as "up to date".
    if (!reply.Ok) {
        ShowError(reply.ErrorText.isEmpty() ? tr("No reply came.") : reply.ErrorText);
        return;
    }
    QString version;
    TDateTime build = 0;
    if (!ReadVersionFile(reply.Body, version, build)) {
        ShowError(tr("The reply names no published version."));
        return;
    }
    const int c = CompareVersionTexts(version, S.Version);
    LogInfo(QStringLiteral("Compare versions result: ") + QString::number(c));
    ShowOutcome(DecideUpdateOutcome(c, build, S.BuildDate));
}

bool TCheckVersionForm::ReadVersionFile(const QByteArray &body, QString &version, TDateTime &build)
{
    // A name of its own: two checks may run at once, and a fixed name in a
    // shared temporary folder could be planted by someone else.
    QTemporaryFile file(S.TempFolder + QStringLiteral("chkcurver.XXXXXX.tmp"));
    file.setAutoRemove(false);
    QString path;
    if (file.open()) {
        // A byte-order mark would hide the first section's name from the reader.
        file.write(body.startsWith("\xEF\xBB\xBF") ? body.mid(3) : body);
        file.close();
        path = file.fileName();
    }
    bool published = false;
    {
        const TvornIniFile ini(path);
        const QString raw = ini.ReadString(QStringLiteral("CurrentVersion"), QStringLiteral("ver"), QString());
        published = !raw.isEmpty();
        version = published ? raw : QStringLiteral("0.00");
        const int day = ini.ReadInteger(QStringLiteral("Build"), QStringLiteral("Day"), 1);
        const int month = ini.ReadInteger(QStringLiteral("Build"), QStringLiteral("Month"), 1);
        const int year = ini.ReadInteger(QStringLiteral("Build"), QStringLiteral("Year"), 1900);
        // A date that does not exist leaves the build date unknown (0), which
        // is never later than ours.
        if (!TryEncodeDate(year, month, day, build))
            build = 0;
    }
    LogInfo(QStringLiteral("Temp folder: ") + (path.isEmpty() ? S.TempFolder : path));
    LogInfo(QStringLiteral("Current version: ") + S.Version);
    LogInfo(QStringLiteral("Published version: ") + version);
    if (!path.isEmpty() && QFile::remove(path))
        LogInfo(QStringLiteral("Temp version check file deleted"));
    return published;
}

void TCheckVersionForm::ShowOutcome(TUpdateOutcome outcome)
{
    FOutcome = outcome;
    switch (outcome) {
    case TUpdateOutcome::UpToDate:
        lblStatus->setText(kUpToDate);
        btnCancel->setText(tr("Close"));
        break;
    case TUpdateOutcome::NewerVersion:
    case TUpdateOutcome::MinorImprovements:
        lblStatus->setText(outcome == TUpdateOutcome::NewerVersion ? kNewer : kMinor);
        btnDownload->show();
        btnDownload->setDefault(true);
        btnDownload->setFocus();
        break;
    }
    EndCheck();
}

void TCheckVersionForm::ShowError(const QString &cause)
{
    FFailed = true;
    // The cause takes the lines the hidden title and schedule leave free.
    lblStatus->setGeometry(kMargin, 10, 259, 70);
    lblStatus->setText(kError15 + QLatin1Char('\n') + cause);
    lblStatus->setToolTip(cause);
    EndCheck();
}

void TCheckVersionForm::EndCheck()
{
    FChecking = false;
    LogInfo(kMarker);
    emit CheckFinished();
}

void TCheckVersionForm::btnDownloadClick()
{
    const int result =
        Context.Shell ? Context.Shell->Open(S.DownloadUpdate, QString(), QString()) : Shell::kFileNotFound;
    if (result < 32)
        LogWarning(QStringLiteral("CheckVersion: the download page could not be opened. ErrorCode: ")
                   + QString::number(result));
    MayClose = true;
    close();
}

void TCheckVersionForm::btnCancelClick()
{
    MayClose = true;
    close();
}

TCheckVersionForm *CheckforUpdates(TActionContext &context, const TUpdateCheckSettings &settings)
{
    LogInfo(kMarker);
    auto *form = new TCheckVersionForm(context, settings);
    form->ManualCheck();
    return form;
}
