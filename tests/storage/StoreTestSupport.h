#pragma once
// Helpers for the store and backup tests: a program environment whose store
// folder is a temporary folder, hand-built store files, file times, and a way
// to make a folder really read-only even when the tests run as root.

#include "core/vornIniFile.h"
#include "core/vornLogFile.h"
#include "model/TaskData.h"
#include "model/TaskList.h"
#include "storage/vornStorage.h"
#include "tests/fakes/FakeShell.h"
#include "tests/fakes/ScriptedAnswers.h"
#include "tests/support/Permissions.h"
#include "tests/support/Records.h"
#include "tests/support/TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <cstring>
#include <linux/capability.h>
#include <memory>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>

namespace StoreTest {

using TestSupport::PermissionsEnforced;
using TestSupport::ReadOnlyFolder;

inline TTaskData Alarm(const QString &title, int32_t hasRun = 0)
{
    TTaskData t = TestRecords::Alarm(title, EncodeDateTime(2030, 1, 2, 10, 0, 0, 0));
    t.HasRun = hasRun;
    t.Created = EncodeDateTime(2024, 3, 1, 9, 0, 0, 0);
    return t;
}

inline TTaskData Service(int32_t tag, TDateTime scheduled)
{
    TTaskData t;
    t.Taskkind = tkService;
    t.Tag = tag;
    t.Title.Len = 1;
    t.Title.Data[0] = char(0xCD);
    t.Scheduled = scheduled;
    t.Created = scheduled;
    t.Enabled = true;
    return t;
}

// One store element written out by hand.
inline QByteArray Element(const TTaskData &t, uint8_t version = 10, uint8_t signature = 0x1A)
{
    QByteArray e(1896, '\0');
    e[0] = char(signature);
    e[1] = char(version);
    std::memcpy(e.data() + 8, &t, sizeof t);
    return e;
}

inline QByteArray RecordBytes(const TTaskData &t)
{
    return QByteArray(reinterpret_cast<const char *>(&t), sizeof t);
}

inline TTaskData RecordAt(const QByteArray &file, int index)
{
    TTaskData t;
    std::memcpy(&t, file.constData() + index * 1896 + 8, sizeof t);
    return t;
}

inline bool SetModified(const QString &path, TDateTime when)
{
    QFile f(path);
    return f.open(QIODevice::ReadWrite) && f.setFileTime(DateTimeToQDateTime(when), QFileDevice::FileModificationTime);
}

// Answers every box alike and keeps what was shown, with icon and buttons:
// the buttons decide what the user can answer at all.
class BoxRecorder : public TScriptedAnswers {
public:
    using Kind = std::pair<TMsgIcon, TMsgButtons>;
    explicit BoxRecorder(TMsgResult answer = TMsgResult::Ok)
        : TScriptedAnswers([answer](TMsgButtons) { return answer; })
    {
    }
    QList<Kind> Kinds() const
    {
        QList<Kind> kinds;
        for (qsizetype i = 0; i < Icons.size(); ++i)
            kinds << Kind(Icons[i], Buttons[i]);
        return kinds;
    }
};

// Opens the store as start-up does: the boxes it asks for are shown through
// boxes, each answer goes back to the store, and a halt is added to halts.
inline TStoreOpening OpenAsAtStartUp(TPalvaroStorage &store, IMessageBoxes &boxes, QStringList &halts)
{
    TStoreOpening opening = store.OpenStore();
    for (;;) {
        for (const TStoreBox &box : opening.Notices)
            boxes.Show(box.Text, box.Icon, box.Buttons, box.Title);
        if (opening.State != TStoreOpening::TState::Question)
            break;
        const TStoreBox &q = opening.Question;
        opening = store.AnswerOpening(boxes.Show(q.Text, q.Icon, q.Buttons, q.Title));
    }
    if (opening.State == TStoreOpening::TState::Halt)
        halts << opening.HaltReason;
    return opening;
}

// A portable copy's program folder and a store folder in a temporary folder,
// set up as start-up sets up the store.
class StoreEnv {
public:
    StoreEnv()
    {
        QDir(Dir.path()).mkpath(QStringLiteral("prog"));
        QDir(Dir.path()).mkpath(QStringLiteral("store/Backup"));
        Setup.Path = StorePath();
        Setup.BackupFolder = BackupFolder();
        Setup.StoreFileName = QStringLiteral("Brivane.dat");
        Setup.ProgramFolder = ProgramFolder();
        Setup.ConverterName = QStringLiteral("DBConverter");
        Setup.ProgramName = QStringLiteral("Brivane");
        Log = std::make_unique<TvornLogFile>(Dir.path() + QStringLiteral("/test.log"), 3, 1, 1);
        Recording = std::make_unique<TvornLogFile::TRecording>(*Log);
    }
    ~StoreEnv()
    {
        Store.reset();
        Recording.reset();
    }

    QString ProgramFolder() const { return Dir.path() + QStringLiteral("/prog/"); }
    QString StoreFolder() const { return Dir.path() + QStringLiteral("/store/"); }
    QString BackupFolder() const { return StoreFolder() + QStringLiteral("Backup/"); }
    QString StorePath() const { return StoreFolder() + QStringLiteral("Brivane.dat"); }
    QString RescuePath() const { return BackupFolder() + QStringLiteral("Brivane-001.dat"); }
    QString SecondRescuePath() const { return BackupFolder() + QStringLiteral("Brivane-000.dat"); }

    // The store as start-up makes it.
    TPalvaroStorage &MakeStore()
    {
        Store.reset();
        List.Clear(); // every store starts from an empty list, as at start-up
        Store = std::make_unique<TPalvaroStorage>(Setup, List, &Shell);
        Store->Log = Log.get();
        return *Store;
    }
    // Opens the store made last as start-up does; halts are recorded instead
    // of ending the tests. Without boxes every question gets the cautious answer.
    TStoreOpening Open(IMessageBoxes &boxes) { return OpenAsAtStartUp(*Store, boxes, Halts); }
    TStoreOpening Open()
    {
        TScriptedAnswers cautious;
        return Open(cautious);
    }

    QStringList LogLines() const
    {
        return QString::fromUtf8(TestSupport::ReadAll(Log->Path())).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }
    bool Logged(const QString &line) const { return LogLines().contains(line); }
    int CountStartingWith(const QString &prefix) const
    {
        int n = 0;
        for (const QString &l : LogLines())
            n += l.startsWith(prefix) ? 1 : 0;
        return n;
    }

    QTemporaryDir Dir;
    TStoreSetup Setup;
    Shell::FakeShell Shell; // starts the converter
    TTaskList List;
    std::unique_ptr<TvornLogFile> Log;
    std::unique_ptr<TvornLogFile::TRecording> Recording;
    std::unique_ptr<TPalvaroStorage> Store;
    QStringList Halts;
};

} // namespace StoreTest
