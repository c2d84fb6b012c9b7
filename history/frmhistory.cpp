#include "history/frmhistory.h"

#include "history/settingsdiff.h"
#include "settings/settingnames.h"
#include "settings/settingsmerge.h"
#include "ui/objectname.h"
#include "ui/prompts.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QFont>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

// The timeline's rows straight from the entries: ten thousand of them open
// without a widget per cell.
class THistoryTimelineModel : public QAbstractTableModel {
public:
    enum TColumn { ColTime, ColKind, ColSummary, ColUser, ColPort, ColId, ColumnCount };

    void Set(std::vector<THistoryEntry> entries)
    {
        beginResetModel();
        Entries = std::move(entries);
        endResetModel();
    }
    const std::vector<THistoryEntry> &All() const { return Entries; }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(Entries.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : ColumnCount; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || size_t(index.row()) >= Entries.size())
            return {};
        const THistoryEntry &entry = Entries[size_t(index.row())];
        if (role == Qt::FontRole && entry.Snapshot) {
            QFont font;
            font.setBold(index.column() == ColKind);
            return font;
        }
        if (role != Qt::DisplayRole)
            return {};
        switch (index.column()) {
        case ColTime:
            return entry.Time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        case ColKind:
            return entry.Kind;
        case ColSummary:
            return entry.Summary;
        case ColUser:
            return entry.User + QLatin1Char('@') + entry.Host;
        case ColPort:
            return entry.Port;
        case ColId:
            return entry.Id;
        default:
            return {};
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return QAbstractTableModel::headerData(section, orientation, role);
        static const char *const titles[] = {"Time", "What", "Summary", "User", "Port", "Entry"};
        return section >= 0 && section < ColumnCount ? QString::fromLatin1(titles[section]) : QString();
    }

private:
    std::vector<THistoryEntry> Entries;
};

namespace {

const QColor DifferenceColour(255, 214, 214);

QString SnapshotCaption(const THistoryEntry &entry)
{
    return QStringLiteral("#%1  %2  %3")
        .arg(entry.Id)
        .arg(entry.Time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), entry.Kind);
}

// The value part of a settings line: what follows its key.
QString ValueOf(const QString &line)
{
    return line.mid(SettingLineKey(line).size()).remove(QRegularExpression(QStringLiteral("^,")));
}

} // namespace

TFrmHistory::TFrmHistory(THistoryStore &store, QWidget *parent) : QDialog(parent), Store(store)
{
    setObjectName(QStringLiteral("FrmHistory"));
    setWindowTitle(QStringLiteral("Instrument History"));
    resize(1000, 640);

    LBxInstruments = Named(new QListWidget, "LBxInstruments");
    GrdTimeline = Named(new QTableView, "GrdTimeline");
    Timeline = new THistoryTimelineModel;
    Timeline->setParent(this);
    GrdTimeline->setModel(Timeline);
    GrdTimeline->setSelectionBehavior(QAbstractItemView::SelectRows);
    GrdTimeline->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GrdTimeline->verticalHeader()->hide();
    GrdTimeline->verticalHeader()->setDefaultSectionSize(GrdTimeline->fontMetrics().height() + 4);
    GrdTimeline->horizontalHeader()->setSectionResizeMode(THistoryTimelineModel::ColSummary, QHeaderView::Stretch);

    CBxSnapshotA = Named(new QComboBox, "CBxSnapshotA");
    CBxSnapshotB = Named(new QComboBox, "CBxSnapshotB");
    GrdCompare = Named(new QTableWidget(0, 3), "GrdCompare");
    GrdCompare->setHorizontalHeaderLabels({QStringLiteral("Setting"), QStringLiteral("A"), QStringLiteral("B")});
    GrdCompare->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GrdCompare->verticalHeader()->hide();
    GrdCompare->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    LblDifferences = Named(new QLabel, "LblDifferences");
    BtnRestoreA = Named(new QPushButton(QStringLiteral("Restore these settings")), "BtnRestoreA");
    BtnRestoreB = Named(new QPushButton(QStringLiteral("Restore these settings")), "BtnRestoreB");
    BtnClose = Named(new QPushButton(QStringLiteral("Close")), "BtnClose");

    auto *left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Instruments")));
    left->addWidget(LBxInstruments);
    auto *leftPane = new QWidget;
    leftPane->setLayout(left);

    auto *choices = new QHBoxLayout;
    auto *columnA = new QVBoxLayout;
    columnA->addWidget(new QLabel(QStringLiteral("Snapshot A")));
    columnA->addWidget(CBxSnapshotA);
    columnA->addWidget(BtnRestoreA);
    auto *columnB = new QVBoxLayout;
    columnB->addWidget(new QLabel(QStringLiteral("Snapshot B")));
    columnB->addWidget(CBxSnapshotB);
    columnB->addWidget(BtnRestoreB);
    choices->addLayout(columnA);
    choices->addLayout(columnB);

    auto *comparePane = new QWidget;
    auto *compare = new QVBoxLayout(comparePane);
    compare->addLayout(choices);
    compare->addWidget(LblDifferences);
    compare->addWidget(GrdCompare);

    auto *right = new QSplitter(Qt::Vertical);
    right->addWidget(GrdTimeline);
    right->addWidget(comparePane);
    auto *split = new QSplitter(Qt::Horizontal);
    split->addWidget(leftPane);
    split->addWidget(right);
    split->setStretchFactor(1, 4);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(split);
    layout->addLayout(buttons);

    connect(LBxInstruments, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            ShowInstrument(LBxInstruments->item(row)->data(Qt::UserRole).toString());
    });
    connect(CBxSnapshotA, &QComboBox::currentIndexChanged, this, [this] { CompareChosen(); });
    connect(CBxSnapshotB, &QComboBox::currentIndexChanged, this, [this] { CompareChosen(); });
    connect(BtnRestoreA, &QPushButton::clicked, this, [this] { Restore(ShownA); });
    connect(BtnRestoreB, &QPushButton::clicked, this, [this] { Restore(ShownB); });
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::reject);
}

TFrmHistory::~TFrmHistory() = default;

bool TFrmHistory::Load(const QString &serial, QString *error)
{
    std::vector<THistoryInstrument> instruments;
    if (!Store.Instruments(instruments, error))
        return false;
    const QSignalBlocker quiet(LBxInstruments);
    LBxInstruments->clear();
    int chosen = 0;
    for (const THistoryInstrument &instrument : instruments) {
        const QString name = instrument.Serial.isEmpty() ? QStringLiteral("(no instrument)") : instrument.Serial;
        auto *item = new QListWidgetItem(QStringLiteral("%1  (%2)").arg(name).arg(instrument.Entries));
        item->setData(Qt::UserRole, instrument.Serial);
        if (instrument.Serial == serial)
            chosen = LBxInstruments->count();
        LBxInstruments->addItem(item);
    }
    if (instruments.empty())
        return true;
    LBxInstruments->setCurrentRow(chosen);
    return ShowInstrument(instruments[size_t(chosen)].Serial, error);
}

bool TFrmHistory::ShowInstrument(const QString &serial, QString *error)
{
    std::vector<THistoryEntry> entries;
    QString why;
    if (!Store.Timeline(serial, QDateTime(), entries, &why)) {
        Fail(why);
        if (error)
            *error = why;
        return false;
    }
    Serial = serial;
    const QSignalBlocker quietA(CBxSnapshotA);
    const QSignalBlocker quietB(CBxSnapshotB);
    CBxSnapshotA->clear();
    CBxSnapshotB->clear();
    for (const THistoryEntry &entry : entries)
        if (entry.Snapshot) {
            CBxSnapshotA->addItem(SnapshotCaption(entry), entry.Id);
            CBxSnapshotB->addItem(SnapshotCaption(entry), entry.Id);
        }
    Timeline->Set(std::move(entries));
    // Newest first: B the newest snapshot, A the one before it.
    CBxSnapshotB->setCurrentIndex(CBxSnapshotB->count() > 0 ? 0 : -1);
    CBxSnapshotA->setCurrentIndex(CBxSnapshotA->count() > 1 ? 1 : CBxSnapshotA->count() - 1);
    CompareChosen();
    return true;
}

void TFrmHistory::CompareChosen()
{
    const qint64 a = CBxSnapshotA->currentData().toLongLong();
    const qint64 b = CBxSnapshotB->currentData().toLongLong();
    Compare(a, b);
}

bool TFrmHistory::Compare(qint64 a, qint64 b, QString *error)
{
    ShownA = {};
    ShownB = {};
    Differing.clear();
    GrdCompare->setRowCount(0);
    LblDifferences->clear();
    BtnRestoreA->setEnabled(false);
    BtnRestoreB->setEnabled(false);
    const auto take = [this, error](qint64 id, TShown &shown) {
        if (id <= 0)
            return true;
        THistoryEntry entry;
        QString why;
        if (!Store.Entry(id, entry, &why)) {
            Fail(why);
            if (error)
                *error = why;
            return false;
        }
        shown = {id, entry.SettingsLines()};
        return true;
    };
    if (!take(a, ShownA) || !take(b, ShownB))
        return false;
    GrdCompare->setHorizontalHeaderLabels({QStringLiteral("Setting"),
                                           ShownA.Id ? QStringLiteral("A (#%1)").arg(ShownA.Id) : QStringLiteral("A"),
                                           ShownB.Id ? QStringLiteral("B (#%1)").arg(ShownB.Id) : QStringLiteral("B")});
    QHash<QString, QString> inA;
    QHash<QString, QString> inB;
    QStringList keys;
    for (const QString &line : ShownA.Lines) {
        inA.insert(SettingLineKey(line), line);
        keys << SettingLineKey(line);
    }
    for (const QString &line : ShownB.Lines) {
        inB.insert(SettingLineKey(line), line);
        if (!inA.contains(SettingLineKey(line)))
            keys << SettingLineKey(line);
    }
    QSet<QString> differing;
    for (const TSettingsDifference &difference : DiffSettings(ShownA.Lines, ShownB.Lines)) {
        differing.insert(difference.Key);
        Differing << difference.Name;
    }
    GrdCompare->setRowCount(int(keys.size()));
    for (int row = 0; row < keys.size(); ++row) {
        const QString &key = keys[row];
        const QString line = inA.value(key, inB.value(key));
        const bool differs = differing.contains(key) && ShownA.Id && ShownB.Id;
        const QStringList cells{SettingLineName(line), ValueOf(inA.value(key)), ValueOf(inB.value(key))};
        for (int column = 0; column < 3; ++column) {
            auto *item = new QTableWidgetItem(cells[column]);
            if (differs) {
                QFont font = item->font();
                font.setBold(true);
                item->setFont(font);
                item->setBackground(DifferenceColour);
                item->setToolTip(QStringLiteral("Differs between the two snapshots"));
            }
            GrdCompare->setItem(row, column, item);
        }
    }
    if (ShownA.Id && ShownB.Id)
        LblDifferences->setText(Differing.isEmpty() ? QStringLiteral("The two snapshots hold the same settings.")
                                : Differing.size() == 1 ? QStringLiteral("1 setting differs: %1").arg(Differing.first())
                                                        : QStringLiteral("%1 settings differ: %2")
                                                              .arg(Differing.size())
                                                              .arg(Differing.join(QStringLiteral(", "))));
    else
        Differing.clear();
    BtnRestoreA->setEnabled(!ShownA.Lines.isEmpty());
    BtnRestoreB->setEnabled(!ShownB.Lines.isEmpty());
    return true;
}

QStringList TFrmHistory::DifferingSettings() const { return Differing; }

void TFrmHistory::Restore(const TShown &shown)
{
    if (shown.Lines.isEmpty() || !RestoreSettings)
        return;
    if (RestoreSettings(shown.Lines, Serial))
        accept();
}

void TFrmHistory::Fail(const QString &error)
{
    Prompts().Message(QStringLiteral("The history cannot be read: %1").arg(error), TPrompts::Kind::Error);
}
