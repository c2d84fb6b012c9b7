#include "link/ioifaceconfigure.h"

#include "link/comdialog.h"
#include "link/dmviewer.h"
#include "link/portlist.h"
#include "ui/prompts.h"

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

TConnectionChoice ConfirmedChoice(const TFrmComDialog &dialog, const TdatViewer &store)
{
    TConnectionChoice choice;
    // A stored port that is not offered now (an adapter not plugged in yet)
    // is kept rather than replaced by nothing: opening it then says why it
    // cannot be used, and it works again once the device is back.
    choice.SerialPort = dialog.PortName().isEmpty() ? store.SerialPort() : dialog.PortName();
    choice.BaudRate = OrDefault(dialog.BaudRate(), TdatViewer::DefaultBaudRate);
    choice.DataBits = OrDefault(dialog.DataBits(), TdatViewer::DefaultDataBits);
    choice.StopBits = OrDefault(dialog.StopBits(), TdatViewer::DefaultStopBits);
    choice.ParityBits = dialog.Parity();
    choice.SerialAddress = OrDefault(dialog.UnitAddress(), TFrmComDialog::AnyAddress);
    return choice;
}

namespace {
void Store(const TConnectionChoice &choice, TdatViewer &store)
{
    store.SetSerialPort(choice.SerialPort);
    store.SetBaudRate(choice.BaudRate);
    store.SetDataBits(choice.DataBits);
    store.SetStopBits(choice.StopBits);
    store.SetParityBits(choice.ParityBits);
    store.SetSerialAddress(choice.SerialAddress);
}
} // namespace

void SaveComDialog(const TFrmComDialog &dialog, TdatViewer &store) { Store(ConfirmedChoice(dialog, store), store); }

std::unique_ptr<TIOIfaceSerial> ConfigureAndCreate(TdatViewer &store, int &unitAddress, QList<int> *foundUnits)
{
    TFrmComDialog dialog(SerialPortNames(store.SerialPort()));
    LoadComDialog(dialog, store);
    if (Prompts().Exec(dialog) != QDialog::Accepted)
        return nullptr;

    const TConnectionChoice choice = ConfirmedChoice(dialog, store);
    Store(choice, store);
    unitAddress = choice.SerialAddress;
    if (foundUnits)
        *foundUnits = dialog.FoundUnits();
    auto transport = std::make_unique<TIOIfaceSerial>();
    transport->SetPortName(choice.SerialPort);
    transport->SetBaudRate(choice.BaudRate);
    transport->SetDataBits(choice.DataBits);
    transport->SetStopBits(choice.StopBits);
    transport->SetParity(choice.ParityBits);
    return transport;
}
