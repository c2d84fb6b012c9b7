#pragma once
// The calibration steps of the Calibration page: zero and span (with test
// weights, or as mV/V signals in weighing mode 3), and setting and clearing
// linearisation points. Each step is a short exchange through the session's
// SendAndWait; the instrument calibrates itself and reports progress when
// asked. No widgets: every step returns its outcome for the window to say,
// the mV/V signal is asked through Prompts().Signal, and the main window
// and the page fill the hooks below.
//
// The frame every step shares is public so that further calibration
// operations can run in it:
//   CanStart()        link open, no other exchange or transfer under way
//   RunPaused(op)     display polls paused, WaitTicks(5), op, polls resumed
//   ReadBack()        SettingsSent cleared, identity refreshed, all settings
//                     read as Instrument > Read Settings does
//   RunStep(op)       all three in turn; op says whether to read back
//   TMainControlsOff  DisableMainControls ... EnableMainControls, with the
//                     hourglass

#include "link/outcome.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class TSession;
class TSettingsTransfer;
class Tdata7410;

// What a calibration step did, for the instrument's history: the commands
// that calibrate, as sent (the passcode is never among them), and the load
// cell signal ("VAL?", in 0.0001 mV/V) before and after the step.
struct TCalStepRecord {
    QString Step;      // "zero", "span", "linearisation point 2 set", ...
    QStringList Commands;
    std::optional<qint32> SignalBefore;
    std::optional<qint32> SignalAfter;
    TOutcome Outcome;
};

class TCalibrationSteps {
public:
    // Ticks of 10 ms between progress queries, and pauses before a step.
    static constexpr int PauseTicks = 5;
    // Consecutive "0" replies that end the calibration wait.
    static constexpr int SettledReplies = 5;

    TCalibrationSteps(TSession &session, TSettingsTransfer &transfer, Tdata7410 &editModel);
    TCalibrationSteps(const TCalibrationSteps &) = delete;
    TCalibrationSteps &operator=(const TCalibrationSteps &) = delete;

    // ---- Hooks for the main window (each may be left empty) ----
    std::function<void()> DisableMainControls;
    std::function<void()> EnableMainControls;
    // LCDCal: ShowText("------") and PaintSegments.
    std::function<void()> ShowDashes;
    // The status bar's identity text (its colour follows SettingsSent).
    std::function<void()> RefreshIdentity;
    // Refills the Settings pages and the linearisation list from EditModel.
    std::function<void()> FillSettingsPages;
    // Hourglass on/off.
    std::function<void(bool busy)> SetBusy;
    // The box shown while the instrument works through a zero or span
    // calibration (shown: true), and the progress value it answered last
    // (1 busy, 0 settled). Its Cancel calls CancelCalibrationWait.
    std::function<void(bool shown)> ShowCalibrationWait;
    std::function<void(int progress)> ShowCalibrationProgress;
    // A short note for the status bar after a step completed.
    std::function<void(const QString &note)> StatusNote;
    void Note(const QString &note) const
    {
        if (StatusNote)
            StatusNote(note);
    }
    // Before a step whose settings read-back would replace what the pages
    // hold: false leaves the step unstarted.
    std::function<bool()> MayDiscardEdits;

    // ---- History hook (see history/historyrecorder.h) ----
    // After a step that sent anything, however it ended. While it is set,
    // each step asks the load cell signal before and after itself.
    std::function<void(const TCalStepRecord &step)> StepRecorded;
    // False while the record would go nowhere (history off): then no signal
    // is asked, and the wire carries the steps alone. Unset: recording.
    std::function<bool()> Recording;
    // For steps run in this frame: the signal now, asked only while
    // StepRecorded is set; the commands a step sends are added with
    // StepSent; RecordStep hands the step over, with the signal after it.
    std::optional<qint32> SignalForHistory();
    void StepSent(const QString &command) { StepCommands << command; }
    void BeginStepRecord() { StepCommands.clear(); }
    void RecordStep(const QString &step, std::optional<qint32> before, const TOutcome &outcome);

    // ---- Hooks for the page's controls ----
    // GBxLin is shown: false in weighing mode 3, where zero and span take
    // mV/V signals instead. Empty: shown.
    std::function<bool()> LinearisationShown;
    std::function<QString()> CalWeightText;    // EdtCalWeight
    std::function<QString()> LCalWeightText;   // EdtLCalWeight
    // Selected line of LBxLCal, 0..4, or -1 for none.
    std::function<int()> SelectedPoint;

    // ---- The steps ----
    // Each returns how it ended (its first failure; a failed read-back after
    // a step that went well). Cancelled when it could not start for a
    // reason already answered (the operator kept the pages' edits).
    TOutcome BtnZeroClick();
    TOutcome BTnSpanClick();
    TOutcome BtnLSetClick();
    TOutcome BtnLClearClick();

    // Reply handler of "LIC?n": takes "percent,weight" of the point whose
    // prefix "LICn," stands in ReplyPrefix into EditModel and refills the
    // pages; ignores anything else, so the wait ends by its time-out.
    void LinearisationReply(const QString &reply);
    // A calibration error reported by the instrument: "Error: %d - %s" with
    // the code's text, in an error box.
    static TOutcome ShowCalibrationError(int code);
    static QString CalibrationErrorText(int code);

    // Ends a running calibration wait as if the instrument had stopped
    // answering (the operator's Cancel or Escape); the read-back follows.
    void CancelCalibrationWait() { CancelRequested = true; }
    bool IsRunning() const { return Running; }

    // ---- The shared frame ----
    // Accepted when a step may start now: the link is open and no exchange,
    // settings transfer or other step is under way. Why not otherwise (a
    // closed link: "Instrument not Connected").
    TOutcome CanStart();
    // Pauses display polling, lets a poll in flight finish, runs op, and
    // resumes polling however op ends. Marks a step running meanwhile.
    void RunPaused(const std::function<void()> &op);
    // After a step that changed the instrument's settings: SettingsSent
    // cleared, identity refreshed, and, while the link is open, every
    // setting read back with its progress dialog. The read's outcome.
    TOutcome ReadBack();
    // CanStart, RunPaused(op) and, when op sets readBack, ReadBack. The
    // step's outcome, or the read-back's failure after a step that went well.
    TOutcome RunStep(const std::function<TOutcome(bool &readBack)> &op);

    class TMainControlsOff {
    public:
        explicit TMainControlsOff(TCalibrationSteps &steps);
        ~TMainControlsOff();
        TMainControlsOff(const TMainControlsOff &) = delete;
        TMainControlsOff &operator=(const TMainControlsOff &) = delete;

    private:
        TCalibrationSteps &Steps;
    };

private:
    TSession &Session;
    TSettingsTransfer &Transfer;
    Tdata7410 &EditModel;
    bool Running = false;
    bool CancelRequested = false;
    QStringList StepCommands;   // sent by the step under way, for its record

    TOutcome ZeroOrSpan(bool span);
    TOutcome GuardedSpanStep(bool &readBack);
    TOutcome TestWeightStep(bool span);
    TOutcome SignalStep(bool span);
    TOutcome CalibrationWait(const QString &query, const QString &prefix);
    TOutcome ReadPoint(int point);
    bool IsLinearisationShown() const;
    QString Text(const std::function<QString()> &hook) const;
    void Call(const std::function<void()> &hook) const;
};
