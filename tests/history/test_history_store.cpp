// The history store against both back ends (SQLite, and PostgreSQL on a
// throwaway server): what goes in comes back, an entry imported twice is
// kept once, the schema is made once and a newer one is refused, and a
// store that cannot be opened or written turns history off, said once.
// Then the comparison of two snapshots and the History dialog over it.

#include "history/frmhistory.h"
#include "history/historyrecorder.h"
#include "history/settingsdiff.h"
#include "history/sqlhistorystore.h"
#include "history_backends.h"
#include "support/testmain.h"
#include "ui/scriptedprompts.h"

#include <QComboBox>
#include <QJsonArray>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QUrl>
#include <QUrlQuery>

// A namespace of its own: the folder's test files are compiled together.
namespace test_history_store {

using namespace history_backends;

namespace {

const QDateTime T0 = QDateTime(QDate(2024, 5, 1), QTime(8, 0), Qt::UTC);

THistoryEntry Entry(const QString &serial, int minutes, const QString &kind, const QStringList &lines = {})
{
    THistoryEntry entry = NewHistoryEntry(kind);
    entry.Serial = serial;
    entry.Time = T0.addSecs(60 * minutes);
    entry.Summary = kind + QString::number(minutes);
    entry.Port = QStringLiteral("/dev/ttyUSB0");
    if (!lines.isEmpty())
        entry.Data.insert(QStringLiteral("lines"), QJsonArray::fromStringList(lines));
    else
        entry.Data.insert(QStringLiteral("step"), QStringLiteral("zero"));
    return entry;
}

std::unique_ptr<THistoryStore> Opened(const QString &location)
{
    QString error;
    std::unique_ptr<THistoryStore> store = MakeHistoryStore(location, &error);
    if (!store || !store->Open(&error))
        qWarning("cannot open %s: %s", qPrintable(location), qPrintable(error));
    return store;
}

// A statement run on the store's database behind its back.
bool RawExec(const QString &location, const QString &sql)
{
    bool ok = false;
    {
        const QUrl url(location);
        const bool postgres = url.scheme() == QLatin1String("postgresql");
        QSqlDatabase db = QSqlDatabase::addDatabase(postgres ? "QPSQL" : "QSQLITE", "raw");
        if (postgres) {
            const QUrlQuery query(url);
            db.setDatabaseName(url.path().mid(1));
            db.setHostName(query.queryItemValue("host"));
            db.setPort(query.queryItemValue("port").toInt());
            db.setUserName("postgres");
        } else {
            db.setDatabaseName(location.mid(QStringLiteral("sqlite://").size()));
        }
        ok = db.open() && QSqlQuery(db).exec(sql);
        db.close();
    }
    QSqlDatabase::removeDatabase("raw");
    return ok;
}

QStringList Kinds(const std::vector<THistoryEntry> &entries)
{
    QStringList kinds;
    for (const THistoryEntry &entry : entries)
        kinds << entry.Summary;
    return kinds;
}

} // namespace

class TestHistoryStore : public QObject {
    Q_OBJECT
    QTemporaryDir Dir;

private slots:
    void entriesComeBackAsRecorded_data()
    {
        QTest::addColumn<QString>("backend");
        AddBackendRows();
    }
    void entriesComeBackAsRecorded()
    {
        QFETCH(QString, backend);
        const auto store = Opened(FreshLocation(backend, Dir));
        QVERIFY(store);
        const QStringList lines{"ENU1", "PST1,\"ONE, \\\"two\\\"\""};
        const THistoryEntry snapshot = Entry("46200001", 2, HistoryKind::Read, lines);
        for (const THistoryEntry &entry : {Entry("46200001", 0, HistoryKind::Connect), snapshot,
                                           Entry("46200001", 1, HistoryKind::Calibration), Entry("", 3, HistoryKind::FileSaved)}) {
            QString error;
            QVERIFY2(store->Add(entry, &error), qPrintable(error));
        }
        std::vector<THistoryEntry> timeline;
        QString error;
        QVERIFY2(store->Timeline("46200001", QDateTime(), timeline, &error), qPrintable(error));
        // Newest first by the time recorded, not by the order stored.
        QCOMPARE(Kinds(timeline), (QStringList{"read2", "calibration1", "connect0"}));
        QVERIFY(timeline[0].Snapshot && !timeline[1].Snapshot);
        QVERIFY(timeline[0].Data.isEmpty());   // a timeline carries no content
        QCOMPARE(timeline[0].Time, snapshot.Time);
        QVERIFY(store->Timeline("46200001", T0.addSecs(60), timeline, &error));
        QCOMPARE(Kinds(timeline), (QStringList{"read2", "calibration1"}));

        THistoryEntry back;
        QVERIFY(store->Entry(timeline[0].Id, back, &error));
        QCOMPARE(back.SettingsLines(), lines);
        QCOMPARE(back.Uuid, snapshot.Uuid);
        QCOMPARE(back.Port, snapshot.Port);
        QVERIFY(!store->Entry(timeline[0].Id + 1000, back, &error));

        std::vector<THistoryInstrument> instruments;
        QVERIFY(store->Instruments(instruments, &error));
        QCOMPARE(instruments.size(), size_t(2));
        QCOMPARE(instruments[1].Serial, QString("46200001"));
        QCOMPARE(instruments[1].Entries, 3);
        QCOMPARE(instruments[1].First, T0);
        QCOMPARE(instruments[1].Last, snapshot.Time);

        QStringList all;
        QVERIFY(store->Each([&](const THistoryEntry &entry) { return all << entry.Summary, true; }, &error));
        QCOMPARE(all, (QStringList{"connect0", "calibration1", "read2", "file-save3"}));
    }

    void sameEntryKeptOnce_data()
    {
        QTest::addColumn<QString>("backend");
        AddBackendRows();
    }
    void sameEntryKeptOnce()
    {
        QFETCH(QString, backend);
        const auto store = Opened(FreshLocation(backend, Dir));
        QVERIFY(store);
        const THistoryEntry first = Entry("7", 0, HistoryKind::Connect);
        const THistoryEntry second = Entry("7", 1, HistoryKind::Connect);
        QString error;
        bool added = false;
        QVERIFY(store->Add(first, &error, &added) && added);
        QVERIFY(store->Add(first, &error, &added) && !added);
        qint64 count = -1;
        QVERIFY2(store->AddAll({first, second, second}, &error, &count), qPrintable(error));
        QCOMPARE(count, 1);
        QVERIFY(store->AddAll({first, second}, &error, &count));
        QCOMPARE(count, 0);
        std::vector<THistoryEntry> timeline;
        QVERIFY(store->Timeline("7", QDateTime(), timeline, &error));
        QCOMPARE(timeline.size(), size_t(2));
    }

    void schemaMadeOnceNewerRefused_data()
    {
        QTest::addColumn<QString>("backend");
        AddBackendRows();
    }
    void schemaMadeOnceNewerRefused()
    {
        QFETCH(QString, backend);
        const QString location = FreshLocation(backend, Dir);
        {
            const auto first = Opened(location);
            const auto second = Opened(location);   // finds it made, adds no second version
            QVERIFY(first && second);
            QCOMPARE(static_cast<THistorySqlStore *>(second.get())->StoredSchemaVersion(), THistorySqlStore::SchemaVersion);
        }
        QVERIFY(RawExec(location, "SELECT COUNT(*) FROM history_schema"));
        QVERIFY(RawExec(location, "UPDATE history_schema SET version = 99"));
        QString error;
        const auto newer = MakeHistoryStore(location, &error);
        QVERIFY(!newer->Open(&error));
        QVERIFY2(error.contains("newer version"), qPrintable(error));
    }

    void historyOffSaidOnce_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("fault");
        for (const char *backend : {"sqlite", "postgresql"})
            for (const char *fault : {"open", "write"})
                QTest::addRow("%s %s", backend, fault) << QString(backend) << QString(fault);
    }
    void historyOffSaidOnce()
    {
        QFETCH(QString, backend);
        QFETCH(QString, fault);
        QString location = FreshLocation(backend, Dir);
        if (fault == "open")
            location = backend == "sqlite" ? QStringLiteral("sqlite:///dev/null/history.sqlite")
                                           : location.replace(QRegularExpression("///history_\\d+"), "///no_such_db");
        THistoryRecorder recorder(MakeHistoryStore(location, nullptr));
        QStringList said;
        recorder.HistoryOff = [&](const QString &message) { said << message; };
        recorder.SetIdentity({"46200001", 5, "/dev/ttyUSB0"});
        if (fault == "write") {
            QVERIFY(recorder.Open());
            QVERIFY(RawExec(location, "DROP TABLE history_entry"));
        }
        for (int i = 0; i < 3; ++i)
            recorder.RecordSettingsFile(true, "/tmp/a.QVS", {"ENU1"});
        QCOMPARE(said.size(), 1);
        QVERIFY2(said[0].startsWith("History is off: ") && said[0].contains(fault == "open" ? "cannot be opened" : "cannot be written"),
                 qPrintable(said[0]));
        QVERIFY(!recorder.IsOn() && !recorder.Store());
    }

    void diffNamesChangedSettings_data()
    {
        QTest::addColumn<QStringList>("a");
        QTest::addColumn<QStringList>("b");
        QTest::addColumn<QStringList>("differences");   // "key:A>B"
        const QStringList base{"ENU1", "IAD1,6000,2,1,0,0", "PST1,\"X\""};
        QTest::newRow("same") << base << base << QStringList();
        QTest::newRow("two changed") << base << QStringList{"ENU2", "IAD1,6000,2,1,0,0", "PST1,\"x\""}
                                     << QStringList{"ENU:ENU1>ENU2", "PST1:PST1,\"X\">PST1,\"x\""};
        QTest::newRow("one side only") << QStringList{"ENU1"} << QStringList{"ENU1", "RBT3,0"}
                                       << QStringList{"RBT3:>RBT3,0"};
    }
    void diffNamesChangedSettings()
    {
        QFETCH(QStringList, a);
        QFETCH(QStringList, b);
        QStringList found;
        for (const TSettingsDifference &d : DiffSettings(a, b))
            found << d.Key + ':' + d.A + '>' + d.B;
        QTEST(found, "differences");
    }

    void dialogMarksDifferencesAndRestores()
    {
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        const auto store = Opened(FreshLocation("sqlite", Dir));
        QVERIFY(store);
        const QStringList before{"ENU1", "IAD1,6000,2,1,0,0", "PST1,\"X\""};
        const QStringList after{"ENU2", "IAD1,6000,2,1,0,0", "PST1,\"Y\""};
        for (const THistoryEntry &entry : {Entry("46200001", 0, HistoryKind::Read, before),
                                           Entry("46200001", 1, HistoryKind::Calibration),
                                           Entry("46200001", 2, HistoryKind::Write, after), Entry("9", 0, HistoryKind::Connect)})
            QVERIFY(store->Add(entry, nullptr));
        TFrmHistory dialog(*store);
        QStringList restored;
        dialog.RestoreSettings = [&](const QStringList &lines, const QString &serial) {
            restored = lines;
            return serial == "46200001";
        };
        QString error;
        QVERIFY2(dialog.Load("46200001", &error), qPrintable(error));
        QCOMPARE(dialog.CBxSnapshotA->count(), 2);   // the calibration step is no snapshot
        QCOMPARE(dialog.DifferingSettings(), (QStringList{"Units", "Header line 1"}));
        QCOMPARE(dialog.GrdCompare->rowCount(), 3);
        for (int row = 0; row < 3; ++row)
            QCOMPARE(dialog.GrdCompare->item(row, 1)->font().bold(), row != 1);
        dialog.BtnRestoreA->click();
        QCOMPARE(restored, before);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(script.Messages().isEmpty());
    }
};

QV_TEST_MAIN(TestHistoryStore)
} // namespace test_history_store
#include "test_history_store.moc"
