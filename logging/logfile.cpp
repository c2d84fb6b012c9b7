#include "logging/logfile.h"

#include "link/comms.h"
#include "logging/loggingsession.h"
#include "settings/settingsfile.h"
#include "settings/textfilelines.h"
#include "settings/tools.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <type_traits>

// The fields a sample line can use: time, weight and four channel levels.
struct TLogSampleFields {
    static constexpr int Count = 2 + LogChannels::ChannelCount;
    std::array<double, Count> Value{};
    std::array<bool, Count> Usable{};
};

namespace {

constexpr int MaxFieldLength = 100;
constexpr qsizetype FlushBytes = 256 * 1024;

// Appends value rounded to `decimals` places (at most six), trailing zeros
// dropped down to `keep` places, the same text as std::to_chars gives, but
// from one integer: a log holds millions of these. The product with the
// power of ten is off by less than 1e-4 below 1e12, so only values within
// 1e-3 of a rounding half are left to the caller (false), as are huge ones.
bool AppendRounded(std::string &out, double value, int decimals, int keep)
{
    static constexpr std::array<qint64, 7> Scale{1, 10, 100, 1000, 10000, 100000, 1000000};
    const double scaled = value * double(Scale[size_t(decimals)]);
    if (!(std::abs(scaled) < 1e12) || std::abs(scaled - std::floor(scaled) - 0.5) < 1e-3)
        return false;
    const qint64 n = std::llround(scaled);
    const qint64 m = n < 0 ? -n : n;
    qint64 fraction = m % Scale[size_t(decimals)];
    int places = decimals;
    while (places > keep && fraction % 10 == 0) {
        fraction /= 10;
        --places;
    }
    char text[40];
    char *p = text;
    // A value that rounds to zero has no sign, but a zero read as "-0.00"
    // from a log file is written back as it was.
    if (n < 0 || (value == 0 && std::signbit(value)))
        *p++ = '-';
    p = std::to_chars(p, text + 20, m / Scale[size_t(decimals)]).ptr;
    if (places > 0) {
        *p++ = '.';
        for (int i = places - 1; i >= 0; --i, fraction /= 10)
            p[i] = char('0' + fraction % 10);
        p += places;
    }
    out.append(text, p - text);
    return true;
}

// Appends value with the given decimals by the exact formatting, "."
// whatever the locale.
void AppendExact(std::string &out, double value, int decimals)
{
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (ec != std::errc()) {
        out += QByteArray::number(value, 'f', decimals).toStdString();
        return;
    }
    const char *begin = buffer;
    // A tiny negative value would read "-0.00"; zero has no sign.
    if (*begin == '-' && std::all_of(begin + 1, static_cast<const char *>(end), [](char c) { return c == '0' || c == '.'; }))
        ++begin;
    out.append(begin, end - begin);
}

// Two decimals (times and channel levels).
void AppendFixed(std::string &out, double value)
{
    if (!AppendRounded(out, value, 2, 2))
        AppendExact(out, value, 2);
}

// Two decimals at least, up to six when the value has them.
void AppendWeight(std::string &out, double value)
{
    if (AppendRounded(out, value, 6, 2))
        return;
    const size_t start = out.size();
    AppendExact(out, value, 6);
    const size_t point = out.find('.', start);
    size_t end = out.size();
    while (point != std::string::npos && end > point + 3 && out[end - 1] == '0')
        --end;
    out.resize(end);
}

bool HasDigit(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

// A field's value, when it exists, is short enough and holds a number.
bool FieldValue(const Tcommsobj &parser, int index, double &value, QString &text)
{
    if (!parser.GetText(index, text, 0, MaxFieldLength) || !HasDigit(text))
        return false;
    value = ParseDecimal(text);
    return std::isfinite(value);
}

// The usual sample line holds nothing but digits, ".", "-" and ",": its
// fields are read straight from the characters, with the arithmetic of
// ParseDecimal, which gives the same values as the field parser at a
// fraction of its cost. False for any other line.
// (A field of more digits than counting holds exactly is read as
// ParseDecimal reads it, by DecimalValue.)
template <typename Char>
bool ScanPlainLine(const Char *text, qsizetype size, TLogSampleFields &fields)
{
    static constexpr std::array<double, 23> Powers{1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    int index = 0, decimals = 0;
    qsizetype start = 0;
    double value = 0;
    bool point = false, negative = false, digit = false;
    for (qsizetype i = 0; i <= size; ++i) {
        const char16_t c = i < size ? char16_t(static_cast<std::make_unsigned_t<Char>>(text[i])) : u',';
        if (c >= u'0' && c <= u'9') {
            value = value * 10 + (c - u'0');
            decimals += point ? 1 : 0;
            digit = true;
        } else if (c == u'.') {
            point = true;
        } else if (c == u'-') {
            negative = true;
        } else if (c != u',') {
            return false;
        } else {
            if (index < TLogSampleFields::Count) {
                if (value >= ExactDigitsLimit || decimals > ExactDecimalsLimit) {
                    std::string digits;
                    for (qsizetype k = start; k < i; ++k)
                        if (text[k] >= '0' && text[k] <= '9')
                            digits += char(text[k]);
                    value = DecimalValue(digits, decimals, false);
                } else {
                    value /= Powers[size_t(decimals)];
                }
                fields.Value[size_t(index)] = negative ? -value : value;
                fields.Usable[size_t(index)] = digit && i - start <= MaxFieldLength && std::isfinite(value);
            }
            ++index;
            start = i + 1;
            value = 0;
            decimals = 0;
            point = negative = digit = false;
        }
    }
    return true;
}

} // namespace

// ---------------------------------------------------------------- writer


namespace {

// Which rows of the chart are a file's samples: those where `Trace` has a
// point and none of the traces in `Without`; `Preferred`'s point is taken
// where the row has one (the first unit trace carries the spread time of
// replies that shared a clock time).
struct TSampleRows {
    int Trace = TLoggingSession::SeriesWeight;
    int Preferred = TLoggingSession::SeriesWeight;
    quint64 Without = 0;
};

// The channel levels of a row, formatted once per level.
class TChannelFields {
public:
    explicit TChannelFields(const std::array<int, LogChannels::ChannelCount> &channels) : Channels(channels)
    {
        LevelText.fill({qQNaN(), std::string()});
    }
    // Appends ",level" for every chosen channel. A channel without a level
    // in the row ends the line there (a log file), or leaves its field
    // empty (keepColumns: every CSV row has the same columns).
    void Append(std::string &line, const TCompactLog &points, qint64 row, bool keepColumns)
    {
        for (int c = 0; c < LogChannels::ChannelCount; ++c) {
            if (Channels[size_t(c)] == LogChannels::ChoiceNone)
                continue;
            const bool found = points.Has(row, c);
            if (!found && !keepColumns)
                break;
            line += ',';
            if (!found)
                continue;
            const double level = points.At(row, c).value;
            // A spreadsheet wants the channel's state, 0 or 1, not the band
            // the chart draws it in; the log file keeps the levels its
            // readers expect.
            if (keepColumns && (level == LogChannels::Level(c, true) || level == LogChannels::Level(c, false))) {
                line += level == LogChannels::Level(c, true) ? '1' : '0';
                continue;
            }
            auto &[shown, text] = LevelText[size_t(c)];
            if (!(shown == level && std::signbit(shown) == std::signbit(level))) {
                text.clear();
                AppendFixed(text, level);
                shown = level;
            }
            line += text;
        }
    }

private:
    const std::array<int, LogChannels::ChannelCount> &Channels;
    std::array<std::pair<double, std::string>, LogChannels::ChannelCount> LevelText;
};

void WriteSampleRows(const TLoggingSession &session, const TSampleRows &source, bool keepColumns,
                     const std::function<void(const QByteArray &)> &sink)
{
    const TCompactLog &points = session.Points;
    // The rows there are now: samples that come while the file is written
    // belong to the next save.
    const qint64 first = points.FirstRowOf(source.Trace);
    const qint64 last = points.LastRowOf(source.Trace);
    TChannelFields channels(session.Channels);
    // Built in a plain string: a line is a dozen small appends.
    std::string line;
    line.reserve(256);
    for (qint64 row = std::max<qint64>(first, 0); first >= 0 && row <= last; ++row) {
        if (!points.Has(row, source.Trace) || points.HasAnyOf(row, source.Without))
            continue;
        const TLogPoint p = points.At(row, points.Has(row, source.Preferred) ? source.Preferred : source.Trace);
        // A break the chart draws across a silence is no sample.
        if (std::isnan(p.value))
            continue;
        line.clear();   // keeps the buffer for the next line
        AppendFixed(line, p.key);
        line += ',';
        AppendWeight(line, p.value);
        channels.Append(line, points, row, keepColumns);
        sink(QByteArray::fromRawData(line.data(), qsizetype(line.size())));
    }
}

quint64 UnitTraceBits(const TLoggingSession &session)
{
    quint64 bits = 0;
    for (size_t i = TLoggingSession::FirstUnitTrace; i < session.Traces.size() && i < size_t(TCompactLog::MaxTraces); ++i)
        bits |= quint64(1) << i;
    return bits;
}

// Calls sink with each line's Latin-1 bytes (without its end): the comment,
// the channel selections and the samples of `rows`.
void WriteLogBytes(const TLoggingSession &session, const QString &comment, const TSampleRows &rows,
                   const std::function<void(const QByteArray &)> &sink)
{
    // A line end inside the comment would turn its rest into a sample line.
    QString header = comment;
    header.replace(u'\r', u' ').replace(u'\n', u' ');
    sink(header.toLatin1());
    const auto &ch = session.Channels;
    sink(QStringLiteral("%1,%2,%3,%4").arg(ch[0]).arg(ch[1]).arg(ch[2]).arg(ch[3]).toLatin1());
    WriteSampleRows(session, rows, false, sink);
}

// Every weight SeriesWeight holds: replies, binary records and a loaded
// log alike.
TSampleRows AllSamples(const TLoggingSession &session)
{
    TSampleRows rows;
    if (session.Traces.size() > size_t(TLoggingSession::FirstUnitTrace))
        rows.Preferred = TLoggingSession::FirstUnitTrace;
    return rows;
}

} // namespace

void WriteLogSampleBytes(const TLoggingSession &session, bool keepColumns,
                         const std::function<void(const QByteArray &)> &sink)
{
    WriteSampleRows(session, AllSamples(session), keepColumns, sink);
}

void WriteLogLines(const TLoggingSession &session, const QString &comment,
                   const std::function<void(const QString &)> &sink)
{
    WriteLogBytes(session, comment, AllSamples(session),
                  [&sink](const QByteArray &line) { sink(QString::fromLatin1(line)); });
}

QStringList BuildLogLines(const TLoggingSession &session, const QString &comment)
{
    QStringList lines;
    WriteLogLines(session, comment, [&lines](const QString &line) { lines << line; });
    return lines;
}

bool WriteLinesAtomically(const QString &path, QByteArray start, const TLineProducer &produce, QString *error)
{
    TAtomicFileWriter writer(path);
    QByteArray buffer = std::move(start);
    produce([&](const QByteArray &line) {
        buffer += line;
        buffer += "\r\n";
        if (buffer.size() >= FlushBytes) {
            writer.Write(buffer);
            buffer.clear();
            // A log of millions of samples takes seconds to write: replies
            // that come meanwhile are taken as they come (with their own
            // times), not queued behind the file. Input waits: nothing the
            // operator does may change the samples being written.
            if (QCoreApplication::instance())
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    });
    writer.Write(buffer);
    return writer.Commit(error);
}

bool SaveLogFile(const QString &path, const TLoggingSession &session, const QString &comment, QString *error)
{
    return WriteLinesAtomically(
        path, {}, [&](const auto &sink) { WriteLogBytes(session, comment, AllSamples(session), sink); }, error);
}

// ---------------------------------------------------------------- several units

std::vector<int> UnitTracesWithSamples(const TLoggingSession &session)
{
    std::vector<int> traces;
    for (size_t i = TLoggingSession::FirstUnitTrace; i < session.Traces.size() && i < size_t(TCompactLog::MaxTraces); ++i)
        if (session.Points.Size(int(i)) > 0)
            traces.push_back(int(i));
    return traces;
}

bool HoldsSeveralUnits(const TLoggingSession &session)
{
    return UnitTracesWithSamples(session).size() > 1;
}

bool HoldsSamplesOfNoUnit(const TLoggingSession &session)
{
    const TCompactLog &points = session.Points;
    const int weight = TLoggingSession::SeriesWeight;
    const quint64 units = UnitTraceBits(session);
    const qint64 last = points.LastRowOf(weight);
    for (qint64 row = std::max<qint64>(points.FirstRowOf(weight), 0); last >= 0 && row <= last; ++row)
        if (points.Has(row, weight) && !points.HasAnyOf(row, units) && !std::isnan(points.At(row, weight).value))
            return true;
    return false;
}

QString UnitLogPath(const QString &path, int unit)
{
    const QFileInfo file(path);
    const QString suffix = file.suffix().isEmpty() ? QStringLiteral("LOG") : file.suffix();
    return file.dir().filePath(QStringLiteral("%1-unit%2.%3").arg(file.completeBaseName()).arg(unit).arg(suffix));
}

QStringList LogFilePaths(const QString &path, const TLoggingSession &session)
{
    if (!HoldsSeveralUnits(session))
        return {path};
    QStringList paths;
    for (const int trace : UnitTracesWithSamples(session))
        paths << UnitLogPath(path, session.Traces[size_t(trace)].Tag);
    if (HoldsSamplesOfNoUnit(session))
        paths << path;
    return paths;
}

bool SaveLogFiles(const QString &path, const TLoggingSession &session, const QString &comment, QStringList *written,
                  QString *error)
{
    if (written)
        written->clear();
    if (!HoldsSeveralUnits(session)) {
        const bool ok = SaveLogFile(path, session, comment, error);
        if (ok && written)
            *written << path;
        return ok;
    }
    std::vector<std::pair<QString, TSampleRows>> files;
    for (const int trace : UnitTracesWithSamples(session)) {
        TSampleRows rows;
        rows.Trace = rows.Preferred = trace;
        files.emplace_back(UnitLogPath(path, session.Traces[size_t(trace)].Tag), rows);
    }
    if (HoldsSamplesOfNoUnit(session)) {
        TSampleRows rows;
        rows.Without = UnitTraceBits(session);
        files.emplace_back(path, rows);
    }
    for (const auto &[file, fileRows] : files) {
        // Clang before 16 lets no lambda capture a structured binding.
        const TSampleRows &rows = fileRows;
        if (!WriteLinesAtomically(
                file, {}, [&](const auto &sink) { WriteLogBytes(session, comment, rows, sink); }, error))
            return false;
        if (written)
            *written << file;
    }
    return true;
}

void WriteUnitColumnBytes(const TLoggingSession &session, const std::function<void(const QByteArray &)> &sink)
{
    const TCompactLog &points = session.Points;
    const int weight = TLoggingSession::SeriesWeight;
    const std::vector<int> units = UnitTracesWithSamples(session);
    const quint64 unitBits = UnitTraceBits(session);
    const bool noUnit = HoldsSamplesOfNoUnit(session);
    const qint64 first = points.FirstRowOf(weight);
    const qint64 last = points.LastRowOf(weight);
    TChannelFields channels(session.Channels);
    std::string line;
    line.reserve(256);
    for (qint64 row = std::max<qint64>(first, 0); first >= 0 && row <= last; ++row) {
        if (!points.Has(row, weight) || std::isnan(points.At(row, weight).value))
            continue;
        // Each sample is one unit's: its weight in that unit's column.
        int owner = -1;
        for (const int trace : units)
            if (points.Has(row, trace))
                owner = trace;
        if (owner < 0 && (!noUnit || points.HasAnyOf(row, unitBits)))
            continue;
        const TLogPoint p = points.At(row, owner >= 0 ? owner : weight);
        line.clear();
        AppendFixed(line, p.key);
        for (const int trace : units) {
            line += ',';
            if (trace == owner)
                AppendWeight(line, p.value);
        }
        if (noUnit) {
            line += ',';
            if (owner < 0)
                AppendWeight(line, p.value);
        }
        channels.Append(line, points, row, true);
        sink(QByteArray::fromRawData(line.data(), qsizetype(line.size())));
    }
}

// ---------------------------------------------------------------- reader

TLogLineReader::TLogLineReader(TLogFileData &d) : data(d), parser(std::make_unique<Tcommsobj>()) {}

TLogLineReader::~TLogLineReader() = default;

void TLogLineReader::Take(const QString &line, bool tooLong)
{
    ++lineNumber;
    if (lineNumber == 1) {
        data.Comment = line;
        return;
    }
    if (tooLong) {
        ++result.TooLong;
        ++result.Skipped;
        return;
    }
    if (lineNumber == 2)
        TakeChannels(line);
    else if (!line.trimmed().isEmpty())
        TakeSample(line);
}

void TLogLineReader::TakeChannels(const QString &line)
{
    parser->Parse(line, false, false);
    for (int c = 0; c < LogChannels::ChannelCount; ++c) {
        qint32 value = 0, places = 0;
        if (parser->GetInt(c, value, 0, 8, places))
            data.Channels[size_t(c)] = value;
    }
}

void TLogLineReader::Take(QByteArrayView line, bool tooLong)
{
    // Sample lines of plain digits are read straight from the bytes; any
    // other line takes the general way.
    TLogSampleFields fields;
    if (lineNumber >= 2 && !tooLong && ScanPlainLine(line.data(), line.size(), fields)) {
        ++lineNumber;
        if (!line.isEmpty())
            AddSample(fields);
        return;
    }
    Take(QString::fromLatin1(line), tooLong);
}

void TLogLineReader::TakeSample(const QString &line)
{
    TLogSampleFields fields;
    if (!ScanPlainLine(reinterpret_cast<const char16_t *>(line.utf16()), line.size(), fields)) {
        parser->Parse(line, false, false);
        for (int i = 0; i < TLogSampleFields::Count; ++i)
            fields.Usable[size_t(i)] = FieldValue(*parser, i, fields.Value[size_t(i)], field);
    }
    AddSample(fields);
}

void TLogLineReader::AddSample(const TLogSampleFields &fields)
{
    if (!fields.Usable[0]) {
        ++result.Skipped;
        return;
    }
    const double t = fields.Value[0];
    std::array<double, TCompactLog::WeightTrace + 1> values{};
    quint32 traces = 0;
    if (fields.Usable[1]) {
        values[TCompactLog::WeightTrace] = fields.Value[1];
        traces |= 1u << TCompactLog::WeightTrace;
        ++result.Samples;
    }
    size_t index = 2;
    for (int c = 0; c < LogChannels::ChannelCount; ++c) {
        const int choice = data.Channels[size_t(c)];
        if (choice == LogChannels::ChoiceNone)
            continue;
        // A selection without a name (7, 8) still has its column, which is
        // read past so the later channels keep their own fields.
        if (LogChannels::Listed(choice) == choice && fields.Usable[index]) {
            values[size_t(c)] = fields.Value[index];
            traces |= 1u << c;
        }
        ++index;
    }
    if (traces == 0)
        return;
    if (t < lastTime)
        data.InTimeOrder = false;
    lastTime = t;
    data.Points.AddRow(t, values, traces);
    if (SampleAdded)
        SampleAdded(t, values, traces);
}

bool LoadLogFile(const QString &path, TLogFileData &data, QString *error, TLogLoadResult *result)
{
    TTextFileLines lines;
    if (!lines.Open(path, error))
        return false;
    TLogFileData loaded;
    loaded.Channels = data.Channels;
    TLogLineReader reader(loaded);
    QByteArrayView line;
    qint64 count = 0;
    while (lines.Next(line) && !lines.SawNul()) {
        reader.Take(line, lines.LastLineTooLong());
        ++count;
    }
    QString why;
    if (lines.Failed())
        why = lines.ErrorText();
    else if (lines.SawNul())
        why = FileReadError(path, QStringLiteral("It is not a text file."));
    else if (count == 0)
        why = FileReadError(path, QStringLiteral("The file is empty."));
    if (!why.isEmpty()) {
        if (error)
            *error = why + QStringLiteral(" Nothing was loaded.");
        return false;
    }
    // Unnamed selections count as "None" everywhere else: the dialog, the
    // labels, the session and the next save agree with what is drawn.
    for (int &choice : loaded.Channels)
        choice = LogChannels::Listed(choice);
    data = std::move(loaded);
    if (result)
        *result = reader.Result();
    return true;
}

namespace {
// The points of a hand-edited log put in time order (equal times kept in
// file order), merged by time so the points of one time share a row.
TCompactLog InTimeOrder(const TCompactLog &points)
{
    const auto earlier = [](const TLogPoint &a, const TLogPoint &b) { return a.key < b.key; };
    constexpr int Lists = 1 + LogChannels::ChannelCount;
    std::array<QVector<TLogPoint>, Lists> lists;
    std::array<qsizetype, Lists> next{};
    for (int trace = 0; trace < Lists; ++trace) {
        lists[size_t(trace)] = points.Points(trace);
        std::stable_sort(lists[size_t(trace)].begin(), lists[size_t(trace)].end(), earlier);
    }
    TCompactLog sorted;
    for (;;) {
        double t = std::numeric_limits<double>::infinity();
        for (size_t k = 0; k < lists.size(); ++k)
            if (next[k] < lists[k].size())
                t = std::min(t, lists[k][next[k]].key);
        if (std::isinf(t))
            return sorted;
        // The weight first, as a live session adds it.
        for (const int trace : {TCompactLog::WeightTrace, 0, 1, 2, 3}) {
            const auto k = size_t(trace);
            if (next[k] < lists[k].size() && lists[k][next[k]].key == t)
                sorted.Add(trace, lists[k][next[k]++]);
        }
    }
}
} // namespace

void ApplyLogFile(TLogFileData &data, TLoggingSession &session)
{
    if (session.Traces.size() < size_t(TLoggingSession::FirstUnitTrace))
        session.Traces.resize(TLoggingSession::FirstUnitTrace);
    session.Channels = data.Channels;
    session.Traces[TLoggingSession::SeriesWeight].Visible = true;
    session.TakePoints(data.InTimeOrder ? std::move(data.Points) : InTimeOrder(data.Points));
    data.Points.Clear();
    // The file does not say its units, nor the scale it was logged at.
    session.ShowsLoadedLog = true;
    session.UnitsText.clear();
    session.WeightTitle = QStringLiteral("Weight ()");
    // After the last row, which may hold channel levels without a weight.
    if (const qsizetype rows = session.Points.Rows(); rows > 0)
        session.ContinueAfter(session.Points.Time(rows - 1));
    emit session.ChannelLabelsChanged();
    emit session.SamplesAdded();
}

namespace {
// The second line of a log: whole numbers separated by commas.
bool IsChannelsLine(const QString &line)
{
    const QStringList fields = line.split(u',');
    return std::all_of(fields.begin(), fields.end(), [](const QString &f) {
        bool ok = false;
        f.trimmed().toInt(&ok);
        return ok;
    });
}
} // namespace

TFileContent FileContentOf(const QString &path)
{
    TTextFileLines lines;
    QString first, second;
    if (!lines.Open(path, nullptr) || !lines.Next(first) || lines.SawNul())
        return TFileContent::Unknown;
    const bool twoLines = lines.Next(second);
    if (lines.SawNul() || lines.Failed())
        return TFileContent::Unknown;
    if (IsSettingsLine(first.trimmed()) && (!twoLines || IsSettingsLine(second.trimmed())))
        return TFileContent::Settings;
    if (!twoLines || IsChannelsLine(second))
        return TFileContent::Log;
    return TFileContent::Other;
}

QString SkippedLinesMessage(const TLogLoadResult &result)
{
    if (result.Skipped == 0)
        return {};
    return QStringLiteral("%1 line(s) of the log file hold no sample and were skipped.").arg(result.Skipped);
}
