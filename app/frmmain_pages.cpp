// The main window's pages: building the Display, Settings, Log and Test
// pages, wiring the session, the settings transfer and the file menu to
// them, switching pages, and the live display with its front-panel keys.

#include "app/frmmain.h"

#include "app/frmmain_build.h"
#include "display/frontpanel/frontpanelpicture.h"
#include "display/livedisplay.h"
#include "display/u7400led.h"
#include "history/historyrecorder.h"
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

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// A binary weight record as the weight line the live display reads: the
// count at the log's decimals, and the status bits the record's status
// byte shares with the line's (motion, centre of zero, the outputs).
QString RecordAsReply(qint32 weight, int divisor, quint8 statusByte)
{
    int decimals = 0;
    for (int d = divisor; d > 1 && decimals < 6; d /= 10)
        ++decimals;
    int status = statusByte & 0x80 ? 0 : 0x0002;
    if (statusByte & 0x40)
        status |= 0x0100;
    status |= (statusByte & 0x0f) << 4;
    return QStringLiteral("%1,00,%2").arg(FormatCounts(weight, decimals)).arg(status);
}

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
    TSVerify = NewPage(PgCMain, "TSVerify", QStringLiteral("Verification"));
    BuildDisplayPage();
    BuildSettingsPage();
    BuildCalibrationPage();
    BuildCalBackupGroups();
    BuildTestPage();
    BuildLogPage();
    BuildVerificationPage();
    PgCMain->setTabVisible(PgCMain->indexOf(TSSettings), false);
    PgCMain->setTabVisible(PgCMain->indexOf(TSCal), false);
    PgCMain->setTabVisible(PgCMain->indexOf(TSTest), false);
    PgCMain->setTabVisible(PgCMain->indexOf(TSVerify), false);
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
    pnlDisplayUnit = Named(new QWidget(TSDisplay), "pnlDisplayUnit");
    auto *unitRow = new QHBoxLayout(pnlDisplayUnit);
    unitRow->setContentsMargins(6, 2, 6, 2);
    auto *unitLabel = new QLabel(QStringLiteral("Unit shown"), pnlDisplayUnit);
    CBxDisplayUnit = Named(new QComboBox(pnlDisplayUnit), "CBxDisplayUnit");
    CBxDisplayUnit->setToolTip(QStringLiteral("The unit of the line whose weight the display shows and whose keys "
                                              "it presses; settings and calibration stay with the unit connected to"));
    unitLabel->setBuddy(CBxDisplayUnit);
    unitRow->addWidget(unitLabel);
    unitRow->addWidget(CBxDisplayUnit);
    unitRow->addStretch(1);
    pnlDisplayUnit->setVisible(false);
    connect(CBxDisplayUnit, &QComboBox::activated, this, [this](int index) {
        const int unit = CBxDisplayUnit->itemData(index).toInt();
        if (unit == Session.DisplayUnit())
            return;
        Session.SetDisplayUnit(unit);
        // The last unit's weight is not this one's.
        LCDMain->AllSegmentsOff();
        LCDMain->PaintSegments();
    });
    layout->addWidget(LCDMain, 1);
    layout->addWidget(pnlDisplayUnit, 0);
    layout->addWidget(pnlDispFill, 0);
}

// The units the connection's unit answered to "ENU?" are its own: another
// unit of the bus shown on the display may weigh in others, so its weight
// goes without a unit rather than with a wrong one.
int TFrmMain::ShownUnitsIndex() const
{
    return Session.DisplayUnit() == Session.UnitAddress() ? Session.DisplayUnits() : 0;
}

void TFrmMain::RefreshDisplayUnits()
{
    QList<int> units = Session.BusUnits();
    const int connected = Session.UnitAddress();
    if (connected >= 1 && connected <= 31 && !units.contains(connected))
        units << connected;
    std::sort(units.begin(), units.end());
    // A unit no longer known is not shown on.
    if (!units.contains(Session.DisplayUnit()))
        Session.SetDisplayUnit(connected);
    const QSignalBlocker quiet(CBxDisplayUnit);
    CBxDisplayUnit->clear();
    for (const int unit : std::as_const(units))
        CBxDisplayUnit->addItem(unit == connected ? QStringLiteral("Unit %1 (connected)").arg(unit)
                                                  : QStringLiteral("Unit %1").arg(unit),
                                unit);
    CBxDisplayUnit->setCurrentIndex(CBxDisplayUnit->findData(Session.DisplayUnit()));
    pnlDisplayUnit->setVisible(units.size() > 1 && Session.IsOpen());
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
    // The marks compare the pages with what the instrument holds; the
    // calibration fields keep what was typed until it holds it.
    SettingsEditor->Instrument = &InstrumentModel;
    PageWork.FillSettingsPages = [this] {
        SettingsEditor->FillSettingsPages();
        SettingsEditor->UpdateCalWeightVisibility();
        SettingsEditor->MarkChangedSettings();
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
    // The Display page served a streaming log: once it ends (a lost port,
    // Disconnect), the page polls as usual. The instrument has been told
    // to stop already.
    connect(Logging.get(), &TLoggingSession::RunningChanged, this, [this] {
        if (!Logging->Running() && PgCMain->currentWidget() == TSDisplay && Session.Activity() == actLog)
            Session.SetActivity(actDisplay);
    });
}

void TFrmMain::WireSession()
{
    // The Log page's rates are samples a second: a unit is asked ten
    // times a second at most.
    Session.SetLogPollGap(10);
    Session.ShowCommand = [this](const QString &command) { SetPanelText(0, command); };
    Session.ShowReply = [this](const QString &reply) { SetPanelText(1, reply); };
    Session.IsTrafficShown = [this] { return PgCMain->currentWidget() == TSTest; };
    Session.AppendTraffic = [this](const QString &line) { TestPage->AppendLine(line); };
    Session.DisplayReply = [this](bool calibration) {
        // A weight line (not the status answer, not a key's "0") says the
        // instrument's decimals, which the log follows.
        qint32 shown = 0, places = -1;
        if (!Session.StatusReplyAwaited() && Session.Parser().FieldCount() >= 3
            && Session.Parser().GetInt(0, shown, -999999, 999999, places))
            Logging->NoteInstrumentDecimals(places);
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
        Logging->ForgetInstrument();
        if (EndPortWait()) {
            // Back by itself: the message that it was lost would only block
            // the menus now.
            if (!PortLostMessage.isEmpty())
                Prompts().WithdrawMessage(PortLostMessage);
            ShowStatusNote(QStringLiteral("Port lost at %1 and came back").arg(PortLostAt.toString(u"HH:mm:ss")));
        }
        PortWatcher.Remember(Session.Transport());
        ConnectedLook();
        RefreshDisplayUnits();
        RecordConnection();
    };
    Session.PortLost = [this] { WaitForLostPort(); };
    Session.LinkFailed = [this](const QString &message) {
        const bool lost = PortWatcher.IsWatching();
        if (lost)
            PortLostMessage = message;
        Prompts().Message(message, TPrompts::Kind::Error);
        if (lost && PortLostMessage == message)
            PortLostMessage.clear();
    };
    Session.SetBusy = [](bool busy) { ShowHourglass(busy); };
    // Back with the start-up sequence and polling of a connect; an operation
    // the loss ended stays ended.
    PortWatcher.Returned = [this](std::unique_ptr<TIOIfaceSerial> transport) {
        Session.InstallAndOpen(std::move(transport));
    };
    Session.Disconnected = [this] {
        Logging->ForgetInstrument();
        History->ForgetIdentity();
        DisconnectedLook();
        RefreshDisplayUnits();
    };
    Session.LogReply = [this](qint32 weight, qint32 unit, qint32 status, qint32 places) {
        // The reply's own decimal point scales the logged weight.
        Logging->TakeReply(weight, unit, status, places);
        if (PgCMain->currentWidget() == TSDisplay)
            ShowStreamedWeight(Session.Parser());
    };
    Session.LogRecord = [this, record = std::make_shared<Tcommsobj>()](quint8 statusByte, qint32 statusWord,
                                                                       qint32 weight) {
        Logging->TakeRecord(statusByte, statusWord, weight);
        if (PgCMain->currentWidget() == TSDisplay) {
            record->Parse(RecordAsReply(weight, Logging->WeightDivisor, statusByte), false, false);
            ShowStreamedWeight(*record);
        }
    };
}

// A streaming log goes on while the Display page is shown (the page does not
// stop it): the display shows the streamed weight.
void TFrmMain::ShowStreamedWeight(const Tcommsobj &reply)
{
    TLiveDisplayInput input;
    input.TickCycle = Session.TickCycle();
    input.DisplayUnits = ShownUnitsIndex();
    input.WeighMode = EditModel.WeighMode;
    ::UpdateDisplayFromReply(*LCDMain, reply, input, ErrorStatus);
    LCDMain->PaintSegments();
}

namespace {
const QString PortLostNote = QStringLiteral("Port lost - waiting for it to return");
} // namespace

void TFrmMain::WaitForLostPort()
{
    PortLostAt = QTime::currentTime();
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

bool TFrmMain::EndPortWait()
{
    const bool waited = PortWatcher.IsWatching() || StatusNote->text() == PortLostNote;
    PortWatcher.Stop();
    if (!waited)
        return false;
    if (StatusNote->text() == PortLostNote)
        StatusNote->clear();
    SetConnectCaption(Session.IsOpen());
    return true;
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
        return SaveChartImage(*LogPage->Chart, path, LogPage->LblLogComment->text(), LogPage->ChannelLabels(), error);
    };
    Logging->MayDiscardSamples = [this] { return FileMenu->OfferToSaveLog(); };
    FileMenu->LogLoaded = [this](const TLogFileData &data) {
        LogPage->LblLogComment->setText(data.Comment);
        TLogChoices choices = LogDialog->Choices();
        choices.Channels = data.Channels;
        LogDialog->SetChoices(choices);
        Logging->SetupAxes(choices, EditModel);
        ChartView::FitLoadedLog(*Logging);
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
    Transfer->EditsLoadedFromFile();
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
        // A completed read: the direct signals are this instrument's.
        SettingsEditor->DirectSignalsKnown = true;
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
    // The Log page prints its chart, the Verification page the certificate;
    // every other page the settings.
    Print1->setText(page == TSLog      ? QStringLiteral("&Print Log")
                    : page == TSVerify ? QStringLiteral("&Print Certificate")
                                       : QStringLiteral("&Print Settings"));
    if (page != TSSettings) {
        if (SettingsShown && PageWork.TakeSettingsPages)
            PageWork.TakeSettingsPages();
        CompareWithInstrument();
    }
    if (page == TSDisplay) {
        RefreshDisplayUnits();
        // A running log is not stopped by a look at the Display page: its
        // samples go on into the log and show on the display, and neither
        // the start-up's "STP" nor a display poll goes out meanwhile.
        if (LogServesDisplay()) {
            Session.SetActivity(actLog);
        } else {
            Session.SetActivity(actDisplay);
            Report(Session.StartupSequence());
        }
    } else if (page == TSCal) {
        Session.SetActivity(actCalibration);
        AskToSendSettings();
    } else if (page == TSTest) {
        TestPage->PageSelected();
        Session.SetActivity(actTest);
    } else if (page == TSVerify) {
        // The live weight goes on being polled (the status bar shows it)
        // while the weights are placed; a streaming log goes on as on the
        // Display page.
        Session.SetActivity(LogServesDisplay() ? actLog : actDisplay);
        VerificationPageShown();
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
    // A page that takes the line from a running log says so: the chart
    // shows the hole as a break, not as a line across it.
    const QString paused = QStringLiteral("The log pauses while this page is shown and goes on when the Log page is "
                                          "shown again.");
    if (Logging->Running() && Session.IsOpen() && Session.Activity() != actLog && page != TSSettings)
        ShowStatusNote(paused);
    else if (Session.Activity() == actLog && StatusNote->text() == paused)
        StatusNote->clear();
}

// A stream, or the polls of a log of one unit, carry the weight the
// display shows; a log of several units would show each in turn.
bool TFrmMain::LogServesDisplay() const
{
    if (!Session.IsOpen())
        return false;
    return Session.LoggingState() == lsStreamed
           || (Session.LoggingState() == lsPolled && Session.LoggedUnits().size() <= 1);
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

bool TFrmMain::MayDiscardEditsForCalibration()
{
    if (!SettingsShown)
        return true;
    if (PageWork.TakeSettingsPages)
        PageWork.TakeSettingsPages();
    Tdata7410 others = EditModel;
    others.CalWeight = InstrumentModel.CalWeight;
    if (Transfer->PendingLines(others).isEmpty())
        return true;
    if (!Prompts().Confirm(DiscardQuestion))
        return false;
    // Discarded means gone: a step run with a file's decimal point would
    // send its span weight ten or a hundred times off. A span weight the
    // operator typed stays on the page (the fill keeps typed text) and is
    // read in the instrument's decimals.
    EditModel = InstrumentModel;
    PageWork.FillSettingsPages();
    CompareWithInstrument();
    return true;
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
    SettingsEditor->MarkChangedSettings();
    UpdateIdentity();
}
