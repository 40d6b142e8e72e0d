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
//       or "saved=0".
#include "core/vornLogFile.h"
#include "model/TaskList.h"
#include "storage/vornStorage.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
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

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "loop") == 0)
        return Loop(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
    if (argc == 5 && std::strcmp(argv[1], "fsize") == 0)
        return FileSizeLimited(QString::fromLocal8Bit(argv[2]), std::atol(argv[3]), QString::fromLocal8Bit(argv[4]));
    std::fprintf(stderr, "usage: store_saver loop <store> <base count> | fsize <store> <limit> <log>\n");
    return 1;
}
