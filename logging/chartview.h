#pragma once
// How the user looks at the logging chart, free of widgets: rectangle zoom
// and undo, zoom by percentage, scrolling, fitting the axes to the data and
// the keys that do these. Everything works on the axis state a
// TLoggingSession holds; the Log page applies that state to its chart.

#include <QLocale>
#include <QString>
#include <functional>

class TLoggingSession;

namespace ChartView {

// A rectangle (or percentage) zoom to the given ranges: the first zoom keeps
// the ranges before it for the undo; then the axis set-up tail runs.
void ZoomTo(TLoggingSession &logging, double t0, double t1, double w0, double w1);
// Every axis keeps its centre and each end moves inwards by
// span * (percent - 100) / 100: 125 halves the span, 50 doubles it.
void ZoomByPercentage(TLoggingSession &logging, double percent);
// Back to the ranges before the first zoom; the view follows samples again.
void UndoZoom(TLoggingSession &logging);
// Adds the offset to both ends of an axis, without limit.
void ScrollTime(TLoggingSession &logging, double offset);
void ScrollWeight(TLoggingSession &logging, double offset);
// Time from 0 to the last sample; weight around the shown traces' values
// with a tenth of their spread as margin.
void FitToData(TLoggingSession &logging);

// A loaded log's view: the weight axis fitted to its weights (not to a
// full scale that is not the file's), the channel bands scaled to that,
// then the fit to data.
void FitLoadedLog(TLoggingSession &logging);

// The largest and smallest values, in weight units, of the shown traces
// (channel levels times the channel scale); false (and 0, 0) when none has
// points.
bool ShownWeightBounds(const TLoggingSession &logging, double &lo, double &hi);
// The time of the last point of SeriesWeight; 0 without points.
double LastWeightTime(const TLoggingSession &logging);

enum class TKey { PageUp, PageDown, Home, Left, Right, Up, Down };
// The Log page's navigation keys.
void KeyDown(TLoggingSession &logging, TKey key, bool shift);

// A value as the axis labels and the cursor read-out show it, "#,##0.###":
// grouped thousands and up to three decimals, with the separators of the
// locale (the user's on screen; files keep "." and never come here).
QString FormatAxisValue(double value, const QLocale &locale = QLocale());

// The time-axis label step for the view t0..t1 drawn `pixels` wide: the
// rounded step of the span, made coarser (1, 2, 5 times a power of ten)
// until neighbouring labels, as wide as `textWidth` measures them, no
// longer touch.
double ReadableLabelStep(double t0, double t1, int pixels, const std::function<int(const QString &)> &textWidth);

} // namespace ChartView
