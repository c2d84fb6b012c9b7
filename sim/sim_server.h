#pragma once
// The simulated instrument served on a pseudo-terminal: bytes from the port
// go to the instrument, its replies to the port, and a port loss the
// instrument announces closes the port.
//
// The device path of a pseudo-terminal changes from run to run. With a link
// path, the port is also found there (a symbolic link made afresh at every
// start), so a simulator started again is found where the last one was, as a
// USB adapter plugged in again is.

#include "sim/sim_config.h"
#include "sim/sim_instrument.h"
#include "sim/sim_pty.h"

#include <QObject>
#include <QString>
#include <memory>

class TSimServer : public QObject {
    Q_OBJECT
public:
    explicit TSimServer(const TSimConfig &config, const QString &linkPath = {}, QObject *parent = nullptr);
    ~TSimServer() override;

    // A fresh instrument (as configured) on a fresh port; false with a reason.
    bool Start(QString *error);

    TSimInstrument &Instrument() { return *Unit; }
    TSimPty &Port() { return *Pty; }
    // Where a client opens the port: the link path when there is one.
    QString Path() const;

signals:
    void PortLost(); // the port has been closed

private:
    TSimConfig Config;
    QString LinkPath;
    std::unique_ptr<TSimInstrument> Unit;
    std::unique_ptr<TSimPty> Pty;
};
