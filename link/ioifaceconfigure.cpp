#include "link/ioifaceconfigure.h"

#include "app/prompts.h"
#include "link/comdialog.h"
#include "link/dmviewer.h"
#include "link/portlist.h"

namespace {
int OrDefault(int chosen, int defaultValue) { return chosen != 0 ? chosen : defaultValue; }
} // namespace

void LoadComDialog(TFrmComDialog &dialog, const TdatViewer &store)
{
    dialog.SelectPort(store.SerialPort());
    dialog.SelectBaudRate(store.BaudRate());
    dialog.SelectDataBits(store.DataBits());
    dialog.SelectStopBits(store.StopBits());
    dialog.SelectParity(store.ParityBits());
    dialog.SelectUnitAddress(store.SerialAddress());
}

void SaveComDialog(const TFrmComDialog &dialog, TdatViewer &store)
{
    // A stored port that is not offered now (an adapter not plugged in yet)
    // is kept rather than replaced by nothing: opening it then says why it
    // cannot be used, and it works again once the device is back.
    if (!dialog.PortName().isEmpty())
        store.SetSerialPort(dialog.PortName());
    else
        store.SetSerialPort(store.SerialPort());
    store.SetBaudRate(OrDefault(dialog.BaudRate(), TdatViewer::DefaultBaudRate));
    store.SetDataBits(OrDefault(dialog.DataBits(), TdatViewer::DefaultDataBits));
    store.SetStopBits(OrDefault(dialog.StopBits(), TdatViewer::DefaultStopBits));
    store.SetParityBits(dialog.Parity());
    store.SetSerialAddress(OrDefault(dialog.UnitAddress(), TFrmComDialog::AnyAddress));
}

std::unique_ptr<TIOIfaceSerial> ConfigureAndCreate(TdatViewer &store, int &unitAddress)
{
    TFrmComDialog dialog(SerialPortNames(store.SerialPort()));
    LoadComDialog(dialog, store);
    if (Prompts().Exec(dialog) != QDialog::Accepted)
        return nullptr;

    SaveComDialog(dialog, store);
    unitAddress = store.SerialAddress();
    auto transport = std::make_unique<TIOIfaceSerial>();
    transport->SetPortName(store.SerialPort());
    transport->SetBaudRate(store.BaudRate());
    transport->SetDataBits(store.DataBits());
    transport->SetStopBits(store.StopBits());
    transport->SetParity(store.ParityBits());
    return transport;
}
