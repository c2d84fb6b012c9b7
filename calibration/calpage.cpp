#include "calibration/calpage.h"

#include "calibration/numberentry.h"
#include "settings/editorcal.h"
#include "settings/tools.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

template <typename W> W *Named(W *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

constexpr int LinearisationWeightTag = 13;

} // namespace

TCalibrationPage::TCalibrationPage(TCalSettingsFields &fields, QWidget *parent) : QWidget(parent), Fields(fields)
{
    setObjectName(QStringLiteral("CalPage"));
    EdtCalWeight = fields.EdtCalWeight;
    GBxLin = fields.GBxLin;
    LBxLCal = fields.LBxLCal;
    BuildCalibrationBox();
    BuildLinearisationBox();

    auto *steps = new QVBoxLayout;
    steps->addWidget(gbxCal);
    steps->addWidget(GBxLin);
    steps->addStretch(1);
    SideColumn = new QVBoxLayout;
    SideColumn->addWidget(&fields);
    SideColumn->addStretch(1);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(steps);
    layout->addLayout(SideColumn);
    layout->addStretch(1);
}

void TCalibrationPage::BuildCalibrationBox()
{
    gbxCal = Named(new QGroupBox(QStringLiteral("Calibration"), this), "gbxCal");
    BtnZero = Named(new QPushButton(QStringLiteral("Zero"), gbxCal), "BtnZero");
    BTnSpan = Named(new QPushButton(QStringLiteral("Span"), gbxCal), "BTnSpan");
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(BtnZero);
    buttons->addWidget(BTnSpan);
    buttons->addStretch(1);
    auto *grid = new QGridLayout(gbxCal);
    grid->addLayout(buttons, 0, 0, 1, 3);
    grid->addWidget(Fields.LblCalWeight, 1, 0);
    grid->addWidget(EdtCalWeight, 1, 1);
    grid->addWidget(Fields.lblCalWeightUnits, 1, 2);
}

void TCalibrationPage::BuildLinearisationBox()
{
    BtnLSet = Named(new QPushButton(QStringLiteral("Set"), GBxLin), "BtnLSet");
    BtnLSet->setEnabled(false);   // until a weight is typed
    BtnLClear = Named(new QPushButton(QStringLiteral("Clear"), GBxLin), "BtnLClear");
    LblLCalWeight = Named(new QLabel(QStringLiteral("Calibration Weight"), GBxLin), "LblLCalWeight");
    EdtLCalWeight = Named(new QLineEdit(GBxLin), "EdtLCalWeight");
    EdtLCalWeight->setProperty("Tag", LinearisationWeightTag);
    EdtLCalWeight->installEventFilter(this);
    connect(EdtLCalWeight, &QLineEdit::textChanged, this, [this] { EdtLCalWeightExit(); });
    LBxLCal->setFixedHeight(LBxLCal->sizeHintForRow(0) * 5 + 2 * LBxLCal->frameWidth());

    auto *grid = new QGridLayout(GBxLin);
    grid->addWidget(LBxLCal, 0, 0, 3, 2);
    grid->addWidget(BtnLSet, 0, 2);
    grid->addWidget(BtnLClear, 1, 2);
    grid->addWidget(LblLCalWeight, 3, 0);
    grid->addWidget(EdtLCalWeight, 3, 1);
    grid->addWidget(Fields.LblLCalWeightUnits, 3, 2);
}

void TCalibrationPage::AddSideBox(QWidget *box)
{
    SideColumn->insertWidget(SideColumn->count() - 1, box);
}

bool TCalibrationPage::LinearisationShown() const { return !GBxLin->isHidden(); }

QString TCalibrationPage::CalWeightText() const { return FixDecimals(EdtCalWeight->text(), SelectedDecimals()); }

QString TCalibrationPage::LCalWeightText() const { return FixDecimals(EdtLCalWeight->text(), SelectedDecimals()); }

int TCalibrationPage::SelectedPoint() const
{
    const QListWidgetItem *item = LBxLCal->currentItem();
    return item && item->isSelected() ? LBxLCal->row(item) : -1;
}

int TCalibrationPage::SelectedDecimals() const
{
    const int decimals = Decimals ? Decimals() : 0;
    return decimals >= 0 && decimals <= 5 ? decimals : 0;
}

void TCalibrationPage::EdtLCalWeightExit()
{
    BtnLSet->setEnabled(!EdtLCalWeight->text().isEmpty());
}

bool TCalibrationPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == EdtLCalWeight) {
        if (event->type() == QEvent::KeyPress)
            return NumberFieldKeyPress(*EdtLCalWeight, static_cast<const QKeyEvent &>(*event), SelectedDecimals());
        if (event->type() == QEvent::FocusOut)
            EdtLCalWeightExit();
    }
    return QWidget::eventFilter(watched, event);
}
