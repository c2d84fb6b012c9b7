#pragma once
// The main window: toolbar, menus, the five pages, the status bar, page
// switching and the connected and disconnected looks. The conversation with
// the instrument lives in TSession (headless); this window fills its hooks
// and stays a thin shell around it. Its code is in five files: frmmain.cpp
// (the shell, status bar and looks), frmmain_menus.cpp (menus, toolbar and
// their commands), frmmain_pages.cpp (pages, session, transfer and file
// wiring), frmmain_keys.cpp (the front-panel keys and the live weight,
// keyboard shortcuts), frmmain_calibration.cpp (the Calibration page) and
// frmmain_verification.cpp (the Verification page).

#include "app/helpfile.h"
#include "link/portwatcher.h"
#include "link/session.h"
#include "settings/database.h"
#include "ui/printjob.h"

#include <QList>
#include <QMainWindow>
#include <QTime>
#include <QTimer>
#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QListWidget;
class QMenuBar;
class QMenu;
class QStatusBar;
class QTabWidget;
class QToolBar;
class QToolButton;
class TOwnerDrawnPanel;
class TT7400LED;
class Tcommsobj;
class TTestPage;
class TdatViewer;
class TSettingsTransfer;
class TLoggingSession;
class TFrmLogDialog;
class TLogPage;
class TSettingsEditor;
class TFileMenu;
class TfrmAbout;
class TCalibrationSteps;
class TCalibrationPage;
class TCalBackup;
class TFrmCalWait;
class TVerification;
class TVerificationPage;
class QGroupBox;
class QPushButton;
class QPrinter;
class THistoryRecorder;

class TFrmMain : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int MinimumWidth = 400;
    // The display keeps this width : height ratio; the filler takes the rest.
    static constexpr int DisplayRatioWidth = 140;
    static constexpr int DisplayRatioHeight = 65;
    static constexpr int StatusPanelWidth = 150;
    // Where panel 2 draws its text, from the panel's top-left corner.
    static constexpr int IdentityTextLeft = 30;
    static constexpr int IdentityTextTop = 2;

    explicit TFrmMain(QWidget *parent = nullptr);
    ~TFrmMain() override;

    // Handed over by the program entry once they exist (they are made after
    // the window). Without a store, connecting is not offered.
    // The store also keeps the folder the file dialogs start in.
    void SetConnectionStore(TdatViewer *store);
    TfrmAbout *frmAbout = nullptr;

    // ---- Long-lived objects and state ----
    TSession Session;
    // A lost serial port is watched for and connected again when it returns.
    TPortWatcher PortWatcher;
    Tdata7410 EditModel;        // what the Settings pages edit
    Tdata7410 InstrumentModel;  // what the instrument is known to hold
    bool SettingsSent = false;  // EditModel is known to equal the instrument
    qint32 ErrorStatus = 0;     // the instrument's last error status word (ESR)
    bool SettingsShown = false;
    bool SetpointShown = false;
    // Reading and writing the instrument's settings; keeps SettingsSent
    // above. Declared after the session and models it uses.
    std::unique_ptr<TSettingsTransfer> Transfer;
    // The logging session and its dialog, shown on the Log page.
    std::unique_ptr<TLoggingSession> Logging;
    std::unique_ptr<TFrmLogDialog> LogDialog;
    // File > Open and Save: settings files and log files.
    std::unique_ptr<TFileMenu> FileMenu;
    // Zero, span and linearisation on the Calibration page.
    std::unique_ptr<TCalibrationSteps> CalSteps;
    // Direct mV/V calibration and calibration backup and restore.
    std::unique_ptr<TCalBackup> CalBackup;
    // The box shown while the instrument works through zero or span.
    std::unique_ptr<TFrmCalWait> CalWait;
    // The instruments' history (frmmain_history.cpp); never null.
    std::unique_ptr<THistoryRecorder> History;
    // The history at its location (QV_HISTORY, else the connection
    // settings'), opened; when it is off for a fault the status bar says why.
    void StartHistory();
    // Keeps the history at this location from now on.
    void UseHistory(const QString &location);
    // Verification with test weights on the Verification page.
    std::unique_ptr<TVerification> Verification;

    // Work of the settings editor and of the chart that page switching calls.
    // Each joins when its subsystem does; an empty one does nothing.
    struct TPageWork {
        std::function<void()> TakeSettingsPages;       // Settings pages -> EditModel
        std::function<void()> FillSettingsPages;       // EditModel -> Settings pages
        std::function<void()> PrepareChart;
        std::function<void()> FocusChart;
    } PageWork;
    // Key preview: sees every key press meant for a control of this window
    // first; returns true to consume it.
    std::function<bool(QKeyEvent *event)> FormKeyDown;
    // How help is shown; tests replace the opener.
    THelpFile HelpFile;

    // ---- Controls ----
    QToolBar *ToolBar = nullptr;
    QToolButton *ToolButton1 = nullptr;
    QToolButton *ToolButton2 = nullptr;
    QWidget *ToolButton3 = nullptr;   // separator
    QToolButton *ToolButton4 = nullptr;
    QWidget *ToolButton5 = nullptr;   // separator
    QToolButton *ToolButton6 = nullptr;
    QToolButton *ToolButton7 = nullptr;

    QMenuBar *MainMenu = nullptr;
    QAction *Open1 = nullptr;
    QAction *Save1 = nullptr;
    QAction *ExportCsv1 = nullptr;
    QAction *ExportImage1 = nullptr;
    QAction *Print1 = nullptr;
    QAction *PrintPreview1 = nullptr;
    QAction *Connect2 = nullptr;
    QAction *Exit1 = nullptr;
    QAction *ChartSetup = nullptr;
    QAction *ReadSettings1 = nullptr;
    QAction *WriteSettings1 = nullptr;
    QAction *History1 = nullptr;
    QAction *Index1 = nullptr;
    QAction *Contents1 = nullptr;
    QAction *About1 = nullptr;

    QTabWidget *PgCMain = nullptr;
    QWidget *TSDisplay = nullptr;
    TT7400LED *LCDMain = nullptr;
    QWidget *pnlDispFill = nullptr;
    // The unit of a bus the Display page shows and whose keys it presses;
    // shown only when more than one unit is known on the line.
    QWidget *pnlDisplayUnit = nullptr;
    QComboBox *CBxDisplayUnit = nullptr;
    QWidget *TSSettings = nullptr;
    TSettingsEditor *SettingsEditor = nullptr;
    QTabWidget *PgCSettings = nullptr;
    QWidget *TSBuild = nullptr;
    QWidget *TSOption = nullptr;
    QWidget *TSSpecial = nullptr;
    QWidget *TSSerial = nullptr;
    QWidget *TSSetpoint = nullptr;
    QWidget *TSCal = nullptr;
    TT7400LED *LCDCal = nullptr;
    QListWidget *LBxLCal = nullptr;
    TCalibrationPage *CalPage = nullptr;
    QGroupBox *gbxMVCal = nullptr;
    QPushButton *btnCalDirect = nullptr;
    QGroupBox *gbxBackupCal = nullptr;
    QPushButton *btnBackupCal = nullptr;
    QPushButton *btnRestoreCal = nullptr;
    QWidget *TSLog = nullptr;
    TLogPage *LogPage = nullptr;
    QWidget *TSTest = nullptr;
    TTestPage *TestPage = nullptr;
    QWidget *TSVerify = nullptr;
    TVerificationPage *VerifyPage = nullptr;

    QStatusBar *StatusBar = nullptr;

    // The picture list shared by toolbar and menus (see imagelist.h).
    QList<QIcon> ImageList;

    // ---- Status bar ----
    QString PanelText(int panel) const;
    void SetPanelText(int panel, const QString &text);
    // Paints panel 2: button face and black text when it is empty or the
    // settings are sent, else red with yellow text.
    void StatusBarDrawPanel(QPainter &painter, const QRect &rect);
    // A short note of what the last operation did, at the right of the
    // status bar; cleared after StatusNoteMs.
    static constexpr int StatusNoteMs = 15000;
    void ShowStatusNote(const QString &note);
    QLabel *StatusNote = nullptr;
    // The settings or log file last opened or saved, in the title bar.
    void ShowFileInTitle(const QString &path);

    // ---- Outcomes ----
    // Says how an operation ended, once, when it has ended (Tell), and
    // keeps it: the last operation's outcome, for the status checks of tests.
    void Report(const TOutcome &outcome);
    TOutcome LastOutcome;

    // ---- Behaviour ----
    // Status panel 2 from EditModel; empty until an identity is known.
    void UpdateIdentity();
    static QString IdentityText(const Tdata7410 &model);
    void ConnectedLook();
    void DisconnectedLook();
    void FormResize();
    // The page area of PgCMain: every page gets this size when shown.
    QSize DisplayPageSize() const;

    // ---- Live display and front keys ----
    // The reply now in Session.Parser() onto the given display (not painted).
    void UpdateDisplayFromReply(TT7400LED &Display);
    // A weight line of a streaming log onto LCDMain, painted.
    void ShowStreamedWeight(const Tcommsobj &reply);
    // While a calibration step waits for the instrument: the page control,
    // the tool bar and the File, Instrument and Help menus.
    void DisableMainControls();
    void EnableMainControls();
    // Sends the command of front key 1..4 (framed) and lets the next poll
    // wait a little; nothing for other keys or with the link closed.
    void PressDisplayKey(int Key, bool Modified);
    // Fills CBxDisplayUnit from the units known on the line.
    void RefreshDisplayUnits();

    // ---- Ending from outside (frmmain_recovery.cpp) ----
    // The user's data folder; unsaved work is kept in its "recovery"
    // folder and, once offered at a start, moved to "recovered".
    QString DataFolder;
    // Where unsaved work goes when the data folder cannot take it (full,
    // read-only, not there): a folder in the home folder, then one in the
    // temporary folder, each only the user's own.
    QStringList FallbackFolders;
    // Writes what would be lost, without asking: a log with unsaved samples
    // and settings edits not sent to the instrument. Returns the files
    // written (the same files again when called twice in a run).
    QStringList KeepUnsavedWork();
    // A logout, a shutdown or a service stop: keeps the unsaved work, stops
    // a stream, locks the guarded settings, closes the line and the window
    // and ends every wait and dialog, asking nothing.
    void EndWithoutAsking();
    bool IsEndingWithoutAsking() const { return EndingWithoutAsking; }
    // At start: names the files kept when the program was last ended and
    // offers to open them.
    void OfferRecoveredWork();

public slots:
    void PgCMainChange();
    void Open1Click();
    void Save1Click();
    void ExportCsv1Click();
    void ExportImage1Click();
    void Print1Click();
    void PrintPreview1Click();
    void Connect2Click();
    void Exit1Click();
    void ChartSetupClick();
    void ReadSettings1Click();
    void WriteSettings1Click();
    void History1Click();
    void Index1Click();
    void Contents1Click();
    void About1Click();
    // The four front keys of LCDMain, plain and with Shift, Ctrl or Alt.
    void LCDMainRegionClick1();
    void LCDMainRegionClick2();
    void LCDMainRegionClick3();
    void LCDMainRegionClick4();
    void LCDMainRegionShiftClick1();
    void LCDMainRegionShiftClick2();
    void LCDMainRegionShiftClick3();
    void LCDMainRegionShiftClick4();
    // The Calibration page's signal and calibration file buttons.
    void btnCalDirectClick();
    void btnBackupCalClick();
    void btnRestoreCalClick();

protected:
    void closeEvent(QCloseEvent *event) override;   // FormCloseQuery
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TdatViewer *datViewer = nullptr;
    bool EndingWithoutAsking = false;
    QString KeptLogFile;
    QString KeptSettingsFile;
    QString KeptFileName(const QString &folder, const QString &kind, const QString &extension) const;
    bool KeepFile(QString &kept, const QString &kind, const QString &extension,
                  const std::function<bool(const QString &path, QString *error)> &save);
    bool OpenRecoveredSettings(const QString &path, QString *error);
    bool OpenRecoveredLog(const QString &path, QString *error);
    QLabel *StatusPanel0 = nullptr;
    QLabel *StatusPanel1 = nullptr;
    TOwnerDrawnPanel *StatusPanel2 = nullptr;
    QTimer StatusNoteTimer;
    QLabel *StatusSampleRate = nullptr;
    bool ApplyingLook = false;
    // Made at the first print and kept for the run, so the next printer
    // dialog offers the printer, paper and orientation chosen last.
    std::shared_ptr<QPrinter> Printer;

    QPrinter &RunPrinter();
    // What Print would print on the page shown: the settings report or the log.
    TPrintout CurrentPrintout();

    void BuildMenus();
    void BuildToolBar();
    void BuildPages();
    void BuildDisplayPage();
    void BuildSettingsPage();
    void BuildCalibrationPage();
    void BuildCalBackupGroups();
    void WireCalBackup();
    void BuildTestPage();
    void BuildLogPage();
    void BuildVerificationPage();
    void WireVerification();
    // The page is shown: the remembered setup (the first time), and e and
    // Max as the instrument has them now.
    void VerificationPageShown();
    bool VerificationSetupLoaded = false;
    QString VerificationSetupFile() const;
    // Takes the reading for the page's selected row, with the window's
    // other controls held still meanwhile.
    TOutcome TakeVerificationReading();
    void SaveVerificationCsv();
    void SaveCertificatePdf();
    // A name for a results file in the folder the file dialogs start in.
    QString VerificationFileName(const QString &extension) const;
    void WireTransfer();
    void WireCalibration();
    void SetMainControlsEnabled(bool enabled);
    void WireFileMenu();
    void WireHistory();
    void RecordConnection();
    // "Restore these settings" of the history: the snapshot onto the pages.
    bool RestoreFromHistory(const QStringList &lines, const QString &serial);
    // After a settings file is loaded into EditModel.
    void SettingsFileLoaded();
    void BuildStatusBar();
    void FormCreate();
    void FormDestroy();
    void WireSession();
    // The port was lost: wait for it, saying so in the status bar.
    void WaitForLostPort();
    // Stops waiting (Disconnect, or the port is back); true when it waited.
    bool EndPortWait();
    // When the port was lost, and the message that said so while it is up:
    // it goes when the port comes back.
    QTime PortLostAt;
    QString PortLostMessage;
    void SetRegionRects();
    void WireDisplayKeys();
    // Shortcuts for the front-panel keys (F5..F8, Shift held) and the pages
    // (Ctrl+1..5).
    void WireKeyboard();
    void ApplyLook(bool connected);
    void SetConnectCaption(bool connected);
    void AskToSendSettings();
    // Clears SettingsSent when the edited settings would write anything the
    // instrument does not hold; refreshes the identity panel.
    void CompareWithInstrument();
    // The edited settings would write something InstrumentModel lacks.
    bool PagesDifferFromInstrument() const;
    bool LogServesDisplay() const;
    int ShownUnitsIndex() const;
    bool SettingsPagesInRange();
    // Leaving the Settings page with rows or columns that cannot be taken:
    // back to it (true), with the field's message.
    bool KeepSettingsPage();
    QWidget *PageShown = nullptr;   // the main page shown last
    // Before the pages are filled from elsewhere (a read, a file, a
    // calibration step's read-back): true when they hold nothing unsent, or
    // the operator lets it go.
    bool MayDiscardEdits();
    // Before a calibration step: the span weight on the Calibration page is
    // the step's own; any other unsent edit is discarded when the operator
    // lets it go (the pages then hold the instrument's settings, its units
    // and decimal point among them, which the step works in).
    bool MayDiscardEditsForCalibration();
    // The Settings and Calibration pages are shown and hold edits the
    // instrument has not got (the pages' fields are taken first).
    bool SettingsPagesHoldUnsentEdits();
    void CentreOnScreen();
};
