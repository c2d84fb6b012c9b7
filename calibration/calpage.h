#pragma once
// The controls of the Calibration page below its small display: the group
// "Calibration" with the zero and span buttons and the span weight, the
// group "Linearisation" with its five points, and a side column that holds
// the editor's direct mV/V fields and any further calibration boxes.
// The span weight, the list and the direct fields are the settings editor's
// (TCalSettingsFields); this page lays them out and adds the step controls.
// It knows nothing of the steps: the main window connects the buttons to
// them and gives them the read-outs below as their hooks.

#include <QWidget>
#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QVBoxLayout;
class TCalSettingsFields;

class TCalibrationPage : public QWidget {
public:
    TCalibrationPage(TCalSettingsFields &fields, QWidget *parent = nullptr);

    QGroupBox *gbxCal = nullptr;
    QPushButton *BtnZero = nullptr;
    QPushButton *BTnSpan = nullptr;
    QLineEdit *EdtCalWeight = nullptr;        // the editor's, Tag 12
    QGroupBox *GBxLin = nullptr;              // the editor's
    QListWidget *LBxLCal = nullptr;           // the editor's
    QPushButton *BtnLSet = nullptr;
    QPushButton *BtnLClear = nullptr;
    QLabel *LblLCalWeight = nullptr;
    QLineEdit *EdtLCalWeight = nullptr;       // Tag 13
    // Right of the two groups: the direct mV/V fields, then whatever is
    // added with AddSideBox, top to bottom.
    QVBoxLayout *SideColumn = nullptr;
    void AddSideBox(QWidget *box);

    // Places after the point the decimal-point choice of the Build page
    // (CBxDP); Enter in the calibration weight field brings its text to them.
    std::function<int()> Decimals;

    // What a step reads off the page. A weight typed without Enter reads
    // as if Enter had been pressed: "100" at one decimal is 100.0, never 10.0.
    bool LinearisationShown() const;
    QString CalWeightText() const;
    QString LCalWeightText() const;
    // Selected line of LBxLCal, 0..4, or -1 for none.
    int SelectedPoint() const;

    void EdtLCalWeightExit();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TCalSettingsFields &Fields;
    int SelectedDecimals() const;
    void BuildCalibrationBox();
    void BuildLinearisationBox();
};
