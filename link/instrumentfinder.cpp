#include "link/instrumentfinder.h"

#include "link/ioiface_serial.h"
#include "link/receiver.h"

#include <QRegularExpression>
#include <QSerialPort>

#include <algorithm>

namespace {
QByteArray Selected(int unit, const char *command)
{
    return QByteArray("S") + QByteArray::number(unit).rightJustified(2, '0') + ';' + command;
}
QString ParityName(int parity)
{
    return parity == 1 ? QStringLiteral("odd parity") : parity == 2 ? QStringLiteral("even parity")
                                                                  : QStringLiteral("no parity");
}
// Noise without line ends must not pile up.
constexpr qsizetype MaxPending = 4096;
} // namespace

TInstrumentFinder::TInstrumentFinder(QObject *parent) : QObject(parent), Port(std::make_unique<QSerialPort>())
{
    qRegisterMetaType<TFoundInstrument>();
    TryTimer.setSingleShot(true);
    connect(&TryTimer, &QTimer::timeout, this, &TInstrumentFinder::TryTimedOut);
    connect(Port.get(), &QSerialPort::readyRead, this, &TInstrumentFinder::ReadLines);
    connect(Port.get(), &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if (error == QSerialPort::ReadError || error == QSerialPort::WriteError ||
            error == QSerialPort::ResourceError)
            PortFailed();
    });
}

TInstrumentFinder::~TInstrumentFinder()
{
    Port->disconnect(this);
    ClosePort();
}

QList<int> TInstrumentFinder::CommonBaudRates() { return {9600, 19200, 38400, 57600, 115200, 4800, 2400, 1200}; }

QList<int> TInstrumentFinder::BaudOrder(int first, const QList<int> &rates)
{
    QList<int> order;
    if (first > 0 && (rates.isEmpty() || rates.contains(first)))
        order << first;
    for (int rate : rates)
        if (rate > 0 && !order.contains(rate))
            order << rate;
    return order;
}

QStringList TInstrumentFinder::PortOrder(const QString &first, const QStringList &ports)
{
    QStringList order = ports;
    if (order.removeAll(first) > 0)
        order.prepend(first);
    order.removeAll(QString());
    order.removeDuplicates();
    return order;
}

bool TInstrumentFinder::IsIdentityLine(const QByteArray &line)
{
    static const QRegularExpression quotedTexts(QStringLiteral(R"(^"[^"]*"(\s*,\s*"[^"]*")*$)"));
    const QByteArray text = line.trimmed();
    bool hasWord = false;
    for (const char c : text) {
        if (c < 0x20 || c > 0x7E)
            return false;
        hasWord = hasWord || QChar::fromLatin1(c).isLetterOrNumber();
    }
    return hasWord && quotedTexts.match(QString::fromLatin1(text)).hasMatch();
}

int TInstrumentFinder::WireMs(int bytes, int baud)
{
    return baud > 0 ? int((qint64(bytes) * 10 * 1000 + baud - 1) / baud) : 0;
}

QByteArray TInstrumentFinder::ScanQuestion(int unit)
{
    return Selected(unit, "ADR?;IDN?;");
}

int TInstrumentFinder::AddressIn(const QByteArray &line)
{
    const QByteArray text = line.trimmed();
    if (text.isEmpty() || text.size() > 2)
        return -1;
    bool ok = false;
    const int address = text.toInt(&ok);
    return ok && text.front() >= '0' && text.front() <= '9' && address <= 31 ? address : -1;
}

QString TInstrumentFinder::NothingFoundText(const QList<TFinderTry> &tried, int dataBits, int parity, int stopBits)
{
    if (tried.isEmpty())
        return QStringLiteral("No instrument found: there is no serial port to search.");
    const bool searched = std::any_of(tried.begin(), tried.end(), [](const TFinderTry &port) { return port.Searched(); });
    QStringList lines{searched ? QStringLiteral("No instrument answered. Tried, at %1 data bits, %2, %3 stop bit%4:")
                                     .arg(dataBits)
                                     .arg(ParityName(parity))
                                     .arg(stopBits)
                                     .arg(stopBits == 1 ? QString() : QStringLiteral("s"))
                               : QStringLiteral("No port could be searched:")};
    for (const TFinderTry &port : tried) {
        if (port.InUse) {
            lines << QStringLiteral("%1: skipped, in use by another program").arg(port.Port);
            continue;
        }
        if (!port.OpenFailure.isEmpty()) {
            lines << QStringLiteral("%1: could not be opened (%2)").arg(port.Port, port.OpenFailure);
            continue;
        }
        QStringList rates;
        for (int rate : port.BaudRates)
            rates << QString::number(rate);
        lines << QStringLiteral("%1 at %2 baud").arg(port.Port, rates.join(QStringLiteral(", ")));
    }
    // Advice about the cable only where a port could be asked at all.
    if (searched)
        lines << QStringLiteral("Check the cable and that the instrument is switched on.");
    return lines.join(QLatin1Char('\n'));
}

void TInstrumentFinder::Start(const QStringList &ports, const QList<int> &bauds)
{
    TryTimer.stop();
    ClosePort();
    Ports = ports;
    Bauds = bauds;
    Found_.clear();
    Tries.clear();
    PortIndex = -1;
    Running = true;
    ++Generation;
    NextPort();
}

void TInstrumentFinder::SetUnitAddress(int unit) { Unit = unit >= 1 && unit <= 31 ? unit : 99; }

void TInstrumentFinder::SetLineSettings(int dataBits, int parity, int stopBits)
{
    DataBits = dataBits == 7 ? 7 : 8;
    Parity = parity == 1 || parity == 2 ? parity : 0;
    StopBits = stopBits == 2 ? 2 : 1;
}

void TInstrumentFinder::Cancel()
{
    if (Running)
        Finish(true);
}

void TInstrumentFinder::Finish(bool cancelled)
{
    TryTimer.stop();
    ClosePort();
    Running = false;
    emit Finished(cancelled);
}

void TInstrumentFinder::ClosePort()
{
    // The one port object is reused for every port, so it is never freed
    // inside one of its own signals.
    if (Port->isOpen())
        Port->close();
    Port->clearError();
    Pending.clear();
}

void TInstrumentFinder::NextPort()
{
    ClosePort();
    while (++PortIndex < Ports.size()) {
        const QString name = Ports.at(PortIndex);
        Tries.append({name, {}, {}});
        const QString device = SerialDeviceName(name);
        if (HeldByAnotherProcess(device)) {
            Tries.last().InUse = true;
            continue;
        }
        Port->setPortName(device);
        Port->setDataBits(DataBits == 7 ? QSerialPort::Data7 : QSerialPort::Data8);
        Port->setParity(Parity == 1 ? QSerialPort::OddParity : Parity == 2 ? QSerialPort::EvenParity : QSerialPort::NoParity);
        Port->setStopBits(StopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
        Port->setFlowControl(QSerialPort::NoFlowControl);
        if (Port->open(QIODevice::ReadWrite)) {
            // Some adapters power the line from these; a pseudo-terminal
            // refuses them, which does not matter.
            Port->setDataTerminalReady(true);
            Port->setRequestToSend(true);
            Port->clearError();
            BaudIndex = -1;
            NextBaud();
            return;
        }
        Tries.last().OpenFailure = Port->errorString();
        Port->clearError();
    }
    Finish(false);
}

void TInstrumentFinder::NextBaud()
{
    if (++BaudIndex >= Bauds.size()) {
        NextPort();
        return;
    }
    const int baud = Bauds.at(BaudIndex);
    Port->setBaudRate(baud);
    // What came at the last speed is no answer to this one.
    Port->clear();
    Pending.clear();
    Stage = TStage::Identity;
    Identity.clear();
    SawBytes = false;
    Tries.last().BaudRates << baud;
    TryTimer.start(TryMs);
    const quint64 search = Generation;
    emit Trying(Ports.at(PortIndex), baud);
    if (search == Generation && Running && Port->isOpen())
        Port->write(Selected(98, "STP;") + Selected(Unit, "IDN?;"));
}

void TInstrumentFinder::TryTimedOut()
{
    if (!Running)
        return;
    if (!Port->isOpen()) {
        NextPort(); // lost while trying
        return;
    }
    if (Stage == TStage::Address) {
        Report(Unit); // it told who it is, not where: the address asked reaches it
        return;
    }
    if (Stage == TStage::Scan) {
        ScanTimedOut();
        return;
    }
    // Any unit was asked and only noise came: several may have answered at once.
    if (SawBytes && Unit == 99) {
        StartScan();
        return;
    }
    NextBaud();
}

void TInstrumentFinder::ReadLines()
{
    if (!Running)
        return;
    // A line cut off before a pause is never completed by what comes next
    // (a cut weight line and the address "5" would read as another address).
    if (LastRead.isValid() && LastRead.elapsed() > TReplyReceiver::PartialLineLimitMs(Port->baudRate()))
        Pending.clear();
    LastRead.start();
    const QByteArray bytes = Port->readAll();
    if (!bytes.isEmpty()) {
        SawBytes = true;
        // The answer has begun: it gets the time it takes on the line.
        if (Stage == TStage::Scan && !ScanAnswering && !ScanSettling) {
            ScanAnswering = true;
            TryTimer.start(WireMs(LongestScanAnswer, Port->baudRate()) + TurnaroundMs);
        }
    }
    Pending += bytes;
    for (;;) {
        qsizetype end = 0;
        while (end < Pending.size() && Pending.at(end) != '\r' && Pending.at(end) != '\n')
            ++end;
        if (end == Pending.size())
            break;
        const QByteArray line = Pending.left(end);
        Pending.remove(0, end + 1);
        if (!line.isEmpty())
            TakeLine(line);
        if (!Running || !TryTimer.isActive())
            return; // cancelled, or moved on, by a slot of ours
    }
    if (Pending.size() > MaxPending)
        Pending.clear();
}

void TInstrumentFinder::TakeLine(const QByteArray &line)
{
    if (Stage == TStage::Scan) {
        TakeScanLine(line);
        return;
    }
    if (Stage == TStage::Identity) {
        // A weight line streamed before the stop took effect is skipped.
        // Noise after "any" was asked (several units at once, or a wrong
        // rate) needs no more than an answer's time to be over.
        if (!IsIdentityLine(line)) {
            const int quiet = WireMs(LongestScanAnswer, Port->baudRate()) + TurnaroundMs;
            const bool noise = std::any_of(line.begin(), line.end(), [](char c) { return c < 0x20 || c > 0x7E; });
            if (noise && Unit == 99 && TryTimer.remainingTime() > quiet)
                TryTimer.start(quiet);
            return;
        }
        Identity = QString::fromLatin1(line.trimmed());
        Stage = TStage::Address;
        TryTimer.start(TryMs);
        // What is left of a line was sent before the question.
        Pending.clear();
        Port->write(Selected(Unit, "ADR?;"));
        return;
    }
    if (const int address = AddressIn(line); address >= 0)
        Report(address);
}

// The unit heard now, on the port and line settings being tried.
TFoundInstrument TInstrumentFinder::FoundAt(int unitAddress) const
{
    TFoundInstrument result;
    result.Port = Ports.at(PortIndex);
    result.BaudRate = Bauds.at(BaudIndex);
    result.DataBits = DataBits;
    result.Parity = Parity;
    result.StopBits = StopBits;
    result.UnitAddress = unitAddress;
    result.Identity = Identity;
    return result;
}

void TInstrumentFinder::Report(int unitAddress)
{
    TryTimer.stop();
    const TFoundInstrument result = FoundAt(unitAddress);
    Found_ << result;
    ClosePort();
    const quint64 search = Generation;
    emit Found(result);
    // One instrument answered any: it is alone on this port. The next port,
    // unless a slot has stopped us.
    if (Running && search == Generation && !TryTimer.isActive())
        PortDone();
}

void TInstrumentFinder::PortDone()
{
    if (StopAtFirstPort)
        Finish(false);
    else
        NextPort();
}

void TInstrumentFinder::StartScan()
{
    Stage = TStage::Scan;
    ScanUnit = FirstScanUnit - 1;
    ScanFoundCount = 0;
    NoisyInARow = 0;
    AskNextUnit();
}

void TInstrumentFinder::AskNextUnit()
{
    ScanRetried = false;
    if (++ScanUnit > LastScanUnit) {
        TryTimer.stop();
        EndScan();
        return;
    }
    AskScanUnit();
}

void TInstrumentFinder::AskScanUnit()
{
    TryTimer.stop();
    ScanSettling = false;
    // What is left of the last answer (noise, a late line) is not this one's.
    Port->clear(QSerialPort::Input);
    Pending.clear();
    Identity.clear();
    SawBytes = ScanAnswering = ScanAddressHeard = false;
    const int baud = Bauds.at(BaudIndex);
    const QByteArray question = ScanQuestion(ScanUnit);
    TryTimer.start(WireMs(int(question.size()), baud) + TurnaroundMs);
    const quint64 search = Generation;
    emit Asking(Ports.at(PortIndex), baud, ScanUnit);
    if (search == Generation && Running && Port->isOpen())
        Port->write(question);
}

void TInstrumentFinder::TakeScanLine(const QByteArray &line)
{
    if (ScanSettling)
        return; // the rest of the answer just taken
    const bool printable = std::all_of(line.begin(), line.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
    if (!printable) {
        // One unit asked alone never answers noise: this is a wrong baud
        // rate, unless units have answered cleanly at it already.
        if (ScanFoundCount == 0)
            NextBaud();
        return;
    }
    if (!ScanAddressHeard) {
        // A line that is not this address is a late answer of another.
        ScanAddressHeard = AddressIn(line) == ScanUnit;
        return;
    }
    if (IsIdentityLine(line)) {
        Identity = QString::fromLatin1(line.trimmed());
        ScanFound();
    }
}

void TInstrumentFinder::ScanTimedOut()
{
    if (ScanSettling) {
        AskNextUnit();
        return;
    }
    // It said its address; its identity did not come whole: it is there.
    if (ScanAddressHeard) {
        ScanFound();
        return;
    }
    // Noise where units have answered cleanly: this one's answer met
    // another's tail on the line. Asked once more.
    if (SawBytes && ScanFoundCount > 0 && !ScanRetried) {
        ScanRetried = true;
        AskScanUnit();
        return;
    }
    NoisyInARow = SawBytes ? NoisyInARow + 1 : 0;
    if (NoisyInARow >= 2 && ScanFoundCount == 0)
        NextBaud();
    else
        AskNextUnit();
}

void TInstrumentFinder::ScanFound()
{
    TryTimer.stop();
    const TFoundInstrument result = FoundAt(ScanUnit);
    Found_ << result;
    ++ScanFoundCount;
    NoisyInARow = 0;
    const quint64 search = Generation;
    emit Found(result);
    // The answer's line end may still be on its way: the next unit is asked
    // once the line is quiet, or the two answers would meet on it.
    if (search == Generation && Running && Stage == TStage::Scan) {
        ScanSettling = true;
        TryTimer.start(WireMs(2, Port->baudRate()) + SettleMs);
    }
}

void TInstrumentFinder::EndScan()
{
    if (ScanFoundCount == 0) {
        NextBaud();
        return;
    }
    ClosePort();
    PortDone();
}

void TInstrumentFinder::PortFailed()
{
    // A port that has gone keeps raising errors until it is closed.
    if (!Port->isOpen())
        return;
    Port->close();
    if (Running)
        TryTimer.start(0);
}
