#pragma once
// The viewer's transport connected in-process to a simulated instrument, for
// fast tests without a pseudo-terminal. Behaves like a serial port: what the
// instrument sends reaches OnReceive from the event loop (never inside
// Send); Open and Close raise OnOpen and OnClose; when the instrument's port
// is lost the transport closes, raising OnClose and then OnError.

#include "link/ioiface.h"

#include <QObject>
#include <QPointer>

class TSimBus;
class TSimInstrument;

class TIOIfaceSim : public QObject, public TIOIface {
    Q_OBJECT
public:
    explicit TIOIfaceSim(TSimInstrument &instrument, QObject *parent = nullptr);
    // Several instruments on one line.
    explicit TIOIfaceSim(TSimBus &bus, QObject *parent = nullptr);

    bool IsOpen() const override { return Opened; }
    void Open() override;
    void Close() override;
    void Send(const QString &text) override;

    static QString PortLostMessage();
    static QString CannotOpenMessage();

private:
    QPointer<TSimInstrument> Instrument;
    QPointer<TSimBus> Bus;
    bool Opened = false;

    void OnTransmit(const QByteArray &bytes);
    void OnPortLost();
};
