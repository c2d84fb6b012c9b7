#include "logging/chartview.h"

#include "logging/logchannels.h"
#include "logging/loggingsession.h"

#include <algorithm>
#include <cmath>

namespace ChartView {

namespace {
TAxisRanges Current(const TLoggingSession &logging)
{
    return {logging.TimeMin, logging.TimeMax, logging.WeightMin, logging.WeightMax};
}

void MarkZoomed(TLoggingSession &logging)
{
    if (!logging.Zoomed)
        logging.BeforeZoom = Current(logging);
    logging.Zoomed = true;
}
} // namespace

void ZoomTo(TLoggingSession &logging, double t0, double t1, double w0, double w1)
{
    // A zero-sized range would leave nothing to look at and no scale.
    if (!(t1 > t0) || !(w1 > w0))
        return;
    MarkZoomed(logging);
    logging.TimeMin = t0;
    logging.TimeMax = t1;
    logging.WeightMin = w0;
    logging.WeightMax = w1;
    logging.SetupAxesTail();
}

void ZoomByPercentage(TLoggingSession &logging, double percent)
{
    const double f = (percent - 100) / 100;
    const double dt = (logging.TimeMax - logging.TimeMin) * f;
    const double dw = (logging.WeightMax - logging.WeightMin) * f;
    ZoomTo(logging, logging.TimeMin + dt, logging.TimeMax - dt, logging.WeightMin + dw, logging.WeightMax - dw);
}

void UndoZoom(TLoggingSession &logging)
{
    logging.ManualView = false;
    if (logging.Zoomed) {
        logging.TimeMin = logging.BeforeZoom.TimeMin;
        logging.TimeMax = logging.BeforeZoom.TimeMax;
        logging.WeightMin = logging.BeforeZoom.WeightMin;
        logging.WeightMax = logging.BeforeZoom.WeightMax;
        logging.Zoomed = false;
    }
    logging.SetupAxesTail();
}

void ScrollTime(TLoggingSession &logging, double offset)
{
    logging.TimeMin += offset;
    logging.TimeMax += offset;
    emit logging.AxesChanged();
}

void ScrollWeight(TLoggingSession &logging, double offset)
{
    logging.WeightMin += offset;
    logging.WeightMax += offset;
    emit logging.AxesChanged();
}

double LastWeightTime(const TLoggingSession &logging)
{
    const TCompactLog &points = logging.Points;
    return points.Size(TLoggingSession::SeriesWeight) == 0 ? 0 : points.Last(TLoggingSession::SeriesWeight).key;
}

namespace {
bool Bounds(const TLoggingSession &logging, size_t from, double &lo, double &hi)
{
    bool found = false;
    lo = hi = 0;
    for (size_t i = from; i < logging.Traces.size(); ++i) {
        const TLogTrace &trace = logging.Traces[i];
        if (!trace.Visible)
            continue;
        // Kept up to date by each trace's overview: days of samples are
        // tens of millions of points, and this runs on a key press.
        double low = 0, high = 0;
        if (!logging.Points.Overview(int(i)).Bounds(low, high))
            continue;
        // Channel levels are drawn multiplied by the channel scale.
        const double scale = i < size_t(TLoggingSession::SeriesWeight) ? logging.ChannelScale : 1;
        lo = found ? std::min(lo, low * scale) : low * scale;
        hi = found ? std::max(hi, high * scale) : high * scale;
        found = true;
    }
    return found;
}
} // namespace

bool ShownWeightBounds(const TLoggingSession &logging, double &lo, double &hi)
{
    return Bounds(logging, 0, lo, hi);
}

void FitLoadedLog(TLoggingSession &logging)
{
    double lo = 0, hi = 0;
    if (Bounds(logging, TLoggingSession::SeriesWeight, lo, hi)) {
        double margin = (hi - lo) / 10;
        if (!(margin > 0))
            margin = hi != 0 ? std::abs(hi) / 10 : 1;
        logging.WeightMin = lo - margin;
        logging.WeightMax = hi + margin;
        logging.SetupAxesTail();
    }
    FitToData(logging);
}

void FitToData(TLoggingSession &logging)
{
    // Without points (or with one) the time axis keeps its span rather than
    // collapsing to nothing.
    const double last = LastWeightTime(logging);
    const double span = logging.TimeMax - logging.TimeMin;
    logging.TimeMin = 0;
    logging.TimeMax = last > 0 ? last : (span > 0 ? span : 10);
    double lo = 0, hi = 0;
    ShownWeightBounds(logging, lo, hi);
    double margin = (hi - lo) / 10;
    // A flat trace still gets a band around its level.
    if (!(margin > 0))
        margin = hi != 0 ? std::abs(hi) / 10 : 1;
    logging.WeightMax = hi + margin;
    logging.WeightMin = lo - margin;
    // The label step stays: it also spaces binary records. The page draws
    // the labels with a step of the span shown.
    emit logging.AxesChanged();
}

namespace {
// The next step up in the 1, 2, 5 series.
double CoarserStep(double step)
{
    const double power = std::pow(10.0, std::floor(std::log10(step)));
    const double mantissa = step / power;
    return (mantissa < 1.5 ? 2 : mantissa < 3.5 ? 5 : 10) * power;
}
} // namespace

double ReadableLabelStep(double t0, double t1, int pixels, const std::function<int(const QString &)> &textWidth)
{
    const double span = t1 - t0;
    double step = LogChannels::NiceStep(span);
    if (!(span > 0) || !std::isfinite(span) || pixels <= 0)
        return step;
    const int gap = textWidth(QStringLiteral("00"));
    // Each round at least doubles the step, so a few dozen reach any span.
    for (int round = 0; round < 64; ++round) {
        const double first = std::ceil(t0 / step) * step;
        const double last = std::floor(t1 / step) * step;
        int widest = 0;
        for (const double value : {first, first + step, last})
            widest = std::max(widest, textWidth(FormatAxisValue(value)));
        if (step / span * pixels >= widest + gap)
            break;
        step = CoarserStep(step);
    }
    return step;
}

void KeyDown(TLoggingSession &logging, TKey key, bool shift)
{
    const double tspan = logging.TimeMax - logging.TimeMin;
    const double wspan = logging.WeightMax - logging.WeightMin;
    const double part = shift ? 1 : 0.1;
    switch (key) {
    case TKey::PageUp: ZoomByPercentage(logging, 125); break;
    case TKey::PageDown: ZoomByPercentage(logging, 50); break;
    case TKey::Home: FitToData(logging); break;
    case TKey::Left: ScrollTime(logging, -tspan * part); break;
    case TKey::Right: ScrollTime(logging, tspan * part); break;
    case TKey::Up: ScrollWeight(logging, wspan * part); break;
    case TKey::Down: ScrollWeight(logging, -wspan * part); break;
    }
    emit logging.FocusChart();
}

QString FormatAxisValue(double value, const QLocale &locale)
{
    if (!std::isfinite(value))
        return QString::number(value);
    QString text = QString::number(value, 'f', 3);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.'))
        text.chop(1);
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    const bool negative = text.startsWith('-');
    const int start = negative ? 1 : 0;
    int point = text.indexOf('.');
    if (point < 0)
        point = text.size();
    // Built with "," and ".", then given the locale's own separators: a
    // German reader takes "4,000" for four.
    if (point < text.size())
        text.replace(point, 1, locale.decimalPoint());
    for (int i = point - 3; i > start; i -= 3)
        text.insert(i, locale.groupSeparator());
    return text;
}

} // namespace ChartView
