// Building the settings pages: every control under its own name, laid out in
// simple label-and-field forms.
#include "settings/editor.h"

#include "settings/editorcal.h"
#include "settings/editorentry.h"
#include "settings/editortabs.h"
#include "settings/enumtexts.h"
#include "ui/objectname.h"
#include "ui/printfont.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QComboBox *NewCombo(QWidget *page, const char *name, const QStringList &texts)
{
    auto *combo = Named(new QComboBox(page), name);
    combo->addItems(texts);
    return combo;
}

QWidget *WithUnits(QWidget *page, QWidget *field, QLabel *units)
{
    auto *row = new QWidget(page);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field);
    layout->addWidget(units);
    return row;
}

// Each page scrolls its controls when the window is smaller than they are;
// the controls live in the scroll area's body (PageBody).
QWidget *NewPage(QTabWidget *tabs, const char *name, const QString &caption)
{
    auto *page = Named(new QWidget(tabs), name);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *scroll = new QScrollArea(page);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(new QWidget);
    layout->addWidget(scroll);
    tabs->addTab(page, caption);
    return page;
}

QWidget *PageBody(QWidget *page)
{
    return static_cast<QScrollArea *>(page->layout()->itemAt(0)->widget())->widget();
}

// A form stays together in the middle of a page larger than it needs.
QFormLayout *NewForm(QWidget *page)
{
    auto *form = new QFormLayout(PageBody(page));
    form->setFormAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return form;
}

} // namespace

void TSettingsEditor::BuildPages()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    PgCSettings = Named(new QTabWidget(this), "PgCSettings");
    layout->addWidget(PgCSettings);
    TSBuild = NewPage(PgCSettings, "TSBuild", QStringLiteral("Build"));
    TSOption = NewPage(PgCSettings, "TSOption", QStringLiteral("Option"));
    TSSpecial = NewPage(PgCSettings, "TSSpecial", QStringLiteral("Special"));
    TSSerial = NewPage(PgCSettings, "TSSerial", QStringLiteral("Serial"));
    TSSetpoint = NewPage(PgCSettings, "TSSetpoint", QStringLiteral("Setpoint"));
    BuildBuildPage();
    BuildOptionPage();
    BuildSpecialPage();
    BuildSerialPage();
    BuildSetpointPage();
    CalFields = new TCalSettingsFields;
    CalFields->EdtCalWeight->installEventFilter(this);
    MarkGuardedSettings();
    WatchChangedSettings();
}

QLineEdit *TSettingsEditor::NewCountEdit(QWidget *page, const char *name, int tag, int maxLength)
{
    auto *edit = Named(new QLineEdit(page), name);
    edit->setProperty("Tag", tag);
    if (tag != 5 && tag != 6)   // rows and columns have a check of their own
        CountEdits << edit;
    if (maxLength > 0)
        edit->setMaxLength(maxLength);
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textEdited, this, [this, edit] { Unchecked = edit; });
    return edit;
}

void TSettingsEditor::BuildBuildPage()
{
    auto *form = NewForm(TSBuild);
    CBxDP = NewCombo(TSBuild, "CBxDP", DecimalPointTexts());
    form->addRow(QStringLiteral("Decimal Point"), CBxDP);
    CBxWeighMode = NewCombo(TSBuild, "CBxWeighMode", WeighModeTexts());
    form->addRow(QStringLiteral("Weighing Mode"), CBxWeighMode);
    CBxUnits = NewCombo(TSBuild, "CBxUnits", UnitsTexts());
    form->addRow(QStringLiteral("Units"), CBxUnits);
    CkBHiRes = Named(new QCheckBox(QStringLiteral("High Resolution (x10)"), TSBuild), "CkBHiRes");
    form->addRow(CkBHiRes);
    EdtFS1 = NewCountEdit(TSBuild, "EdtFS1", 2, 8);
    lblFS1Units = Named(new QLabel(TSBuild), "lblFS1Units");
    form->addRow(QStringLiteral("Full Scale 1"), WithUnits(TSBuild, EdtFS1, lblFS1Units));
    EdtFs2 = NewCountEdit(TSBuild, "EdtFs2", 3, 8);
    LblFS2Units = Named(new QLabel(TSBuild), "LblFS2Units");
    form->addRow(QStringLiteral("Full Scale 2"), WithUnits(TSBuild, EdtFs2, LblFS2Units));
    CBxRes1 = NewCombo(TSBuild, "CBxRes1", ResolutionTexts());
    form->addRow(QStringLiteral("Resolution 1"), CBxRes1);
    CBxRes2 = NewCombo(TSBuild, "CBxRes2", ResolutionTexts());
    form->addRow(QStringLiteral("Resolution 2"), CBxRes2);
    // A weight like the full scales: typed decimals are padded on exit, so
    // "1.5" at two places goes out as 150 counts, never 15.
    edtAddTare = NewCountEdit(TSBuild, "edtAddTare", 16, 8);
    form->addRow(QStringLiteral("Additive Tare Limit"), edtAddTare);
    cbxFilter = NewCombo(TSBuild, "cbxFilter", SynchFilterTexts());
    form->addRow(QStringLiteral("Synch Filter"), WithUnits(TSBuild, cbxFilter, new QLabel(QStringLiteral("Hz"))));
    connect(CBxDP, &QComboBox::currentIndexChanged, this, [this] { CBxDPChange(); });
    connect(CBxUnits, &QComboBox::currentIndexChanged, this, [this] { CBxUnitsChange(); });
}

void TSettingsEditor::BuildOptionPage()
{
    auto *form = NewForm(TSOption);
    CBxMode = NewCombo(TSOption, "CBxMode", OperatingModeTexts());
    form->addRow(QStringLiteral("Mode"), CBxMode);
    CBxAvSetting = NewCombo(TSOption, "CBxAvSetting", AverageTexts());
    form->addRow(QStringLiteral("Filter"), CBxAvSetting);
    CBxJitter = NewCombo(TSOption, "CBxJitter", AntiJitterTexts());
    form->addRow(QStringLiteral("Anti-Jitter"), CBxJitter);
    CBxMotion = NewCombo(TSOption, "CBxMotion", MotionTexts());
    form->addRow(QStringLiteral("Motion"), CBxMotion);
    CBxZTrac = NewCombo(TSOption, "CBxZTrac", MotionTexts());
    form->addRow(QStringLiteral("Zero Tracking"), CBxZTrac);
    CBxZRange = NewCombo(TSOption, "CBxZRange", ZeroRangeTexts());
    form->addRow(QStringLiteral("Zero Range"), CBxZRange);
    CBxAZero = NewCombo(TSOption, "CBxAZero", AutoZeroTexts());
    form->addRow(QStringLiteral("Auto-Zero"), CBxAZero);
    EdtZband = NewCountEdit(TSOption, "EdtZband", 4, 8);
    lblZbandUnits = Named(new QLabel(TSOption), "lblZbandUnits");
    form->addRow(QStringLiteral("Zero Band"), WithUnits(TSOption, EdtZband, lblZbandUnits));
}

void TSettingsEditor::BuildSpecialPage()
{
    auto *layout = new QHBoxLayout(PageBody(TSSpecial));
    auto *front = new QGroupBox(QStringLiteral("Front Key Settings"), TSSpecial);
    auto *frontForm = new QFormLayout(front);
    CBxZBut = NewCombo(front, "CBxZBut", FrontKeyTexts(0));
    frontForm->addRow(QStringLiteral("Zero"), CBxZBut);
    CBxTbut = NewCombo(front, "CBxTbut", FrontKeyTexts(1));
    frontForm->addRow(QStringLiteral("Tare"), CBxTbut);
    CBxGbut = NewCombo(front, "CBxGbut", FrontKeyTexts(2));
    frontForm->addRow(QStringLiteral("Gross/Net"), CBxGbut);
    CBxPbut = NewCombo(front, "CBxPbut", FrontKeyTexts(3));
    frontForm->addRow(QStringLiteral("Print"), CBxPbut);
    auto *remote = new QGroupBox(QStringLiteral("Remote Key Settings"), TSSpecial);
    auto *remoteForm = new QFormLayout(remote);
    CBxRem1 = NewCombo(remote, "CBxRem1", RemoteKeyTexts());
    remoteForm->addRow(QStringLiteral("Remote 1"), CBxRem1);
    CBxRem2 = NewCombo(remote, "CBxRem2", RemoteKeyTexts());
    remoteForm->addRow(QStringLiteral("Remote 2"), CBxRem2);
    CBxRem3 = NewCombo(remote, "CBxRem3", RemoteKeyTexts());
    remoteForm->addRow(QStringLiteral("Remote 3"), CBxRem3);
    CBxRem4 = NewCombo(remote, "CBxRem4", RemoteKeyTexts());
    remoteForm->addRow(QStringLiteral("Remote 4"), CBxRem4);
    layout->addWidget(front);
    layout->addWidget(remote);
}

void TSettingsEditor::BuildSerialPage()
{
    auto *form = NewForm(TSSerial);
    EdtID = Named(new QLineEdit(TSSerial), "EdtID");
    EdtID->setMaxLength(SerialIDLength);   // a longer ID could not be read back
    form->addRow(QStringLiteral("Serial ID"), EdtID);
    CbxSerMode = NewCombo(TSSerial, "CbxSerMode", Serial2ModeTexts());
    form->addRow(QStringLiteral("Serial 2 Operation"), CbxSerMode);
    CBxPMode = NewCombo(TSSerial, "CBxPMode", PrintModeTexts());
    form->addRow(QStringLiteral("Mode"), CBxPMode);
    EDtRows = NewCountEdit(TSSerial, "EDtRows", 5, 2);
    form->addRow(QStringLiteral("Rows"), EDtRows);
    EdtCols = NewCountEdit(TSSerial, "EdtCols", 6, 2);
    form->addRow(QStringLiteral("Columns"), EdtCols);
    MemoHeader = Named(new QPlainTextEdit(TSSerial), "MemoHeader");
    MemoHeader->setFont(ReportFont());   // the printed report's, so the header looks as printed
    MemoHeader->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoHeader->setTabChangesFocus(true);   // a tab character is no header text
    MemoHeader->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoHeader->installEventFilter(this);
    connect(MemoHeader, &QPlainTextEdit::textChanged, this, [this] { MemoHeaderChange(); });
    form->addRow(QStringLiteral("Header"), MemoHeader);
    EdtPFmt = Named(new QLineEdit(TSSerial), "EdtPFmt");
    EdtPFmt->setMaxLength(100);
    form->addRow(QStringLiteral("Custom Print Format"), EdtPFmt);
    CBxAType = NewCombo(TSSerial, "CBxAType", AutoTypeTexts());
    form->addRow(QStringLiteral("Type"), CBxAType);
    CBxASrc = NewCombo(TSSerial, "CBxASrc", AutoSourceTexts());
    form->addRow(QStringLiteral("Source"), CBxASrc);
    EdtAFmt = Named(new QLineEdit(TSSerial), "EdtAFmt");
    EdtAFmt->setMaxLength(AutoFormatLength);
    form->addRow(QStringLiteral("Custom Auto Format"), EdtAFmt);
}

void TSettingsEditor::BuildSetpointPage()
{
    auto *layout = new QVBoxLayout(PageBody(TSSetpoint));
    CtrlSetpoint = Named(new TSetpointTabBar(TSSetpoint), "CtrlSetpoint");
    CtrlSetpoint->IsUsed = [this](int tab) { return tab >= 0 && tab < 4 && Model.Setpoints[tab].Type != 0; };
    layout->addWidget(CtrlSetpoint);
    auto *form = new QFormLayout;
    layout->addLayout(form);
    CBxSetpType = NewCombo(TSSetpoint, "CBxSetpType", SetpointTypeTexts());
    form->addRow(QStringLiteral("Setpoint Type"), CBxSetpType);
    CBxSetpSrc = NewCombo(TSSetpoint, "CBxSetpSrc", SetpointSourceTexts());
    form->addRow(QStringLiteral("Source"), CBxSetpSrc);
    CBxSetpDirn = NewCombo(TSSetpoint, "CBxSetpDirn", SetpointDirectionTexts());
    form->addRow(QStringLiteral("Direction"), CBxSetpDirn);
    CBxSetpLogic = NewCombo(TSSetpoint, "CBxSetpLogic", SetpointLogicTexts());
    form->addRow(QStringLiteral("Logic"), CBxSetpLogic);
    CbxSetpLock = NewCombo(TSSetpoint, "CbxSetpLock", SetpointLockTexts());
    form->addRow(QStringLiteral("Lock"), CbxSetpLock);
    CBxSetpAlarm = NewCombo(TSSetpoint, "CBxSetpAlarm", SetpointAlarmTexts());
    form->addRow(QStringLiteral("Alarm"), CBxSetpAlarm);
    EdtFlight = NewCountEdit(TSSetpoint, "EdtFlight", 14, 0);
    LblFlightUnits = Named(new QLabel(TSSetpoint), "LblFlightUnits");
    form->addRow(QStringLiteral("In-flight"), WithUnits(TSSetpoint, EdtFlight, LblFlightUnits));
    EdtTol = NewCountEdit(TSSetpoint, "EdtTol", 15, 0);
    LblTolUnits = Named(new QLabel(TSSetpoint), "LblTolUnits");
    form->addRow(QStringLiteral("Tolerance"), WithUnits(TSSetpoint, EdtTol, LblTolUnits));
    EdtTarget = NewCountEdit(TSSetpoint, "EdtTarget", TargetTag, 0);
    LblTargetUnits = Named(new QLabel(TSSetpoint), "LblTargetUnits");
    form->addRow(QStringLiteral("Target"), WithUnits(TSSetpoint, EdtTarget, LblTargetUnits));
    layout->addStretch();
    connect(CBxSetpType, &QComboBox::currentIndexChanged, CtrlSetpoint, [this] { CtrlSetpoint->update(); });
    connect(CtrlSetpoint, &QTabBar::currentChanged, this, [this](int index) { CtrlSetpointChange(index); });
    connect(PgCSettings, &QTabWidget::currentChanged, this, [this](int index) { PgCSettingsChange(index); });
}
