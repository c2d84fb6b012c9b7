// Fuzz target of the CSV export: whatever log was loaded, the CSV holds its
// comment as one quoted field, a header naming the selected channels, and a
// row per weight sample with the same number of fields, each field empty
// (a channel without a level in that sample), a channel's state (0 or 1)
// or a plain number, "." as the decimal point, that reads back as the log's
// number at the log's places.
#include "fuzz/check.h"
#include "fuzz/log_roundtrip.h"
#include "fuzz/scratch_file.h"
#include "fuzz/targets.h"
#include "logging/logchannels.h"
#include "logging/logcsv.h"
#include "logging/logfile.h"
#include "logging/loggingsession.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <charconv>
#include <cmath>
#include <string>

namespace {

// One CSV field read as a spreadsheet would: the whole field is the number.
void CheckNumberField(const QByteArray &field, const std::string &expected)
{
    QV_FUZZ_CHECK(field.toStdString() == expected);
    double value = 0;
    const auto [end, ec] = std::from_chars(field.constData(), field.constData() + field.size(), value);
    QV_FUZZ_CHECK(ec == std::errc() && end == field.constData() + field.size() && std::isfinite(value));
}

// A channel's level as the CSV holds it: the channel's state, 1 or 0, where
// the level is one the chart draws it at, else the level itself.
std::string LevelText(int channel, double level)
{
    if (level == LogChannels::Level(channel, true))
        return "1";
    if (level == LogChannels::Level(channel, false))
        return "0";
    return TimeText(level);
}

// A row of one quoted field: quotes inside doubled, nothing after it.
QString Unquoted(const QByteArray &row)
{
    QV_FUZZ_CHECK(row.size() >= 2 && row.startsWith('"') && row.endsWith('"'));
    QByteArray inner = row.mid(1, row.size() - 2);
    QV_FUZZ_CHECK(!QByteArray(inner).replace("\"\"", "").contains('"'));
    return QString::fromUtf8(inner.replace("\"\"", "\""));
}

} // namespace

int FuzzLogCsvOne(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    TLogFileData loaded;
    QString error;
    if (!LoadLogFile(WriteScratchFile(bytes, QStringLiteral(".log")), loaded, &error))
        return 0;
    TLoggingSession &session = ScratchLoggingSession();
    const QString comment = loaded.Comment;
    ApplyLogFile(loaded, session);
    const QString path = ScratchPath(QStringLiteral(".csv"));
    QV_FUZZ_CHECK(ExportLogCsv(path, session, comment, &error));
    const QByteArray csv = FileBytes(path);
    QV_FUZZ_CHECK(csv.endsWith("\r\n"));
    QList<QByteArray> rows = csv.chopped(2).split('\n');
    for (QByteArray &row : rows) {
        QV_FUZZ_CHECK(row.endsWith('\r') || &row == &rows.last());
        if (row.endsWith('\r'))
            row.chop(1);
    }
    qsizetype at = 0;
    if (!comment.isEmpty())
        QV_FUZZ_CHECK(Unquoted(rows.value(at++)) == comment);

    QList<int> channels;
    for (int c = 0; c < LogChannels::ChannelCount; ++c)
        if (session.Channels[size_t(c)] != LogChannels::ChoiceNone)
            channels << c;
    const QList<QByteArray> header = rows.value(at++).split(',');
    QV_FUZZ_CHECK(header.size() == 2 + channels.size() && header[0] == "time_s" && header[1] == "weight");

    const TCompactLog &points = session.Points;
    const int weight = TCompactLog::WeightTrace;
    for (qint64 row = 0; row < points.Rows(); ++row) {
        if (!points.Has(row, weight))
            continue;
        QV_FUZZ_CHECK(at < rows.size());
        const QList<QByteArray> fields = rows[at++].split(',');
        QV_FUZZ_CHECK(fields.size() == header.size());
        const TLogPoint sample = points.At(row, weight);
        CheckNumberField(fields[0], TimeText(sample.key));
        CheckNumberField(fields[1], WeightText(sample.value));
        for (qsizetype k = 0; k < channels.size(); ++k) {
            const int c = channels[k];
            if (points.Has(row, c))
                CheckNumberField(fields[2 + k], LevelText(c, points.At(row, c).value));
            else
                QV_FUZZ_CHECK(fields[2 + k].isEmpty());
        }
    }
    QV_FUZZ_CHECK(at == rows.size());
    return 0;
}

#ifdef QV_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return FuzzLogCsvOne(data, size);
}
#endif
