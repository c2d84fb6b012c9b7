#pragma once
// The serial ports the connection dialog offers.
//
// Names are what TIOIfaceSerial::SetPortName takes: on Linux and macOS the
// device path ("/dev/ttyUSB0"), on Windows the port name ("COM3").

#include <QString>
#include <QStringList>
#include <functional>

// The serial devices present, plus the stored port when it names an
// existing device that the system's list lacks (a pseudo-terminal, a
// /dev/serial/by-id link), plus the ports running simulated instruments
// announce. Sorted as text ("COM10" before "COM2"), each name once.
QStringList SerialPortNames(const QString &storedPort = QString());

// The merging rule on its own: `found` (the system's devices), the stored
// port if `exists(storedPort)` and it is not already there, and `published`.
QStringList MergePortNames(const QStringList &found, const QString &storedPort, const QStringList &published,
                           const std::function<bool(const QString &)> &exists);

// True when a stored port name refers to an existing character device: a
// path, or a bare name ("ttyUSB0") under /dev. Folders and ordinary files
// are no serial devices.
bool DeviceExists(const QString &name);

// The /dev/serial/by-id name of a device, which stays the same whatever
// /dev/ttyUSBn the adapter gets; empty when it has none.
QString StableNameOf(const QString &port);
