// An ini file of any content, read and written through the private-profile
// calls with section, key and value names of any content too.
#include "fuzz/FuzzSupport.h"

#include "core/vornIniFile.h"

#include <fuzzer/FuzzedDataProvider.h>

using FuzzSupport::Check;

namespace {

QString Take(FuzzedDataProvider &in)
{
    return QString::fromStdString(in.ConsumeRandomLengthString(40));
}

bool HasAny(const QString &text, const char *chars)
{
    for (const char *c = chars; *c; ++c)
        if (text.contains(QLatin1Char(*c)))
            return true;
    return false;
}

// Names the file format can hold at all: no line breaks, nothing that makes a
// line a section or a comment, no blanks the reader trims away.
bool PlainSection(const QString &s)
{
    return !s.isEmpty() && s == s.trimmed() && !HasAny(s, "[]\r\n");
}

bool PlainKey(const QString &k)
{
    return !k.isEmpty() && k == k.trimmed() && !HasAny(k, "=[];\r\n");
}

bool PlainValue(const QString &v)
{
    const bool quoted =
        v.size() >= 2 && v.front() == v.back() && (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\''));
    return v == v.trimmed() && !HasAny(v, "\r\n") && !quoted;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::Prepare();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const QString section = Take(in);
    const QString key = Take(in);
    const QString value = Take(in);
    const std::string content = in.ConsumeRemainingBytesAsString();

    const QString path = FuzzSupport::Root() + QStringLiteral("ini/Brivane.ini");
    Check(FuzzSupport::WriteFile(path, QByteArray::fromStdString(content)), "the ini file can be written");
    TvornIniFile ini(path);

    // Reads of what is there.
    const bool existed = ini.SectionExists(section);
    const QStringList keys = ini.ReadSection(section);
    Check(existed || keys.isEmpty(), "a missing section has no keys");
    const QString before = ini.ReadString(section, key, QStringLiteral("\x01"));
    Check(ini.ValueExists(section, key) == keys.contains(key, Qt::CaseInsensitive), "a key exists when it is listed");
    ini.ReadInteger(section, key, -1);
    ini.ReadBool(section, key, true);
    for (const QString &k : keys)
        ini.ReadString(section, k, QString());

    // A write is read back, and leaves the other sections readable.
    Check(ini.WriteString(section, key, value), "an ini file in a writable folder takes a write");
    if (PlainSection(section) && PlainKey(key)) {
        Check(ini.SectionExists(section), "a written section exists");
        if (PlainValue(value))
            Check(ini.ReadString(section, key, QStringLiteral("\x01")) == value, "a written value reads back");
    }
    ini.WriteInteger(section, key, int(size));
    if (PlainSection(section) && PlainKey(key))
        Check(ini.ReadInteger(section, key, -1) == int(size), "a written number reads back");
    ini.DeleteKey(section, key);
    ini.EraseSection(section);
    ini.ReadSection(section);
    (void)before;
    return 0;
}
