#pragma once
// "Absolute mV/V Calibration": the small dialog in which, in weighing mode 3,
// the operator gives the zero or span signal in mV/V. Created once and
// reused; run through Prompts().Exec. Signals are whole numbers of
// 0.0001 mV/V, shown with four decimals.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TFrmAbsCal : public QDialog {
    Q_OBJECT
public:
    static constexpr int Decimals = 4;
    static constexpr qint32 SignalLimit = 30000;   // 3.0000 mV/V either way

    explicit TFrmAbsCal(QWidget *parent = nullptr);

    QLabel *lblAbsPrompt = nullptr;
    QLineEdit *EdtAbsMV = nullptr;
    QLabel *LblMV = nullptr;
    QPushButton *BtnOK = nullptr;
    QPushButton *BtnCancel = nullptr;

    // Sets the prompt and the signal the field starts with.
    void Prepare(const QString &prompt, qint32 signal);
    // The signal in the field, brought to four decimals first: "1.2" is
    // 12000, never 12.
    qint32 Signal() const;

    // Leaving the field: four decimals, and "Out of Range: (-3.0000 to
    // 3.0000)" with the focus back when the signal lies outside.
    void EdtAbsMVExit();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool Checking = false;   // the range message is up
};
