#include "link/findpanel.h"

#include "ui/prompts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TFindPanel::TFindPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FindPanel"));
    BtnFind = new QPushButton(QStringLiteral("Find"), this);
    BtnFind->setObjectName(QStringLiteral("BtnFind"));
    BtnFind->setToolTip(QStringLiteral("Search the ports for the instrument at any baud rate and unit address"));
    BtnFind->setAutoDefault(false);
    BtnFindCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnFindCancel->setObjectName(QStringLiteral("BtnFindCancel"));
    BtnFindCancel->setAutoDefault(false);
    PBFind = new QProgressBar(this);
    PBFind->setObjectName(QStringLiteral("PBFind"));
    PBFind->setTextVisible(false);
    LblFind = new QLabel(this);
    LblFind->setObjectName(QStringLiteral("LblFind"));
    LblFind->setWordWrap(true);
    // Room for two lines: the dialog keeps a fixed size.
    LblFind->setMinimumHeight(2 * LblFind->fontMetrics().lineSpacing());
    LblFind->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LBxFound = new QListWidget(this);
    LBxFound->setObjectName(QStringLiteral("LBxFound"));
    LBxFound->setToolTip(QStringLiteral("The instruments found: choose the one to connect to"));
    // Four lines, shown all the time: the dialog keeps a fixed size.
    LBxFound->setFixedHeight(4 * LBxFound->fontMetrics().lineSpacing() + 2 * LBxFound->frameWidth() + 4);

    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(BtnFind);
    row->addWidget(PBFind, 1);
    row->addWidget(BtnFindCancel);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(row);
    column->addWidget(LblFind);
    column->addWidget(LBxFound);

    connect(BtnFind, &QPushButton::clicked, this, &TFindPanel::Find);
    connect(BtnFindCancel, &QPushButton::clicked, this, &TFindPanel::Cancel);
    connect(&Finder, &TInstrumentFinder::Trying, this, &TFindPanel::ShowTrying);
    connect(&Finder, &TInstrumentFinder::Asking, this, &TFindPanel::ShowAsking);
    connect(LBxFound, &QListWidget::currentRowChanged, this, &TFindPanel::Choose);
    connect(&Finder, &TInstrumentFinder::Found, this, &TFindPanel::TakeFound);
    connect(&Finder, &TInstrumentFinder::Finished, this, &TFindPanel::Finished);
    ShowSearching(false);
}

void TFindPanel::Find()
{
    const QStringList ports = Ports ? Ports() : QStringList();
    const QList<int> bauds = Bauds ? Bauds() : TInstrumentFinder::CommonBaudRates();
    FoundOne = false;
    LBxFound->clear();
    Finder.SetStopAtFirstPort(true);
    PBFind->setRange(0, int(qMax<qsizetype>(1, ports.size() * bauds.size())));
    PBFind->setValue(0);
    LblFind->clear();
    ShowSearching(true);
    Finder.Start(ports, bauds);
}

void TFindPanel::ShowTrying(const QString &port, int baud)
{
    PBFind->setValue(PBFind->value() + 1);
    LblFind->setText(QStringLiteral("Trying %1 at %2 baud").arg(port).arg(baud));
}

void TFindPanel::ShowAsking(const QString &port, int baud, int unit)
{
    LblFind->setText(QStringLiteral("Several answered on %1 at %2 baud: asking unit %3 of %4")
                         .arg(port)
                         .arg(baud)
                         .arg(unit)
                         .arg(TInstrumentFinder::LastScanUnit));
}

QString TFindPanel::IdentityText(const TFoundInstrument &found)
{
    QString identity = found.Identity;
    return identity.remove(QLatin1Char('"')).replace(QLatin1Char(','), QLatin1Char(' '));
}

void TFindPanel::TakeFound(const TFoundInstrument &found)
{
    // The search ends with the port of the first found (the chosen port is
    // searched first): all its units are listed, the first fills the dialog.
    FoundOne = true;
    const QString unit =
        found.UnitAddress >= 1 && found.UnitAddress <= 31 ? QString::number(found.UnitAddress) : QStringLiteral("Any");
    LBxFound->addItem(QStringLiteral("Unit %1: %2").arg(unit, IdentityText(found)));
    if (LBxFound->count() == 1)
        LBxFound->setCurrentRow(0);
}

void TFindPanel::Choose(int row)
{
    const QList<TFoundInstrument> found = Finder.Results();
    if (row < 0 || row >= found.size())
        return;
    if (Take)
        Take(found[row]);
}

void TFindPanel::Finished(bool cancelled)
{
    const QList<TFinderTry> tried = Finder.Tried();
    ShowSearching(false);
    const QList<TFoundInstrument> found = Finder.Results();
    if (found.size() == 1) {
        const TFoundInstrument &one = found.first();
        const QString unit =
            one.UnitAddress >= 1 && one.UnitAddress <= 31 ? QString::number(one.UnitAddress) : QStringLiteral("Any");
        LblFind->setText(QStringLiteral("Found %1 on %2 at %3 baud, unit address %4. Press Ok to connect.")
                             .arg(IdentityText(one), one.Port)
                             .arg(one.BaudRate)
                             .arg(unit));
    } else if (found.size() > 1) {
        LblFind->setText(QStringLiteral("Found %1 instruments on %2 at %3 baud. Choose one and press Ok to connect.")
                             .arg(found.size())
                             .arg(found.first().Port)
                             .arg(found.first().BaudRate));
    }
    if (FoundOne) {
        PBFind->setValue(PBFind->maximum());
        return;
    }
    if (cancelled) {
        LblFind->setText(QStringLiteral("Search cancelled."));
        return;
    }
    LblFind->setText(QStringLiteral("No instrument found."));
    Prompts().Message(TInstrumentFinder::NothingFoundText(tried), TPrompts::Kind::Information);
}

void TFindPanel::ShowSearching(bool searching)
{
    // Shown all the time, so the fixed-size dialog never has to grow.
    BtnFind->setEnabled(!searching);
    BtnFindCancel->setEnabled(searching);
    PBFind->setEnabled(searching);
    if (Searching)
        Searching(searching);
}
