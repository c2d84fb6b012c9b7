#include "support/pty_peer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace {
QString SystemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QString::fromLatin1(what), QString::fromLocal8Bit(std::strerror(errno)));
}

// One short turn of the event loop: handles what is pending and sleeps at
// most `ms` waiting for more, so waiting never spins a core.
void RunEventLoopOnce(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}
} // namespace

void RunEventLoopFor(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        RunEventLoopOnce(int(qMin<qint64>(5, qMax<qint64>(1, deadline.remainingTime()))));
}

TPtyPeer::TPtyPeer()
{
    const int fd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        Error = SystemError("posix_openpt");
        return;
    }
    if (grantpt(fd) != 0 || unlockpt(fd) != 0) {
        Error = SystemError("grantpt/unlockpt");
        ::close(fd);
        return;
    }
    char name[128] = {};
    if (ptsname_r(fd, name, sizeof name) != 0) {
        Error = SystemError("ptsname_r");
        ::close(fd);
        return;
    }
    // Raw: no echo and no translation, so the bytes a test sees are exactly
    // the bytes the code under test wrote, and the reverse.
    termios mode {};
    if (tcgetattr(fd, &mode) == 0) {
        cfmakeraw(&mode);
        tcsetattr(fd, TCSANOW, &mode);
    }
    MasterFd = fd;
    Slave = QString::fromLocal8Bit(name);
}

TPtyPeer::~TPtyPeer() { CloseMaster(); }

QByteArray TPtyPeer::ReadAvailable()
{
    if (MasterFd < 0)
        return {};
    QByteArray fresh;
    char chunk[4096];
    for (;;) {
        const ssize_t n = ::read(MasterFd, chunk, sizeof chunk);
        if (n > 0) {
            fresh.append(chunk, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // EAGAIN: nothing more now. EIO: the slave is not open (yet or any
        // more), which for a test simply means nothing arrived.
        break;
    }
    Buffer += fresh;
    return fresh;
}

QByteArray TPtyPeer::Take()
{
    ReadAvailable();
    QByteArray all;
    all.swap(Buffer);
    return all;
}

bool TPtyPeer::WaitUntil(const std::function<bool()> &done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        ReadAvailable();
        if (done())
            return true;
        if (deadline.hasExpired())
            return false;
        RunEventLoopOnce(2);
    }
}

QByteArray TPtyPeer::WaitForBytes(int count, int timeoutMs)
{
    WaitUntil([&] { return Buffer.size() >= count; }, timeoutMs);
    return Buffer;
}

bool TPtyPeer::WaitFor(const QByteArray &pattern, int timeoutMs)
{
    return WaitUntil([&] { return Buffer.contains(pattern); }, timeoutMs);
}

bool TPtyPeer::Write(const QByteArray &bytes)
{
    if (MasterFd < 0)
        return false;
    qsizetype done = 0;
    QDeadlineTimer deadline(3000);
    while (done < bytes.size()) {
        const ssize_t n = ::write(MasterFd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN && !deadline.hasExpired()) {
            // The slave's input queue is full: let the reader catch up.
            RunEventLoopOnce(2);
            continue;
        }
        return false;
    }
    return true;
}

bool TPtyPeer::WriteInPieces(const QByteArray &bytes, int pieceSize, int pauseMs)
{
    pieceSize = qMax(1, pieceSize);
    for (qsizetype at = 0; at < bytes.size(); at += pieceSize) {
        if (!Write(bytes.mid(at, pieceSize)))
            return false;
        Pump(pauseMs);
    }
    return true;
}

void TPtyPeer::CloseMaster()
{
    if (MasterFd < 0)
        return;
    ::close(MasterFd);
    MasterFd = -1;
}

void TPtyPeer::Pump(int ms)
{
    QDeadlineTimer deadline(ms);
    do {
        ReadAvailable();
        RunEventLoopOnce(int(qMin<qint64>(2, qMax<qint64>(1, deadline.remainingTime()))));
    } while (!deadline.hasExpired());
    ReadAvailable();
}
