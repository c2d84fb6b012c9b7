#pragma once
// The transport over a real serial line (Qt SerialPort). Bytes received are
// handed to OnReceive on the GUI thread as Latin-1 text; Send writes a text's
// Latin-1 bytes in one write. The line runs without flow control, with DTR
// and RTS on while open. The receive buffer holds 4096 bytes (beyond that
// the bytes wait in the system's queue until the handler has read); what is
// sent is queued by QSerialPort, which has no size limit of its own to set.
//
// Failures are reported through OnError in words for the user: a port that
// cannot be opened (the transport stays closed, OnOpen is not raised), and a
// port lost while open (unplugged adapter, write error). A lost port is closed
// at once; OnClose and then OnError follow from the event loop, once each.
//
// The owner may destroy the transport from inside any of its events, also
// from a nested event loop run by a receive handler: the port is closed at
// once, and the QSerialPort object, whose signal may still be on the stack,
// goes only when that signal has returned.

#include "link/ioiface.h"

#include <QSerialPort>
#include <QString>
#include <memory>

// The port number a "COMn" name selects: the characters from the fourth on
// read as decimal digits (up to the first non-digit); a name shorter than four
// characters or a number of 0 selects port 1. "COM1" -> 1, "COM12" -> 12,
// "COM" and "COM0" -> 1. Numbers are capped at 9 digits.
int ComPortNumber(const QString &name);

// True for names of the form "COM" followed by nothing but digits (any case).
bool IsComPortName(const QString &name);

// The name handed to QSerialPort for a configured port name: "COM" names are
// normalised by the rule above ("COM" and "COM0" -> "COM1"); device names and
// paths ("ttyUSB0", "/dev/ttyUSB0", "/dev/pts/3") pass unchanged.
QString SerialDeviceName(const QString &name);

// The message for a port that could not be opened. `accessible` says whether
// this account may read and write the device file at all: without it a
// permission error means missing group membership, with it the port is
// most likely held by another program.
QString OpenFailureText(const QString &port, QSerialPort::SerialPortError error, const QString &reason,
                        bool accessible);

// "The port P is in use by another program."
QString InUseText(const QString &port);
// Whether another process has the device open (on Linux; elsewhere false).
// Root, and a program that opened the port before us, are not kept out by
// the port's own lock, so this is asked before a port is used.
bool HeldByAnotherProcess(const QString &device);

// Why a port open until now was lost, for "Connection to <port> lost: <why>".
QString LossReason(QSerialPort::SerialPortError error, bool devicePresent);

class TIOIfaceSerial : public TIOIface {
public:
    enum Parity { ParityNone = 0, ParityOdd = 1, ParityEven = 2 };
    static constexpr qint64 BufferSize = 4096;

    TIOIfaceSerial();
    ~TIOIfaceSerial() override;

    bool IsOpen() const override;
    void Open() override;
    void Close() override;
    void Send(const QString &text) override;

    // Line settings. Applied at once when the port is open, else at Open.
    void SetPortName(const QString &name);
    void SetBaudRate(int baud);
    void SetDataBits(int bits);       // 7 or 8 (other values: 8)
    void SetStopBits(int bits);       // 1 or 2 (other values: 1)
    void SetParity(int parity);       // 0 none, 1 odd, 2 even (other values: none)

    QString PortName() const { return Name; }
    int BaudRate() const override { return Baud; }
    int DataBits() const { return Data; }
    int StopBits() const { return Stop; }
    int Parity() const { return ParityValue; }

    // The serial port itself, for tests that watch its signals.
    QSerialPort &Port() const { return *SerialPort; }

private:
    void ApplyLineSettings();
    void ReceiveAvailable();
    void PortError(QSerialPort::SerialPortError error);
    void LoseConnection(QSerialPort::SerialPortError error);
    void RaiseLoss();
    QString OpenFailureMessage(const QString &device) const;

    // What outlives the transport while one of its port's signals is still
    // running (see the destructor).
    struct TLife {
        bool Alive = true;
        int SignalDepth = 0;
        QSerialPort *Orphan = nullptr;
    };
    class TInPortSignal;

    std::shared_ptr<TLife> Life = std::make_shared<TLife>();
    std::unique_ptr<QSerialPort> SerialPort;
    QString Name;
    int Baud = 9600;
    int Data = 8;
    int Stop = 1;
    int ParityValue = ParityNone;
    bool Opening = false;
    bool Receiving = false;
    // A lost port's events, waiting for the event loop (see LoseConnection).
    bool ClosePending = false;
    QString ErrorPending;
};
