// Fuzz target of the log file reader and writer: a file that is refused
// leaves the loaded data as it was; a file that is taken gives only finite
// points, only for channels that are selected, with counts that add up, and
// the columns hold exactly the points the reader took. Saved, it loads back
// with every weight sample as its text says, and saving that gives the same
// bytes again.
#include "fuzz/check.h"
#include "fuzz/log_roundtrip.h"
#include "fuzz/scratch_file.h"
#include "fuzz/targets.h"
#include "logging/logfile.h"
#include "logging/loggingsession.h"
#include "settings/textfilelines.h"
#include "settings/tools.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

constexpr int Traces = TCompactLog::WeightTrace + 1;
using TPointLists = std::array<QVector<TLogPoint>, Traces>;

TLogFileData ShownBefore()
{
    TLogFileData data;
    data.Comment = QStringLiteral("before");
    data.Channels = {1, 0, 3, 0};
    data.Points.Add(TCompactLog::WeightTrace, TLogPoint(0.5, 12.0));
    return data;
}

bool SameData(const TLogFileData &a, const TLogFileData &b)
{
    if (a.Comment != b.Comment || a.Channels != b.Channels)
        return false;
    for (int trace = 0; trace < Traces; ++trace)
        if (!SamePoints(a.Points.Points(trace), b.Points.Points(trace)))
            return false;
    return true;
}

void CheckPoints(const QVector<TLogPoint> &points)
{
    for (const TLogPoint &p : points)
        QV_FUZZ_CHECK(std::isfinite(p.key) && std::isfinite(p.value));
}

// The samples the reader took, as plain lists.
struct TPlainLog {
    struct TSample {
        double Time;
        std::array<double, Traces> Values;
        quint32 Mask;   // the traces the sample has
    };
    std::vector<TSample> Samples;
    TPointLists Points;
};

// The loader reads most lines from the file's bytes; the same lines taken as
// text, the general way, must give the same points. The columns read back
// the samples the reader took: each trace its points, and while the samples
// are in time order each sample a row of its own with its own levels.
TPlainLog CheckAgainstTextLines(const QString &path, const TLogFileData &loaded)
{
    TPlainLog plain;
    TLogFileData text;
    text.Channels = ShownBefore().Channels;
    TLogLineReader reader(text);
    reader.SampleAdded = [&plain](double time, const std::array<double, Traces> &values, quint32 traces) {
        plain.Samples.push_back({time, values, traces});
        for (int trace = 0; trace < Traces; ++trace)
            if (traces & (1u << trace))
                plain.Points[size_t(trace)] << TLogPoint(time, values[size_t(trace)]);
    };
    TTextFileLines lines;
    QString line;
    QV_FUZZ_CHECK(lines.Open(path, nullptr));
    while (lines.Next(line) && !lines.SawNul())
        reader.Take(line, lines.LastLineTooLong());
    QV_FUZZ_CHECK(text.Comment == loaded.Comment && text.InTimeOrder == loaded.InTimeOrder);
    for (int trace = 0; trace < Traces; ++trace) {
        QV_FUZZ_CHECK(SamePoints(text.Points.Points(trace), plain.Points[size_t(trace)]));
        QV_FUZZ_CHECK(SamePoints(loaded.Points.Points(trace), plain.Points[size_t(trace)]));
    }
    if (!loaded.InTimeOrder)
        return plain;
    const TCompactLog &columns = loaded.Points;
    QV_FUZZ_CHECK(columns.Rows() == qsizetype(plain.Samples.size()));
    for (qint64 row = 0; row < columns.Rows(); ++row) {
        const TPlainLog::TSample &sample = plain.Samples[size_t(row)];
        QV_FUZZ_CHECK(SameBits(columns.Time(row), sample.Time));
        for (int trace = 0; trace < Traces; ++trace) {
            const bool has = sample.Mask & (1u << trace);
            QV_FUZZ_CHECK(columns.Has(row, trace) == has);
            QV_FUZZ_CHECK(!has || SameBits(columns.At(row, trace), TLogPoint(sample.Time, sample.Values[size_t(trace)])));
        }
    }
    return plain;
}

// The number a log line's text gives when read.
double ReadBack(const std::string &text)
{
    return ParseDecimal(QString::fromStdString(text));
}

bool Save(const TLoggingSession &session, const QString &comment, QByteArray &bytes)
{
    const QString path = ScratchPath(QStringLiteral(".saved.log"));
    QString error;
    if (!SaveLogFile(path, session, comment, &error))
        return false;
    bytes = FileBytes(path);
    return true;
}

// Applied to the chart (in time order), saved, loaded again and saved
// again: every weight sample comes back as its text, the channels lose no
// more than the writer drops, and the two saves are the same bytes.
void CheckRoundTrip(const TLogFileData &loaded, const TPlainLog &plain)
{
    TLoggingSession &session = ScratchLoggingSession();
    TLogFileData applied = loaded;
    ApplyLogFile(applied, session);
    for (int trace = 0; trace < Traces; ++trace) {
        QVector<TLogPoint> sorted = plain.Points[size_t(trace)];
        std::stable_sort(sorted.begin(), sorted.end(), [](const TLogPoint &a, const TLogPoint &b) { return a.key < b.key; });
        // Sorted, a time of "-0.00" and one of "0.00" are the same time and
        // may share a row, whose time then stands for both.
        const QVector<TLogPoint> shown = session.Points.Points(trace);
        QV_FUZZ_CHECK(std::equal(shown.begin(), shown.end(), sorted.begin(), sorted.end(),
                                 [](const TLogPoint &p, const TLogPoint &q) {
                                     return p.key == q.key && SameBits(p.value, q.value);
                                 }));
    }
    const QVector<TLogPoint> weights = session.Points.Points(TCompactLog::WeightTrace);
    std::array<qsizetype, LogChannels::ChannelCount> levels{};
    for (int c = 0; c < LogChannels::ChannelCount; ++c)
        levels[size_t(c)] = session.Points.Size(c);

    QByteArray first, second;
    QV_FUZZ_CHECK(Save(session, loaded.Comment, first));
    const QString path = ScratchPath(QStringLiteral(".saved.log"));
    TLogFileData again;
    QString error;
    QV_FUZZ_CHECK(LoadLogFile(path, again, &error));
    QV_FUZZ_CHECK(again.Comment == loaded.Comment && again.Channels == loaded.Channels && again.InTimeOrder);
    const QVector<TLogPoint> weightsAgain = again.Weight();
    QV_FUZZ_CHECK(weightsAgain.size() == weights.size());
    for (qsizetype i = 0; i < weights.size(); ++i) {
        const TLogPoint expected(ReadBack(TimeText(weights[i].key)), ReadBack(WeightText(weights[i].value)));
        QV_FUZZ_CHECK(SameBits(weightsAgain[i], expected));
    }
    for (int c = 0; c < LogChannels::ChannelCount; ++c)
        QV_FUZZ_CHECK(again.Points.Size(c) <= levels[size_t(c)]);

    ApplyLogFile(again, session);
    QV_FUZZ_CHECK(Save(session, loaded.Comment, second));
    QV_FUZZ_CHECK(second == first);
}

} // namespace

int FuzzLogFileOne(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString path = WriteScratchFile(bytes, QStringLiteral(".log"));
    const TLogFileData before = ShownBefore();
    TLogFileData loaded = before;
    QString error;
    TLogLoadResult result;
    if (!LoadLogFile(path, loaded, &error, &result)) {
        QV_FUZZ_CHECK(SameData(loaded, before));
        QV_FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    QV_FUZZ_CHECK(!loaded.Comment.contains(u'\n') && !loaded.Comment.contains(u'\r'));
    QV_FUZZ_CHECK(result.Samples == loaded.Weight().size());
    QV_FUZZ_CHECK(result.TooLong >= 0 && result.TooLong <= result.Skipped);
    CheckPoints(loaded.Weight());
    for (int c = 0; c < LogChannels::ChannelCount; ++c) {
        const int choice = loaded.Channels[size_t(c)];
        QV_FUZZ_CHECK(choice >= 0 && choice <= 6);
        const QVector<TLogPoint> &points = loaded.ChannelPoints(c);
        QV_FUZZ_CHECK(choice != LogChannels::ChoiceNone || points.isEmpty());
        CheckPoints(points);
    }
    const TPlainLog plain = CheckAgainstTextLines(path, loaded);
    CheckRoundTrip(loaded, plain);
    return 0;
}

#ifdef QV_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return FuzzLogFileOne(data, size);
}
#endif
