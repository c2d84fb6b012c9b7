// The main window's menus and toolbar, and the commands behind them.

#include "app/frmmain.h"

#include "app/about.h"
#include "app/frmmain_build.h"
#include "calibration/calpage.h"
#include "link/ioifaceconfigure.h"
#include "logging/chartview.h"
#include "logging/filemenu.h"
#include "logging/loggingsession.h"
#include "logging/logpage.h"
#include "logging/logprint.h"
#include "settings/editor.h"
#include "settings/editorcal.h"
#include "settings/settingsprint.h"
#include "settings/transfer.h"
#include "ui/imagelist.h"
#include "ui/printfont.h"
#include "ui/prompts.h"
#include "verification/certificate.h"
#include "verification/certificateprint.h"
#include "verification/verification.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

void TFrmMain::BuildMenus()
{
    MainMenu = Named(menuBar(), "MainMenu");
    auto item = [this](QMenu *menu, const char *name, const QString &caption, const QString &hint, int image,
                       void (TFrmMain::*handler)()) {
        auto *action = Named(menu->addAction(caption), name);
        action->setToolTip(hint.isEmpty() ? QString(caption).remove(QLatin1Char('&')).trimmed() : hint);
        if (image >= 0)
            action->setIcon(ImageList.value(image));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    auto menu = [this](const char *name, const QString &caption) {
        QMenu *m = Named(MainMenu->addMenu(caption), name);
        m->setToolTipsVisible(true);   // the items' hints
        return m;
    };

    QMenu *file = menu("File1", QStringLiteral("&File"));
    Open1 = item(file, "Open1", QStringLiteral("&Open"), QStringLiteral("Load settings from file"), imgOpen,
                 &TFrmMain::Open1Click);
    Open1->setShortcut(Qt::Key_F3);
    Save1 = item(file, "Save1", QStringLiteral("&Save"), QStringLiteral("Save Settings to File"), imgSave,
                 &TFrmMain::Save1Click);
    Save1->setShortcut(Qt::CTRL | Qt::Key_S);
    ExportCsv1 = item(file, "ExportCsv1", QStringLiteral("Export &Log as CSV..."),
                      QStringLiteral("Write the log for a spreadsheet"), -1, &TFrmMain::ExportCsv1Click);
    ExportImage1 = item(file, "ExportImage1", QStringLiteral("Export Chart &Image..."),
                        QStringLiteral("Write the chart as a PNG or PDF file"), -1, &TFrmMain::ExportImage1Click);
    file->addSeparator();
    Print1 = item(file, "Print1", QStringLiteral("&Print Settings"), {}, imgPrint, &TFrmMain::Print1Click);
    PrintPreview1 = item(file, "PrintPreview1", QStringLiteral("Print Pre&view"),
                         QStringLiteral("Show the pages Print would print"), -1, &TFrmMain::PrintPreview1Click);
    file->addSeparator();
    Connect2 = item(file, "Connect2", QStringLiteral("&Connect"), QStringLiteral("Connect to instrument"),
                    imgConnect, &TFrmMain::Connect2Click);
    file->addSeparator();
    Exit1 = item(file, "Exit1", QStringLiteral("&Exit"), {}, imgExit, &TFrmMain::Exit1Click);
    Exit1->setShortcut(Qt::ALT | Qt::Key_X);

    QMenu *edit = menu("Edit1", QStringLiteral("&Edit"));
    ChartSetup = item(edit, "ChartSetup", QStringLiteral("&Setup Chart"), {}, imgChart, &TFrmMain::ChartSetupClick);

    QMenu *instrument = menu("In1", QStringLiteral("&Instrument"));
    ReadSettings1 = item(instrument, "ReadSettings1", QStringLiteral("&Read Settings "),
                         QStringLiteral("Read Settings from Instrument"), imgRead, &TFrmMain::ReadSettings1Click);
    WriteSettings1 = item(instrument, "WriteSettings1", QStringLiteral("&Write Settings"),
                          QStringLiteral("Write Settings to Instrument"), imgWrite, &TFrmMain::WriteSettings1Click);
    instrument->addSeparator();
    History1 = item(instrument, "History1", QStringLiteral("&History..."),
                    QStringLiteral("What was read, written and calibrated, instrument by instrument"), -1,
                    &TFrmMain::History1Click);

    QMenu *help = menu("Help1", QStringLiteral("&Help"));
    Index1 = item(help, "Index1", QStringLiteral("&Index"), {}, imgIndex, &TFrmMain::Index1Click);
    Contents1 = item(help, "Contents1", QStringLiteral("&Contents"), {}, imgContents, &TFrmMain::Contents1Click);
    help->addSeparator();
    About1 = item(help, "About1", QStringLiteral("&About"), {}, imgAbout, &TFrmMain::About1Click);
}

void TFrmMain::BuildToolBar()
{
    ToolBar = Named(new QToolBar(QStringLiteral("ToolBar"), this), "ToolBar");
    ToolBar->setMovable(false);
    ToolBar->setFloatable(false);
    ToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBar->setIconSize(QSize(18, 18));
    ToolBar->toggleViewAction()->setEnabled(false);
    addToolBar(Qt::TopToolBarArea, ToolBar);

    auto button = [this](const char *name, const QString &caption, const QString &hint, int image,
                         void (TFrmMain::*handler)()) {
        auto *b = Named(new QToolButton(ToolBar), name);
        b->setText(caption);
        b->setToolTip(hint);
        b->setIcon(ImageList.value(image));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setFixedSize(84, 37);
        connect(b, &QToolButton::clicked, this, handler);
        ToolBar->addWidget(b);
        return b;
    };
    auto separator = [this](const char *name) {
        QAction *action = Named(ToolBar->addSeparator(), name);
        return Named(ToolBar->widgetForAction(action), name);
    };

    ToolButton1 = button("ToolButton1", QStringLiteral("&Open"), QStringLiteral("Load settings from file"), imgOpen,
                         &TFrmMain::Open1Click);
    ToolButton2 = button("ToolButton2", QStringLiteral("&Save"), QStringLiteral("Save Settings to File"), imgSave,
                         &TFrmMain::Save1Click);
    ToolButton3 = separator("ToolButton3");
    ToolButton4 = button("ToolButton4", QStringLiteral("&Connect"), QStringLiteral("Connect to instrument"),
                         imgConnect, &TFrmMain::Connect2Click);
    ToolButton5 = separator("ToolButton5");
    ToolButton6 = button("ToolButton6", QStringLiteral("&Read Settings "),
                         QStringLiteral("Read Settings from Instrument"), imgRead, &TFrmMain::ReadSettings1Click);
    ToolButton7 = button("ToolButton7", QStringLiteral("&Write Settings"),
                         QStringLiteral("Write Settings to Instrument"), imgWrite, &TFrmMain::WriteSettings1Click);
}

void TFrmMain::Connect2Click()
{
    if (!datViewer)
        return;   // only before the program entry has made the store
    if (PortWatcher.IsWatching()) {
        EndPortWait(); // "Disconnect" while waiting for a lost port
        return;
    }
    if (Session.IsOpen()) {
        // A Disconnect: the instrument must not go on streaming into a
        // closed port.
        Logging->StopStreaming();
        Session.Disconnect();
        return;
    }
    int unitAddress = Session.UnitAddress();
    QList<int> found;
    std::unique_ptr<TIOIfaceSerial> serial = ConfigureAndCreate(*datViewer, unitAddress, &found);
    if (!serial)
        return; // cancelled: nothing changes
    Session.SetUnitAddress(unitAddress);
    // The units Find listed on this line: the Display page and the logging
    // dialog offer them.
    Session.SetBusUnits(found);
    Session.InstallAndOpen(std::move(serial));
}

void TFrmMain::Exit1Click() { close(); }

void TFrmMain::About1Click()
{
    if (frmAbout) {
        Prompts().Exec(*frmAbout);
        return;
    }
    TfrmAbout about(this);
    Prompts().Exec(about);
}

void TFrmMain::Index1Click() { HelpFile.Show(QStringLiteral("index")); }
void TFrmMain::Contents1Click() { HelpFile.Show(QStringLiteral("contents")); }

void TFrmMain::Open1Click() { FileMenu->Open(); }

void TFrmMain::Save1Click()
{
    if (PgCMain->currentWidget() != TSLog && !SettingsPagesInRange())
        return;
    FileMenu->Save();
}

// A weight outside its limits would be refused by the instrument (and read
// as its silence), or saved into a file that no instrument takes.
bool TFrmMain::SettingsPagesInRange()
{
    if (!SettingsShown || SettingsEditor->EntriesInRange())
        return true;
    // The pages show what EditModel took from them when they were left.
    PgCMain->setCurrentWidget(TSSettings);
    return SettingsEditor->CountEditsInRange();
}

QPrinter &TFrmMain::RunPrinter()
{
    if (!Printer)
        Printer = std::make_shared<QPrinter>();
    return *Printer;
}

void TFrmMain::ExportCsv1Click() { FileMenu->ExportCsv(); }

void TFrmMain::ExportImage1Click() { FileMenu->ExportChartImage(); }

TPrintout TFrmMain::CurrentPrintout()
{
    if (PgCMain->currentWidget() == TSVerify)
        return CertificatePrintout(CertificateLines(*Verification), ReportFont());
    if (PgCMain->currentWidget() != TSLog) {
        // As saving does: what the Settings pages show is what gets printed.
        SettingsEditor->TakeSettingsPages();
        const TCalSettingsFields &cal = *SettingsEditor->CalFields;
        return SettingsPrintout(EditModel, cal.edtCalDirectZero->text(), cal.edtCalDirectSpan->text(),
                                SettingsEditor->MemoHeader->font());
    }
    TLogPrintLabels labels;
    for (size_t i = 0; i < labels.size(); ++i) {
        const QLabel *label = LogPage->LblDig[i];
        labels[i] = {label->text(), label->palette().color(QPalette::WindowText)};
    }
    return LogPrintout(*LogPage->Chart, LogPage->LblLogComment->text(), labels, font());
}

void TFrmMain::Print1Click() { RunPrintJob(RunPrinter(), CurrentPrintout()); }

void TFrmMain::PrintPreview1Click() { RunPrintPreview(RunPrinter(), CurrentPrintout()); }

void TFrmMain::ChartSetupClick() { LogPage->ChartSetupClick(); }

void TFrmMain::ReadSettings1Click()
{
    if (!MayDiscardEdits())
        return;
    const TOutcome read = Transfer->ReadSettings1Click();
    UpdateIdentity();
    Report(read);
}

void TFrmMain::WriteSettings1Click()
{
    if (!SettingsPagesInRange())
        return;
    const TOutcome written = Transfer->WriteSettings1Click();
    SettingsEditor->MarkChangedSettings();
    UpdateIdentity();
    Report(written);
}
