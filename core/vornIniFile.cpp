#include "core/vornIniFile.h"

#include <QFile>

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

QStringList TvornIniFile::ReadFileLines() const
{
    QFile f(Path());
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(f.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

bool TvornIniFile::WriteFileLines(const QStringList &lines)
{
    QByteArray out;
    for (const QString &l : lines) {
        out += l.toUtf8();
        out += "\r\n";
    }
    // A crash while writing must not cut the file: replace it in one step.
    return WriteFileAtomically(Path(), out);
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
    QStringList lines = ReadFileLines();
    int end = -1;
    const int start = FindSection(lines, section, end);
    const QString newLine = key + QLatin1Char('=') + value;
    if (start < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines.append(QString());
        lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        lines.append(newLine);
        return WriteFileLines(lines);
    }
    for (int i = start; i < end; ++i) {
        QString k, v;
        if (SplitKeyLine(lines[i], k, v) && Same(k, key)) {
            lines[i] = k + QLatin1Char('=') + value;
            return WriteFileLines(lines);
        }
    }
    lines.insert(end, newLine);
    return WriteFileLines(lines);
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
    QStringList lines = ReadFileLines();
    int end = -1;
    const int start = FindSection(lines, section, end);
    for (int i = start; start >= 0 && i < end; ++i) {
        QString k, v;
        if (SplitKeyLine(lines[i], k, v) && Same(k, key)) {
            lines.removeAt(i);
            return WriteFileLines(lines);
        }
    }
    return true;
}

bool TvornIniFile::EraseSection(const QString &section)
{
    QStringList lines = ReadFileLines();
    int end = -1;
    const int start = FindSection(lines, section, end);
    if (start < 0)
        return true;
    int stop = start;
    while (stop < lines.size() && !IsSectionLine(lines[stop]))
        ++stop;
    lines.erase(lines.begin() + (start - 1), lines.begin() + stop);
    return WriteFileLines(lines);
}
