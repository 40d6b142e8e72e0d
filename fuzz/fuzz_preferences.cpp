// The preferences file: the object-stream reader on its own, then the whole
// load from a file (which sets a damaged file aside), and the writer's
// promise that whatever was read is written as a file that reads back.
#include "fuzz/FuzzSupport.h"

#include "storage/GlobalPreferences.h"
#include "platform/TextLookGui.h"

#include <QFile>

using FuzzSupport::Check;

namespace {

// What the windows and the scheduler read from the object once it is loaded.
void Use(const TPreferences &p)
{
    TextFont(p.TextLook()).toString();
    ColorToQColor(p.FontColor()).name();
    p.TimeFormatSuffix();
    p.CalendarStartOfWeek();
    for (int preset = 0; preset <= 5; ++preset)
        TPreferences::SnoozeUnitText(p.SnoozeType(preset));
    ColorToIdent(p.FontColor());
    CharsetToIdent(p.FontCharset());
}

// A new object, copied rather than made: making one looks up the documents
// folder on disk, which would cost more than reading most inputs.
const TPreferences *g_fresh = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The shared text font needs the font database of a GUI application.
    FuzzSupport::Prepare(FuzzSupport::TApp::Gui);
    g_fresh = new TPreferences();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzSupport::Bytes(data, size);
    TPreferences read = *g_fresh;
    QString error;
    QStringList skipped;
    const bool ok = read.ReadFileBytes(bytes, &error, &skipped);
    Check(ok == error.isEmpty(), "a refused file says why, an accepted one has no fault");
    Use(read);

    // Every file the writer makes reads back, and reading it changes nothing
    // more: the second generation equals the first.
    const QByteArray first = read.ToFileBytes();
    TPreferences second = *g_fresh;
    QString secondError;
    Check(second.ReadFileBytes(first, &secondError), "a written preferences file reads back");
    const QByteArray again = second.ToFileBytes();
    TPreferences third = *g_fresh;
    Check(third.ReadFileBytes(again) && third.ToFileBytes() == again, "writing what was read is stable");

    // The load from a file agrees with the reader and keeps a damaged file.
    const QString path = FuzzSupport::Root() + QStringLiteral("prefs/Brivane.pfc");
    QFile::remove(path + QStringLiteral(".bad"));
    Check(FuzzSupport::WriteFile(path, bytes), "the preferences file can be written");
    TPreferences loaded = *g_fresh;
    loaded.SetFilePath(path);
    Check(loaded.LoadPreferences() == ok, "loading a file agrees with reading its bytes");
    Check(ok != QFile::exists(path + QStringLiteral(".bad")), "only a damaged file is set aside");
    Check(loaded.ToFileBytes() == first, "loading a file reads what reading its bytes reads");
    return 0;
}
