#pragma once
// The simulated instrument behind a pseudo-terminal, as the viewer's serial
// transport sees a real one: what is written to the terminal reaches the
// instrument, its replies come back. A terminal that cannot be opened ends
// the test program with the reason.

#include "sim/sim_instrument.h"
#include "sim/sim_pty.h"

#include <QObject>
#include <QString>
#include <QtGlobal>

inline void JoinOverPty(TSimInstrument &instrument, TSimPty &pty)
{
    QString error;
    if (!pty.Open(&error))
        qFatal("%s", qPrintable(error));
    QObject::connect(&pty, &TSimPty::Received, &instrument, &TSimInstrument::Receive);
    QObject::connect(&instrument, &TSimInstrument::Transmit, &pty, &TSimPty::Write);
}
