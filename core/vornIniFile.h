#pragma once
// An ini file with the old private-profile semantics: sections and keys are
// compared without regard to case and every write goes to the file at once.

#include "core/vornFile.h"

class TvornIniFile : public TvornTextFile {
public:
    explicit TvornIniFile(const QString &path);

    QString ReadString(const QString &section, const QString &key, const QString &def) const;
    bool WriteString(const QString &section, const QString &key, const QString &value);
    int ReadInteger(const QString &section, const QString &key, int def) const;
    bool WriteInteger(const QString &section, const QString &key, int value);
    bool ReadBool(const QString &section, const QString &key, bool def) const;
    bool WriteBool(const QString &section, const QString &key, bool value);

    bool SectionExists(const QString &section) const;
    bool ValueExists(const QString &section, const QString &key) const;
    QStringList ReadSection(const QString &section) const; // key names
    bool DeleteKey(const QString &section, const QString &key);
    bool EraseSection(const QString &section);

private:
    QStringList ReadFileLines() const;
    bool WriteFileLines(const QStringList &lines);
};
