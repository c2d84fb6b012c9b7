#include "link/findpanel.h"

#include "ui/prompts.h"

#include <QHBoxLayout>
#include <QLabel>
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

    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(BtnFind);
    row->addWidget(PBFind, 1);
    row->addWidget(BtnFindCancel);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(row);
    column->addWidget(LblFind);

    connect(BtnFind, &QPushButton::clicked, this, &TFindPanel::Find);
    connect(BtnFindCancel, &QPushButton::clicked, this, &TFindPanel::Cancel);
    connect(&Finder, &TInstrumentFinder::Trying, this, &TFindPanel::ShowTrying);
    connect(&Finder, &TInstrumentFinder::Found, this, &TFindPanel::TakeFound);
    connect(&Finder, &TInstrumentFinder::Finished, this, &TFindPanel::Finished);
    ShowSearching(false);
}

void TFindPanel::Find()
{
    const QStringList ports = Ports ? Ports() : QStringList();
    const QList<int> bauds = Bauds ? Bauds() : TInstrumentFinder::CommonBaudRates();
    FoundOne = false;
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

void TFindPanel::TakeFound(const TFoundInstrument &found)
{
    // The dialog holds one instrument: the first found (the chosen port is
    // searched first) ends the search.
    FoundOne = true;
    PBFind->setValue(PBFind->maximum());
    QString identity = found.Identity;
    identity.remove(QLatin1Char('"')).replace(QLatin1Char(','), QLatin1Char(' '));
    const QString unit =
        found.UnitAddress >= 1 && found.UnitAddress <= 31 ? QString::number(found.UnitAddress) : QStringLiteral("Any");
    LblFind->setText(QStringLiteral("Found %1 on %2 at %3 baud, unit address %4. Press Ok to connect.")
                         .arg(identity, found.Port)
                         .arg(found.BaudRate)
                         .arg(unit));
    if (Take)
        Take(found);
    Finder.Cancel();
}

void TFindPanel::Finished(bool cancelled)
{
    const QList<TFinderTry> tried = Finder.Tried();
    ShowSearching(false);
    if (FoundOne)
        return;
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
