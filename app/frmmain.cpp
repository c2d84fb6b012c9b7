// The main window's shell: creation and end, the status bar and its
// identity panel, the connected and disconnected looks, resizing and the key
// preview. Menus, pages and calibration are wired in the files beside it.

#include "app/frmmain.h"

#include "app/frmmain_build.h"
#include "app/ownerdrawnpanel.h"
#include "calibration/calbackup.h"
#include "calibration/calsteps.h"
#include "calibration/calwait.h"
#include "display/u7400led.h"
#include "history/historyrecorder.h"
#include "link/programfiles.h"
#include "logging/filemenu.h"
#include "logging/logdialog.h"
#include "logging/loggingsession.h"
#include "logging/logpage.h"
#include "settings/editor.h"
#include "settings/identity.h"
#include "settings/transfer.h"
#include "ui/imagelist.h"
#include "ui/prompts.h"
#include "verification/verification.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

#include <unistd.h>

TFrmMain::TFrmMain(QWidget *parent) : QMainWindow(parent), HelpFile(QString())
{
    setObjectName(QStringLiteral("FrmMain"));
    DataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    FallbackFolders = {QDir::home().filePath(QStringLiteral("Quenvale 7400 Viewer recovery")),
                       QDir::temp().filePath(QStringLiteral("quenvale7400-recovery-%1").arg(::getuid()))};
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    setFont(font);
    ImageList = BuildImageList();
    // The logging session and its dialog exist before the Log page shows them.
    Logging = std::make_unique<TLoggingSession>(Session);
    LogDialog = std::make_unique<TFrmLogDialog>(this);

    BuildMenus();
    BuildToolBar();
    BuildPages();
    BuildStatusBar();
    resize(800, 600);
    setMinimumWidth(MinimumWidth);
    CentreOnScreen();
    qApp->installEventFilter(this);
    FormCreate();
}

TFrmMain::~TFrmMain() { FormDestroy(); }

void TFrmMain::Report(const TOutcome &outcome)
{
    LastOutcome = outcome;
    Tell(outcome);
}

void TFrmMain::BuildStatusBar()
{
    StatusBar = Named(new QStatusBar(this), "StatusBar");
    setStatusBar(StatusBar);
    auto fixedPanel = [this](const char *name) {
        auto *label = Named(new QLabel(StatusBar), name);
        label->setFixedWidth(StatusPanelWidth);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        StatusBar->addWidget(label);
        return label;
    };
    StatusPanel0 = fixedPanel("StatusPanel0");
    StatusPanel1 = fixedPanel("StatusPanel1");
    StatusPanel2 = Named(new TOwnerDrawnPanel(StatusBar), "StatusPanel2");
    StatusPanel2->OnDrawPanel = [this](QPainter &painter, const QRect &rect) { StatusBarDrawPanel(painter, rect); };
    StatusBar->addWidget(StatusPanel2, 1);
    // What the last operation did; it fades after a while.
    StatusNote = Named(new QLabel(StatusBar), "StatusNote");
    StatusNote->setTextFormat(Qt::PlainText);
    StatusBar->addPermanentWidget(StatusNote);
    StatusNoteTimer.setSingleShot(true);
    StatusNoteTimer.setInterval(StatusNoteMs);
    connect(&StatusNoteTimer, &QTimer::timeout, StatusNote, [this] {
        StatusNote->clear();
        StatusNote->setToolTip(QString());
    });
    StatusSampleRate = Named(new QLabel(StatusBar), "StatusSampleRate");
    StatusBar->addPermanentWidget(StatusSampleRate);
    LogPage->ShowSampleRate = [this](const QString &text) { StatusSampleRate->setText(text); };
}

void TFrmMain::CentreOnScreen()
{
    if (const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

void TFrmMain::FormCreate()
{
    setWindowTitle(QApplication::applicationName());
    // The session starts as the window needs it: a null transport whose
    // received text goes to the exchange, receiving enabled, no polling
    // suspended, no reply awaited, Activity idle, all counters at their
    // start values and its own reply parser.
    WireSession();
    WireTransfer();
    WireCalibration();
    WireCalBackup();
    WireFileMenu();
    WireHistory();
    WireVerification();
    HelpFile = THelpFile(ProgramDataFile(QStringLiteral(".html")));
    LCDMain->SetBackGroundFileName(ProgramDataFile(QStringLiteral(".bmp")));
    SetRegionRects();
    WireDisplayKeys();
    WireKeyboard();
    LCDMain->UpdateLayout();
    LCDCal->UpdateLayout();

    SettingsShown = false;
    SetpointShown = false;
    PgCMain->setCurrentWidget(TSDisplay);
    PgCSettings->setCurrentWidget(TSBuild);
    LBxLCal->setCurrentRow(0);
    SettingsSent = false;

    LCDMain->AllSegmentsOn();
    LCDMain->PaintSegments();
    DisconnectedLook();
}

void TFrmMain::FormDestroy()
{
    qApp->removeEventFilter(this);
    // The session outlives nothing it reports to: closing its transport
    // during destruction must not reach half-destroyed controls.
    Session.ShowCommand = nullptr;
    Session.ShowReply = nullptr;
    Session.IsTrafficShown = nullptr;
    Session.AppendTraffic = nullptr;
    Session.DisplayReply = nullptr;
    Session.DisplayStale = nullptr;
    Session.Connected = nullptr;
    Session.Disconnected = nullptr;
    Session.PortLost = nullptr;
    Session.LinkFailed = nullptr;
    PortWatcher.Stop();
    PortWatcher.Returned = nullptr;
    Session.LogReply = nullptr;
    Session.LogRecord = nullptr;
    Session.SettingsReply = nullptr;
    // The pages (the Test page holds the session) go before the session,
    // which as a member would otherwise be destroyed first.
    PgCMain->disconnect(this);
    delete takeCentralWidget();
}

void TFrmMain::closeEvent(QCloseEvent *event)
{
    // Ended from outside, the unsaved log has been kept already. Edits that
    // were meant for the connected instrument are work too: the operator
    // says whether they may go.
    if (!EndingWithoutAsking && Session.IsOpen() && SettingsPagesHoldUnsentEdits()
        && !Prompts().Confirm(QStringLiteral("The settings pages hold changes not yet written to the instrument. "
                                             "Close the program and discard them?"))) {
        event->ignore();
        return;
    }
    if (!EndingWithoutAsking && !FileMenu->OfferToSaveLog()) {
        event->ignore();
        return;
    }
    Logging->StopStreaming();
    // Bytes still arriving while the window goes away are ignored, and every
    // wait and transfer ends quietly: nothing may report after it has gone.
    Session.Shutdown();
    if (Transfer)
        Transfer->Abandon();
    event->accept();
}

void TFrmMain::DisableMainControls() { SetMainControlsEnabled(false); }
void TFrmMain::EnableMainControls() { SetMainControlsEnabled(true); }

void TFrmMain::SetMainControlsEnabled(bool enabled)
{
    PgCMain->setEnabled(enabled);
    ToolBar->setEnabled(enabled);
    for (const char *name : {"File1", "In1", "Help1"})
        if (auto *menu = MainMenu->findChild<QMenu *>(QLatin1String(name)))
            menu->menuAction()->setEnabled(enabled);
}

void TFrmMain::ShowStatusNote(const QString &note)
{
    StatusNote->setText(note);
    // A long note is cut at the window's edge: the whole of it on hovering.
    StatusNote->setToolTip(note);
    StatusNoteTimer.start();
}

void TFrmMain::ShowFileInTitle(const QString &path)
{
    setWindowTitle(QStringLiteral("%1 - %2").arg(QFileInfo(path).fileName(), QApplication::applicationName()));
}

QString TFrmMain::PanelText(int panel) const
{
    switch (panel) {
    case 0: return StatusPanel0->text();
    case 1: return StatusPanel1->text();
    case 2: return StatusPanel2->Text();
    default: return {};
    }
}

void TFrmMain::SetPanelText(int panel, const QString &text)
{
    switch (panel) {
    case 0: StatusPanel0->setText(text); break;
    case 1: StatusPanel1->setText(text); break;
    case 2: StatusPanel2->SetText(text); break;
    default: break;
    }
}

void TFrmMain::StatusBarDrawPanel(QPainter &painter, const QRect &rect)
{
    const QString text = StatusPanel2->Text();
    const bool calm = text.isEmpty() || SettingsSent;
    painter.fillRect(rect, calm ? palette().color(QPalette::Button) : QColor(Qt::red));
    painter.setPen(calm ? QColor(Qt::black) : QColor(Qt::yellow));
    painter.setFont(font());
    painter.drawText(rect.adjusted(IdentityTextLeft, IdentityTextTop, 0, 0), Qt::AlignLeft | Qt::AlignTop, text);
}

QString TFrmMain::IdentityText(const Tdata7410 &model) { return InstrumentIdentityText(model); }

void TFrmMain::UpdateIdentity()
{
    // The instrument's own identity, once read on this connection: a Serial
    // ID typed on the pages is not the instrument's until it is written.
    SetPanelText(2, EditModel.SerialNumber.isEmpty() ? QString() : IdentityText(InstrumentModel));
    const bool red = !PanelText(2).isEmpty() && !SettingsSent;
    StatusPanel2->setToolTip(red ? QStringLiteral("Red: the settings in the program may differ from what the "
                                                  "instrument holds. Write Settings sends them.")
                                 : QString());
    StatusPanel2->update();
}

void TFrmMain::ConnectedLook() { ApplyLook(true); }
void TFrmMain::DisconnectedLook() { ApplyLook(false); }

void TFrmMain::ApplyLook(bool connected)
{
    // Hiding the page in front makes the tab control show another one; that
    // is then handled as a page change once the look is complete.
    QWidget *before = PgCMain->currentWidget();
    // Pages with unsent edits stay: hidden, they could only come back with
    // a read, which would replace the edits (a port lost during a write).
    const bool keepPages = SettingsPagesHoldUnsentEdits();
    ApplyingLook = true;
    PgCMain->setTabVisible(PgCMain->indexOf(TSTest), connected);
    PgCMain->setTabVisible(PgCMain->indexOf(TSVerify), connected);
    // Before the next reading the instrument on the line says who it is.
    Verification->ForgetConnection();
    PgCMain->setTabVisible(PgCMain->indexOf(TSCal), keepPages);
    PgCMain->setTabVisible(PgCMain->indexOf(TSSettings), keepPages);
    ApplyingLook = false;
    for (QAction *action : {ReadSettings1, WriteSettings1})
        action->setEnabled(connected);
    for (QToolButton *button : {ToolButton6, ToolButton7})
        button->setEnabled(connected);
    SetConnectCaption(connected);
    EditModel.SerialNumber.clear();
    // Whatever instrument comes next, its signals are read before they show.
    SettingsEditor->ForgetDirectSignals();
    UpdateIdentity();

    const bool pageMoved = PgCMain->currentWidget() != before;
    if (pageMoved)
        PgCMainChange();
    // A move onto the Display page has already started the instrument.
    if (connected && !(pageMoved && PgCMain->currentWidget() == TSDisplay)) {
        if (PgCMain->currentWidget() == TSDisplay)
            Session.SetActivity(actDisplay);
        Report(Session.StartupSequence());
    }
}

void TFrmMain::SetConnectCaption(bool connected)
{
    ToolButton4->setText(connected ? QStringLiteral("&Disconnect") : QStringLiteral("&Connect"));
    ToolButton4->setToolTip(connected ? QStringLiteral("Disconnect from instrument")
                                      : QStringLiteral("Connect to instrument"));
    ToolButton4->setIcon(ImageList.value(connected ? imgDisconnect : imgConnect));
    Connect2->setText(ToolButton4->text());
    Connect2->setToolTip(ToolButton4->toolTip());
    Connect2->setIcon(ToolButton4->icon());
}

QSize TFrmMain::DisplayPageSize() const
{
    // Only the page in front is laid out; all pages share its area.
    const QWidget *front = PgCMain->currentWidget();
    return front ? front->size() : QSize();
}

void TFrmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TFrmMain::FormResize()
{
    if (width() < MinimumWidth)
        resize(MinimumWidth, height());
    const QSize page = DisplayPageSize();
    const int needed = page.width() * DisplayRatioHeight / DisplayRatioWidth;
    if (page.height() < needed) {
        pnlDispFill->setFixedHeight(0);
        resize(width(), height() + needed - page.height());
    } else {
        pnlDispFill->setFixedHeight(page.height() - needed);
    }
}

bool TFrmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && FormKeyDown) {
        // A key press travels from the focused control up through its
        // parents; only its first stop counts, so each press is seen once.
        auto *widget = qobject_cast<QWidget *>(watched);
        QWidget *focus = QApplication::focusWidget();
        const bool firstStop = widget && (widget == focus || (!focus && widget == this));
        if (firstStop && widget->window() == this && FormKeyDown(static_cast<QKeyEvent *>(event)))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
