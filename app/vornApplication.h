#pragma once
// The application environment: where everything is, kept as KEY=VALUE tables.

#include "core/vornFile.h"

#include <QStringList>

class TvornApplication : public TvornFile {
public:
    // exePath empty: the running executable.
    explicit TvornApplication(const QString &exePath = QString());
    ~TvornApplication() override;

    QString ExeName() const { return Path(); }
    // The executable's folder with trailing "/".
    QString ProgramFolder() const { return FilePath(); }
    // Where Sounds, Help and the picture library are read from.
    QString DataFolder() const { return FDataFolder; }
    // Where the ini and preferences files live.
    QString ConfigFolder() const { return FConfigFolder; }
    bool IsPortable() const { return FPortable; }

    void AddFolder(const QString &line) { FolderTable.append(line); }
    QString GetFolder(const QString &key) const { return Lookup(FolderTable, key); }
    // Data folder + the folder entry (for the relative "HELP" and "SOUNDS").
    QString GetProgramFolder(const QString &key) const { return DataFolder() + GetFolder(key); }
    void AddFile(const QString &line) { FileTable.append(line); }
    QString GetFile(const QString &key) const { return Lookup(FileTable, key); }
    void AddInternet(const QString &line) { InternetTable.append(line); }
    QString GetInternet(const QString &key) const { return Lookup(InternetTable, key); }

    // Creates a missing folder (one level); raises EvornError("Error: Cannot create %s.").
    void EnsureFolder(const QString &path);
    void EndEventLoop();
    [[noreturn]] static void HaltProcess();

    static QString Lookup(const QStringList &table, const QString &key);

    QStringList FolderTable;
    QStringList InternetTable;
    QStringList FileTable;
    QString ProgramName;
    QString Version;
    QString AboutCredit;
    TDateTime BuildDate = 0;

private:
    QString FDataFolder;
    QString FConfigFolder;
    bool FPortable = true;
};
