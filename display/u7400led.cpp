#include "display/u7400led.h"

#include "display/segmath.h"
#include "display/segmentfont.h"

#include <QMouseEvent>
#include <QPainter>
#include <utility>

namespace {

bool ValidRegion(int id)
{
    return id >= 1 && id <= TT7400LED::RegionCount;
}

bool ValidCell(int row, int column)
{
    return row >= 1 && row <= GridRows && column >= 1 && column <= GridColumns;
}

// The factory colours: black on green (0 and 65280 as 32-bit colour values).
const QColor DefaultOnColor(0, 0, 0);
const QColor DefaultOffColor(0, 255, 0);

} // namespace

TT7400LED::TT7400LED(QWidget *parent) : QWidget(parent)
{
    SetLCDXOffsetFactor(0);
    SetLCDYOffsetFactor(0);
    SetLCDWidthFactor(1000);
    SetLCDHeightFactor(1000);
    SetOnColor(DefaultOnColor);
    SetOnLineColor(DefaultOnColor);
    SetOffColor(DefaultOffColor);
    SetOffLineColor(DefaultOffColor);
    SetBackGroundFileName(QString());
    UpdateLayout();
}

TT7400LED::~TT7400LED() = default;

void TT7400LED::SetFactor(int32_t &factor, int32_t value)
{
    factor = value;
    UpdateLayout();
    update();
}

void TT7400LED::SetLCDXOffsetFactor(int32_t value) { SetFactor(Factors.XOffset, value); }
void TT7400LED::SetLCDYOffsetFactor(int32_t value) { SetFactor(Factors.YOffset, value); }
void TT7400LED::SetLCDWidthFactor(int32_t value) { SetFactor(Factors.Width, value); }
void TT7400LED::SetLCDHeightFactor(int32_t value) { SetFactor(Factors.Height, value); }

void TT7400LED::SetColor(QColor &color, const QColor &value)
{
    color = value;
    update();
}

void TT7400LED::SetOnColor(const QColor &value) { SetColor(Colors.On, value); }
void TT7400LED::SetOffColor(const QColor &value) { SetColor(Colors.Off, value); }
void TT7400LED::SetOnLineColor(const QColor &value) { SetColor(Colors.OnLine, value); }
void TT7400LED::SetOffLineColor(const QColor &value) { SetColor(Colors.OffLine, value); }

void TT7400LED::SetBackGroundFileName(const QString &value)
{
    BackgroundFile = value;
    update();
}

TRegionRect TT7400LED::RegionRect(int id) const
{
    return ValidRegion(id) ? Regions[id - 1] : TRegionRect{};
}

void TT7400LED::SetRegionRect(int id, const TRegionRect &rect)
{
    if (ValidRegion(id))
        Regions[id - 1] = rect;
}

void TT7400LED::SetOnRegionClick(int id, TRegionButtonPressed handler)
{
    if (ValidRegion(id))
        OnRegionClick[id - 1] = std::move(handler);
}

void TT7400LED::SetOnRegionShiftClick(int id, TRegionButtonPressed handler)
{
    if (ValidRegion(id))
        OnRegionShiftClick[id - 1] = std::move(handler);
}

bool TT7400LED::SegmentLit(int row, int column) const
{
    return ValidCell(row, column) && Lit[row - 1][column - 1];
}

void TT7400LED::SetSegmentLit(int row, int column, bool lit)
{
    if (ValidCell(row, column))
        Lit[row - 1][column - 1] = lit;
}

// ---- layout

void TT7400LED::UpdateLayout()
{
    LayoutSize = size();
    Glass = ComputeGlass(Factors, width(), height());
    RebuildRegions();
    Segments = BuildSegments(Glass, Colors);
    SegmentArea = Glass.Rect();
    for (const auto &row : Segments)
        for (const auto &segment : row)
            SegmentArea |= segment->Bounds();
    SegmentArea.adjust(-1, -1, 1, 1);   // outlines and smoothing reach one pixel out
}

// All twenty regions are rebuilt, whatever the owner filled in; unset ones
// are zero-sized at the corner and have no handlers behind them.
void TT7400LED::RebuildRegions()
{
    const int32_t w = width();
    const int32_t h = height();
    const TRegionHandler pressed = [this](int32_t id, Qt::KeyboardModifiers shift) { RegionPressed(id, shift); };
    ClickRegions.Enabled = false;
    for (int id = 1; id <= RegionCount; ++id) {
        const TRegionRect &r = Regions[id - 1];
        ClickRegions.RemoveRegion(id);
        ClickRegions.AddRegion(Frac(r.Left, w, DesignWidth), Frac(r.Top, h, DesignHeight),
                               Frac(r.Right, w, DesignWidth), Frac(r.Bottom, h, DesignHeight), id, pressed,
                               pressed, pressed, pressed);
    }
    ClickRegions.Enabled = true;
}

void TT7400LED::EnsureLayout()
{
    if (LayoutSize != size())
        UpdateLayout();
}

QRect TT7400LED::GlassRect() const
{
    return Glass.Rect();
}

QRect TT7400LED::SegmentBounds(int row, int column) const
{
    return ValidCell(row, column) ? Segments[row - 1][column - 1]->Bounds() : QRect();
}

// ---- painting

void TT7400LED::PaintSegments()
{
    update(SegmentArea);
}

void TT7400LED::PaintSegments(QPainter &canvas) const
{
    for (int row = 0; row < GridRows; ++row)
        for (int column = 0; column < GridColumns; ++column)
            Segments[row][column]->Draw(canvas, Lit[row][column]);
}

void TT7400LED::PaintControl(QPainter &canvas)
{
    EnsureLayout();
    const QImage &picture = Background.Stretched(BackgroundFile, size());
    if (!picture.isNull())
        canvas.drawImage(0, 0, picture);
    if (Glass.Width > 0 && Glass.Height > 0) {
        canvas.setPen(QPen(Colors.OffLine, 0));
        canvas.setBrush(Colors.Off);
        canvas.drawRect(QRectF(Glass.Left + 0.5, Glass.Top + 0.5, Glass.Width - 1, Glass.Height - 1));
    }
    PaintSegments(canvas);
}

void TT7400LED::paintEvent(QPaintEvent *)
{
    QPainter canvas(this);
    PaintControl(canvas);
}

void TT7400LED::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    UpdateLayout();
}

// ---- keys

void TT7400LED::mousePressEvent(QMouseEvent *event)
{
    QWidget::mousePressEvent(event);
    EnsureLayout();
    const QPoint at = event->position().toPoint();
    ClickRegions.MouseDownAt(at.x(), at.y(), event->modifiers());
    // Handled here: the press must not travel on to the page underneath.
    event->accept();
}

void TT7400LED::RegionPressed(int32_t id, Qt::KeyboardModifiers shift)
{
    if (!ValidRegion(id))
        return;
    const bool modified = shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    // A copy: the handler may replace itself while it runs.
    const TRegionButtonPressed handler = modified ? OnRegionShiftClick[id - 1] : OnRegionClick[id - 1];
    if (handler)
        handler();
}

// ---- what is shown

void TT7400LED::AllSegmentsOn()
{
    for (auto &row : Lit)
        row.fill(true);
}

void TT7400LED::AllSegmentsOff()
{
    for (auto &row : Lit)
        row.fill(false);
}

void TT7400LED::SetDigitChar(int position, QChar character)
{
    if (position < 1 || position > DisplayDigits)
        return;
    const uint8_t bits = SegmentFontBits(character);
    for (int bar = 0; bar < 7; ++bar)
        Lit[position - 1][bar] = (bits >> bar) & 1;
}

void TT7400LED::SetDecimalPoints(uint8_t bits)
{
    for (int k = 0; k <= 4; ++k)
        Lit[(5 - k) - 1][PointColumn - 1] = (bits >> k) & 1;
    Lit[DisplayDigits - 1][PointColumn - 1] = false;
}

void TT7400LED::ShowText(const QString &text)
{
    QString remaining = text;
    uint8_t points = 0;
    for (int p = 1; p <= DisplayDigits; ++p) {
        if (p > remaining.size()) {
            SetDigitChar(p, QLatin1Char(' '));
            continue;
        }
        if (remaining[p - 1] == QLatin1Char('.')) {
            if (p > 1)
                points |= uint8_t(1u << (5 - (p - 1)));
            remaining.remove(p - 1, 1);
        }
        SetDigitChar(p, p <= remaining.size() ? remaining[p - 1] : QLatin1Char(' '));
    }
    SetDecimalPoints(points);
}

void TT7400LED::ShowNumber(int32_t value, int32_t decimals)
{
    const bool negative = value < 0;
    // In 64 bits: the most negative 32-bit value has no 32-bit magnitude.
    const int64_t magnitude = negative ? -int64_t(value) : int64_t(value);
    // The sign takes digit 1: five digits are left, and dropping one would
    // show a different weight.
    if (negative && magnitude >= 100000) {
        ShowText(QStringLiteral("------"));
        return;
    }
    QString text = QString::number(magnitude);
    while (text.size() < DisplayDigits)
        text.prepend(QLatin1Char('0'));
    for (int p = 1; p < int64_t(DisplayDigits) - decimals && p <= text.size() && text[p - 1] == QLatin1Char('0'); ++p)
        text[p - 1] = QLatin1Char(' ');
    if (negative)
        text[0] = QLatin1Char('-');
    ShowText(text);
    SetDecimalPoints(decimals >= 1 && decimals <= 8 ? uint8_t(1u << (decimals - 1)) : 0);
}
