#pragma once
// An ini file with the old private-profile semantics: sections and keys are
// compared without regard to case and every write goes to the file at once.
// A line is read as UTF-8 when it is valid UTF-8, else as Windows-1252; a file
// that starts with a UTF-16 byte-order mark is read as UTF-16. Lines a write
// does not change go back to the file byte for byte; changed and new lines
// are written in the file's own encoding (UTF-8 where Windows-1252 lines
// cannot hold the text). A write replaces the file whole or not at all.

#include "core/vornFile.h"

#include <QObject>

class TvornIniFile : public QObject, public TvornTextFile {
    Q_OBJECT
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

    // Why the last write failed ("No space left on device"); empty after one that worked.
    QString LastError;

    struct Content;

signals:
    // The first write that failed, as the user is told it ("Settings cannot
    // be saved to ..."); later failures are only logged.
    void SaveFailed(const QString &text);

private:
    Content ReadContent() const;
    QStringList ReadFileLines() const;
    bool WriteContent(const Content &content);
    bool FFailureTold = false;
};
