#pragma once
// The simulated instrument served on a pseudo-terminal: bytes from the port
// go to the instrument, its replies to the port, and a port loss the
// instrument announces closes the port.
//
// The device path of a pseudo-terminal changes from run to run. With a link
// path, the port is also found there (a symbolic link made afresh at every
// start), so a simulator started again is found where the last one was, as a
// USB adapter plugged in again is.

#include "sim/sim_bus.h"
#include "sim/sim_config.h"
#include "sim/sim_instrument.h"
#include "sim/sim_pty.h"

#include <QList>
#include <QObject>
#include <QString>
#include <memory>

class TSimServer : public QObject {
    Q_OBJECT
public:
    explicit TSimServer(const TSimConfig &config, const QString &linkPath = {}, QObject *parent = nullptr);
    // Several instruments on the one port, as on an RS-485 bus.
    explicit TSimServer(const QList<TSimConfig> &units, const QString &linkPath = {}, QObject *parent = nullptr);
    ~TSimServer() override;

    // Fresh instruments (as configured) on a fresh port; false with a reason.
    bool Start(QString *error);

    // The first (or only) instrument, and all of them.
    TSimInstrument &Instrument() { return Line->Unit(0); }
    TSimBus &Bus() { return *Line; }
    TSimPty &Port() { return *Pty; }
    // Where a client opens the port: the link path when there is one.
    QString Path() const;

signals:
    void PortLost(); // the port has been closed

private:
    QList<TSimConfig> Configs;
    QString LinkPath;
    std::unique_ptr<TSimBus> Line;
    std::unique_ptr<TSimPty> Pty;
};
