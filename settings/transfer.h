#pragma once
// Reading all settings from the instrument into both models, and writing
// back only what changed, with the passcode asked for when a guarded
// setting is among the changes and "TDD1" to make the instrument store them.
// A transfer runs the line-by-line engine from its own 20 ms timer while the
// session routes every reply to it, and lets the prompts show its progress
// (the window's "Read Settings from Instrument" dialog) until it ends.
//
// Needs no widgets: every operation returns its outcome and says nothing
// itself; the window (or the command-line program) tells the operator.
//
// The main window owns one TSettingsTransfer for the whole run, binds its
// menu items to ReadSettings1Click / WriteSettings1Click and fills the hooks
// below; every hook may be left empty. The constructor takes over the
// session's SettingsReply hook.

#include "link/outcome.h"
#include "settings/transferengine.h"
#include "ui/progress.h"

#include <QHash>
#include <QStringList>
#include <QTimer>
#include <functional>

class TSession;
class Tdata7410;

// What a write did, for the instrument's history: the lines sent, those the
// instrument acknowledged, the one it refused; after a completed write,
// every settings line it holds. The passcode is no settings line and is
// never among them.
struct TSettingsWriteRecord {
    QStringList Sent;
    QStringList Acknowledged;
    QString Refused;
    QStringList Held;
    TOutcome Outcome;
};

class TSettingsTransfer {
public:
    static constexpr int TickMs = 20;   // the engine's ticks
    // Declined: the operator would not write edits made for another
    // instrument into the one on the line.
    enum class TPreRead { Remaining, NothingLeft, Failed, Declined };

    // settingsSent: the flag to keep SettingsSent in (the main window's own);
    // when null, this object keeps its own.
    TSettingsTransfer(TSession &session, Tdata7410 &editModel, Tdata7410 &instrumentModel,
                      bool *settingsSent = nullptr);
    ~TSettingsTransfer();
    TSettingsTransfer(const TSettingsTransfer &) = delete;
    TSettingsTransfer &operator=(const TSettingsTransfer &) = delete;

    // ---- Hooks for the main window ----
    // Clear and repaint the live display (LCDMain) before a transfer.
    std::function<void()> BlankMainDisplay;
    // After a completed read: set the chart axes up again from EditModel.
    std::function<void()> SetupChartAxes;
    // After a completed read: make the Settings and Calibration pages visible.
    std::function<void()> ShowSettingsPages;
    // True when the Calibration page is visible, i.e. settings have been read
    // or loaded since the connection was opened; a write does nothing without.
    // Left empty, the write always goes ahead.
    std::function<bool()> SettingsAvailable;
    // Before a write: if SettingsShown, TakeSettingsPages; if SetpointShown,
    // TakeSetpoint(selected setpoint tab).
    std::function<void()> TakeSettingsPages;
    // After every read (also a failed one), and when a write keeps settings
    // changed on the instrument itself: FillSettingsPages,
    // FillSetpoint(selected tab), repaint the setpoint tabs,
    // UpdateCalWeightVisibility.
    std::function<void()> FillSettingsPages;
    // The status bar (instrument panel colour follows SettingsSent).
    std::function<void()> RefreshStatusBar;
    // Hourglass on/off around the store commands.
    std::function<void(bool busy)> SetBusy;
    // A short note for the status bar after a completed read or write.
    std::function<void(const QString &note)> StatusNote;

    // ---- History hooks (see history/historyrecorder.h) ----
    // After every completed full read (also the one before a write and a
    // calibration step's read-back): the lines as read.
    std::function<void(const QStringList &replies)> ReadRecorded;
    // After a write that sent anything, however it ended.
    std::function<void(const TSettingsWriteRecord &write)> WriteRecorded;

    // ---- Operations ----
    // Menu "&Read Settings " and its tool button. Accepted when all 42 lines
    // were read into both models.
    TOutcome ReadSettings1Click() { return ReadSettings(); }
    // Menu "&Write Settings", its tool button, and the Calibration page's
    // "Send now?". Accepted when every changed line was accepted and stored;
    // its Done lists the lines that reached the instrument.
    TOutcome WriteSettings1Click() { return WriteSettings(); }
    TOutcome ReadSettings();
    TOutcome WriteSettings();
    // Reads the 16 build settings and drops from pending what the
    // instrument already holds; true when lines remain.
    bool ReadBuildAndPrune(QStringList &pending) { return PreRead(pending) == TPreRead::Remaining; }
    TPreRead PreRead(QStringList &pending);
    // InstrumentModel may no longer be what the instrument holds: a command
    // from the Test page, a settings file loaded, a new connection, a
    // calibration step. The next write then reads every setting first and
    // sends what differs from that. A completed read clears the mark.
    void MarkInstrumentChanged() { InstrumentModelStale = true; }
    // The write lines in which EditModel differs from InstrumentModel: what a
    // write sends when the instrument still holds InstrumentModel.
    QStringList PendingLines() const { return PendingLines(EditModel); }
    QStringList PendingLines(const Tdata7410 &edited) const;
    // A settings file was loaded into EditModel: every setting it holds is
    // the operator's to write, whatever the instrument holds meanwhile.
    void EditsLoadedFromFile();
    bool IsInstrumentModelStale() const { return InstrumentModelStale; }
    // A read or write is under way.
    bool IsBusy() const { return Busy; }
    // The window is closing: a transfer under way is cancelled.
    void Abandon();

    // EditModel is known to match the instrument. The window clears it when
    // a file is loaded, the Settings page is left with changes, or a
    // calibration step changes the instrument.
private:
    bool OwnSettingsSent = false;

public:
    bool &SettingsSent;

    // The engine of the transfer under way (or the last one), its 20 ms
    // timer and the progress it shows. Tests tick the engine themselves.
    TTransferEngine Engine;
    QTimer Timer1;
    void Timer1Timer() { Engine.Tick(); }
    TProgress Progress;

private:
    TSession &Session;
    Tdata7410 &EditModel;
    Tdata7410 &InstrumentModel;
    bool Busy = false;   // a read or write is under way: a second is refused
    bool InstrumentModelStale = true;
    // What the pages were filled from: the instrument's write lines, by
    // SettingLineKey, as last read or written, and its serial number. A value
    // that still equals its base is not the operator's change; a line without
    // a base (nothing read yet, a file loaded) is the operator's throughout.
    QHash<QString, QString> EditBase;
    QString EditBaseSerial;
    // Settings the last write kept as the instrument had changed them.
    QString KeptNote;
    bool Noted = false;
    // The outcome of the last step that failed within a read or write.
    TOutcome Failure;

    bool ReadAllInto(Tdata7410 &model, const QString &caption, QStringList *notTaken = nullptr);
    // The status note of a completed read, naming the values not understood.
    static QString ReadNote(qsizetype lines, const QStringList &notTaken);
    TPreRead ReadInstrumentState(QStringList &pending);
    void TakeEditBase();
    TPreRead Reconcile(QStringList &pending);
    QStringList KeepInstrumentChanges(Tdata7410 &edited, QHash<QString, QString> &base) const;
    bool MayWriteIntoThisInstrument() const;
    // A status note of the write, with what it kept of the instrument's.
    void Note(const QString &note);
    // linesWent: the transfer of the lines began (a write may end before,
    // at the passcode).
    void RecordWrite(const QStringList &pending, const TOutcome &result, bool linesWent = true) const;
    TTransferEngine::TResult RunTransfer(const QString &caption, const QString &action,
                                         const QStringList &commands, const QStringList &expected);
    TOutcome StoreAfterWrite(const QStringList &written);
    TOutcome LineFree() const;
    static TOutcome FailedLine(const QString &refusedLine);
    static QString PartWrittenText(const QStringList &lines, int reached);
    void Call(const std::function<void()> &hook) const;
    void ShowBusy(bool on) const;
};
