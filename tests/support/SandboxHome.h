#pragma once
// Points HOME, the XDG folders, the temporary folder and the session services
// of this process at a throw-away folder, so that nothing a test or a fuzz
// run does can reach the real user's files, bus, speakers or printers.

#include <QDir>
#include <QFile>
#include <QString>

namespace TestSupport {

inline void PointHomeAt(const QString &home, const QByteArray &tag)
{
    const QByteArray h = home.toUtf8();
    qputenv("HOME", h);
    qputenv("XDG_CONFIG_HOME", h + "/.config");
    qputenv("XDG_DATA_HOME", h + "/.local/share");
    qputenv("XDG_CACHE_HOME", h + "/.cache");
    qputenv("XDG_STATE_HOME", h + "/.local/state");
    qputenv("XDG_DOCUMENTS_DIR", h + "/Documents");
    qputenv("XDG_DESKTOP_DIR", h + "/Desktop");
    qputenv("XDG_RUNTIME_DIR", h + "/run");
    qputenv("TMPDIR", h + "/tmp");
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/brivane-" + tag + "-bus");
    // No sound server and only the PulseAudio driver: the real sound player
    // fails cleanly instead of reaching the host's speakers through ALSA.
    qputenv("PULSE_SERVER", "unix:/nonexistent/brivane-" + tag + "-pulse");
    qputenv("CANBERRA_DRIVER", "pulse");
    // No print server either: a printer made in a test finds none to ask or reach.
    qputenv("CUPS_SERVER", "/nonexistent/brivane-" + tag + "-cups");
    for (const char *sub : {"tmp", "Desktop", "run"})
        QDir(home).mkpath(QString::fromLatin1(sub));
    QFile::setPermissions(home + QStringLiteral("/run"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace TestSupport
