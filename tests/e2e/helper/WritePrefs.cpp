// Writes a preferences file for the end-to-end tests: the defaults with the
// settings given as name=value arguments (mail server, waits, missed-reminder
// treatment, last run). Usage: e2e_write_prefs <file> [name=value ...]
#include "core/DateTime.h"
#include "storage/GlobalPreferences.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QString>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    TPreferences p(QStringLiteral("Brivane"), QStringLiteral("Brivane"));
    p.SetFilePath(QString::fromLocal8Bit(argv[1]));
    for (int i = 2; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        if (eq < 0)
            return 2;
        const QString name = arg.left(eq);
        const QString v = arg.mid(eq + 1);
        if (name == QLatin1String("Host"))
            p.SetHost(v);
        else if (name == QLatin1String("Port"))
            p.SetPort(v);
        else if (name == QLatin1String("Fromaddress"))
            p.SetFromaddress(v);
        else if (name == QLatin1String("FromName"))
            p.SetFromName(v);
        else if (name == QLatin1String("UserID"))
            p.SetUserID(v);
        else if (name == QLatin1String("Password"))
            p.SetPassword(v);
        else if (name == QLatin1String("EmailSignature"))
            p.SetEmailSignature(v);
        else if (name == QLatin1String("SMTPRequiresAuthentication"))
            p.SetSMTPRequiresAuthentication(v == QLatin1String("1"));
        else if (name == QLatin1String("EmailActionWaittime"))
            p.SetEmailActionWaittime(uint8_t(v.toInt()));
        else if (name == QLatin1String("RunprogramWaittime"))
            p.SetRunprogramWaittime(uint8_t(v.toInt()));
        else if (name == QLatin1String("ShutdownWaittime"))
            p.SetShutdownWaittime(uint8_t(v.toInt()));
        else if (name == QLatin1String("MissedTasksTreatment"))
            p.SetMissedTasksTreatment(TMissedTasksTreatment(v.toInt()));
        else if (name == QLatin1String("NeverShowSplash"))
            p.SetNeverShowSplash(v == QLatin1String("1"));
        else if (name == QLatin1String("LastRun")) // local wall-clock time, ISO 8601
            p.SetLastRun(DateTimeFromQDateTime(QDateTime::fromString(v, Qt::ISODate)));
        else if (name == QLatin1String("ShowFullMoons"))
            p.SetShowFullMoons(v == QLatin1String("1"));
        else {
            std::fprintf(stderr, "unknown setting %s\n", argv[i]);
            return 2;
        }
    }
    return p.SavePreferences() ? 0 : 1;
}
