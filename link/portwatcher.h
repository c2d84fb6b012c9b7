#pragma once
// Waits for a lost serial port to come back, so the window can connect again
// by itself when a USB adapter that was knocked out is plugged in again. It
// looks every PollMs: first for the same path, then (the system may give the
// adapter another name) for a port with the same USB serial number, or the
// same vendor and product id when the adapter has no serial number and only
// one such port is present. A port counts as back once it can be opened.
// Only the event loop's timer drives it; nothing blocks.

#include "link/ioiface_serial.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

// What tells one USB serial adapter from another.
struct TPortIdentity {
    QString Path;
    QString SerialNumber;
    quint16 VendorId = 0;
    quint16 ProductId = 0;
    bool HasIds = false; // vendor and product id known
};

class TPortWatcher : public QObject {
public:
    static constexpr int PollMs = 250;

    explicit TPortWatcher(QObject *parent = nullptr);

    // The transport now open: a serial port's identity is read while the
    // device is still there, its line settings are kept for the reconnect.
    // Any other transport (nothing to plug in again) is not watched for.
    void Remember(const TIOIface &transport);
    // The remembered port is lost: look for it until it is back or Stop.
    void Watch();
    void Stop();
    bool IsWatching() const { return Timer.isActive(); }

    // The port is back: a transport with the remembered line settings on the
    // path where it was found (not opened). Watching has stopped.
    std::function<void(std::unique_ptr<TIOIfaceSerial> transport)> Returned;

    // The identity the system reports for a path (links followed); just the
    // path when the system knows nothing more (a pseudo-terminal).
    static TPortIdentity IdentityOf(const QString &path);
    static QList<TPortIdentity> PresentPorts();
    // When `path` is a symbolic link, what tells this link from one made
    // afresh at the same place (a re-plugged adapter's link, a restarted
    // simulator's); 0 for anything else.
    static quint64 LinkStamp(const QString &path);
    // Where the lost port is now among `present`, or empty.
    static QString FindAgain(const TPortIdentity &lost, const QList<TPortIdentity> &present,
                             const std::function<bool(const QString &)> &exists);

private:
    void Look();

    QTimer Timer;
    TPortIdentity Lost;
    // A link left behind by the lost port points wherever its old device
    // number goes next (a pseudo-terminal's number is soon reused by
    // another): only a link made again counts as the port come back.
    quint64 LostLinkStamp = 0;
    int Baud = 9600;
    int DataBits = 8;
    int StopBits = 1;
    int Parity = 0;
};
