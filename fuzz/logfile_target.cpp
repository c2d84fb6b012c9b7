// Fuzz target of the log file reader: a file that is refused leaves the
// loaded data as it was; a file that is taken gives only finite points, only
// for channels that are selected, with counts that add up.
#include "fuzz/check.h"
#include "fuzz/scratch_file.h"
#include "fuzz/targets.h"
#include "logging/logfile.h"
#include "settings/textfilelines.h"

#include <QString>

#include <algorithm>
#include <cmath>

namespace {

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
    if (a.Comment != b.Comment || a.Channels != b.Channels || a.Weight().size() != b.Weight().size())
        return false;
    for (int c = 0; c < LogChannels::ChannelCount; ++c) {
        if (a.ChannelPoints(c).size() != b.ChannelPoints(c).size())
            return false;
    }
    return true;
}

void CheckPoints(const QVector<TLogPoint> &points)
{
    for (const TLogPoint &p : points)
        QV_FUZZ_CHECK(std::isfinite(p.key) && std::isfinite(p.value));
}

bool SamePoints(const QVector<TLogPoint> &a, const QVector<TLogPoint> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const TLogPoint &p, const TLogPoint &q) {
        return p.key == q.key && p.value == q.value;
    });
}

// The loader reads most lines from the file's bytes; the same lines taken as
// text, the general way, must give the same points.
void CheckAgainstTextLines(const QString &path, const TLogFileData &loaded)
{
    TLogFileData text;
    text.Channels = ShownBefore().Channels;
    TLogLineReader reader(text);
    TTextFileLines lines;
    QString line;
    if (!lines.Open(path, nullptr))
        return;
    while (lines.Next(line) && !lines.SawNul())
        reader.Take(line, lines.LastLineTooLong());
    QV_FUZZ_CHECK(text.Comment == loaded.Comment && SamePoints(text.Weight(), loaded.Weight()));
    for (int c = 0; c < LogChannels::ChannelCount; ++c)
        QV_FUZZ_CHECK(SamePoints(text.ChannelPoints(c), loaded.ChannelPoints(c)));
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
        QV_FUZZ_CHECK(choice >= 0 && choice <= 8);
        const QVector<TLogPoint> &points = loaded.ChannelPoints(c);
        QV_FUZZ_CHECK(choice != LogChannels::ChoiceNone || points.isEmpty());
        CheckPoints(points);
    }
    CheckAgainstTextLines(path, loaded);
    return 0;
}

#ifdef QV_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return FuzzLogFileOne(data, size);
}
#endif
