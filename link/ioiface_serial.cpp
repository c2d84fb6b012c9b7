#include "link/ioiface_serial.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <utility>

int ComPortNumber(const QString &name)
{
    constexpr int MaxDigits = 9; // keeps the number well inside an int
    int value = 0;
    for (qsizetype at = 3, digits = 0; at < name.size() && digits < MaxDigits; ++at, ++digits) {
        const QChar c = name.at(at);
        if (!c.isDigit() || c.unicode() > '9')
            break;
        value = value * 10 + (c.unicode() - '0');
    }
    return value == 0 ? 1 : value;
}

bool IsComPortName(const QString &name)
{
    if (!name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
        return false;
    for (qsizetype at = 3; at < name.size(); ++at)
        if (name.at(at).unicode() < '0' || name.at(at).unicode() > '9')
            return false;
    return true;
}

QString SerialDeviceName(const QString &name)
{
    const QString trimmed = name.trimmed();
    if (IsComPortName(trimmed))
        return QStringLiteral("COM%1").arg(ComPortNumber(trimmed));
    return trimmed;
}

QString OpenFailureText(const QString &port, QSerialPort::SerialPortError error, const QString &reason,
                        bool accessible)
{
    if (port.isEmpty())
        return QStringLiteral("No serial port is selected. Choose one in Connection Settings.");
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("Cannot open serial port %1: the device does not exist (%2).").arg(port, reason);
    case QSerialPort::PermissionError:
        if (!accessible)
            return QStringLiteral("Cannot open serial port %1: permission denied (%2). This account needs "
                                  "access to serial devices (on Debian, membership of the \"dialout\" "
                                  "group; log in again after joining it).")
                .arg(port, reason);
        return QStringLiteral("Cannot open serial port %1: it is in use by another program (%2).")
            .arg(port, reason);
    default:
        return QStringLiteral("Cannot open serial port %1: %2").arg(port, reason);
    }
}

QString LossReason(QSerialPort::SerialPortError error, bool devicePresent)
{
    // QSerialPort's own text for these errors often holds a stale system
    // error (e.g. the refused DTR ioctl), so the words are ours.
    if (!devicePresent)
        return QStringLiteral("the device is no longer present (unplugged?).");
    switch (error) {
    case QSerialPort::WriteError: return QStringLiteral("writing to the device failed.");
    case QSerialPort::ResourceError: return QStringLiteral("the device is no longer available (unplugged?).");
    default: return QStringLiteral("reading from the device failed.");
    }
}

TIOIfaceSerial::TIOIfaceSerial() : SerialPort(std::make_unique<QSerialPort>())
{
    QSerialPort *port = SerialPort.get();
    QObject::connect(port, &QSerialPort::readyRead, port, [this] { ReceiveAvailable(); });
    QObject::connect(port, &QSerialPort::errorOccurred, port,
                     [this](QSerialPort::SerialPortError error) { PortError(error); });
}

TIOIfaceSerial::~TIOIfaceSerial()
{
    // Closing must not call back into a half-destroyed transport.
    SerialPort->disconnect();
    if (SerialPort->isOpen()) {
        SerialPort->flush();
        SerialPort->close();
    }
}

bool TIOIfaceSerial::IsOpen() const { return SerialPort->isOpen(); }

void TIOIfaceSerial::Open()
{
    if (SerialPort->isOpen())
        return;
    // A lost link being reopened: its late close event would now be wrong.
    ClosePending = false;
    const QString device = SerialDeviceName(Name);
    if (device.isEmpty()) {
        if (OnError)
            OnError(OpenFailureText(device, QSerialPort::DeviceNotFoundError, {}, true));
        return;
    }
    SerialPort->setPortName(device);
    ApplyLineSettings();
    Opening = true;
    const bool opened = SerialPort->open(QIODevice::ReadWrite);
    Opening = false;
    if (!opened) {
        const QFileInfo file(SerialPort->portName().startsWith(QLatin1Char('/'))
                                 ? SerialPort->portName()
                                 : QStringLiteral("/dev/") + SerialPort->portName());
        const bool accessible = !file.exists() || (file.isReadable() && file.isWritable());
        const QString message = OpenFailureText(device, SerialPort->error(), SerialPort->errorString(), accessible);
        SerialPort->clearError();
        if (OnError)
            OnError(message);
        return;
    }
    // A pseudo-terminal refuses both with UnsupportedOperationError; that
    // does not stop the line from working, so the result is not checked.
    SerialPort->setDataTerminalReady(true);
    SerialPort->setRequestToSend(true);
    SerialPort->clearError();
    if (OnOpen)
        OnOpen(this);
}

void TIOIfaceSerial::Close()
{
    if (SerialPort->isOpen()) {
        // Hand over what is still queued (e.g. a stop command) without waiting.
        SerialPort->flush();
        SerialPort->close();
    }
    ClosePending = false;
    if (OnClose)
        OnClose(this);
}

void TIOIfaceSerial::Send(const QString &text)
{
    if (!SerialPort->isOpen())
        return;
    // Write failures arrive through errorOccurred (PortError).
    SerialPort->write(text.toLatin1());
}

void TIOIfaceSerial::SetPortName(const QString &name) { Name = name; }

void TIOIfaceSerial::SetBaudRate(int baud)
{
    Baud = baud > 0 ? baud : 9600;
    if (SerialPort->isOpen())
        SerialPort->setBaudRate(Baud);
}

void TIOIfaceSerial::SetDataBits(int bits)
{
    Data = bits == 7 ? 7 : 8;
    if (SerialPort->isOpen())
        SerialPort->setDataBits(Data == 7 ? QSerialPort::Data7 : QSerialPort::Data8);
}

void TIOIfaceSerial::SetStopBits(int bits)
{
    Stop = bits == 2 ? 2 : 1;
    if (SerialPort->isOpen())
        SerialPort->setStopBits(Stop == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
}

void TIOIfaceSerial::SetParity(int parity)
{
    ParityValue = (parity == ParityOdd || parity == ParityEven) ? parity : ParityNone;
    if (SerialPort->isOpen())
        ApplyLineSettings();
}

void TIOIfaceSerial::ApplyLineSettings()
{
    SerialPort->setBaudRate(Baud);
    SerialPort->setDataBits(Data == 7 ? QSerialPort::Data7 : QSerialPort::Data8);
    SerialPort->setStopBits(Stop == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    SerialPort->setParity(ParityValue == ParityOdd    ? QSerialPort::OddParity
                          : ParityValue == ParityEven ? QSerialPort::EvenParity
                                                      : QSerialPort::NoParity);
    SerialPort->setFlowControl(QSerialPort::NoFlowControl);
    SerialPort->setReadBufferSize(BufferSize);
}

void TIOIfaceSerial::ReceiveAvailable()
{
    // A handler that runs a nested event loop must not get later bytes before
    // it has finished with the earlier ones; they wait in the port's buffer.
    // QSerialPort does not signal them again once the handler returns, so
    // they are collected here, in order.
    if (Receiving)
        return;
    Receiving = true;
    do {
        const QByteArray bytes = SerialPort->readAll();
        if (OnReceive)
            OnReceive(QString::fromLatin1(bytes));
    } while (SerialPort->isOpen() && SerialPort->bytesAvailable() > 0);
    Receiving = false;
}

void TIOIfaceSerial::PortError(QSerialPort::SerialPortError error)
{
    if (Opening || !SerialPort->isOpen())
        return; // Open reports its own failure; a closed port has nothing to lose
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
        LoseConnection(error);
        break;
    default:
        // Refused line controls (DTR/RTS on a pseudo-terminal), time-outs:
        // the line still works.
        break;
    }
}

void TIOIfaceSerial::LoseConnection(QSerialPort::SerialPortError error)
{
    // Close now, inside the error signal: an open port that has gone away
    // raises this error again and again, as fast as the loop can turn.
    SerialPort->close();
    ClosePending = true;
    if (ErrorPending.isEmpty()) {
        const QString device = SerialDeviceName(Name);
        const bool present = !device.startsWith(QLatin1Char('/')) || QFileInfo::exists(device);
        ErrorPending = QStringLiteral("Connection to %1 lost: %2").arg(device, LossReason(error, present));
    }
    // The events follow from the event loop, so a handler may free the
    // transport. The guard drops them when it was freed meanwhile.
    QPointer<QSerialPort> alive(SerialPort.get());
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [this, alive] { if (alive) RaiseLoss(); }, Qt::QueuedConnection);
}

void TIOIfaceSerial::RaiseLoss()
{
    const bool raiseClose = std::exchange(ClosePending, false);
    const QString message = std::exchange(ErrorPending, QString());
    // Copied: OnClose may free the transport.
    const auto onClose = OnClose;
    const auto onError = OnError;
    if (raiseClose && onClose)
        onClose(this);
    if (!message.isEmpty() && onError)
        onError(message);
}
