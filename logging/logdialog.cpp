#include "logging/logdialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QComboBox *MakeList(const QString &name, const QStringList &items, QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems(items);
    box->setEditable(false);
    return box;
}

int IndexOrFirst(const QComboBox *box) { return std::max(box->currentIndex(), 0); }
} // namespace

TFrmLogDialog::TFrmLogDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("FrmLogDialog"));
    setWindowTitle(QStringLiteral("Logging"));
    setModal(true);

    auto *rateRow = new QHBoxLayout;
    rateRow->addWidget(new QLabel(QStringLiteral("Sample Rate"), this));
    CBLogRate = MakeList(QStringLiteral("CBLogRate"), LogChannels::RateTexts(), this);
    rateRow->addWidget(CBLogRate);

    gboxSingle = new QGroupBox(QStringLiteral("Single Indicator"), this);
    gboxSingle->setObjectName(QStringLiteral("gboxSingle"));
    auto *channels = new QFormLayout(gboxSingle);
    for (int i = 0; i < LogChannels::ChannelCount; ++i) {
        CBxDig[size_t(i)] = MakeList(QStringLiteral("CBxDig%1").arg(i + 1), LogChannels::ChoiceTexts(), gboxSingle);
        channels->addRow(QStringLiteral("Digital %1").arg(i + 1), CBxDig[size_t(i)]);
    }

    BtnOk = new QPushButton(QStringLiteral("Ok"), this);
    BtnOk->setObjectName(QStringLiteral("BtnOk"));
    BtnOk->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    connect(BtnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnOk);
    buttons->addWidget(BtnCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(rateRow);
    layout->addWidget(gboxSingle);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

TLogChoices TFrmLogDialog::Choices() const
{
    TLogChoices choices;
    choices.Rate = IndexOrFirst(CBLogRate);
    for (size_t i = 0; i < CBxDig.size(); ++i)
        choices.Channels[i] = IndexOrFirst(CBxDig[i]);
    return choices;
}

void TFrmLogDialog::SetChoices(const TLogChoices &choices)
{
    CBLogRate->setCurrentIndex(std::clamp(choices.Rate, 0, int(CBLogRate->count()) - 1));
    for (size_t i = 0; i < CBxDig.size(); ++i)
        CBxDig[i]->setCurrentIndex(LogChannels::Listed(choices.Channels[i]));
}
