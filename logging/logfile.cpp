#include "logging/logfile.h"

#include "link/comms.h"
#include "logging/loggingsession.h"
#include "settings/settingsfile.h"
#include "settings/textfilelines.h"
#include "settings/tools.h"

#include <QCoreApplication>

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

// Calls sink with each line's Latin-1 bytes (without its end).
void WriteLogBytes(const TLoggingSession &session, const QString &comment,
                   const std::function<void(const QByteArray &)> &sink)
{
    // A line end inside the comment would turn its rest into a sample line.
    QString header = comment;
    header.replace(u'\r', u' ').replace(u'\n', u' ');
    sink(header.toLatin1());
    const auto &ch = session.Channels;
    sink(QStringLiteral("%1,%2,%3,%4").arg(ch[0]).arg(ch[1]).arg(ch[2]).arg(ch[3]).toLatin1());
    WriteLogSampleBytes(session, false, sink);
}

} // namespace

void WriteLogSampleBytes(const TLoggingSession &session, bool keepColumns,
                         const std::function<void(const QByteArray &)> &sink)
{
    const auto &ch = session.Channels;
    const TCompactLog &points = session.Points;
    // Every weight SeriesWeight holds: replies, binary records and a loaded
    // log alike. Where the first unit trace has the sample too, its point
    // is taken: it carries the spread time of replies that shared a clock
    // time. A sample's channel levels share its row.
    const int weight = TLoggingSession::SeriesWeight;
    const int unit = session.Traces.size() > size_t(TLoggingSession::FirstUnitTrace) ? TLoggingSession::FirstUnitTrace
                                                                                      : weight;
    // The rows there are now: samples that come while the file is written
    // belong to the next save.
    const qint64 first = points.FirstRowOf(weight);
    const qint64 last = points.LastRowOf(weight);
    // A channel has two levels: each is formatted once.
    std::array<std::pair<double, std::string>, LogChannels::ChannelCount> levelText;
    levelText.fill({qQNaN(), std::string()});
    // Built in a plain string: a line is a dozen small appends.
    std::string line;
    line.reserve(256);
    for (qint64 row = std::max<qint64>(first, 0); first >= 0 && row <= last; ++row) {
        if (!points.Has(row, weight))
            continue;
        const TLogPoint p = points.At(row, points.Has(row, unit) ? unit : weight);
        // A break the chart draws across a silence is no sample.
        if (std::isnan(p.value))
            continue;
        line.clear();   // keeps the buffer for the next line
        AppendFixed(line, p.key);
        line += ',';
        AppendWeight(line, p.value);
        for (int c = 0; c < LogChannels::ChannelCount; ++c) {
            if (ch[size_t(c)] == LogChannels::ChoiceNone)
                continue;
            const bool found = points.Has(row, c);
            if (!found && !keepColumns)
                break;
            line += ',';
            if (!found)
                continue;
            const double level = points.At(row, c).value;
            auto &[shown, text] = levelText[size_t(c)];
            if (!(shown == level && std::signbit(shown) == std::signbit(level))) {
                text.clear();
                AppendFixed(text, level);
                shown = level;
            }
            line += text;
        }
        sink(QByteArray::fromRawData(line.data(), qsizetype(line.size())));
    }
}

void WriteLogLines(const TLoggingSession &session, const QString &comment,
                   const std::function<void(const QString &)> &sink)
{
    WriteLogBytes(session, comment, [&sink](const QByteArray &line) { sink(QString::fromLatin1(line)); });
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
        path, {}, [&](const auto &sink) { WriteLogBytes(session, comment, sink); }, error);
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
