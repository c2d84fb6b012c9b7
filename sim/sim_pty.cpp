#include "sim/sim_pty.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

TSimPty::TSimPty(QObject *parent) : QObject(parent)
{
    RetryTimer.setSingleShot(true);
    RetryTimer.setInterval(RetryMs);
    connect(&RetryTimer, &QTimer::timeout, this, [this] {
        if (ReadNotifier)
            ReadNotifier->setEnabled(true);
    });
}

TSimPty::~TSimPty()
{
    Close();
}

bool TSimPty::Open(QString *error)
{
    Close();
    const int fd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    const char *name = nullptr;
    if (fd < 0 || grantpt(fd) != 0 || unlockpt(fd) != 0 || !(name = ptsname(fd))) {
        *error = QStringLiteral("cannot create a pseudo-terminal: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    // Raw mode set through the master reaches the device side and outlives
    // its clients: no echo of what the host sends, no line editing, no
    // CR/LF translation.
    termios mode{};
    if (tcgetattr(fd, &mode) == 0) {
        cfmakeraw(&mode);
        tcsetattr(fd, TCSANOW, &mode);
    }
    Master = fd;
    Path = QString::fromLocal8Bit(name);
    Attached = false;
    ReadNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(ReadNotifier, &QSocketNotifier::activated, this, &TSimPty::OnReadable);
    WriteNotifier = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    WriteNotifier->setEnabled(false);
    connect(WriteNotifier, &QSocketNotifier::activated, this, &TSimPty::OnWritable);
    return true;
}

void TSimPty::Close()
{
    RetryTimer.stop();
    delete ReadNotifier;
    delete WriteNotifier;
    ReadNotifier = WriteNotifier = nullptr;
    if (Master >= 0)
        ::close(Master);
    Master = -1;
    Pending.clear();
    if (Attached) {
        Attached = false;
        emit ClientChanged(false);
    }
}

void TSimPty::OnReadable()
{
    char buffer[4096];
    QByteArray received;
    for (;;) {
        const ssize_t n = ::read(Master, buffer, sizeof buffer);
        if (n > 0) {
            received.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            break;
        // EIO (or end of file): no client has the device open. The hang-up
        // keeps the descriptor readable, so look again later instead.
        ReadNotifier->setEnabled(false);
        RetryTimer.start();
        SetAttached(false);
        break;
    }
    if (!received.isEmpty()) {
        SetAttached(true);
        emit Received(received);
    }
}

void TSimPty::SetAttached(bool attached)
{
    if (attached == Attached)
        return;
    Attached = attached;
    if (!attached) {
        Pending.clear();
        DrainSlave();
    }
    emit ClientChanged(attached);
}

void TSimPty::DrainSlave()
{
    // Bytes written before the client left still wait on the device side;
    // read them away so the next client does not get stale replies.
    const int slave = ::open(Path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave < 0)
        return;
    char buffer[4096];
    while (::read(slave, buffer, sizeof buffer) > 0) {
    }
    ::close(slave);
}

void TSimPty::Write(const QByteArray &bytes)
{
    if (Master < 0 || !Attached)
        return; // nobody listening: the bytes are lost, as on an open line
    if (Pending.size() + bytes.size() > MaxPending)
        return; // the client does not read; drop rather than grow without end
    Pending += bytes;
    Flush();
}

void TSimPty::OnWritable()
{
    Flush();
}

void TSimPty::Flush()
{
    while (!Pending.isEmpty()) {
        const ssize_t n = ::write(Master, Pending.constData(), size_t(Pending.size()));
        if (n > 0) {
            Pending.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            break;
        Pending.clear(); // EIO: the client is gone; the read side notices it
        break;
    }
    if (WriteNotifier)
        WriteNotifier->setEnabled(!Pending.isEmpty());
}
