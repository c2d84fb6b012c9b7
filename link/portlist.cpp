#include "link/portlist.h"

#include "sim/published_ports.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace {
QString NameOf(const QSerialPortInfo &info)
{
#ifdef Q_OS_WIN
    return info.portName();
#else
    return info.systemLocation();
#endif
}
} // namespace

bool DeviceExists(const QString &name)
{
#ifdef Q_OS_WIN
    Q_UNUSED(name);
    return false; // Windows ports are all in the system's list
#else
    if (name.isEmpty())
        return false;
    const QString path = name.startsWith(QLatin1Char('/')) ? name : QStringLiteral("/dev/") + name;
    // Only a character device (links followed) can be a serial line; a
    // folder or an ordinary file named in a hand-edited file is not offered.
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISCHR(info.st_mode);
#endif
}

QStringList MergePortNames(const QStringList &found, const QString &storedPort, const QStringList &published,
                           const std::function<bool(const QString &)> &exists)
{
    QStringList names = found;
    if (!storedPort.isEmpty() && !names.contains(storedPort) && exists(storedPort))
        names << storedPort;
    names << published;
    names.removeAll(QString());
    names.sort();
    names.removeDuplicates();
    return names;
}

QString StableNameOf(const QString &port)
{
    const QString device = QFileInfo(port).canonicalFilePath();
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo &link : byId.entryInfoList(QDir::System | QDir::Files))
        if (!device.isEmpty() && link.canonicalFilePath() == device && link.absoluteFilePath() != port)
            return link.fileName();
    return {};
}

QStringList SerialPortNames(const QString &storedPort)
{
    QStringList found;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        found << NameOf(info);
    const QStringList names = MergePortNames(found, storedPort, PublishedPorts(), DeviceExists);
    // A device under two names (a pseudo-terminal and a link to it) is
    // listed once: by the stored name when that is one of them.
    QStringList once;
    QStringList devices;
    for (const QString &name : names) {
        const QString device = QFileInfo(name).canonicalFilePath();
        const qsizetype seen = device.isEmpty() ? -1 : devices.indexOf(device);
        if (seen < 0) {
            once << name;
            devices << device;
        } else if (name == storedPort) {
            once[seen] = name;
        }
    }
    return once;
}
