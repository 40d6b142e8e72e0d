#include "storage/GlobalPreferences.h"

#include "core/Clock.h"
#include "core/Codepage.h"
#include "core/vornFile.h"
#include "core/vornIniFile.h"
#include "core/vornLogFile.h"
#include "model/UnitNames.h"
#include "platform/Desktop.h"
#include "storage/PrefStream.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <cmath>

using namespace PrefStream;

// ---------------------------------------------------------------------------
// Colour and character-set names

namespace {

struct TNamedValue {
    int32_t Value;
    const char *Name;
};

constexpr int32_t kSys = int32_t(0xFF000000u);

// The first entry for a value is the name written; later ones are read only.
const TNamedValue kColorNames[] = {
    {0x000000, "clBlack"},
    {0x000080, "clMaroon"},
    {0x008000, "clGreen"},
    {0x008080, "clOlive"},
    {0x800000, "clNavy"},
    {0x800080, "clPurple"},
    {0x808000, "clTeal"},
    {0x808080, "clGray"},
    {0xC0C0C0, "clSilver"},
    {0x0000FF, "clRed"},
    {0x00FF00, "clLime"},
    {0x00FFFF, "clYellow"},
    {0xFF0000, "clBlue"},
    {0xFF00FF, "clFuchsia"},
    {0xFFFF00, "clAqua"},
    {0xFFFFFF, "clWhite"},
    {0xC0DCC0, "clMoneyGreen"},
    {0xF0CAA6, "clSkyBlue"},
    {0xF0FBFF, "clCream"},
    {0xA4A0A0, "clMedGray"},
    {kSys | 0, "clScrollBar"},
    {kSys | 1, "clBackground"},
    {kSys | 2, "clActiveCaption"},
    {kSys | 3, "clInactiveCaption"},
    {kSys | 4, "clMenu"},
    {kSys | 5, "clWindow"},
    {kSys | 6, "clWindowFrame"},
    {kSys | 7, "clMenuText"},
    {kSys | 8, "clWindowText"},
    {kSys | 9, "clCaptionText"},
    {kSys | 10, "clActiveBorder"},
    {kSys | 11, "clInactiveBorder"},
    {kSys | 12, "clAppWorkSpace"},
    {kSys | 13, "clHighlight"},
    {kSys | 14, "clHighlightText"},
    {kSys | 15, "clBtnFace"},
    {kSys | 16, "clBtnShadow"},
    {kSys | 17, "clGrayText"},
    {kSys | 18, "clBtnText"},
    {kSys | 19, "clInactiveCaptionText"},
    {kSys | 20, "clBtnHighlight"},
    {kSys | 21, "cl3DDkShadow"},
    {kSys | 22, "cl3DLight"},
    {kSys | 23, "clInfoText"},
    {kSys | 24, "clInfoBk"},
    {kSys | 26, "clHotLight"},
    {kSys | 27, "clGradientActiveCaption"},
    {kSys | 28, "clGradientInactiveCaption"},
    {kSys | 29, "clMenuHighlight"},
    {kSys | 30, "clMenuBar"},
    {0x1FFFFFFF, "clNone"},
    {0x20000000, "clDefault"},
    {0x808080, "clDkGray"},
    {0xC0C0C0, "clLtGray"},
};

const TNamedValue kCharsetNames[] = {
    {0, "ANSI_CHARSET"},          {1, "DEFAULT_CHARSET"},      {2, "SYMBOL_CHARSET"},    {77, "MAC_CHARSET"},
    {128, "SHIFTJIS_CHARSET"},    {129, "HANGEUL_CHARSET"},    {130, "JOHAB_CHARSET"},   {134, "GB2312_CHARSET"},
    {136, "CHINESEBIG5_CHARSET"}, {161, "GREEK_CHARSET"},      {162, "TURKISH_CHARSET"}, {163, "VIETNAMESE_CHARSET"},
    {177, "HEBREW_CHARSET"},      {178, "ARABIC_CHARSET"},     {186, "BALTIC_CHARSET"},  {204, "RUSSIAN_CHARSET"},
    {222, "THAI_CHARSET"},        {238, "EASTEUROPE_CHARSET"}, {255, "OEM_CHARSET"},     {129, "HANGUL_CHARSET"},
};

template <std::size_t N>
QString NameOf(const TNamedValue (&table)[N], int32_t value)
{
    for (const TNamedValue &e : table)
        if (e.Value == value)
            return QString::fromLatin1(e.Name);
    return QString();
}

template <std::size_t N>
bool ValueOf(const TNamedValue (&table)[N], const QString &name, int32_t &value)
{
    for (const TNamedValue &e : table)
        if (name.compare(QLatin1String(e.Name), Qt::CaseInsensitive) == 0) {
            value = e.Value;
            return true;
        }
    return false;
}

} // namespace

QString ColorToIdent(TColor color)
{
    return NameOf(kColorNames, color);
}

bool IdentToColor(const QString &ident, TColor &color)
{
    return ValueOf(kColorNames, ident, color);
}

QString CharsetToIdent(int charset)
{
    return NameOf(kCharsetNames, charset);
}

bool IdentToCharset(const QString &ident, int &charset)
{
    int32_t v = 0;
    if (!ValueOf(kCharsetNames, ident, v))
        return false;
    charset = v;
    return true;
}

// ---------------------------------------------------------------------------
// The property list, in the order the file holds it

namespace {

enum class TKind { Boolean, Integer, Byte, Enumeration, FontStyleSet, Color, Charset, Text, DateTime };

const char *const kMissedNames[] = {"mtShowAll", "mtDontShowbutReschedule"};
const char *const kSnoozeNames[] = {"stMinutes", "stHours", "stDays", "stWeeks", "stMonths"};
const char *const kStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

struct TPropInfo {
    const char *Name;
    TKind Kind;
    const char *const *Idents = nullptr;
    int IdentCount = 0;
    bool OnlyWhenNonZero = false;
    int64_t (*GetOrd)(const TPreferences &) = nullptr;
    void (*SetOrd)(TPreferences &, int64_t) = nullptr;
    QString (*GetText)(const TPreferences &) = nullptr;
    void (*SetText)(TPreferences &, const QString &) = nullptr;
    double (*GetFloat)(const TPreferences &) = nullptr;
    void (*SetFloat)(TPreferences &, double) = nullptr;
};

#define PREF_ORD(name, kind, type)                                                                                     \
    TPropInfo                                                                                                          \
    {                                                                                                                  \
        .Name = #name, .Kind = kind, .GetOrd = [](const TPreferences &p) -> int64_t { return int64_t(p.name()); },     \
        .SetOrd = [](TPreferences &p, int64_t v) { p.Set##name(type(v)); }                                             \
    }
#define PREF_BOOL(name)                                                                                                \
    TPropInfo                                                                                                          \
    {                                                                                                                  \
        .Name = #name, .Kind = TKind::Boolean,                                                                         \
        .GetOrd = [](const TPreferences &p) -> int64_t { return p.name() ? 1 : 0; },                                   \
        .SetOrd = [](TPreferences &p, int64_t v) { p.Set##name(v != 0); }                                              \
    }
#define PREF_ENUM(name, type, idents)                                                                                  \
    TPropInfo                                                                                                          \
    {                                                                                                                  \
        .Name = #name, .Kind = TKind::Enumeration, .Idents = idents, .IdentCount = int(std::size(idents)),             \
        .GetOrd = [](const TPreferences &p) -> int64_t { return int64_t(p.name()); },                                  \
        .SetOrd = [](TPreferences &p, int64_t v) { p.Set##name(type(v)); }                                             \
    }
#define PREF_TEXT(name)                                                                                                \
    TPropInfo                                                                                                          \
    {                                                                                                                  \
        .Name = #name, .Kind = TKind::Text, .GetText = [](const TPreferences &p) { return p.name(); },                 \
        .SetText = [](TPreferences &p, const QString &v) { p.Set##name(v); }                                           \
    }

const TPropInfo kProperties[] = {
    // Inherited from the framework's component class; Name is never stored.
    TPropInfo{.Name = "Tag",
              .Kind = TKind::Integer,
              .OnlyWhenNonZero = true,
              .GetOrd = [](const TPreferences &p) -> int64_t { return p.Tag(); },
              .SetOrd = [](TPreferences &p, int64_t v) { p.SetTag(int32_t(v)); }},
    PREF_ENUM(MissedTasksTreatment, TMissedTasksTreatment, kMissedNames),
    PREF_TEXT(Host),
    PREF_TEXT(Port),
    PREF_TEXT(UserID),
    PREF_TEXT(Password),
    PREF_TEXT(Fromaddress),
    PREF_TEXT(FromName),
    PREF_TEXT(EmailSignature),
    PREF_BOOL(SMTPRequiresAuthentication),
    PREF_ORD(TooltipDisplayTime, TKind::Integer, int32_t),
    PREF_ORD(EmailActionWaittime, TKind::Byte, uint8_t),
    PREF_ORD(RunprogramWaittime, TKind::Byte, uint8_t),
    PREF_ORD(ShutdownWaittime, TKind::Byte, uint8_t),
    PREF_BOOL(ShowOnlyRunOnceMissedTasks),
    PREF_BOOL(EnableToolbar),
    PREF_BOOL(ShowToolbuttonsText),
    PREF_BOOL(UseSmallToolbarIcons),
    PREF_BOOL(CopyNotesToemailBody),
    PREF_ORD(Snooze1N, TKind::Integer, int32_t),
    PREF_ENUM(Snooze1Type, TSnoozeType, kSnoozeNames),
    PREF_ORD(Snooze2N, TKind::Integer, int32_t),
    PREF_ENUM(Snooze2Type, TSnoozeType, kSnoozeNames),
    PREF_ORD(Snooze3N, TKind::Integer, int32_t),
    PREF_ENUM(Snooze3Type, TSnoozeType, kSnoozeNames),
    PREF_ORD(Snooze4N, TKind::Integer, int32_t),
    PREF_ENUM(Snooze4Type, TSnoozeType, kSnoozeNames),
    PREF_BOOL(EditableNotes),
    PREF_BOOL(MoveDelTasksToRecycleBin),
    PREF_BOOL(ShowFullMoons),
    PREF_BOOL(NeverShowSplash),
    TPropInfo{.Name = "FontStyle",
              .Kind = TKind::FontStyleSet,
              .Idents = kStyleNames,
              .IdentCount = int(std::size(kStyleNames)),
              .GetOrd = [](const TPreferences &p) -> int64_t { return p.FontStyle(); },
              .SetOrd = [](TPreferences &p, int64_t v) { p.SetFontStyle(TFontStyles(v)); }},
    PREF_TEXT(FontName),
    PREF_ORD(FontSize, TKind::Integer, int32_t),
    PREF_ORD(FontCharset, TKind::Charset, uint8_t),
    PREF_ORD(FontColor, TKind::Color, TColor),
    TPropInfo{.Name = "LastRun",
              .Kind = TKind::DateTime,
              .GetFloat = [](const TPreferences &p) -> double { return p.LastRun(); },
              .SetFloat = [](TPreferences &p, double v) { p.SetLastRun(v); }},
    PREF_BOOL(RunOnStartup),
    PREF_BOOL(ShowDisabledTasks),
    PREF_TEXT(TaskStoreFolder),
    PREF_BOOL(TimeBase24hour),
    PREF_ORD(HotKey1, TKind::Integer, int32_t),
    PREF_ORD(HotKey2, TKind::Integer, int32_t),
    PREF_ORD(StartofWeek, TKind::Integer, int32_t),
};

#undef PREF_ORD
#undef PREF_BOOL
#undef PREF_ENUM
#undef PREF_TEXT

const TPropInfo *FindProperty(const QString &name)
{
    for (const TPropInfo &p : kProperties)
        if (name.compare(QLatin1String(p.Name), Qt::CaseInsensitive) == 0)
            return &p;
    return nullptr;
}

int IdentIndex(const TPropInfo &p, const QByteArray &ident)
{
    const QString s = QString::fromLatin1(ident);
    for (int i = 0; i < p.IdentCount; ++i)
        if (s.compare(QLatin1String(p.Idents[i]), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

[[noreturn]] void InvalidValue()
{
    throw EStreamError(QStringLiteral("Invalid property value"));
}

int64_t ReadInt32Value(TReader &r, uint8_t type)
{
    if (!TReader::IsIntegerType(type))
        InvalidValue();
    const int64_t v = r.ReadIntegerValue(type);
    if (v < INT32_MIN || v > INT32_MAX)
        InvalidValue();
    return v;
}

int64_t ClampByte(int64_t v)
{
    return v < 0 ? 0 : v > 255 ? 255 : v;
}

void ReadProperty(TReader &r, const TPropInfo &p, TPreferences &prefs)
{
    const uint8_t type = r.ReadValueType();
    switch (p.Kind) {
    case TKind::Boolean:
        if (type == vaFalse || type == vaTrue) {
            p.SetOrd(prefs, type == vaTrue);
        } else if (type == vaIdent) {
            const QString s = QString::fromLatin1(r.ReadIdentValue());
            if (s.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
                p.SetOrd(prefs, 1);
            else if (s.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
                p.SetOrd(prefs, 0);
            else
                InvalidValue();
        } else {
            InvalidValue();
        }
        return;
    case TKind::Integer: p.SetOrd(prefs, ReadInt32Value(r, type)); return;
    case TKind::Byte:
        // The stream has no byte type: a wider number from a damaged file is held at the edge.
        p.SetOrd(prefs, ClampByte(ReadInt32Value(r, type)));
        return;
    case TKind::Enumeration: {
        if (type != vaIdent)
            InvalidValue();
        const int i = IdentIndex(p, r.ReadIdentValue());
        if (i < 0)
            InvalidValue();
        p.SetOrd(prefs, i);
        return;
    }
    case TKind::FontStyleSet: {
        if (type != vaSet)
            InvalidValue();
        int64_t bits = 0;
        for (const QByteArray &m : r.ReadSetValue()) {
            const int i = IdentIndex(p, m);
            if (i < 0)
                InvalidValue();
            bits |= int64_t(1) << i;
        }
        p.SetOrd(prefs, bits);
        return;
    }
    case TKind::Color: {
        if (type == vaIdent) {
            TColor c = 0;
            if (!IdentToColor(QString::fromLatin1(r.ReadIdentValue()), c))
                InvalidValue();
            p.SetOrd(prefs, c);
        } else {
            p.SetOrd(prefs, ReadInt32Value(r, type));
        }
        return;
    }
    case TKind::Charset: {
        if (type == vaIdent) {
            int cs = 0;
            if (!IdentToCharset(QString::fromLatin1(r.ReadIdentValue()), cs))
                InvalidValue();
            p.SetOrd(prefs, cs);
        } else {
            p.SetOrd(prefs, ClampByte(ReadInt32Value(r, type)));
        }
        return;
    }
    case TKind::Text:
        if (!TReader::IsTextType(type))
            InvalidValue();
        p.SetText(prefs, r.ReadTextValue(type));
        return;
    case TKind::DateTime: {
        if (!TReader::IsFloatType(type))
            InvalidValue();
        const double v = r.ReadFloatValue(type);
        if (!std::isfinite(v))
            InvalidValue();
        p.SetFloat(prefs, v);
        return;
    }
    }
}

void WriteProperty(TWriter &w, const TPropInfo &p, const TPreferences &prefs)
{
    const QByteArray name(p.Name);
    switch (p.Kind) {
    case TKind::Boolean:
        w.WriteShortString(name);
        w.WriteBoolean(p.GetOrd(prefs) != 0);
        return;
    case TKind::Integer:
    case TKind::Byte: {
        const int64_t v = p.GetOrd(prefs);
        if (p.OnlyWhenNonZero && v == 0)
            return;
        w.WriteShortString(name);
        w.WriteInteger(int32_t(v));
        return;
    }
    case TKind::Enumeration: {
        const int64_t v = p.GetOrd(prefs);
        w.WriteShortString(name);
        w.WriteIdent(p.Idents[v >= 0 && v < p.IdentCount ? v : 0]);
        return;
    }
    case TKind::FontStyleSet: {
        const int64_t bits = p.GetOrd(prefs);
        QList<QByteArray> members;
        for (int i = 0; i < p.IdentCount; ++i)
            if (bits & (int64_t(1) << i))
                members.append(QByteArray(p.Idents[i]));
        w.WriteShortString(name);
        w.WriteSet(members);
        return;
    }
    case TKind::Color:
    case TKind::Charset: {
        const int32_t v = int32_t(p.GetOrd(prefs));
        const QString ident = p.Kind == TKind::Color ? ColorToIdent(v) : CharsetToIdent(v);
        w.WriteShortString(name);
        if (ident.isEmpty())
            w.WriteInteger(v);
        else
            w.WriteIdent(ident.toLatin1());
        return;
    }
    case TKind::Text: {
        const QString v = p.GetText(prefs);
        if (v.isEmpty())
            return;
        w.WriteShortString(name);
        w.WriteText(v);
        return;
    }
    case TKind::DateTime: {
        const double v = p.GetFloat(prefs);
        if (v == 0)
            return;
        w.WriteShortString(name);
        w.WriteExtended(v);
        return;
    }
    }
}

QString PropertyErrorText(const QByteArray &name, const QString &message)
{
    return QStringLiteral("Error reading Preferences.") + QString::fromLatin1(name) + QStringLiteral(": ") + message;
}

} // namespace

// ---------------------------------------------------------------------------
// TPreferences

TPreferences::TPreferences(const QString &programName, const QString &productName)
{
    const QString program = programName.isEmpty() ? QStringLiteral("Brivane") : programName;
    const QString product = productName.isEmpty() ? QStringLiteral("Brivane") : productName;
    QString documents = Desktop::DocumentsFolder();
    if (documents.isEmpty())
        documents = QDir::homePath();

    FPort = QStringLiteral("25");
    SetHost(QStringLiteral("smtp.example.com"));
    SetFromaddress(QStringLiteral("reminders@example.com"));
    SetFromName(program + QStringLiteral(" User"));
    SetTaskStoreFolder(documents + QLatin1Char('/') + product);
    FLastRun = Clock::Now();
}

QString TPreferences::FitText(const QString &v, int capacity) const
{
    if (FittingLength(v, capacity) == v.size())
        return v;
    // Capacities count UTF-8 bytes. A text an older version stored in its
    // single-byte code page, where it fitted, is read whole, so that the file
    // loads unchanged.
    if (FReading && FromCp1252(ToCp1252(v)) == v && ToCp1252(v).size() <= capacity)
        return v;
    return CutToCapacity(v, capacity);
}

void TPreferences::SetMissedTasksTreatment(TMissedTasksTreatment v)
{
    if (v <= mtDontShowbutReschedule)
        FMissedTasksTreatment = v;
}

void TPreferences::SetHost(const QString &v)
{
    FHost = FitText(v, kTextCapacity);
}
void TPreferences::SetPort(const QString &v)
{
    FPort = FitText(v, kTextCapacity);
}
void TPreferences::SetUserID(const QString &v)
{
    FUserID = FitText(v, kTextCapacity);
}
void TPreferences::SetPassword(const QString &v)
{
    FPassword = FitText(v, kTextCapacity);
}
void TPreferences::SetFromaddress(const QString &v)
{
    FFromaddress = FitText(v, kTextCapacity);
}
void TPreferences::SetFromName(const QString &v)
{
    FFromName = FitText(v, kTextCapacity);
}
void TPreferences::SetEmailSignature(const QString &v)
{
    FEmailSignature = FitText(v, kEmailSignatureCapacity);
}
void TPreferences::SetTaskStoreFolder(const QString &v)
{
    FTaskStoreFolder = FitText(v, kTaskStoreFolderCapacity);
}

void TPreferences::SetSnoozeType(int preset, TSnoozeType v)
{
    if (v <= stMonths)
        FSnoozeType[PresetIndex(preset)] = v;
}

void TPreferences::SetFontStyle(TFontStyles v)
{
    FFontStyle = TFontStyles(v & 0x0F);
}

void TPreferences::SetFontName(const QString &v)
{
    FFontName = v;
}

void TPreferences::SetFontSize(int32_t v)
{
    FFontSize = v;
}

void TPreferences::SetFontCharset(uint8_t v)
{
    FFontCharset = v;
}

void TPreferences::SetFontColor(TColor v)
{
    FFontColor = v;
}

QString TPreferences::SnoozeUnitText(TSnoozeType type)
{
    return type <= stMonths ? QString::fromLatin1(UnitNames::Plain[type]) : QString();
}

QString TPreferences::TimeFormatSuffix() const
{
    return FTimeBase24hour ? QString() : QStringLiteral(" ampm");
}

int TPreferences::CalendarStartOfWeek() const
{
    // Values the preferences window never stores fall back to Sunday.
    return FStartofWeek >= 1 && FStartofWeek <= 6 ? FStartofWeek : 0;
}

QByteArray TPreferences::ToFileBytes() const
{
    TWriter w;
    w.WriteHeader(QByteArrayLiteral("TPreferences"), QByteArray());
    for (const TPropInfo &p : kProperties) {
        // A text as it was read, while it is unchanged: the bytes stay as the
        // file had them, whatever code page wrote them.
        if (p.Kind == TKind::Text) {
            const auto stored = FStoredTexts.constFind(QByteArray(p.Name));
            const QString v = p.GetText(*this);
            if (stored != FStoredTexts.constEnd() && !v.isEmpty() && stored->first == v) {
                w.WriteShortString(QByteArray(p.Name));
                w.WriteRaw(stored->second);
                continue;
            }
        }
        WriteProperty(w, p, *this);
    }
    w.WriteEnd();
    return WrapResource(QByteArrayLiteral("TPREFERENCES"), w.Data());
}

bool TPreferences::ReadFileBytes(const QByteArray &bytes, QString *error, QStringList *skipped)
{
    FReading = true;
    const auto reading = qScopeGuard([this] { FReading = false; });
    try {
        int begin = 0;
        int end = 0;
        UnwrapResource(bytes, begin, end);
        TReader r(bytes, begin, end);
        r.ReadHeader();
        for (;;) {
            const QByteArray name = r.ReadShortString();
            if (name.isEmpty())
                break;
            const TPropInfo *p = FindProperty(QString::fromLatin1(name));
            try {
                if (p) {
                    const int start = r.Pos();
                    ReadProperty(r, *p, *this);
                    if (p->Kind == TKind::Text)
                        KeepStoredText(QByteArray(p->Name), p->GetText(*this), bytes.mid(start, r.Pos() - start));
                    continue;
                }
                // Written by another version: step over it so that the settings
                // after it are not lost, when its type tells how long it is.
                const uint8_t type = r.ReadValueType();
                if (!r.SkipValue(type))
                    throw EStreamError(QStringLiteral("Property %1 does not exist; its value type %2 cannot be skipped")
                                           .arg(QString::fromLatin1(name))
                                           .arg(int(type)));
                if (skipped)
                    skipped->append(QString::fromLatin1(name));
            } catch (const EStreamError &e) {
                throw EStreamError(PropertyErrorText(name, e.Message()));
            }
        }
        // A preferences object owns no components: the list must be empty.
        if (r.ReadByte() != 0)
            throw EStreamError(InvalidFormatText());
        return true;
    } catch (const EStreamError &e) {
        if (error)
            *error = e.Message();
        return false;
    }
}

namespace {

bool WritePreferencesFile(const QString &path, const QByteArray &bytes)
{
    if (path.isEmpty()) {
        LogError(QStringLiteral("Preferences: no file name"));
        return false;
    }
    CreatePrivateFolder(QFileInfo(path).absolutePath());
    // The SMTP password is stored in clear: only the owner may read the file.
    QString error;
    if (!WriteFileAtomically(path, bytes, &error, QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        LogError(QStringLiteral("Preferences: cannot write ") + path + QStringLiteral(": ") + error);
        return false;
    }
    return true;
}

} // namespace

bool TPreferences::LoadPreferences(TvornIniFile *ini)
{
    bool ok = true;
    if (FFilePath.isEmpty()) {
        LogError(QStringLiteral("Preferences: no file name"));
        ok = false;
    } else if (QFileInfo::exists(FFilePath)) {
        QFile f(FFilePath);
        if (!f.open(QIODevice::ReadOnly)) {
            LogError(QStringLiteral("Preferences: ") + f.errorString());
            ok = false;
        } else {
            const QByteArray bytes = f.readAll();
            QString error;
            QStringList skipped;
            const bool read = ReadFileBytes(bytes, &error, &skipped);
            for (const QString &name : skipped)
                LogWarning(QStringLiteral("Preferences: unknown property ") + name + QStringLiteral(" skipped"));
            if (!read) {
                LogError(QStringLiteral("Preferences: ") + error);
                KeepBadCopy(bytes);
                ok = false;
            }
        }
    } else {
        ok = WritePreferencesFile(FFilePath, ToFileBytes());
    }
    if (ini)
        ini->WriteString(QStringLiteral("Preferences"), QStringLiteral("DB"), FTaskStoreFolder);
    LogInfo(QStringLiteral("Preferences Opened."));
    return ok;
}

void TPreferences::KeepStoredText(const QByteArray &name, const QString &current, const QByteArray &raw)
{
    // Kept only when what the property holds is the whole stored text (not cut).
    TReader r(raw, 0, int(raw.size()));
    const QString stored = r.ReadTextValue(r.ReadValueType());
    if (stored == current)
        FStoredTexts.insert(name, {stored, raw});
    else
        FStoredTexts.remove(name);
}

void TPreferences::KeepBadCopy(const QByteArray &bytes)
{
    // The save at exit writes over the file; what could not be read is kept for
    // a later look. Only the first: a later unreadable file in the same run is
    // one this program wrote, and copying it would lose the original.
    if (FBadCopyKept)
        return;
    FBadCopyKept = true;
    const QString bad = FFilePath + QStringLiteral(".bad");
    QString error;
    // Private like the file itself: it may hold the SMTP password.
    if (WriteFileAtomically(bad, bytes, &error, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        LogWarning(QStringLiteral("Preferences: unreadable file kept as ") + bad);
    else
        LogError(QStringLiteral("Preferences: cannot keep ") + bad + QStringLiteral(": ") + error);
}

bool TPreferences::SavePreferences()
{
    if (!WritePreferencesFile(FFilePath, ToFileBytes()))
        return false;
    LogInfo(QStringLiteral("Preferences saved."));
    return true;
}
