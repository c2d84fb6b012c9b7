// The main window's part in direct mV/V calibration and calibration backup
// and restore: the two group boxes on the Calibration page and their
// buttons. The operations themselves live in TCalBackup.

#include "app/frmmain.h"
#include "calibration/calbackup.h"
#include "calibration/calbackupgroup.h"
#include "calibration/calpage.h"
#include "settings/editor.h"
#include "settings/editorcal.h"

#include <QLineEdit>
#include <QPushButton>

void TFrmMain::BuildCalBackupGroups()
{
    // The direct group stands in the editor's calibration fields, which the
    // page already shows; the backup group goes below them.
    gbxMVCal = SettingsEditor->CalFields->gbxMVCal;
    btnCalDirect = SettingsEditor->CalFields->btnCalDirect;
    auto *backup = new TCalBackupGroup(CalPage);
    gbxBackupCal = backup;
    btnBackupCal = backup->btnBackupCal;
    btnRestoreCal = backup->btnRestoreCal;
    CalPage->AddSideBox(backup);
    CalPage->resize(CalPage->sizeHint());
    connect(btnCalDirect, &QPushButton::clicked, this, &TFrmMain::btnCalDirectClick);
    connect(btnBackupCal, &QPushButton::clicked, this, &TFrmMain::btnBackupCalClick);
    connect(btnRestoreCal, &QPushButton::clicked, this, &TFrmMain::btnRestoreCalClick);
}

void TFrmMain::WireCalBackup() { CalBackup = std::make_unique<TCalBackup>(Session, EditModel, *CalSteps); }

void TFrmMain::btnCalDirectClick()
{
    CalBackup->CalDirect(SettingsEditor->CalFields->edtCalDirectZero->text(),
                         SettingsEditor->CalFields->edtCalDirectSpan->text());
}

void TFrmMain::btnBackupCalClick() { CalBackup->Backup(); }

void TFrmMain::btnRestoreCalClick() { CalBackup->Restore(); }
