// The main window's part in calibration: the Calibration page with its
// small display, the steps wired to the page's buttons and read-outs, the
// direct mV/V and backup groups, and the question before calibrating with
// settings not yet sent. The operations live in TCalibrationSteps and
// TCalBackup.

#include "app/frmmain.h"

#include "app/frmmain_build.h"
#include "calibration/calbackup.h"
#include "calibration/calbackupgroup.h"
#include "calibration/calpage.h"
#include "calibration/calsteps.h"
#include "calibration/calwait.h"
#include "display/u7400led.h"
#include "settings/editor.h"
#include "settings/editorcal.h"
#include "ui/hourglass.h"
#include "ui/prompts.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
const QString CalibrationQuestion = QStringLiteral("Current Settings not sent to instrument.  Send now?");

// The small display on the Calibration page is plain black so the digits
// stand out there.
const QColor CalibrationGlass(0, 0, 0);
const QRect CalibrationDisplayGeometry(132, 8, 350, 100);
} // namespace

void TFrmMain::BuildCalibrationPage()
{
    // Placed as designed, at a fixed size; the calibration steps gather round
    // the display and the editor's calibration settings below it. The whole
    // scrolls in a window smaller than that, and stays centred in a larger.
    auto *layout = new QVBoxLayout(TSCal);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *scroll = Named(new QScrollArea(TSCal), "CalScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    layout->addWidget(scroll);
    auto *body = new QWidget;
    LCDCal = Named(new TT7400LED(body), "LCDCal");
    LCDCal->setGeometry(CalibrationDisplayGeometry);
    SetDisplayColours(LCDCal, CalibrationGlass);
    CalPage = Named(new TCalibrationPage(*SettingsEditor->CalFields, body), "CalPage");
    CalPage->move(8, CalibrationDisplayGeometry.bottom() + 9);
    CalPage->resize(CalPage->sizeHint());
    CalPage->Decimals = [this] { return SettingsEditor->CBxDP->currentIndex(); };
    LBxLCal = CalPage->LBxLCal;
}

void TFrmMain::WireCalibration()
{
    CalSteps = std::make_unique<TCalibrationSteps>(Session, *Transfer, EditModel);
    CalWait = std::make_unique<TFrmCalWait>(this);
    CalWait->OnCancel = [this] { CalSteps->CancelCalibrationWait(); };
    CalSteps->ShowCalibrationWait = [this](bool shown) { shown ? CalWait->Begin() : CalWait->End(); };
    CalSteps->ShowCalibrationProgress = [this](int progress) { CalWait->ShowProgress(progress); };
    CalSteps->SetBusy = [](bool busy) { ShowHourglass(busy); };
    CalSteps->DisableMainControls = [this] { DisableMainControls(); };
    CalSteps->EnableMainControls = [this] { EnableMainControls(); };
    CalSteps->ShowDashes = [this] {
        LCDCal->ShowText(QStringLiteral("------"));
        LCDCal->PaintSegments();
    };
    CalSteps->RefreshIdentity = [this] { UpdateIdentity(); };
    CalSteps->FillSettingsPages = [this] { PageWork.FillSettingsPages(); };
    CalSteps->MayDiscardEdits = [this] { return MayDiscardEditsForCalibration(); };
    CalSteps->StatusNote = [this](const QString &note) { ShowStatusNote(note); };
    // The page's buttons run the steps; the steps read the page's fields.
    connect(CalPage->BtnZero, &QPushButton::clicked, this, [this] { Report(CalSteps->BtnZeroClick()); });
    connect(CalPage->BTnSpan, &QPushButton::clicked, this, [this] { Report(CalSteps->BTnSpanClick()); });
    connect(CalPage->BtnLSet, &QPushButton::clicked, this, [this] { Report(CalSteps->BtnLSetClick()); });
    connect(CalPage->BtnLClear, &QPushButton::clicked, this, [this] { Report(CalSteps->BtnLClearClick()); });
    CalSteps->LinearisationShown = [this] { return CalPage->LinearisationShown(); };
    CalSteps->CalWeightText = [this] { return CalPage->CalWeightText(); };
    CalSteps->LCalWeightText = [this] { return CalPage->LCalWeightText(); };
    CalSteps->SelectedPoint = [this] { return CalPage->SelectedPoint(); };
}

void TFrmMain::AskToSendSettings()
{
    // A linearisation point set or cleared clears SettingsSent without the
    // pages holding anything the instrument lacks: no question then.
    if (PanelText(2).isEmpty() || SettingsSent || !PagesDifferFromInstrument())
        return;
    if (Prompts().Confirm(CalibrationQuestion))
        WriteSettings1Click();
}

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
    // The scroll area's body takes the size of everything on it.
    QWidget *body = CalPage->parentWidget();
    const QPoint corner = body->childrenRect().bottomRight();
    body->resize(corner.x() + 8, corner.y() + 8);
    TSCal->findChild<QScrollArea *>()->setWidget(body);
    connect(btnCalDirect, &QPushButton::clicked, this, &TFrmMain::btnCalDirectClick);
    connect(btnBackupCal, &QPushButton::clicked, this, &TFrmMain::btnBackupCalClick);
    connect(btnRestoreCal, &QPushButton::clicked, this, &TFrmMain::btnRestoreCalClick);
}

void TFrmMain::WireCalBackup() { CalBackup = std::make_unique<TCalBackup>(Session, EditModel, *CalSteps); }

void TFrmMain::btnCalDirectClick()
{
    Report(CalBackup->CalDirect(SettingsEditor->CalFields->edtCalDirectZero->text(),
                              SettingsEditor->CalFields->edtCalDirectSpan->text()));
}

void TFrmMain::btnBackupCalClick() { Report(CalBackup->Backup()); }

void TFrmMain::btnRestoreCalClick() { Report(CalBackup->Restore()); }
