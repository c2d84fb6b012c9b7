#include "link/comdialog.h"

#include "link/findpanel.h"
#include "link/portlist.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

TRadioGroup::TRadioGroup(const QString &name, const QString &caption, const QStringList &items, int columns,
                         QWidget *parent)
    : QGroupBox(caption, parent), Group(new QButtonGroup(this))
{
    setObjectName(name);
    columns = qMax(1, columns);
    const int rows = (int(items.size()) + columns - 1) / columns;
    auto *grid = new QGridLayout(this);
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items.at(i), this);
        button->setObjectName(name + QString::number(i));
        Group->addButton(button, i);
        grid->addWidget(button, i % rows, i / rows);
        Buttons << button;
    }
    // Tab lands on the checked choice only (arrows move within the group).
    connect(Group, &QButtonGroup::buttonToggled, this, [this] { FollowCheckedForTab(); });
    FollowCheckedForTab();
}

void TRadioGroup::FollowCheckedForTab()
{
    const int checked = ItemIndex();
    for (int i = 0; i < Count(); ++i)
        Buttons.at(i)->setFocusPolicy(i == checked || (checked < 0 && i == 0) ? Qt::StrongFocus : Qt::ClickFocus);
}

QString TRadioGroup::ItemText(int index) const
{
    const QRadioButton *button = Button(index);
    return button ? button->text() : QString();
}

int TRadioGroup::IndexOf(const QString &text) const
{
    for (int i = 0; i < Count(); ++i)
        if (Buttons.at(i)->text() == text)
            return i;
    return -1;
}

int TRadioGroup::ItemIndex() const { return Group->checkedId(); }

void TRadioGroup::SetItemIndex(int index)
{
    if (index >= 0 && index < Count()) {
        Buttons.at(index)->setChecked(true);
        return;
    }
    // An exclusive group will not let its checked button go; lift that briefly.
    Group->setExclusive(false);
    for (QRadioButton *button : std::as_const(Buttons))
        button->setChecked(false);
    Group->setExclusive(true);
}

TFrmComDialog::TFrmComDialog(const QStringList &portNames, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmComDialog"));
    setWindowTitle(QStringLiteral("Connection Settings"));
    // A fixed border with only the system menu: no resizing, no help button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    CreateControls(portNames);
    FormCreate();
}

void TFrmComDialog::CreateControls(const QStringList &portNames)
{
    GBSerial = new QGroupBox(QStringLiteral("Serial Settings"), this);
    GBSerial->setObjectName(QStringLiteral("GBSerial"));
    CBPort = new QComboBox(GBSerial);
    CBPort->setObjectName(QStringLiteral("CBPort"));
    // Any path may be typed (a stable /dev/serial/by-id name above all); a
    // listed port shows its by-id name beside it, its path is what counts.
    CBPort->setEditable(true);
    CBPort->setInsertPolicy(QComboBox::NoInsert);
    for (const QString &port : portNames) {
        const QString stable = StableNameOf(port);
        CBPort->addItem(stable.isEmpty() ? port : QStringLiteral("%1  (%2)").arg(port, stable), port);
    }
    CBPort->setMinimumContentsLength(12);
    CBPort->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    RGBaud = new TRadioGroup(QStringLiteral("RGBaud"), QStringLiteral("Baud"),
                             {"1200", "2400", "4800", "9600", "19200", "57600"}, 2, GBSerial);
    RGParity = new TRadioGroup(QStringLiteral("RGParity"), QStringLiteral("Parity"), {"None", "Odd", "Even"}, 1,
                               GBSerial);
    RGData = new TRadioGroup(QStringLiteral("RGData"), QStringLiteral("Data Bits"), {"7", "8"}, 2, GBSerial);
    RGStop = new TRadioGroup(QStringLiteral("RGStop"), QStringLiteral("Stop Bits"), {"1", "2"}, 2, GBSerial);

    auto *portLabel = new QLabel(QStringLiteral("Port"), GBSerial);
    portLabel->setBuddy(CBPort);
    auto *serialGrid = new QGridLayout(GBSerial);
    serialGrid->addWidget(portLabel, 0, 0);
    serialGrid->addWidget(CBPort, 0, 1);
    serialGrid->addWidget(RGBaud, 1, 0);
    serialGrid->addWidget(RGParity, 1, 1);
    serialGrid->addWidget(RGData, 2, 0);
    serialGrid->addWidget(RGStop, 2, 1);

    GBUnitAddress = new QGroupBox(QStringLiteral("Unit Address"), this);
    GBUnitAddress->setObjectName(QStringLiteral("GBUnitAddress"));
    CBAddress = new QComboBox(GBUnitAddress);
    CBAddress->setObjectName(QStringLiteral("CBAddress"));
    CBAddress->addItem(QStringLiteral("Any"));
    for (int address = 1; address <= MaxAddress; ++address)
        CBAddress->addItem(QString::number(address));
    auto *addressRow = new QHBoxLayout(GBUnitAddress);
    addressRow->addWidget(CBAddress);
    addressRow->addStretch();

    BtnOk = new QPushButton(QStringLiteral("Ok"), this);
    BtnOk->setObjectName(QStringLiteral("BtnOk"));
    BtnOk->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    connect(BtnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject); // Esc cancels too
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnOk);
    buttons->addWidget(BtnCancel);

    CreateFindPanel();
    // Top to bottom, left to right, as the operator reads the form.
    QWidget *order[] = {CBPort, RGBaud, RGParity, RGData, RGStop, CBAddress, FindPanel->BtnFind, BtnOk, BtnCancel};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    auto *column = new QVBoxLayout(this);
    column->addWidget(GBSerial);
    column->addWidget(GBUnitAddress);
    column->addWidget(FindPanel);
    column->addLayout(buttons);
}

void TFrmComDialog::CreateFindPanel()
{
    FindPanel = new TFindPanel(this);
    FindPanel->Ports = [this] {
        QStringList listed;
        for (int i = 0; i < CBPort->count(); ++i)
            listed << CBPort->itemText(i);
        return TInstrumentFinder::PortOrder(PortName(), listed);
    };
    // Only rates the dialog can show: a find must end in settings to confirm.
    FindPanel->Bauds = [this] {
        QList<int> offered;
        for (int rate : TInstrumentFinder::CommonBaudRates())
            if (RGBaud->IndexOf(QString::number(rate)) >= 0)
                offered << rate;
        return TInstrumentFinder::BaudOrder(BaudRate(), offered);
    };
    FindPanel->Take = [this](const TFoundInstrument &found) {
        SelectPort(found.Port);
        SelectBaudRate(found.BaudRate);
        SelectDataBits(found.DataBits);
        SelectStopBits(found.StopBits);
        SelectParity(found.Parity);
        SelectUnitAddress(found.UnitAddress);
    };
    FindPanel->Searching = [this](bool searching) {
        for (QWidget *control : {static_cast<QWidget *>(GBSerial), static_cast<QWidget *>(GBUnitAddress),
                                 static_cast<QWidget *>(BtnOk)})
            control->setEnabled(!searching);
    };
    // Closing the dialog ends a search and frees its port.
    connect(this, &QDialog::finished, FindPanel, &TFindPanel::Cancel);
}

void TFrmComDialog::FormCreate()
{
    SelectPort(QStringLiteral("COM1"));
    SelectBaudRate(9600);
    SelectDataBits(8);
    SelectStopBits(1);
    SelectParity(0);
    SelectUnitAddress(AnyAddress);

    // GBSerial sits Margin pixels from the left edge; the dialog is as wide as
    // GBSerial plus twice that offset plus another Margin.
    layout()->setContentsMargins(Margin, Margin, 2 * Margin, Margin);
    layout()->activate();
    const int width = GBSerial->sizeHint().width() + 3 * Margin;
    setFixedSize(qMax(width, sizeHint().width()), sizeHint().height());
    if (const QScreen *where = screen())
        move(where->availableGeometry().center() - rect().center());
}

void TFrmComDialog::SelectPort(const QString &name)
{
    CBPort->setCurrentIndex(CBPort->findData(name, Qt::UserRole, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void TFrmComDialog::showEvent(QShowEvent *event)
{
    // Nothing stored yet (or the stored port is gone): a lone port is the one
    // meant, and an empty box would only make the operator pick it.
    if (CBPort->currentIndex() < 0 && CBPort->count() == 1)
        CBPort->setCurrentIndex(0);
    QDialog::showEvent(event);
}

void TFrmComDialog::SelectBaudRate(int baud) { RGBaud->SetItemIndex(RGBaud->IndexOf(QString::number(baud))); }
void TFrmComDialog::SelectDataBits(int bits) { RGData->SetItemIndex(RGData->IndexOf(QString::number(bits))); }
void TFrmComDialog::SelectStopBits(int bits) { RGStop->SetItemIndex(RGStop->IndexOf(QString::number(bits))); }

void TFrmComDialog::SelectParity(int parity) { RGParity->SetItemIndex(parity == 1 || parity == 2 ? parity : 0); }

void TFrmComDialog::SelectUnitAddress(int address)
{
    if (address == AnyAddress)
        address = 0;
    CBAddress->setCurrentIndex(address >= 0 && address <= MaxAddress ? address : -1);
}

QString TFrmComDialog::PortName() const
{
    // A listed port as chosen, else whatever path was typed.
    const int index = CBPort->currentIndex();
    const QString text = CBPort->currentText().trimmed();
    if (index >= 0 && text == CBPort->itemText(index))
        return CBPort->itemData(index).toString();
    return text;
}

int TFrmComDialog::NumberOf(const TRadioGroup *group)
{
    return group->ItemIndex() < 0 ? 0 : group->ItemText(group->ItemIndex()).toInt();
}

int TFrmComDialog::BaudRate() const { return NumberOf(RGBaud); }
int TFrmComDialog::DataBits() const { return NumberOf(RGData); }
int TFrmComDialog::StopBits() const { return NumberOf(RGStop); }

int TFrmComDialog::Parity() const
{
    const int index = RGParity->ItemIndex();
    return index == 1 || index == 2 ? index : 0;
}

QList<int> TFrmComDialog::FoundUnits() const
{
    QList<int> units;
    for (const TFoundInstrument &found : FindPanel->Found())
        if (found.Port == PortName() && found.BaudRate == BaudRate() && found.UnitAddress >= 1
            && found.UnitAddress <= MaxAddress && !units.contains(found.UnitAddress))
            units << found.UnitAddress;
    return units;
}

int TFrmComDialog::UnitAddress() const
{
    const int index = CBAddress->currentIndex();
    if (index < 0)
        return 0;
    return index == 0 ? AnyAddress : index;
}
