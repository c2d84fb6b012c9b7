#pragma once
// A simulated instrument that listens at one baud rate only. The host's line
// settings reach the pseudo-terminal (the host sets them on the device side
// like on any serial port); while they name another speed, what the host
// sends does not reach the instrument, and the host receives the kind of
// noise a UART reads at the wrong speed: bytes with the high bits set, now
// and then a NUL, a CR or an LF, never a clean reply.

#include <QByteArray>
#include <QObject>

class TSimServer;

class TSimLineSpeed : public QObject {
public:
    // Puts itself between the server's port and instrument (after Start).
    TSimLineSpeed(TSimServer &server, int baud, QObject *parent = nullptr);

    // The speed the device side is set to now, in bits per second; 0 when
    // it cannot be read.
    static int DeviceBaud(const QString &devicePath);
    // Noise for `count` bytes sent at the wrong speed; `seed` moves on.
    static QByteArray Noise(qsizetype count, quint32 &seed);

private:
    bool AtSpeed() const;
    void FromHost(const QByteArray &bytes);
    void FromInstrument(const QByteArray &bytes);

    TSimServer &Server;
    int Baud;
    quint32 Seed = 4620;
};
