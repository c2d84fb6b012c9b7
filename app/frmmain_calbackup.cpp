// The main window's part in direct mV/V calibration and calibration backup
// and restore: the two group boxes on the Calibration page and their
// buttons. The operations themselves live in TCalBackup.

#include "app/frmmain.h"
#include "calibration/calbackup.h"
#include "calibration/calbackupgroup.h"
#include "settings/editor.h"
#include "settings/editorcal.h"

#include <QLineEdit>
#include <QPushButton>

void TFrmMain::BuildCalBackupGroups()
{
    CalBackup = std::make_unique<TCalBackup>(Session, EditModel);
    CalBackup->ReadSettings = [this] { ReadSettings1Click(); };

    TCalSettingsFields *fields = SettingsEditor->CalFields;
    gbxMVCal = fields->gbxMVCal;
    btnCalDirect = fields->btnCalDirect;
    auto *backup = new TCalBackupGroup(TSCal);
    gbxBackupCal = backup;
    btnBackupCal = backup->btnBackupCal;
    btnRestoreCal = backup->btnRestoreCal;
    // Beside the calibration settings, at its designed size.
    backup->move(fields->geometry().right() + 8, fields->y());
    backup->resize(backup->sizeHint());

    connect(btnCalDirect, &QPushButton::clicked, this, &TFrmMain::btnCalDirectClick);
    connect(btnBackupCal, &QPushButton::clicked, this, &TFrmMain::btnBackupCalClick);
    connect(btnRestoreCal, &QPushButton::clicked, this, &TFrmMain::btnRestoreCalClick);
}

void TFrmMain::btnCalDirectClick()
{
    CalBackup->CalDirect(SettingsEditor->CalFields->edtCalDirectZero->text(),
                         SettingsEditor->CalFields->edtCalDirectSpan->text());
}

void TFrmMain::btnBackupCalClick() { CalBackup->Backup(); }

void TFrmMain::btnRestoreCalClick() { CalBackup->Restore(); }
