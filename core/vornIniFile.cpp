#include "core/vornIniFile.h"

#include "core/Codepage.h"
#include "core/vornLogFile.h"

#include <QFile>
#include <QStringDecoder>

namespace {

bool IsSectionLine(const QString &line, QString *name = nullptr)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return false;
    const int close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return false;
    if (name)
        *name = t.mid(1, close - 1).trimmed();
    return true;
}

bool SplitKeyLine(const QString &line, QString &key, QString &value)
{
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return false;
    const QString t = line.trimmed();
    if (t.startsWith(QLatin1Char(';')))
        return false;
    key = line.left(eq).trimmed();
    value = line.mid(eq + 1).trimmed();
    // Matching quotes around a value are not part of it.
    if (value.size() >= 2
        && ((value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
            || (value.startsWith(QLatin1Char('\'')) && value.endsWith(QLatin1Char('\'')))))
        value = value.mid(1, value.size() - 2);
    return true;
}

bool Same(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// First line of the section's body and one past its last key line; -1 when absent.
int FindSection(const QStringList &lines, const QString &section, int &end)
{
    for (int i = 0; i < lines.size(); ++i) {
        QString name;
        if (IsSectionLine(lines[i], &name) && Same(name, section)) {
            int j = i + 1;
            end = j;
            for (; j < lines.size() && !IsSectionLine(lines[j]); ++j)
                if (!lines[j].trimmed().isEmpty())
                    end = j + 1;
            return i + 1;
        }
    }
    end = -1;
    return -1;
}

bool ParseInteger(const QString &text, int &out)
{
    const QString t = text.trimmed();
    bool ok = false;
    int v = 0;
    if (t.startsWith(QLatin1Char('$')))
        v = t.mid(1).toInt(&ok, 16);
    else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = t.mid(2).toInt(&ok, 16);
    else
        v = t.toInt(&ok, 10);
    if (ok)
        out = v;
    return ok;
}

} // namespace

TvornIniFile::TvornIniFile(const QString &path)
    : TvornTextFile(path)
{
}

namespace {

enum class TIniEncoding { Bytes, Utf16LE, Utf16BE };

QString DecodeBytesLine(const QByteArray &bytes, bool &legacy)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    legacy = true;
    return FromCp1252(bytes);
}

QByteArray Utf16Bytes(const QString &text, TIniEncoding encoding)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const char hi = char(u >> 8), lo = char(u & 0xFF);
        if (encoding == TIniEncoding::Utf16LE)
            out.append(lo).append(hi);
        else
            out.append(hi).append(lo);
    }
    return out;
}

} // namespace

// The file's lines as text, and as the bytes they were read from.
struct TvornIniFile::Content {
    QStringList lines; // without their endings
    // Per line: the bytes read, ending included; null for a line made or changed since.
    QList<QByteArray> raw;
    TIniEncoding encoding = TIniEncoding::Bytes;
    QByteArray bom;
    QString eol = QStringLiteral("\r\n");
    bool legacy = false; // some line is Windows-1252

    void Set(qsizetype i, const QString &text)
    {
        if (lines[i] == text)
            return;
        lines[i] = text;
        raw[i] = QByteArray();
    }
    void Insert(qsizetype i, const QString &text)
    {
        lines.insert(i, text);
        raw.insert(i, QByteArray());
    }
    void Append(const QString &text) { Insert(lines.size(), text); }
    void Remove(qsizetype first, qsizetype count)
    {
        lines.remove(first, count);
        raw.remove(first, count);
    }

    QByteArray Encode(const QString &text) const
    {
        switch (encoding) {
        case TIniEncoding::Utf16LE:
        case TIniEncoding::Utf16BE: return Utf16Bytes(text, encoding);
        case TIniEncoding::Bytes: break;
        }
        // A file kept in the old code page stays readable to the editors that made it.
        if (legacy && FromCp1252(ToCp1252(text)) == text)
            return ToCp1252(text);
        return text.toUtf8();
    }
    QByteArray Bytes() const
    {
        QByteArray out = bom;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (raw[i].isNull()) {
                out += Encode(lines[i] + eol);
                continue;
            }
            out += raw[i];
            // A last line without an ending that is no longer last needs one.
            if (i + 1 < lines.size() && !raw[i].endsWith('\n') && !raw[i].endsWith(QByteArray("\n\0", 2)))
                out += Encode(eol);
        }
        return out;
    }
};

TvornIniFile::Content TvornIniFile::ReadContent() const
{
    Content c;
    QFile f(Path());
    if (!f.open(QIODevice::ReadOnly))
        return c;
    const QByteArray all = f.readAll();
    // A UTF-16 file has whole code units: one of odd length is no such file
    // (a lone byte at its end would shift everything written after it).
    if ((all.startsWith("\xFF\xFE") || all.startsWith("\xFE\xFF")) && all.size() % 2 == 0) {
        c.encoding = all.startsWith("\xFF\xFE") ? TIniEncoding::Utf16LE : TIniEncoding::Utf16BE;
        c.bom = all.left(2);
        const bool le = c.encoding == TIniEncoding::Utf16LE;
        QString line;
        qsizetype start = 2;
        bool sawEol = false;
        for (qsizetype i = 2; i < all.size(); i += 2) {
            const auto b0 = uchar(all[i]), b1 = uchar(all[i + 1]);
            const char16_t u = le ? char16_t(b0 | (b1 << 8)) : char16_t((b0 << 8) | b1);
            if (u != u'\n') {
                line.append(QChar(u));
                continue;
            }
            if (!sawEol) {
                sawEol = true;
                c.eol = line.endsWith(QLatin1Char('\r')) ? QStringLiteral("\r\n") : QStringLiteral("\n");
            }
            if (line.endsWith(QLatin1Char('\r')))
                line.chop(1);
            c.lines << line;
            c.raw << all.mid(start, i + 2 - start);
            line.clear();
            start = i + 2;
        }
        if (start < all.size()) {
            c.lines << line;
            c.raw << all.mid(start);
        }
        return c;
    }
    // UTF-16 marks on a file that is no UTF-16 (see above) are dropped, every
    // one of them: kept, the next write could make the file look like UTF-16.
    qsizetype start = 0;
    while (all.mid(start, 2) == "\xFF\xFE" || all.mid(start, 2) == "\xFE\xFF")
        start += 2;
    if (all.mid(start, 3) == "\xEF\xBB\xBF") {
        c.bom = all.mid(start, 3);
        start += 3;
    }
    bool sawEol = false;
    while (start < all.size()) {
        const qsizetype nl = all.indexOf('\n', start);
        const qsizetype end = nl < 0 ? all.size() : nl + 1;
        QByteArray bytes = all.mid(start, (nl < 0 ? all.size() : nl) - start);
        if (nl >= 0 && !sawEol) {
            sawEol = true;
            c.eol = bytes.endsWith('\r') ? QStringLiteral("\r\n") : QStringLiteral("\n");
        }
        if (nl >= 0 && bytes.endsWith('\r'))
            bytes.chop(1);
        c.lines << DecodeBytesLine(bytes, c.legacy);
        c.raw << all.mid(start, end - start);
        start = end;
    }
    return c;
}

QStringList TvornIniFile::ReadFileLines() const
{
    return ReadContent().lines;
}

bool TvornIniFile::WriteContent(const Content &content)
{
    // A full disk must not cut the file: replace it in one step, or not at all.
    QString reason;
    if (WriteFileAtomically(Path(), content.Bytes(), &reason)) {
        LastError.clear();
        return true;
    }
    LastError = reason.isEmpty() ? QStringLiteral("unknown error") : reason;
    LogError(QStringLiteral("Cannot write %1: %2").arg(Path(), LastError));
    if (!std::exchange(FFailureTold, true))
        emit SaveFailed(QStringLiteral("Settings cannot be saved to %1:\r%2").arg(Path(), LastError));
    return false;
}

QString TvornIniFile::ReadString(const QString &section, const QString &key, const QString &def) const
{
    const QStringList lines = ReadFileLines();
    int end = -1;
    const int start = FindSection(lines, section, end);
    if (start < 0)
        return def;
    for (int i = start; i < end; ++i) {
        QString k, v;
        if (SplitKeyLine(lines[i], k, v) && Same(k, key))
            return v;
    }
    return def;
}

bool TvornIniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    Content c = ReadContent();
    int end = -1;
    const int start = FindSection(c.lines, section, end);
    const QString newLine = key + QLatin1Char('=') + value;
    if (start < 0) {
        if (!c.lines.isEmpty() && !c.lines.last().trimmed().isEmpty())
            c.Append(QString());
        c.Append(QLatin1Char('[') + section + QLatin1Char(']'));
        c.Append(newLine);
        return WriteContent(c);
    }
    for (int i = start; i < end; ++i) {
        QString k, v;
        if (SplitKeyLine(c.lines[i], k, v) && Same(k, key)) {
            c.Set(i, k + QLatin1Char('=') + value);
            return WriteContent(c);
        }
    }
    c.Insert(end, newLine);
    return WriteContent(c);
}

int TvornIniFile::ReadInteger(const QString &section, const QString &key, int def) const
{
    int v = def;
    ParseInteger(ReadString(section, key, QString()), v);
    return v;
}

bool TvornIniFile::WriteInteger(const QString &section, const QString &key, int value)
{
    return WriteString(section, key, QString::number(value));
}

bool TvornIniFile::ReadBool(const QString &section, const QString &key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool TvornIniFile::WriteBool(const QString &section, const QString &key, bool value)
{
    return WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool TvornIniFile::SectionExists(const QString &section) const
{
    int end = -1;
    return FindSection(ReadFileLines(), section, end) >= 0;
}

bool TvornIniFile::ValueExists(const QString &section, const QString &key) const
{
    return ReadSection(section).contains(key, Qt::CaseInsensitive);
}

QStringList TvornIniFile::ReadSection(const QString &section) const
{
    const QStringList lines = ReadFileLines();
    int end = -1;
    const int start = FindSection(lines, section, end);
    QStringList keys;
    for (int i = start; start >= 0 && i < end; ++i) {
        QString k, v;
        if (SplitKeyLine(lines[i], k, v))
            keys << k;
    }
    return keys;
}

bool TvornIniFile::DeleteKey(const QString &section, const QString &key)
{
    Content c = ReadContent();
    int end = -1;
    const int start = FindSection(c.lines, section, end);
    for (int i = start; start >= 0 && i < end; ++i) {
        QString k, v;
        if (SplitKeyLine(c.lines[i], k, v) && Same(k, key)) {
            c.Remove(i, 1);
            return WriteContent(c);
        }
    }
    return true;
}

bool TvornIniFile::EraseSection(const QString &section)
{
    Content c = ReadContent();
    int end = -1;
    const int start = FindSection(c.lines, section, end);
    if (start < 0)
        return true;
    int stop = start;
    while (stop < c.lines.size() && !IsSectionLine(c.lines[stop]))
        ++stop;
    c.Remove(start - 1, stop - (start - 1));
    return WriteContent(c);
}
