#pragma once
// The chart set-up dialog ("Chart Setup"): start and end time, lowest and
// highest weight and the log comment. Created once and kept. Its edits
// filter keys and check their range on leaving; OK checks the order of the
// bounds. ChartSetup::Run fills it from the chart, shows it and applies it.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class TLoggingSession;

class TFrmChartSetup : public QDialog {
    Q_OBJECT
public:
    // The time edits take whole seconds within these bounds: up to thirty
    // days, so that any part of a log of days can be set up by hand.
    static constexpr int TimeLow = 0;
    static constexpr int TimeHigh = 30 * 86400;
    static constexpr int WeightLimit = 999999;   // display counts, either sign

    // Auto proposes values from the session's traces.
    explicit TFrmChartSetup(const TLoggingSession &logging, QWidget *parent = nullptr);

    void SetWeightDecimals(int decimals);
    int WeightDecimals() const { return WeightDecimalsValue; }

    // Key filters: true when the key is swallowed.
    bool EdtXaxisKeyPress(QLineEdit *edit, QKeyEvent *event);
    bool EdtYaxisKeyPress(QLineEdit *edit, QKeyEvent *event);
    // Range checks on leaving an edit: false (message shown, focus back)
    // when the value is out of range.
    bool EdtXaxisExit(QLineEdit *edit);
    bool EdtYaxisExit(QLineEdit *edit);
    void BtnAutoClick();
    void BtnOkClick();

    QLineEdit *EdtTstart = nullptr;
    QLineEdit *EdtTend = nullptr;
    QLineEdit *Edtminwgt = nullptr;
    QLineEdit *EdtMaxWgt = nullptr;
    QLineEdit *EdtComment = nullptr;
    QLabel *LblMinUnits = nullptr;
    QLabel *LblMaxUnits = nullptr;
    QPushButton *BtnAuto = nullptr;
    QPushButton *BtnOk = nullptr;
    QPushButton *BtnCancel = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const TLoggingSession &Logging;
    int WeightDecimalsValue = 0;

    QLineEdit *MakeEdit(const QString &name);
    bool IsTimeEdit(const QObject *edit) const;
    bool IsWeightEdit(const QObject *edit) const;
    bool FilterKey(QLineEdit *edit, QKeyEvent *event, int decimals);
    void OutOfRange(QLineEdit *edit, const QString &low, const QString &high);
    void CheckOnLeaving(QLineEdit *edit);
};

namespace ChartSetup {
// The menu item "&Setup Chart": fills the dialog from the axes, the units and
// the comment label, shows it through Prompts().Exec and, on OK, sets the
// comment and both axes. weightDecimals is the decimal-point list's index.
void Run(TFrmChartSetup &dialog, TLoggingSession &logging, QLabel &comment, int weightDecimals);
} // namespace ChartSetup
