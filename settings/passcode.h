#pragma once
// "Enter Passcode": up to six digits, shown as stars. The program keeps no
// passcode of its own; the instrument checks the digits.

#include <QDialog>

class QLineEdit;
class QPushButton;

class TFrmPasscode : public QDialog {
    Q_OBJECT
public:
    static constexpr int MaxDigits = 6;

    explicit TFrmPasscode(QWidget *parent = nullptr);

    QLineEdit *EdtPasscode = nullptr;
    QPushButton *BtnOk = nullptr;
    QPushButton *BtnCancel = nullptr;

    // The digits typed, at most six; anything else that got into the edit
    // (a paste, a program setting its text) is left out.
    QString Digits() const;

private:
    void UpdateOk();
};
