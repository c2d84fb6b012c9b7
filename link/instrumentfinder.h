#pragma once
// Finds instruments whose baud rate and unit addresses are not known: on each
// port in turn, at each baud rate in turn (8 data bits, no parity, 1 stop
// bit unless told otherwise), it stops any streaming ("S98;STP;"), asks any
// unit (or the one unit it is told) for its identity ("S99;IDN?;") and, when
// a believable identity comes back, for its unit address ("S99;ADR?;"). It
// only asks: no setting is ever written. A port that another program holds
// is skipped without being opened: opening it would change that program's
// line settings and take its replies.
//
// Several instruments on one RS-485 bus all answer "S99;" at once, and the
// host hears noise. So when any was asked and noise came back, the port is
// scanned at that baud rate one unit address at a time ("S05;ADR?;IDN?;":
// the answer names its own address, so a late reply is never taken for the
// next unit's), with waits sized to the baud rate: every unit of the bus is
// reported. The next address is asked only once the last answer is over on
// the line, and an address that answers noise after others answered cleanly
// is asked once more (two answers met on the wire). Noise from two addresses running, with none found, is a wrong
// baud rate: the scan gives up and the next rate is tried.
//
// It runs on the event loop (the port's readyRead and single-shot timers),
// never blocking it. A try waits at most TryMs for the identity, so a port
// with eight baud rates and no bus is done within 3 s, and a bus at 9600
// baud is scanned within 3 s as well. Cancel stops at once and closes the
// port. Used by the connection dialog and the command-line program.

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <memory>

class QSerialPort;

struct TFoundInstrument {
    QString Port;
    int BaudRate = 0;
    int DataBits = 8;
    int Parity = 0;      // 0 none, 1 odd, 2 even
    int StopBits = 1;
    int UnitAddress = 99; // 0..31 as the instrument answered; 99 when it did not say
    QString Identity;     // the answer to "IDN?" as it came, e.g. "KD4620","46200001","1.04"
};

// What was tried on one port, for the "nothing found" message.
struct TFinderTry {
    QString Port;
    QList<int> BaudRates;  // in the order tried
    QString OpenFailure;   // why the port could not be opened; empty when it could
    bool InUse = false;    // skipped: another program holds it
    // The port was opened and asked.
    bool Searched() const { return OpenFailure.isEmpty() && !InUse; }
};

class TInstrumentFinder : public QObject {
    Q_OBJECT
public:
    static constexpr int TryMs = 300;
    // The scan: addresses asked, and how long an instrument may take to
    // start its answer once the question has reached it (a USB adapter's
    // latency included).
    static constexpr int FirstScanUnit = 1;
    static constexpr int LastScanUnit = 31;
    static constexpr int TurnaroundMs = 40;
    // The quiet kept on the line after an answer before the next question.
    static constexpr int SettleMs = 5;
    // The longest answer to the scan's question: the address line and an
    // identity of three texts at their longest, each with CR LF.
    static constexpr int LongestScanAnswer = 4 + 3 * 12 + 2 + 2;

    explicit TInstrumentFinder(QObject *parent = nullptr);
    ~TInstrumentFinder() override;

    // Tries `bauds` on every port of `ports`, one port after another.
    // Restarts a search already running (without its Finished).
    void Start(const QStringList &ports, const QList<int> &bauds);
    // Stops at once, closes the port and raises Finished(true); nothing
    // when no search runs.
    void Cancel();
    bool IsRunning() const { return Running; }
    // For the next Start: the unit asked (1..31, or 99 for any) and the
    // line's data bits (7, 8), parity (0 none, 1 odd, 2 even), stop bits (1, 2).
    void SetUnitAddress(int unit);
    void SetLineSettings(int dataBits, int parity, int stopBits);
    // The search ends with the first port where instruments answered (all
    // of that port's units are reported), as the connection dialog wants.
    void SetStopAtFirstPort(bool stop) { StopAtFirstPort = stop; }

    QList<TFoundInstrument> Results() const { return Found_; }
    QList<TFinderTry> Tried() const { return Tries; }

    // The rates worth trying, most used first.
    static QList<int> CommonBaudRates();
    // `first` (when it is one of `rates`, or `rates` is empty) and then the
    // others of `rates`, each once.
    static QList<int> BaudOrder(int first, const QList<int> &rates);
    static QStringList PortOrder(const QString &first, const QStringList &ports);
    // An answer to "IDN?": quoted texts separated by commas, nothing but
    // printable ASCII. Line noise at a wrong baud rate never looks like that.
    static bool IsIdentityLine(const QByteArray &line);
    // An answer to "ADR?": a number 0..31, or -1.
    static int AddressIn(const QByteArray &line);
    // The time `bytes` take on the line at `baud`, rounded up to whole ms.
    static int WireMs(int bytes, int baud);
    // The scan's question to one unit address.
    static QByteArray ScanQuestion(int unit);
    // "No instrument answered. Tried: ..." in words for the user, with the
    // line settings tried.
    static QString NothingFoundText(const QList<TFinderTry> &tried, int dataBits = 8, int parity = 0,
                                    int stopBits = 1);

signals:
    void Trying(const QString &port, int baud);
    // The scan asks one unit address.
    void Asking(const QString &port, int baud, int unit);
    void Found(const TFoundInstrument &result);
    void Finished(bool cancelled);

private:
    enum class TStage { Identity, Address, Scan };

    void NextPort();
    void NextBaud();
    void TryTimedOut();
    void ReadLines();
    void TakeLine(const QByteArray &line);
    TFoundInstrument FoundAt(int unitAddress) const;
    void Report(int unitAddress);
    void StartScan();
    void AskNextUnit();
    void AskScanUnit();
    void ScanTimedOut();
    void TakeScanLine(const QByteArray &line);
    void ScanFound();
    void EndScan();
    void PortDone();
    void PortFailed();
    void ClosePort();
    void Finish(bool cancelled);

    std::unique_ptr<QSerialPort> Port;
    QTimer TryTimer;
    QStringList Ports;
    QList<int> Bauds;
    int PortIndex = -1;
    int BaudIndex = -1;
    TStage Stage = TStage::Identity;
    QByteArray Pending;
    QElapsedTimer LastRead; // since bytes last came: a partial line that waited is noise
    QString Identity;
    int Unit = 99;
    bool StopAtFirstPort = false;
    bool SawBytes = false;  // this try or question got bytes back
    // The scan: the address asked, whether its answer has begun and its
    // address line has come, the units found at this rate and the
    // noisy answers in a row.
    int ScanUnit = 0;
    bool ScanAnswering = false;
    bool ScanAddressHeard = false;
    int ScanFoundCount = 0;
    int NoisyInARow = 0;
    bool ScanSettling = false; // an answer was taken; waiting for a quiet line
    bool ScanRetried = false;  // this address was asked again after noise
    int DataBits = 8;
    int Parity = 0;
    int StopBits = 1;
    bool Running = false;
    quint64 Generation = 0; // a slot may start a new search from our signal
    QList<TFoundInstrument> Found_;
    QList<TFinderTry> Tries;
};

Q_DECLARE_METATYPE(TFoundInstrument)
