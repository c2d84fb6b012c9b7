#pragma once
// The state and procedures of a logging session, free of widgets: starting
// and stopping (polled or streamed), turning weight replies and binary
// weight records into chart points, and the axis set-up those points
// follow. The chart page (TLogPage) only draws what this holds.
//
// The traces' points live in one set of compact columns (Points), a row a
// sample, which the chart draws from directly: a sample is appended once
// and never copied; the page redraws on a throttled timer.

#include "link/outcome.h"
#include "logging/compactlog.h"
#include "logging/logchannels.h"
#include "logging/logchoices.h"

#include <QDateTime>
#include <QObject>
#include <QSharedPointer>
#include <QString>
#include <QTimer>
#include <array>
#include <functional>
#include <vector>

class TSession;
class Tdata7410;

// The ranges of both axes, kept from before the first zoom so undoing it
// returns to them.
struct TAxisRanges {
    double TimeMin = 0, TimeMax = 100;
    double WeightMin = -10, WeightMax = 10;
};

// One chart trace: the unit address it takes (unit traces) and its title;
// its points are those of its position in TLoggingSession::Points.
struct TLogTrace {
    int Tag = 0;
    QString Title;
    bool Visible = true;
};

class TLoggingSession : public QObject {
    Q_OBJECT
public:
    // Fixed trace positions; unit traces follow from FirstUnitTrace on.
    static constexpr int SeriesDig1 = 0;
    static constexpr int SeriesWeight = 4;
    static_assert(SeriesWeight == TCompactLog::WeightTrace);
    static constexpr int FirstUnitTrace = 5;
    static constexpr int AnyUnit = 99;

    explicit TLoggingSession(TSession &link, QObject *parent = nullptr);

    // ---- Procedures ----
    // BtnStartClick's first half, before the page shows its dialog: Closed
    // ("Instrument not Connected") without a link; Cancelled when unsaved
    // samples are to be kept (MayDiscardSamples said No).
    TOutcome MayStart();
    // Starts a session with the given choices (no dialog).
    void Begin(const TLogChoices &choices, const Tdata7410 &model);
    // BtnStopClick: "STP;" when streamed, whatever page is shown.
    void Stop();
    // Before the link closes (Disconnect, exit): a streaming instrument is
    // told to stop, or the next program to open the port meets a flood.
    void StopStreaming();
    bool Running() const;
    // The choices of the running (or last) session, to preset the dialog.
    TLogChoices CurrentChoices() const;
    // The units known on the line, and the one connected to, for the dialog.
    QList<int> KnownUnits() const;
    int ConnectedUnit() const;

    // Axis set-up with reading of the dialog's choices, and its common tail.
    void SetupAxes(const TLogChoices &choices, const Tdata7410 &model);
    void SetupAxesTail();

    // ---- Sample intake (TSession::LogReply / LogRecord) ----
    // `places` are the decimals the reply's weight carried (-1: not known).
    // The reply says how its weight is scaled: the chart follows it, and
    // the weight axis with it, whatever the pages' decimal point says.
    void TakeReply(qint32 weight, qint32 unit, qint32 status, qint32 places = -1);
    void TakeRecord(quint8 statusByte, qint32 statusWord, qint32 weight);
    // A log ending at `time` was loaded: a running session's samples carry
    // on after it.
    void ContinueAfter(double time);
    // A weight line seen elsewhere (the Display page's polls) tells the
    // decimals too: binary records, which carry none, are scaled by them.
    void NoteInstrumentDecimals(qint32 places) { FollowInstrumentDecimals(places); }
    // Another instrument may be on the line (connected, disconnected): the
    // decimals its replies showed are forgotten until the next reply.
    void ForgetInstrument();
    // The decimals of the instrument's weight as its last reply showed
    // them; -1 when no reply has said.
    int InstrumentDecimals() const;

    // ---- Silence ----
    // A plotted sample that comes longer than a few expected intervals after
    // the one before is preceded by a break (a point without a value, drawn
    // as a gap) in every trace it adds to: a line across the silence would
    // read as data that never existed.
    qint64 GapMs() const;
    // Called twice a second while a session runs: while the instrument sends
    // nothing to the Log page for longer than GapMs, SilenceNote says so
    // ("No samples from the instrument for 4 s"); an empty note when
    // samples come again.
    void CheckSilence();

    // ---- State ----
    int RateDivisor = 0;
    int DecimationCounter = 0;
    // A count a unit trace: units polled in turn are thinned each on its own.
    std::array<int, TCompactLog::MaxTraces> UnitDecimation{};
    std::array<int, LogChannels::ChannelCount> Channels{};
    int WeightDivisor = 1;
    bool ManualView = false;
    bool Zoomed = false;              // the chart's zoomed state
    TAxisRanges BeforeZoom;           // valid while Zoomed
    QDateTime StartTime;
    double LastSampleTime = -1;
    double ScrollStep = 50;
    double ChannelScale = 20.0 / 15.0;

    double TimeMin = 0, TimeMax = 100, TimeStep = 10;
    double RecordStep = 10;           // time between binary records
    double WeightMin = -10, WeightMax = 10;
    QString WeightTitle = QStringLiteral("Weight (kg)");
    QString UnitsText = QStringLiteral("kg");

    // The chart holds a log loaded from a file (until the next Start): its
    // weight axis is fitted to its data and its units are not known, so
    // neither follows the pages.
    bool ShowsLoadedLog = false;

    // Points plotted since the traces were last cleared, saved or loaded.
    bool UnsavedSamples = false;
    // Points plotted since the session began (the page's samples per second).
    qint64 PlottedSamples = 0;
    // Asked by MayStart before the traces are cleared while UnsavedSamples is
    // set: false keeps them and starts nothing. Empty: nothing is asked.
    std::function<bool()> MayDiscardSamples;

    // Positions 0..3 channels, 4 SeriesWeight, 5.. one per logged unit.
    std::vector<TLogTrace> Traces;
    // The points of every trace, by position.
    TCompactLog Points;
    // Appends a point to a trace (keys ascending within a trace).
    void AddPoint(size_t trace, const TLogPoint &point);
    // Empties every trace.
    void ClearPoints();
    // Takes the points of every trace at once (a log loaded); the weight
    // trace is SeriesWeight and the channels SeriesDig1..4.
    void TakePoints(TCompactLog &&points);
    // Told of every point added and of every spreading of equal times, in
    // order, so that checks can hold the columns against a plain copy.
    std::function<void(int trace, const TLogPoint &point)> PointAdded;
    std::function<void(int trace)> EqualTimesSpread;

    // Milliseconds of a clock that never goes back; tests replace it.
    std::function<qint64()> ClockMs;

signals:
    void TracesRebuilt();     // unit traces were removed and made again
    void SamplesAdded();      // points were added (the page replots later)
    void AxesChanged();       // axis ranges, titles or steps changed
    void ChannelLabelsChanged();
    void FocusChart();
    void SilenceNote(const QString &note);
    void RunningChanged();    // a session began or stopped

private:
    TSession &Link;
    qint64 StartMs = 0;
    double PlotInterval = 0.1;        // seconds between plotted samples expected
    qint64 LastPlotMs = -1;           // clock of the last plotted sample
    bool BreakPending = false;        // the next sample starts a curve of its own
    qint64 LastHeardMs = -1;          // clock of the last sample, plotted or not
    qint64 SilentSeconds = 0;         // as last reported by SilenceNote
    int InstrumentDivisor = 0;        // from the replies' decimals; 0 until one came
    QTimer SilenceTimer;

    // `trace`: the unit trace of a reply, when several units are logged.
    bool CountForPlot(int trace = -1);
    void FollowInstrumentDecimals(qint32 places);
    double LastRowTime() const;
    void CatchUpTime();
    void BreakAfterGap(double x);
    void ReportSilence(qint64 seconds);
    void Plotted();
    void SpreadEqualTimes();
    void FollowTime(double t);
    void AddChannelPoints(double x, const std::function<bool(int choice)> &isOn);
    TLogTrace *UnitTraceFor(int unit);
    void ClearAllTraces();
    void MakeUnitTraces();
};
