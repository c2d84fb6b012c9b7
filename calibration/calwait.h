#pragma once
// The small box shown while the instrument works through a zero or span
// calibration. The main window's controls are disabled meanwhile; its
// Cancel button (or Escape) is the operator's way out of a wait that an
// instrument reporting progress for ever would never end.

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;

class TFrmCalWait : public QDialog {
    Q_OBJECT
public:
    explicit TFrmCalWait(QWidget *parent = nullptr);

    QLabel *LblWait = nullptr;
    QPushButton *BtnCancel = nullptr;
    // The operator asked to stop waiting.
    std::function<void()> OnCancel;

    // Shown (not modal: the wait runs its own loop) and hidden again.
    void Begin();
    void End();
    // The progress value the instrument answered last (1 busy, 0 settled).
    void ShowProgress(int progress);

    void reject() override;

private:
    bool Waiting = false;
};
