#include "logging/loggingsession.h"

#include "link/session.h"
#include "settings/database.h"
#include "settings/enumtexts.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cmath>

namespace {
constexpr qint64 TickMs = 10;
const QString StreamCommand = QStringLiteral("MSV?,0;");
const QString StopCommand = QStringLiteral("STP;");

qint64 MonotonicMs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}
} // namespace

TLoggingSession::TLoggingSession(TSession &link, QObject *parent)
    : QObject(parent), ClockMs(&MonotonicMs), Link(link)
{
    Traces.resize(FirstUnitTrace);
    for (int i = 0; i < LogChannels::ChannelCount; ++i)
        Traces[size_t(i)].Title = QStringLiteral("SeriesDig%1").arg(i + 1);
    Traces[SeriesWeight].Title = QStringLiteral("SeriesWeight");
    SilenceTimer.setInterval(500);
    connect(&SilenceTimer, &QTimer::timeout, this, &TLoggingSession::CheckSilence);
}

// ---------------------------------------------------------------- start, stop

TLogChoices TLoggingSession::CurrentChoices() const
{
    TLogChoices choices;
    choices.Rate = LogChannels::RateIndexOf(RateDivisor);
    choices.Channels = Channels;
    choices.Units = Link.LoggedUnits();
    return choices;
}

QList<int> TLoggingSession::KnownUnits() const
{
    return Link.BusUnits();
}

int TLoggingSession::ConnectedUnit() const
{
    return Link.UnitAddress();
}

TOutcome TLoggingSession::MayStart()
{
    if (!Link.IsOpen())
        return TOutcome::Closed();
    if (UnsavedSamples && MayDiscardSamples && !MayDiscardSamples()) {
        emit FocusChart();
        return TOutcome::Cancel();
    }
    return TOutcome::Accept();
}

void TLoggingSession::Begin(const TLogChoices &choices, const Tdata7410 &model)
{
    // A polled session must not start while the instrument still streams
    // from the last one: its records would mix with the poll replies.
    const bool wasStreaming = Link.LoggingState() == lsStreamed;
    StartTime = QDateTime::currentDateTime();
    StartMs = ClockMs();
    LastSampleTime = -1;
    LastPlotMs = -1;
    LastHeardMs = StartMs;
    ReportSilence(0);
    SilenceTimer.start();
    ClearAllTraces();
    ShowsLoadedLog = false;
    // A new session follows its samples, whatever view the last one was
    // left in (a right-click stops following, a zoom holds its window).
    ManualView = false;
    Zoomed = false;
    SetupAxes(choices, model);
    Link.SetLoggingState(RateDivisor == 0 ? lsStreamed : lsPolled);
    emit ChannelLabelsChanged();
    // A stream is the connection's unit's alone; polls go round the units chosen.
    const bool streamed = Link.LoggingState() == lsStreamed;
    const QList<int> units = streamed || choices.Units.isEmpty() ? QList<int>{Link.UnitAddress()} : choices.Units;
    Link.SetLoggedUnits(units);
    Link.AddBusUnits(units);
    MakeUnitTraces();
    if (streamed && !Link.PollingSuspended())
        Link.SendCommand(StreamCommand, false);
    else if (wasStreaming)
        Link.SendCommand(StopCommand, false);
    // Every unit of the bus answers in the form read here, not only the
    // one the start-up set (98: all act, none answers).
    if (units.size() > 1)
        Link.SendCommand(QStringLiteral("S98;COF11;"), false);
    PlottedSamples = 0;
    emit RunningChanged();
    emit FocusChart();
}

void TLoggingSession::Stop()
{
    if (Link.LoggingState() == lsStreamed)
        Link.SendCommand(StopCommand, false);
    Link.SetLoggingState(lsStopped);
    SilenceTimer.stop();
    ReportSilence(0);
    emit RunningChanged();
    emit FocusChart();
}

void TLoggingSession::StopStreaming()
{
    if (Link.LoggingState() != lsStreamed)
        return;
    Link.SendCommand(StopCommand, false);
    Link.SetLoggingState(lsStopped);
    emit RunningChanged();
}

bool TLoggingSession::Running() const
{
    return Link.LoggingState() != lsStopped;
}

void TLoggingSession::ClearPoints()
{
    Points.Clear();
}

void TLoggingSession::TakePoints(TCompactLog &&points)
{
    std::swap(Points, points);   // each is whole afterwards; the caller drops the old points
    if (PointAdded)
        for (int trace = 0; trace < TCompactLog::MaxTraces; ++trace)
            Points.ForEach(trace, [&](const TLogPoint &point) { PointAdded(trace, point); });
}

void TLoggingSession::ClearAllTraces()
{
    ClearPoints();
    UnsavedSamples = false;
    emit SamplesAdded();
}

void TLoggingSession::MakeUnitTraces()
{
    Traces.resize(FirstUnitTrace);
    const QList<int> units = Link.LoggedUnits();
    const int count = int(units.size());
    for (int i = 0; i < count; ++i) {
        TLogTrace trace;
        trace.Tag = units[i];
        trace.Title = QStringLiteral("ADDR %1").arg(trace.Tag);
        Traces.push_back(trace);
    }
    emit TracesRebuilt();
}

// ---------------------------------------------------------------- axes

void TLoggingSession::SetupAxes(const TLogChoices &choices, const Tdata7410 &model)
{
    // A loaded log keeps the weight axis fitted to it: the pages' full
    // scale and units say nothing about the file. So does a finished log:
    // settings read from the next instrument do not relabel its samples.
    const bool heldSamples = Link.LoggingState() == lsStopped && Points.Rows() > 0;
    if (!ShowsLoadedLog && !heldSamples) {
        // The pages may hold another instrument's settings (a file, the last
        // connection): what the instrument on the line has said comes first.
        if (InstrumentDivisor > 0) {
            WeightDivisor = InstrumentDivisor;
        } else {
            // DecimalPoint is 0..5 in the model; clamp so no odd value overflows.
            WeightDivisor = 1;
            for (int i = std::clamp(model.DecimalPoint, 0, 5); i > 0; --i)
                WeightDivisor *= 10;
            if (model.HighRes)
                WeightDivisor *= 10;
        }
        const bool dual = model.WeighMode == 1 || model.WeighMode == 2;
        WeightMax = double(dual ? model.FullScale2 : model.FullScale1) / WeightDivisor;
        WeightMin = -WeightMax;
        const int unitsIndex = Link.DisplayUnitsKnown() ? Link.DisplayUnits() : model.Units;
        const QStringList &units = UnitsTexts();
        UnitsText = unitsIndex >= 0 && unitsIndex < units.size() ? units[unitsIndex] : QString();
        WeightTitle = QStringLiteral("Weight (%1)").arg(UnitsText);
    }

    RateDivisor = LogChannels::RateDivisorOf(std::max(choices.Rate, 0));
    DecimationCounter = 0;
    UnitDecimation.fill(0);
    const auto before = Channels;
    for (size_t i = 0; i < Channels.size(); ++i)
        Channels[i] = LogChannels::Listed(choices.Channels[i]);
    // A synch filter of 0 would give no interval; the shortest span is used.
    const double interval = RateDivisor != 0 ? RateDivisor * 0.1
                            : model.SynchFilter > 0 ? 1.0 / model.SynchFilter
                                                    : 0;
    PlotInterval = interval > 0 ? interval : 0.1;
    TimeMin = 0;
    TimeMax = interval < 0.1 ? 10 : 100 * interval;
    ScrollStep = TimeMax / 2;
    CatchUpTime();
    SetupAxesTail();
    // Records are spaced by the step of the initial span: zooming or
    // fitting the view must not change the times of the data.
    RecordStep = TimeStep;
    if (Channels != before)
        emit ChannelLabelsChanged();
}

// A running session's samples may lie far beyond the initial span (the
// page was left for a while): the span moves on by whole scroll steps, as
// following would have moved it, so the newest samples are in view at once.
void TLoggingSession::CatchUpTime()
{
    const double last = LastRowTime();
    if (!Running() || !(last > TimeMax) || !(ScrollStep > 0))
        return;
    const double steps = std::ceil((last - TimeMax) / ScrollStep);
    TimeMin += steps * ScrollStep;
    TimeMax += steps * ScrollStep;
}

double TLoggingSession::LastRowTime() const
{
    return Points.Rows() > 0 ? Points.Time(Points.Rows() - 1) : -1;
}

void TLoggingSession::SetupAxesTail()
{
    TimeStep = LogChannels::NiceStep(TimeMax - TimeMin);
    const double span = WeightMax - WeightMin;
    // A zero span would draw every band at zero; keep the last usable scale.
    if (span > 0)
        ChannelScale = span / 15;
    emit AxesChanged();
}

// ---------------------------------------------------------------- intake

bool TLoggingSession::CountForPlot(int trace)
{
    LastHeardMs = ClockMs();
    ReportSilence(0);
    // Units polled in turn each keep their share of the replies: one count
    // for all would, at an even divisor, keep one unit's and drop another's.
    // Each unit is polled as often as the count of units divides the polls.
    const int units = int(Traces.size()) - FirstUnitTrace;
    if (units > 1 && trace >= FirstUnitTrace && trace < TCompactLog::MaxTraces) {
        int &counter = UnitDecimation[size_t(trace)];
        if (++counter < std::max(1, RateDivisor / units))
            return false;
        counter = 0;
        return true;
    }
    if (++DecimationCounter < RateDivisor)
        return false;
    DecimationCounter = 0;
    return true;
}

void TLoggingSession::TakeReply(qint32 weight, qint32 unit, qint32 status, qint32 places)
{
    if (Link.LoggingState() == lsStopped)
        return;
    if (places >= 0)
        FollowInstrumentDecimals(places);
    // The clock is monotonic; should an injected one step back, the sample
    // takes the last time so every trace stays in ascending order.
    const double t = std::max(double(ClockMs() - StartMs) / 1000.0, std::max(LastSampleTime, 0.0));
    if (t > LastSampleTime)
        SpreadEqualTimes();
    LastSampleTime = t;
    TLogTrace *unitTrace = UnitTraceFor(unit);
    if (!CountForPlot(unitTrace ? int(unitTrace - Traces.data()) : -1))
        return;
    BreakAfterGap(t);
    FollowTime(t);
    const TLogPoint point(t, double(weight) / WeightDivisor);
    // A loaded log is drawn by SeriesWeight alone: it stays in view.
    if (!ShowsLoadedLog)
        Traces[SeriesWeight].Visible = false;
    AddPoint(SeriesWeight, point);
    if (unitTrace)
        AddPoint(size_t(unitTrace - Traces.data()), point);
    AddChannelPoints(t, [status](int choice) { return LogChannels::IsOnText(choice, status); });
    Plotted();
}

void TLoggingSession::TakeRecord(quint8 statusByte, qint32 statusWord, qint32 weight)
{
    Q_UNUSED(statusWord);
    if (Link.LoggingState() == lsStopped || !CountForPlot())
        return;
    // After every row held, also the channel levels at the end of a loaded
    // log that carry no weight: rows stay in time order.
    const double x = Points.Rows() == 0 ? 0 : LastRowTime() + RecordStep;
    BreakAfterGap(x);
    if (x > TimeMax) {
        TimeMax += ScrollStep;
        TimeMin += ScrollStep;
        emit AxesChanged();
    }
    AddPoint(SeriesWeight, TLogPoint(x, double(weight) / WeightDivisor));
    AddChannelPoints(x, [statusByte](int choice) { return LogChannels::IsOnBinary(choice, statusByte); });
    Plotted();
}

void TLoggingSession::Plotted()
{
    UnsavedSamples = true;
    ++PlottedSamples;
    emit SamplesAdded();
}

void TLoggingSession::ContinueAfter(double time)
{
    // Loaded points end at `time`; a running session's next samples would
    // otherwise fall among them, out of time order. The next sample comes a
    // tick after the last loaded one, so the two never share a row, nor a
    // time as a log file writes it.
    if (Link.LoggingState() == lsStopped)
        return;
    // The loaded samples and the session's next are no one curve.
    BreakPending = true;
    const qint64 behind = qint64(std::ceil(time * 1000)) + TickMs - (ClockMs() - StartMs);
    if (behind <= 0)
        return;
    StartMs -= behind;
    StartTime = StartTime.addMSecs(-behind);
}

void TLoggingSession::FollowInstrumentDecimals(qint32 places)
{
    int divisor = 1;
    for (int i = std::min(places, 6); i > 0; --i)
        divisor *= 10;
    InstrumentDivisor = divisor;
    if (divisor == WeightDivisor)
        return;
    // The axis was set up for the pages' decimal point: the same full scale
    // in counts, read at the instrument's.
    if (!ShowsLoadedLog) {
        const double factor = double(WeightDivisor) / divisor;
        WeightMin *= factor;
        WeightMax *= factor;
        if (Zoomed) {
            BeforeZoom.WeightMin *= factor;
            BeforeZoom.WeightMax *= factor;
        }
    }
    WeightDivisor = divisor;
    SetupAxesTail();
}

void TLoggingSession::ForgetInstrument()
{
    InstrumentDivisor = 0;
}

int TLoggingSession::InstrumentDecimals() const
{
    if (InstrumentDivisor <= 0)
        return -1;
    int decimals = 0;
    for (int d = InstrumentDivisor; d > 1; d /= 10)
        ++decimals;
    return decimals;
}

qint64 TLoggingSession::GapMs() const
{
    // Five intervals, but never under a second: a busy window may hold a
    // fast stream back for a moment without the instrument falling silent.
    return std::max<qint64>(qint64(std::lround(5000 * PlotInterval)), 1000);
}

void TLoggingSession::BreakAfterGap(double x)
{
    const qint64 now = ClockMs();
    const bool gap = std::exchange(BreakPending, false) || (LastPlotMs >= 0 && now - LastPlotMs > GapMs());
    LastPlotMs = now;
    if (!gap)
        return;
    for (size_t i = 0; i < Traces.size(); ++i) {
        const double last = Points.Last(int(i)).key;
        if (Points.Size(int(i)) > 0 && last <= x)
            AddPoint(i, TLogPoint((last + x) / 2, qQNaN()));
    }
}

void TLoggingSession::CheckSilence()
{
    const qint64 now = ClockMs();
    // Samples reach the session only while the Log page is served and the
    // line is free; the silence is counted from then on.
    const bool served = Link.LoggingState() != lsStopped && Link.Activity() == actLog && !Link.PollingSuspended()
                        && Link.IsOpen();
    if (!served || LastHeardMs < 0)
        LastHeardMs = now;
    const qint64 quiet = now - LastHeardMs;
    ReportSilence(quiet > GapMs() ? quiet / 1000 : 0);
}

void TLoggingSession::ReportSilence(qint64 seconds)
{
    if (seconds == SilentSeconds)
        return;
    SilentSeconds = seconds;
    emit SilenceNote(seconds > 0 ? QStringLiteral("No samples from the instrument for %1 s").arg(seconds) : QString());
}

void TLoggingSession::FollowTime(double t)
{
    if (t > TimeMax && !Zoomed && !ManualView) {
        TimeMax += ScrollStep;
        TimeMin += ScrollStep;
        emit AxesChanged();
    }
}

void TLoggingSession::AddChannelPoints(double x, const std::function<bool(int)> &isOn)
{
    for (int i = 0; i < LogChannels::ChannelCount; ++i) {
        const int choice = Channels[size_t(i)];
        if (choice != LogChannels::ChoiceNone)
            AddPoint(size_t(i), TLogPoint(x, LogChannels::Level(i, isOn(choice))));
    }
}

void TLoggingSession::AddPoint(size_t trace, const TLogPoint &point)
{
    // Counted in the session's decimals from its first point on (finer
    // ones are taken as they come).
    Points.SetDivisor(WeightDivisor);
    Points.Add(int(trace), point);
    if (PointAdded)
        PointAdded(int(trace), point);
}

TLogTrace *TLoggingSession::UnitTraceFor(int unit)
{
    for (size_t i = FirstUnitTrace; i < Traces.size(); ++i)
        if (Traces[i].Tag == unit || Traces[i].Tag == AnyUnit)
            return &Traces[i];
    return nullptr;
}

// Replies that share one clock time are spread back towards the point
// before them, so the first unit trace shows them one after another.
void TLoggingSession::SpreadEqualTimes()
{
    if (Traces.size() <= size_t(FirstUnitTrace))
        return;
    Points.SpreadEqualTimes(FirstUnitTrace);
    if (EqualTimesSpread)
        EqualTimesSpread(FirstUnitTrace);
}
