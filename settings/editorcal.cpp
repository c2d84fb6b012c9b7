#include "settings/editorcal.h"

#include "ui/objectname.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

TCalSettingsFields::TCalSettingsFields(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("CalSettings"));
    auto *form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);   // the group box draws the frame
    BuildDirectGroup();
    form->addRow(gbxMVCal);

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

    for (QLineEdit *edit : {EdtCalWeight, edtCalDirectZero, edtCalDirectSpan})
        connect(edit, &QLineEdit::textEdited, this, [this, edit] { Typed.insert(edit); });
}

void TCalSettingsFields::Show(QLineEdit *edit, const QString &text,
                              const std::function<bool(const QString &typed)> &held)
{
    if (Typed.contains(edit)) {
        if (!held(edit->text()))
            return;
        Typed.remove(edit);
    }
    edit->setText(text);
}

void TCalSettingsFields::Clear(QLineEdit *edit)
{
    Typed.remove(edit);
    edit->clear();
}

void TCalSettingsFields::BuildDirectGroup()
{
    gbxMVCal = Named(new QGroupBox(QStringLiteral("Direct mV/V Calibration"), this), "gbxMVCal");
    auto *grid = new QGridLayout(gbxMVCal);
    auto row = [this, grid](int at, QLabel *label, QLineEdit *edit) {
        grid->addWidget(label, at, 0);
        grid->addWidget(edit, at, 1);
        grid->addWidget(new QLabel(QStringLiteral("mV/V"), gbxMVCal), at, 2);
    };
    LblCalDirectZero = Named(new QLabel(QStringLiteral("Zero"), gbxMVCal), "LblCalDirectZero");
    edtCalDirectZero = Named(new QLineEdit(gbxMVCal), "edtCalDirectZero");
    row(0, LblCalDirectZero, edtCalDirectZero);
    LblCalDirectSpan = Named(new QLabel(QStringLiteral("Fullscale"), gbxMVCal), "LblCalDirectSpan");
    edtCalDirectSpan = Named(new QLineEdit(gbxMVCal), "edtCalDirectSpan");
    row(1, LblCalDirectSpan, edtCalDirectSpan);
    btnCalDirect = Named(new QPushButton(QStringLiteral("Calibrate"), gbxMVCal), "btnCalDirect");
    grid->addWidget(btnCalDirect, 2, 1);
}
