#pragma once
// The About box: program title, maker, part number and the instrument
// software it is meant for. Created once at start-up, shown modally through
// the prompts seam.

#include <QDialog>

class QLabel;
class QPushButton;

class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget *parent = nullptr);

    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *lblversion = nullptr;
    QLabel *Label4 = nullptr;
    QPushButton *OKButton = nullptr;

private:
    void FormCreate();
    void BuildControls();
};
