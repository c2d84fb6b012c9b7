#pragma once
// The logging dialog ("Logging"): sample rate and the four digital channel
// choices. Created once and kept: its lists are the stored choices that the
// axis set-up reads.

#include "logging/logchoices.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QPushButton;

class TFrmLogDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFrmLogDialog(QWidget *parent = nullptr);

    // The lists' item indexes; no choice (-1) counts as the first item.
    TLogChoices Choices() const;
    void SetChoices(const TLogChoices &choices);

    QComboBox *CBLogRate = nullptr;
    QGroupBox *gboxSingle = nullptr;
    std::array<QComboBox *, LogChannels::ChannelCount> CBxDig{};
    QPushButton *BtnOk = nullptr;
    QPushButton *BtnCancel = nullptr;
};
