#include "settings/trafficdlg.h"


#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

TFrmTraffic::TFrmTraffic(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmTraffic"));
    setWindowTitle(QStringLiteral("Load Settings from Instrument"));
    // Fixed, no close box: the transfer ends by itself or by Cancel.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
    setModal(true);

    LblAction = new QLabel(this);
    LblAction->setObjectName(QStringLiteral("LblAction"));
    Animate = new QProgressBar(this);
    Animate->setObjectName(QStringLiteral("Animate"));
    Animate->setTextVisible(false);
    Animate->setRange(0, 1);
    PBprogress = new QProgressBar(this);
    PBprogress->setObjectName(QStringLiteral("PBprogress"));
    PBprogress->setRange(0, 0);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(LblAction);
    layout->addWidget(Animate);
    layout->addWidget(PBprogress);
    layout->addWidget(btnCancel, 0, Qt::AlignHCenter);
    setFixedWidth(360);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
}

int TFrmTraffic::Watch(TProgress &progress)
{
    if (progress.Finished)
        return QDialog::Rejected;
    Watched = &progress;
    setWindowTitle(progress.Caption);
    LblAction->setText(progress.Action);
    const std::function<void()> previous = progress.Changed;
    progress.Changed = [this, previous] {
        if (previous)
            previous();
        ShowProgress();
    };
    ShowProgress();
    const int result = exec();
    progress.Changed = previous;
    Watched = nullptr;
    return result;
}

void TFrmTraffic::btnCancelClick()
{
    if (Watched && !Watched->Finished && Watched->Cancel)
        Watched->Cancel();   // closes through ShowProgress once finished
}

void TFrmTraffic::reject()
{
    if (Watched && !Watched->Finished)
        btnCancelClick();
    else
        QDialog::reject();
}

void TFrmTraffic::ShowProgress()
{
    if (!Watched)
        return;
    // A bar of range 0..0 would show as busy; an empty transfer shows empty.
    PBprogress->setRange(0, std::max(Watched->Maximum, 1));
    PBprogress->setValue(Watched->Position);
    // Range 0..0 makes the bar move by itself: the "copying" look.
    Animate->setRange(0, Watched->Moving ? 0 : 1);
    Animate->setValue(0);
    if (Watched->Finished && isVisible())
        done(QDialog::Accepted);
}
