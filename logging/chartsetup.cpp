#include "logging/chartsetup.h"

#include "logging/chartview.h"
#include "logging/loggingsession.h"
#include "settings/tools.h"
#include "ui/prompts.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {
QString Fixed2(double value) { return QString::number(value, 'f', 2); }
} // namespace

TFrmChartSetup::TFrmChartSetup(const TLoggingSession &logging, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint),
      Logging(logging)
{
    setObjectName(QStringLiteral("FrmChartSetup"));
    setWindowTitle(QStringLiteral("Chart Setup"));
    setModal(true);

    EdtTstart = MakeEdit(QStringLiteral("EdtTstart"));
    EdtTend = MakeEdit(QStringLiteral("EdtTend"));
    Edtminwgt = MakeEdit(QStringLiteral("Edtminwgt"));
    EdtMaxWgt = MakeEdit(QStringLiteral("EdtMaxWgt"));
    EdtComment = new QLineEdit(this);
    EdtComment->setObjectName(QStringLiteral("EdtComment"));
    EdtComment->setMaxLength(60);
    LblMinUnits = new QLabel(this);
    LblMinUnits->setObjectName(QStringLiteral("LblMinUnits"));
    LblMaxUnits = new QLabel(this);
    LblMaxUnits->setObjectName(QStringLiteral("LblMaxUnits"));

    auto *grid = new QGridLayout;
    auto row = [this, grid](int r, const QString &caption, QLineEdit *edit, QLabel *unit) {
        grid->addWidget(new QLabel(caption, this), r, 0);
        grid->addWidget(edit, r, 1);
        if (unit)
            grid->addWidget(unit, r, 2);
    };
    row(0, QStringLiteral("Start Time"), EdtTstart, new QLabel(QStringLiteral("Secs"), this));
    row(1, QStringLiteral("End Time"), EdtTend, new QLabel(QStringLiteral("Secs"), this));
    row(2, QStringLiteral("Min Weight"), Edtminwgt, LblMinUnits);
    row(3, QStringLiteral("Max Weight"), EdtMaxWgt, LblMaxUnits);
    row(4, QStringLiteral("Comment"), EdtComment, nullptr);

    BtnAuto = new QPushButton(QStringLiteral("Auto"), this);
    BtnAuto->setObjectName(QStringLiteral("BtnAuto"));
    BtnOk = new QPushButton(QStringLiteral("OK"), this);
    BtnOk->setObjectName(QStringLiteral("BtnOk"));
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    for (QPushButton *button : {BtnAuto, BtnOk, BtnCancel})
        button->setAutoDefault(false);
    connect(BtnAuto, &QPushButton::clicked, this, &TFrmChartSetup::BtnAutoClick);
    connect(BtnOk, &QPushButton::clicked, this, &TFrmChartSetup::BtnOkClick);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(BtnAuto);
    buttons->addStretch();
    buttons->addWidget(BtnOk);
    buttons->addWidget(BtnCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QLineEdit *TFrmChartSetup::MakeEdit(const QString &name)
{
    auto *edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->installEventFilter(this);
    return edit;
}

void TFrmChartSetup::SetWeightDecimals(int decimals)
{
    WeightDecimalsValue = std::clamp(decimals, 0, 5);
}

bool TFrmChartSetup::IsTimeEdit(const QObject *edit) const { return edit == EdtTstart || edit == EdtTend; }
bool TFrmChartSetup::IsWeightEdit(const QObject *edit) const { return edit == Edtminwgt || edit == EdtMaxWgt; }

bool TFrmChartSetup::eventFilter(QObject *watched, QEvent *event)
{
    auto *edit = qobject_cast<QLineEdit *>(watched);
    if (edit && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        return IsTimeEdit(edit) ? EdtXaxisKeyPress(edit, key) : EdtYaxisKeyPress(edit, key);
    }
    if (edit && event->type() == QEvent::FocusOut) {
        // Checked once the focus has settled: a message box opened inside
        // the focus change would fight it, and a press on Cancel is no
        // reason to complain about a value that is being thrown away.
        QTimer::singleShot(0, this, [this, edit] { CheckOnLeaving(edit); });
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmChartSetup::CheckOnLeaving(QLineEdit *edit)
{
    if (!isVisible() || QApplication::focusWidget() == BtnCancel || QApplication::focusWidget() == edit)
        return;
    if (IsTimeEdit(edit))
        EdtXaxisExit(edit);
    else
        EdtYaxisExit(edit);
}

bool TFrmChartSetup::FilterKey(QLineEdit *edit, QKeyEvent *event, int decimals)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        edit->setText(FixDecimals(edit->text(), decimals));
        return true;
    }
    const QString text = event->text();
    if (text.size() != 1)
        return false;
    const QChar c = text[0];
    if (c.unicode() < 0x20 || (c >= '0' && c <= '9'))
        return false;
    if (c == ' ' || c == '+' || c == ',' || c == '-' || c == '.')
        return false;
    return true;
}

bool TFrmChartSetup::EdtXaxisKeyPress(QLineEdit *edit, QKeyEvent *event)
{
    return FilterKey(edit, event, 0);
}

bool TFrmChartSetup::EdtYaxisKeyPress(QLineEdit *edit, QKeyEvent *event)
{
    return FilterKey(edit, event, WeightDecimalsValue);
}

void TFrmChartSetup::OutOfRange(QLineEdit *edit, const QString &low, const QString &high)
{
    Prompts().Message(QStringLiteral("Out of Range: (%1 to %2)").arg(low, high), TPrompts::Kind::Error);
    edit->setFocus();
}

bool TFrmChartSetup::EdtXaxisExit(QLineEdit *edit)
{
    edit->setText(FixDecimals(edit->text(), 0));
    const qint32 v = ParseCounts(edit->text());
    if (v >= TimeLow && v <= TimeHigh)
        return true;
    OutOfRange(edit, FormatCounts(TimeLow, 0), FormatCounts(TimeHigh, 0));
    return false;
}

bool TFrmChartSetup::EdtYaxisExit(QLineEdit *edit)
{
    edit->setText(FixDecimals(edit->text(), WeightDecimalsValue));
    const qint32 v = ParseCounts(edit->text());
    if (v >= -WeightLimit && v <= WeightLimit)
        return true;
    OutOfRange(edit, FormatCounts(-WeightLimit, WeightDecimalsValue), FormatCounts(WeightLimit, WeightDecimalsValue));
    return false;
}

void TFrmChartSetup::BtnAutoClick()
{
    EdtTstart->setText(QStringLiteral("0"));
    EdtTend->setText(Fixed2(ChartView::LastWeightTime(Logging)));
    double lo = 0, hi = 0;
    ChartView::ShownWeightBounds(Logging, lo, hi);
    const double margin = (hi - lo) / 10;
    EdtMaxWgt->setText(Fixed2(hi + margin));
    Edtminwgt->setText(Fixed2(lo - margin));
}

void TFrmChartSetup::BtnOkClick()
{
    const double start = ParseDecimal(EdtTstart->text());
    const double end = ParseDecimal(EdtTend->text());
    if (!(end > start)) {
        Prompts().Message(QStringLiteral("Start time MUST be less than End time!"), TPrompts::Kind::Warning);
        return;
    }
    const double min = ParseDecimal(Edtminwgt->text());
    const double max = ParseDecimal(EdtMaxWgt->text());
    if (!(max > min)) {
        Prompts().Message(QStringLiteral("Min weight MUST be less than Max weight!"), TPrompts::Kind::Warning);
        return;
    }
    accept();
}

namespace ChartSetup {

void Run(TFrmChartSetup &dialog, TLoggingSession &logging, QLabel &comment, int weightDecimals)
{
    dialog.SetWeightDecimals(weightDecimals);
    dialog.EdtTstart->setText(Fixed2(logging.TimeMin));
    dialog.EdtTend->setText(Fixed2(logging.TimeMax));
    dialog.EdtMaxWgt->setText(Fixed2(logging.WeightMax));
    dialog.Edtminwgt->setText(Fixed2(logging.WeightMin));
    dialog.LblMinUnits->setText(logging.UnitsText);
    dialog.LblMaxUnits->setText(logging.UnitsText);
    dialog.EdtComment->setText(comment.text());
    if (Prompts().Exec(dialog) != QDialog::Accepted)
        return;
    comment.setText(dialog.EdtComment->text());
    const double t0 = ParseDecimal(dialog.EdtTstart->text()), t1 = ParseDecimal(dialog.EdtTend->text());
    const double w0 = ParseDecimal(dialog.Edtminwgt->text()), w1 = ParseDecimal(dialog.EdtMaxWgt->text());
    // OK has checked the order; an accept that bypassed it changes nothing
    // rather than turn an axis inside out.
    if (!(t1 > t0) || !(w1 > w0))
        return;
    // The dialog has checked that each minimum lies below its maximum, so
    // both ends are taken together; the label step and the channel scale
    // stay as they are.
    logging.TimeMin = t0;
    logging.TimeMax = t1;
    logging.WeightMin = w0;
    logging.WeightMax = w1;
    emit logging.AxesChanged();
}

} // namespace ChartSetup
