#include "logging/logdialog.h"

#include "ui/prompts.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
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

    GBxLogUnits = new QGroupBox(QStringLiteral("Units"), this);
    GBxLogUnits->setObjectName(QStringLiteral("GBxLogUnits"));
    LBxLogUnits = new QListWidget(GBxLogUnits);
    LBxLogUnits->setObjectName(QStringLiteral("LBxLogUnits"));
    LBxLogUnits->setToolTip(QStringLiteral("Units found on the line: tick those to log, each polled in turn"));
    LBxLogUnits->setFixedHeight(4 * LBxLogUnits->fontMetrics().lineSpacing() + 2 * LBxLogUnits->frameWidth() + 4);
    EdtLogUnits = new QLineEdit(GBxLogUnits);
    EdtLogUnits->setObjectName(QStringLiteral("EdtLogUnits"));
    EdtLogUnits->setPlaceholderText(QStringLiteral("such as 1, 2, 5"));
    EdtLogUnits->setToolTip(QStringLiteral("Other unit addresses to log, 1 to 31, separated by commas"));
    auto *units = new QFormLayout(GBxLogUnits);
    units->addRow(LBxLogUnits);
    units->addRow(QStringLiteral("Other addresses"), EdtLogUnits);

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
    layout->addWidget(GBxLogUnits);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

TLogChoices TFrmLogDialog::Choices() const
{
    TLogChoices choices;
    choices.Rate = IndexOrFirst(CBLogRate);
    for (size_t i = 0; i < CBxDig.size(); ++i)
        choices.Channels[i] = IndexOrFirst(CBxDig[i]);
    choices.Units = Ticked();
    QList<int> typed;
    if (LogUnits::Parse(EdtLogUnits->text(), &typed, nullptr))
        for (int unit : std::as_const(typed))
            if (!choices.Units.contains(unit))
                choices.Units << unit;
    return choices;
}

QList<int> TFrmLogDialog::Ticked() const
{
    QList<int> units;
    for (int i = 0; i < LBxLogUnits->count(); ++i)
        if (LBxLogUnits->item(i)->checkState() == Qt::Checked)
            units << LBxLogUnits->item(i)->data(Qt::UserRole).toInt();
    return units;
}

void TFrmLogDialog::OfferUnits(const QList<int> &known, int connectedUnit)
{
    ConnectedUnit = connectedUnit;
    const QList<int> chosen = Choices().Units;
    LBxLogUnits->clear();
    QList<int> offered;
    for (int unit : known)
        if (unit >= LogUnits::FirstAddress && unit <= LogUnits::LastAddress && !offered.contains(unit))
            offered << unit;
    if (connectedUnit >= LogUnits::FirstAddress && connectedUnit <= LogUnits::LastAddress
        && !offered.contains(connectedUnit))
        offered.prepend(connectedUnit);
    std::sort(offered.begin(), offered.end());
    QList<int> others;
    for (int unit : chosen)
        if (!offered.contains(unit))
            others << unit;
    for (int unit : std::as_const(offered)) {
        auto *item = new QListWidgetItem(unit == connectedUnit ? QStringLiteral("Unit %1 (connected)").arg(unit)
                                                               : QStringLiteral("Unit %1").arg(unit),
                                         LBxLogUnits);
        item->setData(Qt::UserRole, unit);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(chosen.contains(unit) ? Qt::Checked : Qt::Unchecked);
    }
    EdtLogUnits->setText(LogUnits::Text(others));
}

QString TFrmLogDialog::Problem() const
{
    QList<int> typed;
    QString error;
    if (!LogUnits::Parse(EdtLogUnits->text(), &typed, &error))
        return error;
    return LogUnits::Problem(IndexOrFirst(CBLogRate), Choices().Units, ConnectedUnit);
}

void TFrmLogDialog::accept()
{
    // Stays open for the operator to put it right.
    if (const QString problem = Problem(); !problem.isEmpty()) {
        Prompts().Message(problem, TPrompts::Kind::Warning);
        return;
    }
    QDialog::accept();
}

void TFrmLogDialog::SetChoices(const TLogChoices &choices)
{
    CBLogRate->setCurrentIndex(std::clamp(choices.Rate, 0, int(CBLogRate->count()) - 1));
    for (size_t i = 0; i < CBxDig.size(); ++i)
        CBxDig[i]->setCurrentIndex(LogChannels::Listed(choices.Channels[i]));
    // No choice logs the unit connected to: it is shown ticked.
    QList<int> units;
    for (int unit : choices.Units)
        if (unit >= LogUnits::FirstAddress && unit <= LogUnits::LastAddress)
            units << unit;
    if (units.isEmpty() && ConnectedUnit >= LogUnits::FirstAddress && ConnectedUnit <= LogUnits::LastAddress)
        units << ConnectedUnit;
    QStringList typed;
    for (int i = 0; i < LBxLogUnits->count(); ++i) {
        QListWidgetItem *item = LBxLogUnits->item(i);
        const int unit = item->data(Qt::UserRole).toInt();
        item->setCheckState(units.contains(unit) ? Qt::Checked : Qt::Unchecked);
        units.removeAll(unit);
    }
    EdtLogUnits->setText(LogUnits::Text(units));
}
