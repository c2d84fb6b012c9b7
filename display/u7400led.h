#pragma once
// TT7400LED: the on-screen replica of the instrument's display. Six
// seven-segment digits with decimal points, eight round lamps under them and
// a column of unit labels, painted on a glass rectangle over an optional
// picture of the instrument's front; rectangles of that picture act as keys.
//
// The control knows nothing of the instrument. Its owner decides what is lit
// (ShowNumber, ShowText, SetDigitChar, SetDecimalPoints, SetSegmentLit,
// AllSegmentsOn/Off) and then calls PaintSegments(); none of those calls
// repaints by itself. Property setters repaint at once.
//
// Key events: each of the 20 key regions has two handlers, a plain press
// (SetOnRegionClick) and a press with Shift, Ctrl or Alt held
// (SetOnRegionShiftClick). They are plain std::function<void()>, one pair
// per region, because the owner wires each key to its own action; an unset
// handler means the key does nothing.
//
// Key regions are given in a design space 600 units wide and 400 high and
// follow the control's size. Set them with SetRegionRect, then call
// UpdateLayout.
//
// Colours are taken by the segments when they are built: after changing a
// colour, call UpdateLayout to see it on the segments (the glass follows
// OffColor/OffLineColor at once).

#include "display/backgroundpicture.h"
#include "display/lcdlayout.h"
#include "display/mouseregion.h"

#include <QColor>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

using TRegionButtonPressed = std::function<void()>;

// Left, top, right and bottom of a key region in design units (600 × 400).
struct TRegionRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
};

class TT7400LED : public QWidget {
    Q_OBJECT

public:
    static constexpr int RegionCount = 20;
    static constexpr int DesignWidth = 600;
    static constexpr int DesignHeight = 400;

    explicit TT7400LED(QWidget *parent = nullptr);
    ~TT7400LED() override;

    // Glass left, top, width and height in thousandths of the control.
    int32_t LCDXOffsetFactor() const { return Factors.XOffset; }
    int32_t LCDYOffsetFactor() const { return Factors.YOffset; }
    int32_t LCDWidthFactor() const { return Factors.Width; }
    int32_t LCDHeightFactor() const { return Factors.Height; }
    void SetLCDXOffsetFactor(int32_t value);
    void SetLCDYOffsetFactor(int32_t value);
    void SetLCDWidthFactor(int32_t value);
    void SetLCDHeightFactor(int32_t value);

    QColor OnColor() const { return Colors.On; }
    QColor OffColor() const { return Colors.Off; }
    QColor OnLineColor() const { return Colors.OnLine; }
    QColor OffLineColor() const { return Colors.OffLine; }
    void SetOnColor(const QColor &value);
    void SetOffColor(const QColor &value);
    void SetOnLineColor(const QColor &value);
    void SetOffLineColor(const QColor &value);

    // The picture stretched under everything; empty for none. A file that is
    // missing or cannot be read paints nothing.
    QString backGroundFileName() const { return BackgroundFile; }
    void SetBackGroundFileName(const QString &value);

    // Regions 1..20; other numbers are ignored (or read as all zero).
    TRegionRect RegionRect(int id) const;
    void SetRegionRect(int id, const TRegionRect &rect);
    void SetOnRegionClick(int id, TRegionButtonPressed handler);
    void SetOnRegionShiftClick(int id, TRegionButtonPressed handler);

    // Rows and columns 1..8 as in lcdlayout.h; outside that, reads false
    // and writes nothing.
    bool SegmentLit(int row, int column) const;
    void SetSegmentLit(int row, int column, bool lit);

    // Recomputes the glass, the key regions and every segment for the
    // current size, factors and colours. The lit state is kept.
    void UpdateLayout();

    // Asks for the segments to be painted in their current state (Qt paints
    // only from the paint event, so this schedules the area they cover).
    void PaintSegments();
    // Draws all 64 segments on the painter, erasing nothing else.
    void PaintSegments(QPainter &canvas) const;
    // The whole control: picture, glass, segments. What a repaint draws.
    void PaintControl(QPainter &canvas);

    void AllSegmentsOn();
    void AllSegmentsOff();
    // A signed number right-aligned with decimals places after the point;
    // the minus sign stands on digit 1. A negative number whose sign would
    // have to replace a digit shows six dashes, as an overload does.
    void ShowNumber(int32_t value, int32_t decimals);
    // Up to six characters; a "." lights the point of the digit before it.
    void ShowText(const QString &text);
    // Bars a..g of one digit (1..6) from the segment font.
    void SetDigitChar(int position, QChar character);
    // Bit k (0..4) lights the point right of digit 5 - k; digit 6 has none.
    void SetDecimalPoints(uint8_t bits);

    // Installed as the handler of every region and modifier; fires the
    // region's plain or modified handler.
    virtual void RegionPressed(int32_t id, Qt::KeyboardModifiers shift);

    // Layout in pixels, for the owner's and the tests' use.
    QRect GlassRect() const;
    QRect SegmentBounds(int row, int column) const;
    // What PaintSegments() repaints: the glass and every segment.
    QRect SegmentsArea() const { return SegmentArea; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    TLCDFactors Factors;
    TSegmentColors Colors;
    QString BackgroundFile;
    TBackgroundPicture Background;

    std::array<TRegionRect, RegionCount> Regions{};
    std::array<TRegionButtonPressed, RegionCount> OnRegionClick;
    std::array<TRegionButtonPressed, RegionCount> OnRegionShiftClick;
    TClickRegion ClickRegions;

    std::array<std::array<bool, GridColumns>, GridRows> Lit{};
    TSegmentGrid Segments;
    TGlass Glass;
    QRect SegmentArea;     // glass and every segment, for PaintSegments()
    QSize LayoutSize{-1, -1};

    void EnsureLayout();
    void RebuildRegions();
    void SetFactor(int32_t &factor, int32_t value);
    void SetColor(QColor &color, const QColor &value);
};
