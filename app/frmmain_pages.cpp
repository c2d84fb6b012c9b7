// The main window's pages: building the Display, Settings, Log and Test
// pages, wiring the session, the settings transfer and the file menu to
// them, switching pages, and the live display with its front-panel keys.

#include "app/frmmain.h"

#include "app/frmmain_build.h"
#include "display/frontpanel/frontpanelpicture.h"
#include "display/u7400led.h"
#include "link/comms.h"
#include "link/dmviewer.h"
#include "logging/chartimage.h"
#include "logging/chartview.h"
#include "logging/filemenu.h"
#include "logging/logdialog.h"
#include "logging/logfile.h"
#include "logging/loggingsession.h"
#include "logging/logpage.h"
#include "settings/editor.h"
#include "settings/tools.h"
#include "settings/transfer.h"
#include "terminal/testpage.h"
#include "ui/hourglass.h"
#include "ui/prompts.h"

#include <QKeyEvent>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
const QString DiscardQuestion =
    QStringLiteral("The settings pages hold changes not yet written to the instrument. Discard them?");

// The main display copies the instrument's dark green glass.
const QColor MainGlass(0, 64, 0);

QWidget *NewPage(QTabWidget *pages, const char *name, const QString &caption)
{
    auto *page = Named(new QWidget, name);
    pages->addTab(page, caption);
    return page;
}
} // namespace

void TFrmMain::BuildPages()
{
    PgCMain = Named(new QTabWidget(this), "PgCMain");
    setCentralWidget(PgCMain);
    TSDisplay = NewPage(PgCMain, "TSDisplay", QStringLiteral("Display"));
    TSSettings = NewPage(PgCMain, "TSSettings", QStringLiteral("Settings"));
    TSCal = NewPage(PgCMain, "TSCal", QStringLiteral("Calibration"));
    TSLog = NewPage(PgCMain, "TSLog", QStringLiteral("Log"));
    TSTest = NewPage(PgCMain, "TSTest", QStringLiteral("Test"));
    BuildDisplayPage();
    BuildSettingsPage();
    BuildCalibrationPage();
    BuildCalBackupGroups();
    BuildTestPage();
    BuildLogPage();
    PgCMain->setTabVisible(PgCMain->indexOf(TSSettings), false);
    PgCMain->setTabVisible(PgCMain->indexOf(TSCal), false);
    PgCMain->setTabVisible(PgCMain->indexOf(TSTest), false);
    connect(PgCMain, &QTabWidget::currentChanged, this, [this] {
        if (!ApplyingLook && !KeepSettingsPage())
            PgCMainChange();
        PageShown = PgCMain->currentWidget();
    });
}

void TFrmMain::BuildDisplayPage()
{
    auto *layout = new QVBoxLayout(TSDisplay);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    LCDMain = Named(new TT7400LED(TSDisplay), "LCDMain");
    // The glass sits in the window of the front-panel picture beside the
    // program, which is drawn to these same factors.
    const TFrontPanelGlass glass;
    LCDMain->SetLCDXOffsetFactor(glass.XOffset);
    LCDMain->SetLCDYOffsetFactor(glass.YOffset);
    LCDMain->SetLCDWidthFactor(glass.Width);
    LCDMain->SetLCDHeightFactor(glass.Height);
    SetDisplayColours(LCDMain, MainGlass);
    pnlDispFill = Named(new QWidget(TSDisplay), "pnlDispFill");
    pnlDispFill->setFixedHeight(0);
    layout->addWidget(LCDMain, 1);
    layout->addWidget(pnlDispFill, 0);
}

void TFrmMain::BuildSettingsPage()
{
    auto *layout = new QVBoxLayout(TSSettings);
    layout->setContentsMargins(0, 0, 0, 0);
    SettingsEditor = Named(new TSettingsEditor(EditModel, TSSettings), "SettingsEditor");
    layout->addWidget(SettingsEditor);
    PgCSettings = SettingsEditor->PgCSettings;
    TSBuild = SettingsEditor->TSBuild;
    TSOption = SettingsEditor->TSOption;
    TSSpecial = SettingsEditor->TSSpecial;
    TSSerial = SettingsEditor->TSSerial;
    TSSetpoint = SettingsEditor->TSSetpoint;
    PageWork.TakeSettingsPages = [this] { SettingsEditor->TakeSettingsPages(); };
    PageWork.FillSettingsPages = [this] {
        SettingsEditor->FillSettingsPages();
        SettingsEditor->UpdateCalWeightVisibility();
        SettingsEditor->MarkChangedSettings(Transfer->PendingLines());
        SettingsShown = true;
    };
    SettingsEditor->StatusRefresh = [this] { UpdateIdentity(); };
}

void TFrmMain::BuildTestPage()
{
    auto *layout = new QVBoxLayout(TSTest);
    layout->setContentsMargins(0, 0, 0, 0);
    TestPage = Named(new TTestPage(Session, TSTest), "TestPage");
    TestPage->CommandSent = [this] { Transfer->MarkInstrumentChanged(); };
    layout->addWidget(TestPage);
}

void TFrmMain::BuildLogPage()
{
    auto *layout = new QVBoxLayout(TSLog);
    layout->setContentsMargins(0, 0, 0, 0);
    LogPage = Named(new TLogPage(*Logging, *LogDialog, EditModel, TSLog), "LogPage");
    layout->addWidget(LogPage);
    // Selecting the page sets the axes up from the dialog's choices and puts
    // the focus on the chart.
    PageWork.PrepareChart = [this] { LogPage->PrepareChart(); };
    // A silent instrument is said while it lasts; the note goes when
    // samples come again.
    connect(Logging.get(), &TLoggingSession::SilenceNote, this, [this](const QString &note) {
        if (!note.isEmpty())
            ShowStatusNote(note);
        else if (StatusNote->text().startsWith(QLatin1String("No samples from")))
            StatusNote->clear();
    });
    // Zoom and scroll keys of the chart, while the Log page is shown.
    FormKeyDown = [this](QKeyEvent *event) { return LogPage->FormKeyDown(event); };
}

void TFrmMain::WireSession()
{
    Session.ShowCommand = [this](const QString &command) { SetPanelText(0, command); };
    Session.ShowReply = [this](const QString &reply) { SetPanelText(1, reply); };
    Session.IsTrafficShown = [this] { return PgCMain->currentWidget() == TSTest; };
    Session.AppendTraffic = [this](const QString &line) { TestPage->AppendLine(line); };
    Session.DisplayReply = [this](bool calibration) {
        TT7400LED &display = calibration ? *LCDCal : *LCDMain;
        UpdateDisplayFromReply(display);
        display.PaintSegments();
    };
    Session.DisplayStale = [this] {
        LCDMain->AllSegmentsOff();
        LCDMain->PaintSegments();
    };
    Session.Connected = [this] {
        // The instrument may have been changed while the program was away.
        Transfer->MarkInstrumentChanged();
        EndPortWait();
        PortWatcher.Remember(Session.Transport());
        ConnectedLook();
    };
    Session.PortLost = [this] { WaitForLostPort(); };
    Session.LinkFailed = [](const QString &message) { Prompts().Message(message, TPrompts::Kind::Error); };
    Session.SetBusy = [](bool busy) { ShowHourglass(busy); };
    // Back with the start-up sequence and polling of a connect; an operation
    // the loss ended stays ended.
    PortWatcher.Returned = [this](std::unique_ptr<TIOIfaceSerial> transport) {
        Session.InstallAndOpen(std::move(transport));
    };
    Session.Disconnected = [this] { DisconnectedLook(); };
    Session.LogReply = [this](qint32 weight, qint32 unit, qint32 status) {
        Logging->TakeReply(weight, unit, status);
    };
    Session.LogRecord = [this](quint8 statusByte, qint32 statusWord, qint32 weight) {
        Logging->TakeRecord(statusByte, statusWord, weight);
    };
}

namespace {
const QString PortLostNote = QStringLiteral("Port lost - waiting for it to return");
} // namespace

void TFrmMain::WaitForLostPort()
{
    PortWatcher.Watch();
    if (!PortWatcher.IsWatching())
        return;
    // A log the loss broke off stays ended; reconnecting must not quietly
    // go on polling into it. Start continues it as usual.
    if (Logging->Running())
        Logging->Stop();
    StatusNoteTimer.stop(); // shown for as long as the wait lasts
    StatusNote->setText(PortLostNote);
    // "Disconnect" ends the wait.
    SetConnectCaption(true);
}

void TFrmMain::EndPortWait()
{
    const bool waited = PortWatcher.IsWatching() || StatusNote->text() == PortLostNote;
    PortWatcher.Stop();
    if (!waited)
        return;
    if (StatusNote->text() == PortLostNote)
        StatusNote->clear();
    SetConnectCaption(Session.IsOpen());
}

void TFrmMain::WireFileMenu()
{
    FileMenu = std::make_unique<TFileMenu>();
    FileMenu->EditModel = &EditModel;
    FileMenu->Logging = Logging.get();
    FileMenu->LogPageActive = [this] { return PgCMain->currentWidget() == TSLog; };
    FileMenu->LogComment = [this] { return LogPage->LblLogComment->text(); };
    FileMenu->TakeEditorPages = [this] {
        if (SettingsShown)
            SettingsEditor->TakeSettingsPages();
    };
    FileMenu->MaySaveSettings = [this] { return SettingsPagesInRange(); };
    FileMenu->SettingsLoaded = [this] { SettingsFileLoaded(); };
    FileMenu->MayDiscardEdits = [this] { return MayDiscardEdits(); };
    FileMenu->FileDone = [this](const QString &note, const QString &path) {
        ShowStatusNote(note);
        if (!path.isEmpty())
            ShowFileInTitle(path);
        if (datViewer)
            datViewer->SetLastFolder(FileMenu->Directory);
    };
    FileMenu->WriteChartImage = [this](const QString &path, QString *error) {
        return SaveChartImage(*LogPage->Chart, path, error);
    };
    Logging->MayDiscardSamples = [this] { return FileMenu->OfferToSaveLog(); };
    FileMenu->LogLoaded = [this](const TLogFileData &data) {
        LogPage->LblLogComment->setText(data.Comment);
        TLogChoices choices = LogDialog->Choices();
        choices.Channels = data.Channels;
        LogDialog->SetChoices(choices);
        Logging->SetupAxes(choices, EditModel);
        ChartView::FitToData(*Logging);
        LogPage->RedrawNow();
    };
}

void TFrmMain::SetConnectionStore(TdatViewer *store)
{
    datViewer = store;
    if (store && !store->LastFolder().isEmpty())
        FileMenu->Directory = store->LastFolder();
}

void TFrmMain::SettingsFileLoaded()
{
    // The file's settings are what the pages now edit; nothing says they are
    // in the instrument.
    Logging->SetupAxes(LogDialog->Choices(), EditModel);
    PageWork.FillSettingsPages();
    for (QWidget *page : {TSCal, TSSettings, TSLog})
        PgCMain->setTabVisible(PgCMain->indexOf(page), true);
    SettingsSent = false;
    Transfer->MarkInstrumentChanged();
    UpdateIdentity();
}

void TFrmMain::WireTransfer()
{
    // Takes over the session's settings-reply hook.
    Transfer = std::make_unique<TSettingsTransfer>(Session, EditModel, InstrumentModel, &SettingsSent);
    Transfer->SetBusy = [](bool busy) { ShowHourglass(busy); };
    Transfer->BlankMainDisplay = [this] {
        LCDMain->AllSegmentsOff();
        LCDMain->PaintSegments();
    };
    Transfer->SetupChartAxes = [this] { Logging->SetupAxes(LogDialog->Choices(), EditModel); };
    Transfer->ShowSettingsPages = [this] {
        PgCMain->setTabVisible(PgCMain->indexOf(TSSettings), true);
        PgCMain->setTabVisible(PgCMain->indexOf(TSCal), true);
    };
    Transfer->SettingsAvailable = [this] { return PgCMain->isTabVisible(PgCMain->indexOf(TSCal)); };
    Transfer->TakeSettingsPages = [this] {
        if (SettingsShown && PageWork.TakeSettingsPages)
            PageWork.TakeSettingsPages();
    };
    Transfer->FillSettingsPages = [this] {
        if (PageWork.FillSettingsPages)
            PageWork.FillSettingsPages();
    };
    Transfer->RefreshStatusBar = [this] { UpdateIdentity(); };
    Transfer->StatusNote = [this](const QString &note) { ShowStatusNote(note); };
}

// Rows or columns that cannot be taken keep the Settings page, and what was
// typed in them, until they are corrected: filled again on the way back,
// they would show the old value as if nothing had been typed.
bool TFrmMain::KeepSettingsPage()
{
    if (PageShown != TSSettings || PgCMain->currentWidget() == TSSettings || !SettingsShown
        || !PgCMain->isTabVisible(PgCMain->indexOf(TSSettings)) || !SettingsEditor->FirstWholeNumberOutOfRange())
        return false;
    {
        const QSignalBlocker quiet(PgCMain);
        PgCMain->setCurrentWidget(TSSettings);
    }
    SettingsEditor->WholeNumbersInRange();
    return true;
}

void TFrmMain::PgCMainChange()
{
    QWidget *page = PgCMain->currentWidget();
    // The Log page prints its chart; every other page the settings.
    Print1->setText(page == TSLog ? QStringLiteral("&Print Log") : QStringLiteral("&Print Settings"));
    if (page != TSSettings) {
        if (SettingsShown && PageWork.TakeSettingsPages)
            PageWork.TakeSettingsPages();
        CompareWithInstrument();
    }
    if (page == TSDisplay) {
        Session.SetActivity(actDisplay);
        Report(Session.StartupSequence());
    } else if (page == TSCal) {
        Session.SetActivity(actCalibration);
        AskToSendSettings();
    } else if (page == TSTest) {
        TestPage->PageSelected();
        Session.SetActivity(actTest);
    } else if (page == TSSettings) {
        // Whatever was polled before goes on being polled.
        if (PageWork.FillSettingsPages)
            PageWork.FillSettingsPages();
        PgCSettings->setCurrentWidget(TSBuild);
    } else if (page == TSLog) {
        if (PageWork.PrepareChart)
            PageWork.PrepareChart();
        Session.SetActivity(actLog);
        if (PageWork.FocusChart)
            PageWork.FocusChart();
    }
}

bool TFrmMain::PagesDifferFromInstrument() const { return !Transfer->PendingLines().isEmpty(); }

bool TFrmMain::MayDiscardEdits()
{
    if (!SettingsShown)
        return true;
    if (PageWork.TakeSettingsPages)
        PageWork.TakeSettingsPages();
    return !PagesDifferFromInstrument() || Prompts().Confirm(DiscardQuestion);
}

bool TFrmMain::SettingsPagesHoldUnsentEdits()
{
    if (!PgCMain->isTabVisible(PgCMain->indexOf(TSCal)))
        return false;
    if (SettingsShown && PageWork.TakeSettingsPages)
        PageWork.TakeSettingsPages();
    return PagesDifferFromInstrument();
}

void TFrmMain::CompareWithInstrument()
{
    const QStringList changed = Transfer->PendingLines();
    if (!changed.isEmpty())
        SettingsSent = false;
    SettingsEditor->MarkChangedSettings(changed);
    UpdateIdentity();
}
