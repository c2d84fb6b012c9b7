#include "sim/published_ports.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <unistd.h>

QString PublishedPortsDir()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        return QString::fromLocal8Bit(runtime) + QStringLiteral("/kd4620-sim");
    return QDir::tempPath() + QStringLiteral("/kd4620-sim-%1").arg(getuid());
}

QString PublishPort(const QString &devicePath)
{
    const QString dir = PublishedPortsDir();
    if (!QDir().mkpath(dir))
        return {};
    const QString name = dir + QStringLiteral("/%1").arg(QCoreApplication::applicationPid());
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(devicePath.toLocal8Bit() + '\n');
    return file.commit() ? name : QString();
}

void WithdrawPort(const QString &announcementFile)
{
    if (!announcementFile.isEmpty())
        QFile::remove(announcementFile);
}

namespace {

bool IsRunning(const QString &processId)
{
#ifdef Q_OS_UNIX
    bool number = false;
    const qint64 pid = processId.toLongLong(&number);
    return !number || pid <= 0 || ::kill(pid_t(pid), 0) == 0 || errno != ESRCH;
#else
    Q_UNUSED(processId);
    return true;
#endif
}

} // namespace

QStringList PublishedPorts()
{
    QStringList ports;
    const QDir dir(PublishedPortsDir());
    for (const QFileInfo &entry : dir.entryInfoList(QDir::Files, QDir::Name)) {
        // A simulator that died leaves its file, and its terminal's number
        // soon serves another program: only running ones are offered.
        if (!IsRunning(entry.baseName()))
            continue;
        QFile file(entry.absoluteFilePath());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString path = QString::fromLocal8Bit(file.readLine(4096)).trimmed();
        if (!path.isEmpty() && QFileInfo::exists(path) && !ports.contains(path))
            ports << path;
    }
    ports.sort();
    return ports;
}
