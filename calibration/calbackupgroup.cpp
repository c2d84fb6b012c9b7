#include "calibration/calbackupgroup.h"

#include <QPushButton>
#include <QVBoxLayout>

TCalBackupGroup::TCalBackupGroup(QWidget *parent) : QGroupBox(QStringLiteral("Backup and Restore Calibration"), parent)
{
    setObjectName(QStringLiteral("gbxBackupCal"));
    auto *column = new QVBoxLayout(this);
    btnBackupCal = new QPushButton(QStringLiteral("Backup calibration"), this);
    btnBackupCal->setObjectName(QStringLiteral("btnBackupCal"));
    btnRestoreCal = new QPushButton(QStringLiteral("Restore calibration"), this);
    btnRestoreCal->setObjectName(QStringLiteral("btnRestoreCal"));
    column->addWidget(btnBackupCal);
    column->addWidget(btnRestoreCal);
}
