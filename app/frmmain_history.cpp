// The main window's history: the recorder that keeps what is done to each
// instrument, filled into the operations' history hooks, and Instrument >
// History, whose "Restore these settings" loads a snapshot into the pages.

#include "app/frmmain.h"

#include "calibration/calbackup.h"
#include "calibration/calsteps.h"
#include "history/frmhistory.h"
#include "history/historyrecorder.h"
#include "link/dmviewer.h"
#include "link/ioiface_serial.h"
#include "logging/filemenu.h"
#include "settings/transfer.h"
#include "ui/prompts.h"

#include <QLabel>

void TFrmMain::UseHistory(const QString &location)
{
    History = THistoryRecorder::ForLocation(location);
    // History never stops the operator's work: said once, in the status bar.
    History->HistoryOff = [this](const QString &message) {
        StatusNoteTimer.stop();
        StatusNote->setText(message);
        StatusNote->setToolTip(message);
    };
    History->Attach(*Transfer);
    History->Attach(*CalSteps);
    History->Attach(*CalBackup);
    FileMenu->SettingsFileRecorded = [this](bool saved, const QString &path, const QStringList &lines) {
        History->RecordSettingsFile(saved, path, lines);
    };
}

void TFrmMain::WireHistory() { UseHistory(HistoryLocation(QString())); }

void TFrmMain::StartHistory()
{
    if (datViewer && !qEnvironmentVariableIsSet("QV_HISTORY"))
        UseHistory(HistoryLocation(datViewer->History()));
    History->Open();
}

// After the start-up sequence of a connect: who the instrument is, kept
// with the port and this PC's user and host.
void TFrmMain::RecordConnection()
{
    const auto *serial = dynamic_cast<const TIOIfaceSerial *>(&Session.Transport());
    History->AskAndRecordConnect(Session, serial ? serial->PortName() : QString());
}

void TFrmMain::History1Click()
{
    THistoryStore *store = History->Store();
    if (!store) {
        const QString why = History->OffMessage();
        Prompts().Message(why.isEmpty() ? QStringLiteral("History is off (QV_HISTORY or History in the connection "
                                                         "settings says so).")
                                        : why,
                          TPrompts::Kind::Information);
        return;
    }
    TFrmHistory dialog(*store, this);
    dialog.RestoreSettings = [this](const QStringList &lines, const QString &serial) {
        return RestoreFromHistory(lines, serial);
    };
    QString error;
    if (!dialog.Load(History->Identity().Serial, &error)) {
        Prompts().Message(QStringLiteral("The history cannot be read: %1").arg(error), TPrompts::Kind::Error);
        return;
    }
    Prompts().Exec(dialog);
}

// A snapshot goes onto the pages as a settings file would: nothing is sent
// until the operator writes, and the write asks what it always asks.
bool TFrmMain::RestoreFromHistory(const QStringList &lines, const QString &serial)
{
    if (!MayDiscardEdits())
        return false;
    EditModel.ApplyLines(lines);
    EditModel.SerialNumber.clear();
    SettingsFileLoaded();
    ShowStatusNote(QStringLiteral("Settings of %1 from the history loaded into the pages; Write Settings sends them")
                       .arg(serial.isEmpty() ? QStringLiteral("no instrument") : serial));
    return true;
}
