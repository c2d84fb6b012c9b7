#pragma once
// The small modal progress dialog of a settings read or write: what the
// transfer does, a progress bar, a busy indicator while lines go out, and
// Cancel. It only watches the transfer's progress (TSettingsTransfer runs
// itself from its own timer) and closes when the transfer has ended.

#include "ui/progress.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

class TFrmTraffic : public QDialog {
    Q_OBJECT
public:
    explicit TFrmTraffic(QWidget *parent = nullptr);

    QLabel *LblAction = nullptr;         // what the transfer does, in words
    QProgressBar *PBprogress = nullptr;
    QProgressBar *Animate = nullptr;     // busy indicator, moving while a transfer runs
    QPushButton *btnCancel = nullptr;

    // Shows the progress modally until the transfer ends.
    int Watch(TProgress &progress);

    void btnCancelClick();
    void reject() override;   // Escape acts as Cancel

private:
    TProgress *Watched = nullptr;
    void ShowProgress();
};
