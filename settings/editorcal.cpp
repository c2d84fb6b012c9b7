#include "settings/editorcal.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace {

template <typename W>
W *Named(W *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

TCalSettingsFields::TCalSettingsFields(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("CalSettings"));
    auto *form = new QFormLayout(this);
    edtCalDirectZero = Named(new QLineEdit(this), "edtCalDirectZero");
    LblCalDirectZero = Named(new QLabel(QStringLiteral("Zero (mV/V)"), this), "LblCalDirectZero");
    form->addRow(LblCalDirectZero, edtCalDirectZero);
    edtCalDirectSpan = Named(new QLineEdit(this), "edtCalDirectSpan");
    LblCalDirectSpan = Named(new QLabel(QStringLiteral("Span (mV/V)"), this), "LblCalDirectSpan");
    form->addRow(LblCalDirectSpan, edtCalDirectSpan);

    // The span weight and the linearisation box are laid out by the
    // Calibration page, beside the calibration steps that use them.
    LblCalWeight = Named(new QLabel(QStringLiteral("Span Weight"), this), "LblCalWeight");
    EdtCalWeight = Named(new QLineEdit(this), "EdtCalWeight");
    EdtCalWeight->setProperty("Tag", 12);
    lblCalWeightUnits = Named(new QLabel(this), "lblCalWeightUnits");

    GBxLin = Named(new QGroupBox(QStringLiteral("Linearisation"), this), "GBxLin");
    LBxLCal = Named(new QListWidget(GBxLin), "LBxLCal");
    for (int point = 1; point <= 5; ++point)
        LBxLCal->addItem(QStringLiteral("%1:").arg(point));
    LblLCalWeightUnits = Named(new QLabel(GBxLin), "LblLCalWeightUnits");
}
