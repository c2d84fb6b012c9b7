#include "link/ioiface_serial.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFileInfo>
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

QString InUseText(const QString &port)
{
    return QStringLiteral("The port %1 is in use by another program.").arg(port);
}

// QSerialPort opens a port for itself alone, so a second program is
// refused; but a program that had the port open before (a terminal program,
// a "cat" left running) is not, and the two would then share every byte the
// instrument sends, which shows as "Instrument not responding" much later.
bool HeldByAnotherProcess(const QString &device)
{
#ifdef Q_OS_LINUX
    const QString target =
        QFileInfo(device.startsWith(QLatin1Char('/')) ? device : QStringLiteral("/dev/") + device).canonicalFilePath();
    if (target.isEmpty())
        return false;
    const QString self = QStringLiteral("/proc/%1/").arg(QCoreApplication::applicationPid());
    for (QDirIterator processes(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot); processes.hasNext();) {
        const QString process = processes.next() + u'/';
        if (process == self || !process.at(6).isDigit())
            continue;
        QDirIterator open(process + QStringLiteral("fd"), QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        while (open.hasNext())
            if (QFile::symLinkTarget(open.next()) == target)
                return true;
    }
#else
    Q_UNUSED(device);
#endif
    return false;
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
                                  "group: run \"sudo adduser $USER dialout\", then log in again).")
                .arg(port, reason);
        return InUseText(port) + QStringLiteral(" (%1)").arg(reason);
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

// Marks a handler of the port's signals as running, so that a transport
// destroyed meanwhile leaves the port object to the outermost such handler,
// which hands it over for deletion once the signal has returned.
class TIOIfaceSerial::TInPortSignal {
public:
    explicit TInPortSignal(std::shared_ptr<TLife> life) : Life(std::move(life)) { ++Life->SignalDepth; }
    ~TInPortSignal()
    {
        if (--Life->SignalDepth == 0 && Life->Orphan)
            std::exchange(Life->Orphan, nullptr)->deleteLater();
    }
    TInPortSignal(const TInPortSignal &) = delete;
    TInPortSignal &operator=(const TInPortSignal &) = delete;
    bool TransportAlive() const { return Life->Alive; }

private:
    std::shared_ptr<TLife> Life;
};

TIOIfaceSerial::TIOIfaceSerial() : SerialPort(std::make_unique<QSerialPort>())
{
    QSerialPort *port = SerialPort.get();
    QObject::connect(port, &QSerialPort::readyRead, port, [this] { ReceiveAvailable(); });
    QObject::connect(port, &QSerialPort::errorOccurred, port,
                     [this](QSerialPort::SerialPortError error) { PortError(error); });
}

TIOIfaceSerial::~TIOIfaceSerial()
{
    Life->Alive = false;
    // Closing must not call back into a half-destroyed transport.
    SerialPort->disconnect();
    if (SerialPort->isOpen()) {
        SerialPort->flush();
        SerialPort->close();
    }
    // Freed from inside a receive handler: QSerialPort is still emitting
    // and uses itself after the handler returns. The outermost handler
    // frees it later (TInPortSignal).
    if (Life->SignalDepth > 0)
        Life->Orphan = SerialPort.release();
}

bool TIOIfaceSerial::IsOpen() const { return SerialPort->isOpen(); }

void TIOIfaceSerial::Open()
{
    // Handlers are called through copies: any of them may free the transport.
    const auto onOpen = OnOpen;
    if (SerialPort->isOpen()) {
        // Already open: the line stays as it is, and is announced again.
        if (onOpen)
            onOpen(this);
        return;
    }
    // A lost link being reopened: its late events would now be wrong.
    ClosePending = false;
    ErrorPending.clear();
    const auto onError = OnError;
    const QString device = SerialDeviceName(Name);
    if (device.isEmpty()) {
        if (onError)
            onError(OpenFailureText(device, QSerialPort::DeviceNotFoundError, {}, true));
        return;
    }
    SerialPort->setPortName(device);
    ApplyLineSettings();
    Opening = true;
    const bool opened = SerialPort->open(QIODevice::ReadWrite);
    Opening = false;
    if (!opened) {
        const QString message = OpenFailureMessage(device);
        SerialPort->clearError();
        if (onError)
            onError(message);
        return;
    }
    if (HeldByAnotherProcess(device)) {
        SerialPort->close();
        SerialPort->clearError();
        if (onError)
            onError(InUseText(device));
        return;
    }
    // A pseudo-terminal refuses both with UnsupportedOperationError; that
    // does not stop the line from working, so the result is not checked.
    SerialPort->setDataTerminalReady(true);
    SerialPort->setRequestToSend(true);
    SerialPort->clearError();
    if (onOpen)
        onOpen(this);
}

QString TIOIfaceSerial::OpenFailureMessage(const QString &device) const
{
    const QFileInfo file(SerialPort->portName().startsWith(QLatin1Char('/'))
                             ? SerialPort->portName()
                             : QStringLiteral("/dev/") + SerialPort->portName());
    // A folder or an ordinary file named by mistake: the system's reason
    // ("Inappropriate ioctl for device") would not tell the user much.
    if (file.isDir() || file.isFile())
        return QStringLiteral("Cannot open serial port %1: it is not a serial device.").arg(device);
    const bool accessible = !file.exists() || (file.isReadable() && file.isWritable());
    return OpenFailureText(device, SerialPort->error(), SerialPort->errorString(), accessible);
}

void TIOIfaceSerial::Close()
{
    if (SerialPort->isOpen()) {
        // Hand over what is still queued (e.g. a stop command) without waiting.
        SerialPort->flush();
        SerialPort->close();
    }
    ClosePending = false;
    if (const auto onClose = OnClose)
        onClose(this);
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
    const TInPortSignal inSignal(Life);
    Receiving = true;
    do {
        const QByteArray bytes = SerialPort->readAll();
        if (const auto onReceive = OnReceive) {
            onReceive(QString::fromLatin1(bytes));
            if (!inSignal.TransportAlive())
                return; // freed by the handler: nothing of it may be touched
        }
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
    std::weak_ptr<TLife> life = Life;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [this, life] {
            if (const auto alive = life.lock(); alive && alive->Alive)
                RaiseLoss();
        },
        Qt::QueuedConnection);
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
