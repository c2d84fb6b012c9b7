#include "sim/published_ports.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The folder is the user's: a real folder (not a link), owned by this user,
// that nobody else may write to. In a shared temporary folder anybody could
// have made it first and laid false announcements in it.
bool IsOwnFolder(const QString &dir)
{
#ifdef Q_OS_UNIX
    struct stat status {};
    if (::lstat(QFile::encodeName(dir).constData(), &status) != 0)
        return false;
    return S_ISDIR(status.st_mode) && status.st_uid == ::getuid() && (status.st_mode & 022) == 0;
#else
    return QFileInfo(dir).isDir();
#endif
}

bool IsOwnFile(const QFileInfo &entry)
{
#ifdef Q_OS_UNIX
    return entry.ownerId() == ::getuid() && !entry.isSymLink();
#else
    return !entry.isSymLink();
#endif
}

// Makes the folder, open to this user only (an own folder made before,
// open to reading by others, is closed to them); false when it cannot be
// made or one that is not the user's stands in its place.
bool MakePrivateFolder(const QString &dir)
{
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(dir);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    return IsOwnFolder(dir) && ::chmod(path.constData(), 0700) == 0;
#else
    QDir().mkpath(dir);
    return IsOwnFolder(dir);
#endif
}

} // namespace

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
    if (!MakePrivateFolder(dir))
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
    if (!IsOwnFolder(PublishedPortsDir()))
        return ports;
    const QDir dir(PublishedPortsDir());
    for (const QFileInfo &entry : dir.entryInfoList(QDir::Files, QDir::Name)) {
        // A simulator that died leaves its file, and its terminal's number
        // soon serves another program: only running ones are offered.
        if (!IsOwnFile(entry) || !IsRunning(entry.baseName()))
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
