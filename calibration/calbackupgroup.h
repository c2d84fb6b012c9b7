#pragma once
// "Backup and Restore Calibration" on the Calibration page: the two buttons
// for calibration files. The main window binds them to TCalBackup.

#include <QGroupBox>

class QPushButton;

class TCalBackupGroup : public QGroupBox {
public:
    explicit TCalBackupGroup(QWidget *parent = nullptr);

    QPushButton *btnBackupCal = nullptr;
    QPushButton *btnRestoreCal = nullptr;
};
