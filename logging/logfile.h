#pragma once
// Log files (*.LOG): the comment, the four channel selections and one line
// per sample of the chart, plain text in Latin-1 with CR LF line ends:
//   Filling test
//   1,0,3,0
//   0.00,12.50,1.00,3.00
// A sample line holds the time (seconds, two decimals), the weight and one
// level per channel whose selection is not "None", in channel order.
//
// The weight is written with two decimals, or more (up to six) when the
// value has them: a weight of 1.234 kg read from an instrument with three
// decimals would otherwise come back as 1.23.
//
// Loading reads the whole file into a TLogFileData first (streamed line by
// line, each line capped, into compact columns as the chart keeps them) and
// only then hands the columns to the chart, so a file that cannot be read
// or is binary leaves the chart as it was, and a log of days of samples
// needs no more memory than the chart holding it.

#include <QString>
#include <QStringList>
#include <QVector>
#include <array>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

#include "logging/compactlog.h"
#include "logging/logchannels.h"

class TLoggingSession;
class Tcommsobj;
struct TLogSampleFields;

struct TLogFileData {
    QString Comment;
    // Selections 0..6; on loading, a field of line 2 that is missing or out
    // of range keeps the value this held before the load, and 7 or 8 (no
    // name, no status bit) become "None" once their column has been read past.
    std::array<int, LogChannels::ChannelCount> Channels{};
    // The samples: the weight at TCompactLog::WeightTrace, the channels at 0..3.
    TCompactLog Points;
    // False when a sample's time came before an earlier one (a hand-edited
    // file): the points are put in time order when applied.
    bool InTimeOrder = true;

    QVector<TLogPoint> Weight() const { return Points.Points(TCompactLog::WeightTrace); }
    QVector<TLogPoint> ChannelPoints(int channel) const { return Points.Points(channel); }
};

struct TLogLoadResult {
    qint64 Samples = 0;        // sample lines that gave a weight point
    qint64 Skipped = 0;        // sample lines without a usable time
    qint64 TooLong = 0;        // lines cut off at the length cap (also skipped)
};

// ---- Writer ----
// Calls sink once per line (without its end). Every weight of SeriesWeight
// is a sample, in time order: replies, binary records and a loaded log with
// the samples logged after it (the time is the first unit trace's where it
// has the sample, spread as the chart shows it). A channel's level is its
// point in the sample's row; a channel without one ends the line there, so
// no later field lands in the wrong channel. Samples that arrive while the
// lines are written are left for the next save.
void WriteLogLines(const TLoggingSession &session, const QString &comment,
                   const std::function<void(const QString &)> &sink);
// The sample lines alone, as Latin-1 bytes. With keepColumns a channel
// without a level leaves its field empty instead of ending the line, so
// every line has the same columns (CSV).
void WriteLogSampleBytes(const TLoggingSession &session, bool keepColumns,
                         const std::function<void(const QByteArray &)> &sink);
QStringList BuildLogLines(const TLoggingSession &session, const QString &comment);
// The lines `produce` hands to its sink, after `start`, written to `path`
// with CR LF endings in large blocks, through QSaveFile (an old file is kept
// on failure). Serves the log file and the CSV export alike.
using TLineProducer = std::function<void(const std::function<void(const QByteArray &)> &sink)>;
bool WriteLinesAtomically(const QString &path, QByteArray start, const TLineProducer &produce, QString *error);
// Streams the lines into the file through QSaveFile (old file kept on failure).
bool SaveLogFile(const QString &path, const TLoggingSession &session, const QString &comment,
                 QString *error);

// ---- Logs of several units ----
// A log file holds one weight. A log of several units (more than one unit
// trace holds samples) is saved as one log file a unit, each one a log of
// that unit alone, named after the chosen name ("fill.LOG" gives
// "fill-unit1.LOG", "fill-unit5.LOG"); samples of no unit (a log loaded
// into a running session) go to the chosen name itself.
std::vector<int> UnitTracesWithSamples(const TLoggingSession &session);
bool HoldsSeveralUnits(const TLoggingSession &session);
bool HoldsSamplesOfNoUnit(const TLoggingSession &session);
QString UnitLogPath(const QString &path, int unit);
// The files SaveLogFiles writes for a chosen name: the name itself for a
// log of one unit.
QStringList LogFilePaths(const QString &path, const TLoggingSession &session);
// Saves as above, each file atomically; `written` gets the files written,
// also when a later one fails.
bool SaveLogFiles(const QString &path, const TLoggingSession &session, const QString &comment, QStringList *written,
                  QString *error);
// The CSV rows of a log of several units: time, then a column per unit
// trace with samples (the sample's weight in its unit's column, the others
// empty), a column for samples of no unit when there are any, then the
// chosen channels.
void WriteUnitColumnBytes(const TLoggingSession &session, const std::function<void(const QByteArray &)> &sink);

// ---- Reader ----
// Takes the lines of a log, in order, into data (whose Channels hold the
// current selections on entry).
class TLogLineReader {
public:
    explicit TLogLineReader(TLogFileData &data);
    ~TLogLineReader();
    void Take(const QString &line, bool tooLong = false);
    void Take(QByteArrayView line, bool tooLong = false);
    const TLogLoadResult &Result() const { return result; }
    // Told of every sample taken into data.Points (as AddRow takes it), in
    // order, so that checks can hold the columns against a plain copy.
    std::function<void(double time, const std::array<double, TCompactLog::WeightTrace + 1> &values, quint32 traces)>
        SampleAdded;

private:
    void TakeChannels(const QString &line);
    void TakeSample(const QString &line);
    void AddSample(const TLogSampleFields &fields);

    TLogFileData &data;
    TLogLoadResult result;
    // One parser for every line: a parser holds twenty strings, too costly
    // to make a million times.
    std::unique_ptr<Tcommsobj> parser;
    QString field;
    qint64 lineNumber = 0;
    double lastTime = -std::numeric_limits<double>::infinity();
};

// Reads a log file into data. False with a message for the user (and data
// unchanged) when the file cannot be read, is binary or is empty.
bool LoadLogFile(const QString &path, TLogFileData &data, QString *error, TLogLoadResult *result = nullptr);

// Replaces the chart's traces with the loaded log, whose points move into
// the session: every trace cleared (unit traces stay, empty), the
// selections taken, SeriesWeight made visible.
// The caller then sets the comment and channel labels, presets the logging
// dialog's channel lists with data.Channels and runs the axis set-up and the
// fit to data.
void ApplyLogFile(TLogFileData &data, TLoggingSession &session);

// What a file holds, judged from its first two lines, so that File > Open
// takes a file as the kind it is whatever the dialog's filter said: a log's
// second line is its channel selections ("1,0,3,0"), a settings file's lines
// are write commands ("IDN...", "ADR..."); a log may be its comment alone.
// Unknown when the file cannot be read, is empty or binary: the loaders
// report those.
enum class TFileContent { Unknown, Settings, Log, Other };
TFileContent FileContentOf(const QString &path);

// The message for a load that skipped lines; empty when none was.
QString SkippedLinesMessage(const TLogLoadResult &result);
