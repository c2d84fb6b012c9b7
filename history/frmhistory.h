#pragma once
// Instrument > History: the instruments the history knows, the timeline of
// the one chosen, and two of its settings snapshots side by side with the
// settings that differ marked. "Restore these settings" hands a snapshot to
// the window, which loads it into the Settings pages; the operator then
// writes it through the normal write, with its questions.

#include "history/historystore.h"

#include <QDialog>
#include <QStringList>
#include <functional>
#include <vector>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableView;
class QTableWidget;
class THistoryTimelineModel;

class TFrmHistory : public QDialog {
    Q_OBJECT
public:
    explicit TFrmHistory(THistoryStore &store, QWidget *parent = nullptr);
    ~TFrmHistory() override;

    // Fills the instrument list and shows the first instrument (or `serial`
    // when the history knows it). False with the reason when the store
    // cannot be read.
    bool Load(const QString &serial, QString *error);
    // The timeline and the snapshot choices of one instrument.
    bool ShowInstrument(const QString &serial, QString *error = nullptr);
    // Two snapshots side by side; false when either cannot be read.
    bool Compare(qint64 a, qint64 b, QString *error = nullptr);
    // The settings that differ between the two shown.
    QStringList DifferingSettings() const;

    // The settings of a snapshot to load into the pages, and the instrument
    // they are from; the dialog closes when it returns true.
    std::function<bool(const QStringList &lines, const QString &serial)> RestoreSettings;

    QListWidget *LBxInstruments = nullptr;
    QTableView *GrdTimeline = nullptr;
    QComboBox *CBxSnapshotA = nullptr;
    QComboBox *CBxSnapshotB = nullptr;
    QTableWidget *GrdCompare = nullptr;
    QLabel *LblDifferences = nullptr;
    QPushButton *BtnRestoreA = nullptr;
    QPushButton *BtnRestoreB = nullptr;
    QPushButton *BtnClose = nullptr;

private:
    THistoryStore &Store;
    THistoryTimelineModel *Timeline = nullptr;
    QString Serial;
    struct TShown {
        qint64 Id = 0;
        QStringList Lines;
    } ShownA, ShownB;
    QStringList Differing;

    void CompareChosen();
    void Restore(const TShown &shown);
    void Fail(const QString &error);
};
