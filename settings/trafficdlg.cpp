#include "settings/trafficdlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

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

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(TickMs);
    connect(&Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });

    Engine.ProgressChanged = [this] { ShowProgress(); };
    Engine.Finished = [this](TTransferEngine::TOutcome outcome) { EngineFinished(outcome); };
}

void TFrmTraffic::LoadTransfer(const QStringList &commands, const QStringList &expected)
{
    Engine.LoadTransfer(commands, expected);
}

void TFrmTraffic::StartTransfer()
{
    setResult(QDialog::Rejected);
    Engine.Activate();
    SetAnimation(true);
    Timer1.start();
}

void TFrmTraffic::StopTransfer()
{
    Timer1.stop();
    SetAnimation(false);
}

void TFrmTraffic::reject()
{
    if (Engine.Running())
        btnCancelClick(); // closes through EngineFinished
    else
        QDialog::reject();
}

void TFrmTraffic::ShowProgress()
{
    // A bar of range 0..0 would show as busy; an empty transfer shows empty.
    PBprogress->setRange(0, std::max(Engine.ProgressMax, 1));
    PBprogress->setValue(Engine.ProgressPosition);
}

void TFrmTraffic::EngineFinished(TTransferEngine::TOutcome outcome)
{
    StopTransfer();
    done(outcome == TTransferEngine::TOutcome::Done ? QDialog::Accepted : QDialog::Rejected);
}

void TFrmTraffic::SetAnimation(bool on)
{
    // Range 0..0 makes the bar move by itself: the "copying" look.
    Animate->setRange(0, on ? 0 : 1);
    Animate->setValue(0);
}
