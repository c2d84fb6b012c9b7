#include "sim/sim_transport.h"

#include "sim/sim_bus.h"
#include "sim/sim_instrument.h"

TIOIfaceSim::TIOIfaceSim(TSimInstrument &instrument, QObject *parent) : QObject(parent), Instrument(&instrument)
{
    connect(&instrument, &TSimInstrument::Transmit, this, &TIOIfaceSim::OnTransmit);
    connect(&instrument, &TSimInstrument::PortLost, this, &TIOIfaceSim::OnPortLost);
}

TIOIfaceSim::TIOIfaceSim(TSimBus &bus, QObject *parent) : QObject(parent), Bus(&bus)
{
    connect(&bus, &TSimBus::Transmit, this, &TIOIfaceSim::OnTransmit);
    connect(&bus, &TSimBus::PortLost, this, &TIOIfaceSim::OnPortLost);
}

QString TIOIfaceSim::PortLostMessage()
{
    return QStringLiteral("The connection to the instrument was lost.");
}

QString TIOIfaceSim::CannotOpenMessage()
{
    return QStringLiteral("The simulated instrument's port does not exist.");
}

void TIOIfaceSim::Open()
{
    if (Opened)
        return;
    const bool present = Bus ? !Bus->IsPortLost() : Instrument && !Instrument->IsPortLost();
    if (!present) {
        if (OnError)
            OnError(CannotOpenMessage());
        return;
    }
    Opened = true;
    if (OnOpen)
        OnOpen(this);
}

void TIOIfaceSim::Close()
{
    if (!Opened)
        return;
    Opened = false;
    if (OnClose)
        OnClose(this);
}

void TIOIfaceSim::Send(const QString &text)
{
    if (!Opened)
        return;
    if (Bus)
        Bus->Receive(text.toLatin1());
    else if (Instrument)
        Instrument->Receive(text.toLatin1());
}

void TIOIfaceSim::OnTransmit(const QByteArray &bytes)
{
    if (Opened && OnReceive)
        OnReceive(QString::fromLatin1(bytes));
}

void TIOIfaceSim::OnPortLost()
{
    if (!Opened)
        return;
    const QPointer<TIOIfaceSim> self(this);
    Close();
    if (self && OnError)
        OnError(PortLostMessage());
}
