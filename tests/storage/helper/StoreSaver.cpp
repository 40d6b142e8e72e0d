// A child process for the store's fault tests. It opens a store with the
// program's own code and then either
//   loop <store> <base count>
//       saves it again and again, each save a new generation: every record's
//       HasRun = generation, base count + generation % 5 records; it reports
//       "ready", then "saving g" and "saved g" around every save, written
//       straight to the pipe so that a kill loses none of it;
//   fsize <store> <byte limit> <log>
//       adds 200 reminders and saves once while the process may not write
//       files larger than the limit (a disk that fills up); prints "saved=1"
//       or "saved=0";
//   fulldisk <folder> <reminders>
//       in a mount namespace of its own, mounts a 400 KiB tmpfs on folder,
//       opens a store of that many reminders there, fills the disk, changes
//       a reminder, saves the store and makes both backup copies; prints
//       "store=<saved> <size> <error>", "rescue=<size or -1> <error>" and
//       "dated=<size or -1> <error>". Exits 77 when it cannot mount.
#include "core/vornLogFile.h"
#include "model/TaskList.h"
#include "storage/vornStorage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

void Say(const std::string &text)
{
    const std::string line = text + "\n";
    (void)!::write(STDOUT_FILENO, line.data(), line.size());
}

int Loop(const QString &path, int baseCount)
{
    TTaskList list;
    TStoreSetup setup;
    setup.Path = path;
    TPalvaroStorage store(setup, list);
    store.OpenStore();
    if (!store.StoreRead() || list.Count() == 0)
        return 2;
    const TTaskData sample = list.GetTask(0);
    int generation = sample.HasRun;
    Say("ready");
    for (;;) {
        ++generation;
        const int count = baseCount + generation % 5;
        while (list.Count() < count)
            list.AddTask(sample);
        while (list.Count() > count)
            list.RemoveTask(&list.GetTask(list.Count() - 1));
        for (int i = 0; i < list.Count(); ++i)
            list.GetTask(i).HasRun = generation;
        Say("saving " + std::to_string(generation));
        if (!store.SaveStore()) {
            Say("failed " + std::to_string(generation));
            return 3;
        }
        Say("saved " + std::to_string(generation));
    }
}

int FileSizeLimited(const QString &path, long limit, const QString &logPath)
{
    std::signal(SIGXFSZ, SIG_IGN); // a write past the limit then fails with EFBIG
    rlimit rl{};
    getrlimit(RLIMIT_FSIZE, &rl);
    rl.rlim_cur = rlim_t(limit);
    if (setrlimit(RLIMIT_FSIZE, &rl) != 0)
        return 4;
    TvornLogFile log(logPath, 3, 1, 1);
    TTaskList list;
    TStoreSetup setup;
    setup.Path = path;
    TPalvaroStorage store(setup, list);
    store.Log = &log;
    store.OpenStore();
    if (!store.StoreRead())
        return 2;
    const TTaskData sample = list.GetTask(0);
    for (int i = 0; i < 200; ++i)
        list.AddTask(sample);
    const bool saved = store.SaveStore();
    Say(saved ? "saved=1" : "saved=0");
    return 0;
}

QByteArray Element(const TTaskData &task)
{
    QByteArray e(TaskElementSize, '\0');
    e[0] = char(TaskElementSignature);
    e[1] = char(TaskElementVersion);
    std::memcpy(e.data() + TaskElementHeaderSize, &task, TTaskData::Size);
    return e;
}

qint64 SizeOf(const QString &path)
{
    const QFileInfo fi(path);
    return fi.exists() ? fi.size() : -1;
}

int FullDisk(const QString &folder, int count)
{
    const QByteArray where = QFile::encodeName(folder);
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
        || ::mount("tmpfs", where.constData(), "tmpfs", 0, "size=400k,mode=0700") != 0) {
        std::fprintf(stderr, "cannot mount a tmpfs: %s\n", std::strerror(errno));
        return 77;
    }
    const QString path = folder + QStringLiteral("/Brivane.dat");
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        TTaskData task{};
        task.Taskkind = tkAlarm;
        task.Enabled = true;
        task.Title.Len = 1;
        task.Title.Data[0] = char('a' + i % 26);
        task.Tag = i == 0 ? TAG_BACKUP : 0;
        bytes += Element(task);
    }
    QDir().mkdir(folder + QStringLiteral("/Backup"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return 5;
    }
    TTaskList list;
    TStoreSetup setup;
    setup.Path = path;
    TPalvaroStorage store(setup, list);
    store.OpenStore();
    if (!store.StoreRead())
        return 2;
    // Fill the disk to the last byte.
    {
        QFile filler(folder + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::WriteOnly))
            return 6;
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        const QByteArray byte(1, 'f');
        while (filler.write(byte) == 1 && filler.flush()) {
        }
    }
    list.GetTask(1).HasRun = 7;
    list.MarkModified();
    const bool saved = store.SaveStore();
    Say("store=" + std::to_string(saved ? 1 : 0) + " " + std::to_string(SizeOf(path)) + " "
        + store.LastSaveError().toStdString());
    store.RescueBackup();
    Say("rescue=" + std::to_string(SizeOf(store.RescueCopyPath())) + " " + store.LastBackupError.toStdString());
    store.LastBackupError.clear();
    store.AutoBackup();
    Say("dated=" + std::to_string(SizeOf(store.BackupFolder + store.DatedBackupName)) + " "
        + store.LastBackupError.toStdString());
    const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    Say("files=" + left.join(QLatin1Char(',')).toStdString());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "loop") == 0)
        return Loop(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
    if (argc == 5 && std::strcmp(argv[1], "fsize") == 0)
        return FileSizeLimited(QString::fromLocal8Bit(argv[2]), std::atol(argv[3]), QString::fromLocal8Bit(argv[4]));
    if (argc == 4 && std::strcmp(argv[1], "fulldisk") == 0)
        return FullDisk(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
    std::fprintf(stderr, "usage: store_saver loop <store> <base count> | fsize <store> <limit> <log>\n");
    return 1;
}
