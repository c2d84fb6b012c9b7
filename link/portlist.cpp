#include "link/portlist.h"

#include "sim/published_ports.h"

#include <QFile>
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

QStringList SerialPortNames(const QString &storedPort)
{
    QStringList found;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        found << NameOf(info);
    return MergePortNames(found, storedPort, PublishedPorts(), DeviceExists);
}
