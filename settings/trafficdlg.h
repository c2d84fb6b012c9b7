#pragma once
// The small modal progress dialog of a settings read or write: a progress
// bar, a busy indicator while lines go out, and Cancel. It only shows the
// engine's progress and gives it its 20 ms ticks; the transfer itself lives
// in TTransferEngine.

#include "settings/transferengine.h"

#include <QDialog>
#include <QTimer>

class QLabel;
class QProgressBar;
class QPushButton;

class TFrmTraffic : public QDialog {
    Q_OBJECT
public:
    static constexpr int TickMs = 20;

    explicit TFrmTraffic(QWidget *parent = nullptr);

    TTransferEngine Engine;

    QLabel *LblAction = nullptr;         // what the transfer does, in words
    QProgressBar *PBprogress = nullptr;
    QProgressBar *Animate = nullptr;     // busy indicator, moving while a transfer runs
    QPushButton *btnCancel = nullptr;
    QTimer Timer1;

    // Loads the lists into the engine (LoadTransfer of the engine).
    void LoadTransfer(const QStringList &commands, const QStringList &expected);
    // Starts the engine and the ticks; call right before showing the dialog.
    void StartTransfer();
    // Stops the ticks and the busy indicator.
    void StopTransfer();
    // One complete reply from the session's routing.
    void TakeReply(const QString &reply) { Engine.TakeReply(reply); }

    void Timer1Timer() { Engine.Tick(); }
    void btnCancelClick() { Engine.Cancel(); }

    void reject() override;   // Escape acts as Cancel

private:
    void ShowProgress();
    void EngineFinished(TTransferEngine::TOutcome outcome);
    void SetAnimation(bool on);
};
