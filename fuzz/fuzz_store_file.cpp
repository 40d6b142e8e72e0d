// A whole store file, opened the way the program opens it at start-up: the
// recovery questions (answered the cautious way), the converter hand-over,
// the load, the backup reminder, repair and the start-up sort; then saved and
// read back, which must give the same records.
#include "fuzz/FuzzSupport.h"

#include "model/TaskData.h"
#include "model/TaskList.h"
#include "storage/vornStorage.h"

#include <cstring>

using FuzzSupport::Check;

namespace {

TStoreSetup Setup()
{
    TStoreSetup setup;
    setup.Path = FuzzSupport::Root() + QStringLiteral("store/Brivane.dat");
    setup.BackupFolder = FuzzSupport::Root() + QStringLiteral("store/Backup/");
    setup.StoreFileName = QStringLiteral("Brivane.dat");
    setup.ProgramFolder = FuzzSupport::Root() + QStringLiteral("prog/");
    setup.ConverterName = QStringLiteral("DBConverter");
    setup.ProgramName = QStringLiteral("Brivane");
    return setup;
}

void CheckLoaded(const TTaskList &list)
{
    for (const TTaskList::TTaskRef &ref : list.Items()) {
        Check(TTaskList::IsValidKind(ref->Taskkind), "a loaded reminder has a known kind");
        Check(IsValidDateTime(ref->Scheduled) && IsValidDateTime(ref->LastRun) && IsValidDateTime(ref->Created),
              "a loaded reminder's run dates are calendar dates");
        Check(!ref->InService && ref->ActionCount == 0 && ref->Reserved4IsZero(),
              "a loaded reminder carries no window state");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::Prepare();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const TStoreSetup setup = Setup();
    Check(FuzzSupport::WriteFile(setup.Path, FuzzSupport::Bytes(data, size)), "the store file can be written");
    FuzzSupport::TakeShellRequests();

    TTaskList list;
    TPalvaroStorage store(setup, list, &FuzzSupport::InertShell());
    // Every question gets the answer of a box that could not be shown.
    QStringList halts;
    QStringList boxes;
    TStoreOpening opening = store.OpenStore();
    for (;;) {
        for (const TStoreBox &box : opening.Notices)
            boxes << box.Text;
        if (opening.State != TStoreOpening::TState::Question)
            break;
        boxes << opening.Question.Text;
        opening = store.AnswerOpening(CautiousAnswer(opening.Question.Buttons));
    }
    if (opening.State == TStoreOpening::TState::Halt)
        halts << opening.HaltReason;

    const std::size_t elements = size / std::size_t(TaskElementSize);
    const bool oldFormat = size >= 2 && data[1] >= 1 && data[1] <= 9;
    if (!store.StoreRead()) {
        // Only three things stop the load: a file too short for a header, an
        // older format (handed to the converter), or a cut last element.
        Check(size < 2 || oldFormat || size % std::size_t(TaskElementSize) != 0, "a whole store is read");
        Check(!halts.isEmpty() || !boxes.isEmpty(), "a store not read is reported");
        if (oldFormat)
            Check(FuzzSupport::TakeShellRequests().size() == 1, "an older store goes to the converter");
        Check(!store.SaveStore(), "a store that was not read is never written");
        Check(FuzzSupport::ReadFile(setup.Path) == FuzzSupport::Bytes(data, size), "an unread store is left alone");
        return 0;
    }
    Check(halts.isEmpty(), "a store that was read does not end the program");
    Check(size % std::size_t(TaskElementSize) == 0, "only whole elements are loaded");
    Check(std::size_t(list.Count()) == elements || std::size_t(list.Count()) == elements + 1,
          "every element becomes one reminder, plus the backup reminder when it was missing");
    int backup = -1;
    Check(list.FindServiceTask(TAG_BACKUP, backup), "a loaded store has its backup reminder");
    CheckLoaded(list);

    for (int by = 0; by <= 5; ++by) {
        list.SetAscending(by % 2 == 1);
        list.SortBySetting(by);
    }
    list.ApplyShowDisabled(true);
    list.CountServedPopupNotes();

    Check(store.SaveStore(), "a store that was read can be saved");
    TTaskList reloaded;
    TPalvaroStorage again(setup, reloaded);
    Check(again.LoadRecords(), "a saved store loads");
    int r = 0;
    for (int i = 0; i < list.Count(); ++i) {
        if (list.IsInfoNotice(i))
            continue;
        Check(r < reloaded.Count() && std::memcmp(&list.GetTask(i), &reloaded.GetTask(r), TTaskData::Size) == 0,
              "the saved store holds the same records in the same order");
        ++r;
    }
    Check(r == reloaded.Count(), "the saved store holds nothing else");
    return 0;
}
