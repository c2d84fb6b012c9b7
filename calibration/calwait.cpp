#include "calibration/calwait.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TFrmCalWait::TFrmCalWait(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmCalWait"));
    setWindowTitle(QStringLiteral("Calibration"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    LblWait = new QLabel(QStringLiteral("Calibrating.  Waiting for the instrument..."), this);
    LblWait->setObjectName(QStringLiteral("LblWait"));
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(LblWait);
    layout->addWidget(BtnCancel, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(BtnCancel, &QPushButton::clicked, this, &TFrmCalWait::reject);
}

void TFrmCalWait::Begin()
{
    LblWait->setText(QStringLiteral("Calibrating.  Waiting for the instrument..."));
    Waiting = true;
    show();
    raise();
}

void TFrmCalWait::ShowProgress(int progress)
{
    LblWait->setText(QStringLiteral("Calibrating.  The instrument reports %1 (%2).")
                         .arg(progress)
                         .arg(progress == 0 ? QStringLiteral("settled") : QStringLiteral("busy")));
}

void TFrmCalWait::End()
{
    Waiting = false;
    hide();
}

void TFrmCalWait::reject()
{
    // Hiding is the wait's business: the box stays until the step has
    // really stopped.
    if (Waiting && OnCancel)
        OnCancel();
}
