#pragma once
// The calibration steps of the Calibration page: zero and span (with test
// weights, or as mV/V signals in weighing mode 3), and setting and clearing
// linearisation points. Each step is a short exchange through the session's
// SendAndWait; the instrument calibrates itself and reports progress when
// asked. No widgets of its own beyond the dialogs it runs (through
// Prompts().Exec): the main window and the page fill the hooks below.
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

#include <QString>
#include <functional>
#include <memory>

class QWidget;
class TFrmAbsCal;
class TFrmCalWait;
class TSession;
class TSettingsTransfer;
class Tdata7410;

class TCalibrationSteps {
public:
    // Ticks of 10 ms between progress queries, and pauses before a step.
    static constexpr int PauseTicks = 5;
    // Consecutive "0" replies that end the calibration wait.
    static constexpr int SettledReplies = 5;

    TCalibrationSteps(TSession &session, TSettingsTransfer &transfer, Tdata7410 &editModel,
                      QWidget *dialogParent = nullptr);
    ~TCalibrationSteps();
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
    // Hourglass on/off; empty: the application's override cursor.
    std::function<void(bool busy)> SetBusy;
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

    // ---- Hooks for the page's controls ----
    // GBxLin is shown: false in weighing mode 3, where zero and span take
    // mV/V signals instead. Empty: shown.
    std::function<bool()> LinearisationShown;
    std::function<QString()> CalWeightText;    // EdtCalWeight
    std::function<QString()> LCalWeightText;   // EdtLCalWeight
    // Selected line of LBxLCal, 0..4, or -1 for none.
    std::function<int()> SelectedPoint;

    // ---- The steps ----
    void BtnZeroClick();
    void BTnSpanClick();
    void BtnLSetClick();
    void BtnLClearClick();

    // Reply handler of "LIC?n": takes "percent,weight" of the point whose
    // prefix "LICn," stands in ReplyPrefix into EditModel and refills the
    // pages; ignores anything else, so the wait ends by its time-out.
    void LinearisationReply(const QString &reply);
    // "Error: %d - %s" with the code's text, in a message box.
    static void ShowCalibrationError(int code);
    static QString CalibrationErrorText(int code);

    // Ends a running calibration wait as if the instrument had stopped
    // answering (the operator's Cancel or Escape); the read-back follows.
    void CancelCalibrationWait() { CancelRequested = true; }
    bool IsRunning() const { return Running; }

    // ---- The shared frame ----
    // True when a step may start now: the link is open and no exchange,
    // settings transfer or other step is under way. Says why not otherwise
    // (a closed link: "Instrument not Connected").
    bool CanStart();
    // Pauses display polling, lets a poll in flight finish, runs op, and
    // resumes polling however op ends. Marks a step running meanwhile.
    void RunPaused(const std::function<void()> &op);
    // After a step that changed the instrument's settings: SettingsSent
    // cleared, identity refreshed, and, while the link is open, every
    // setting read back with its progress dialog.
    void ReadBack();
    // CanStart, RunPaused(op) and, when op returns true, ReadBack. False
    // when the step could not start.
    bool RunStep(const std::function<bool()> &op);

    class TMainControlsOff {
    public:
        explicit TMainControlsOff(TCalibrationSteps &steps);
        ~TMainControlsOff();
        TMainControlsOff(const TMainControlsOff &) = delete;
        TMainControlsOff &operator=(const TMainControlsOff &) = delete;

    private:
        TCalibrationSteps &Steps;
    };

    TFrmAbsCal &AbsCal() { return *AbsCalDialog; }
    TFrmCalWait &WaitBox() { return *WaitDialog; }

private:
    TSession &Session;
    TSettingsTransfer &Transfer;
    Tdata7410 &EditModel;
    std::unique_ptr<TFrmAbsCal> AbsCalDialog;
    std::unique_ptr<TFrmCalWait> WaitDialog;
    bool Running = false;
    bool CancelRequested = false;

    void ZeroOrSpan(bool span);
    bool GuardedSpanStep();
    void TestWeightStep(bool span);
    void SignalStep(bool span);
    void CalibrationWait(const QString &query, const QString &prefix);
    bool Acknowledged(const QString &command);
    bool IsLinearisationShown() const;
    QString Text(const std::function<QString()> &hook) const;
    void Call(const std::function<void()> &hook) const;
};
