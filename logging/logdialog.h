#pragma once
// The logging dialog ("Logging"): sample rate, the four digital channel
// choices and the units to log. Created once and kept: its lists are the
// stored choices that the axis set-up reads. The units are those known on
// the line (found by Find, logged before) to tick, and any other addresses
// typed; none ticked or typed logs the unit connected to.

#include "logging/logchoices.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;

class TFrmLogDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFrmLogDialog(QWidget *parent = nullptr);

    // The lists' item indexes; no choice (-1) counts as the first item.
    // Units: those ticked, then those typed that can be read.
    TLogChoices Choices() const;
    void SetChoices(const TLogChoices &choices);
    // The units offered to tick (1..31; others are left out) and the unit
    // connected to, which "Auto" logs alone. Units chosen before that are
    // not offered are typed in EdtLogUnits.
    void OfferUnits(const QList<int> &known, int connectedUnit);
    // Why Ok cannot start a log with what the dialog holds (an address that
    // cannot be read, several units streamed), or empty.
    QString Problem() const;

    void accept() override;

    QComboBox *CBLogRate = nullptr;
    QGroupBox *gboxSingle = nullptr;
    std::array<QComboBox *, LogChannels::ChannelCount> CBxDig{};
    QGroupBox *GBxLogUnits = nullptr;
    QListWidget *LBxLogUnits = nullptr;   // the units known, to tick
    QLineEdit *EdtLogUnits = nullptr;     // other unit addresses, typed
    QPushButton *BtnOk = nullptr;
    QPushButton *BtnCancel = nullptr;

private:
    int ConnectedUnit = 99;
    QList<int> Ticked() const;
};
