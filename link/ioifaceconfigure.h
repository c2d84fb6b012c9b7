#pragma once
// Connecting, first half: the user confirms the connection settings, they
// are kept, and a configured (not yet opened) serial transport is made.

#include "link/ioiface_serial.h"

#include <QList>

#include <memory>

class TdatViewer;
class TFrmComDialog;

// Shows "Connection Settings" loaded from `store` (through Prompts().Exec).
// On OK: stores all six settings, sets `unitAddress` and returns a serial
// transport set to the chosen line (both taken from the dialog, so they hold
// also when the store keeps nothing). On Cancel: returns nullptr and changes
// neither the store nor `unitAddress`.
//
// A setting the dialog could not show (a stored value that matches no item,
// so its group has no selection) is confirmed as its default: 9600 baud,
// 8 data bits, 1 stop bit, unit address "Any" (99). Confirming without a
// port selected (the stored port is not present now) keeps the stored name.
// `foundUnits`, when given, gets the units Find found on the chosen line
// (the units of a bus), empty when it found none there or did not run.
std::unique_ptr<TIOIfaceSerial> ConfigureAndCreate(TdatViewer &store, int &unitAddress,
                                                   QList<int> *foundUnits = nullptr);

// What confirming the dialog chose, by the rules above.
struct TConnectionChoice {
    QString SerialPort;
    int BaudRate = 0;
    int DataBits = 0;
    int StopBits = 0;
    int ParityBits = 0;
    int SerialAddress = 0;
};
TConnectionChoice ConfirmedChoice(const TFrmComDialog &dialog, const TdatViewer &store);

// The two halves, for callers that bring their own dialog.
void LoadComDialog(TFrmComDialog &dialog, const TdatViewer &store);
void SaveComDialog(const TFrmComDialog &dialog, TdatViewer &store);
