#include "sim/sim_line_speed.h"

#include "sim/sim_server.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <utility>

TSimLineSpeed::TSimLineSpeed(TSimServer &server, int baud, QObject *parent)
    : QObject(parent), Server(server), Baud(baud)
{
    TSimPty &pty = Server.Port();
    TSimBus &line = Server.Bus();
    disconnect(&pty, &TSimPty::Received, &line, &TSimBus::Receive);
    disconnect(&line, &TSimBus::Transmit, &pty, &TSimPty::Write);
    connect(&pty, &TSimPty::Received, this, &TSimLineSpeed::FromHost);
    connect(&line, &TSimBus::Transmit, this, &TSimLineSpeed::FromInstrument);
}

int TSimLineSpeed::DeviceBaud(const QString &devicePath)
{
    // The device side's settings, read through a descriptor of our own: the
    // host keeps the device open meanwhile, so closing ours hangs nothing up.
    const int fd = ::open(devicePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return 0;
    termios mode{};
    const bool read = tcgetattr(fd, &mode) == 0;
    ::close(fd);
    if (!read)
        return 0;
    static constexpr std::array<std::pair<speed_t, int>, 12> Rates{{{B300, 300}, {B600, 600}, {B1200, 1200},
        {B2400, 2400}, {B4800, 4800}, {B9600, 9600}, {B19200, 19200}, {B38400, 38400}, {B57600, 57600},
        {B115200, 115200}, {B230400, 230400}, {B460800, 460800}}};
    const speed_t speed = cfgetospeed(&mode);
    for (const auto &[code, rate] : Rates)
        if (code == speed)
            return rate;
    return int(speed); // a C library that keeps speeds as plain numbers
}

QByteArray TSimLineSpeed::Noise(qsizetype count, quint32 &seed)
{
    QByteArray noise;
    for (qsizetype i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        const quint32 r = seed >> 16;
        switch (r % 16) {
        case 0: noise += '\0'; break;
        case 1: noise += "\r\n"; break; // a stop bit read into a line end now and then
        default: noise += char(0x80 | (r >> 4)); break;
        }
    }
    return noise;
}

bool TSimLineSpeed::AtSpeed() const { return DeviceBaud(Server.Port().DevicePath()) == Baud; }

void TSimLineSpeed::FromHost(const QByteArray &bytes)
{
    if (AtSpeed()) {
        Server.Bus().Receive(bytes);
        return;
    }
    // What the host sent arrives garbled, so no command is understood; the
    // instrument's refusals come back as noise.
    Server.Port().Write(Noise(bytes.size() / 2 + 1, Seed) + "\r\n");
}

void TSimLineSpeed::FromInstrument(const QByteArray &bytes)
{
    Server.Port().Write(AtSpeed() ? bytes : Noise(bytes.size(), Seed));
}
