// quenvale7400-cli's history as a user runs it, against kd4620-sim over its
// pseudo-terminal: two programs writing to one PostgreSQL at once lose
// nothing, an export imported twice (at once) is kept once, "history diff"
// of the snapshots before and after a write names exactly what was written,
// and a history that cannot be written is said once while the job is done.

#include "../history/history_backends.h"
#include "support/testmain.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <memory>

// A namespace of its own: the folder's test files are compiled together.
namespace test_history_cli {

using namespace history_backends;

namespace {

QString Bin(const QString &name) { return qEnvironmentVariable("QV_BIN_DIR") + u'/' + name; }

struct TSim {
    QProcess Process;
    QString Device;
    explicit TSim(const QStringList &options = {})
    {
        Process.start(Bin("kd4620-sim"), options);
        if (Process.waitForStarted(5000) && Process.waitForReadyRead(5000))
            Device = QString::fromLocal8Bit(Process.readLine()).trimmed();
    }
    ~TSim()
    {
        Process.terminate();
        Process.waitForFinished(3000);
    }
};

// A run of the program with its history at `location`, started.
std::unique_ptr<QProcess> Start(const QString &location, const QStringList &args)
{
    auto cli = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QV_HISTORY", location);
    cli->setProcessEnvironment(environment);
    cli->setStandardInputFile(QProcess::nullDevice());
    cli->start(Bin("quenvale7400-cli"), args);
    return cli;
}

struct TRun {
    int Status = -1;
    QByteArray Out;
    QByteArray Err;
};

TRun Finish(QProcess &cli)
{
    TRun run;
    if (!cli.waitForFinished(60000))
        return run;
    run.Out = cli.readAllStandardOutput();
    run.Err = cli.readAllStandardError();
    run.Status = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -2;
    return run;
}

TRun Cli(const QString &location, const QStringList &args) { return Finish(*Start(location, args)); }

QJsonArray Timeline(const QString &location, const QString &serial)
{
    const TRun run = Cli(location, {"history", serial, "--json"});
    return QJsonDocument::fromJson(run.Out).object().value("entries").toArray();
}

// The id of the newest entry of a kind.
qint64 Newest(const QJsonArray &timeline, const QString &kind)
{
    for (const QJsonValue &entry : timeline)
        if (entry["kind"].toString() == kind)
            return entry["id"].toInteger();
    return 0;
}

bool Edit(const QString &path, const QString &prefix, const QString &line)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QStringList lines = QString::fromLatin1(file.readAll()).split("\r\n");
    file.close();
    for (QString &each : lines)
        if (each.startsWith(prefix))
            each = line;
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(lines.join("\r\n").toLatin1()) > 0;
}

} // namespace

class TestHistoryCli : public QObject {
    Q_OBJECT
    QTemporaryDir Dir;

private slots:
    void initTestCase()
    {
        if (!QFileInfo(Bin("quenvale7400-cli")).isExecutable() || !QFileInfo(Bin("kd4620-sim")).isExecutable())
            QSKIP("quenvale7400-cli or kd4620-sim has not been built");
    }

    void twoProgramsAtOnceLoseNothing()
    {
        const QString location = FreshLocation("postgresql", Dir);
        TSim first;
        TSim second({"--serial", "46200002"});
        QVERIFY(!first.Device.isEmpty() && !second.Device.isEmpty());
        // Each program reads its instrument four times, both at once, on a
        // database whose schema neither has made yet.
        constexpr int Runs = 4;
        for (int run = 0; run < Runs; ++run) {
            auto a = Start(location, {"--port", first.Device, "read", Dir.filePath(QString("a%1.QVS").arg(run))});
            auto b = Start(location, {"--port", second.Device, "read", Dir.filePath(QString("b%1.QVS").arg(run))});
            const TRun ra = Finish(*a), rb = Finish(*b);
            QVERIFY2(ra.Status == 0 && rb.Status == 0, ra.Err + rb.Err);
            QVERIFY2(!ra.Err.contains("History is off") && !rb.Err.contains("History is off"), ra.Err + rb.Err);
        }
        // connect, read, file saved: three entries a run.
        QSet<QString> uuids;
        for (const QString serial : {"46200001", "46200002"}) {
            const QJsonArray timeline = Timeline(location, serial);
            QCOMPARE(timeline.size(), 3 * Runs);
            for (const QJsonValue &entry : timeline)
                uuids.insert(entry["uuid"].toString());
        }
        QCOMPARE(uuids.size(), 2 * 3 * Runs);

        // Moved into another history twice at once: kept once.
        const QString exported = Dir.filePath("moved.jsonl");
        QCOMPARE(Cli(location, {"history", "export", exported}).Status, 0);
        const QString plant = FreshLocation("postgresql", Dir);
        auto a = Start(plant, {"history", "import", exported, "--json"});
        auto b = Start(plant, {"history", "import", exported, "--json"});
        const TRun ra = Finish(*a), rb = Finish(*b);
        QVERIFY2(ra.Status == 0 && rb.Status == 0, ra.Err + rb.Err);
        const qint64 imported = QJsonDocument::fromJson(ra.Out)["imported"].toInteger()
                                + QJsonDocument::fromJson(rb.Out)["imported"].toInteger();
        QCOMPARE(imported, 2 * 3 * Runs);
        QCOMPARE(Timeline(plant, "46200002").size(), 3 * Runs);

        // A file that is not all entries imports nothing: a hand-edited
        // line does not slip in as something it is not.
        const QByteArray good = R"({"uuid":"6f1c1f64-5b4b-4cf5-9c55-1b1f3a0e5a11","time":"2024-05-01T08:00:00.000Z",)"
                                R"("kind":"connect","serial":"1"})";
        const QByteArray other = R"({"uuid":"7f1c1f64-5b4b-4cf5-9c55-1b1f3a0e5a12","time":"2024-05-01T08:00:00.000Z",)";
        const QList<std::pair<QByteArray, QString>> bad{
            {R"({"serial":"2"})", "no uuid"},
            {other + R"("kind":"explosion","serial":"1"})", "unknown kind \"explosion\""},
            {other + R"("kind":"read","serial":"1","address":"seven"})", "address is no unit address"},
            {other + R"("kind":"read","serial":"1","data":"a string"})", "data is no object"},
            {R"({"uuid":"7f1c1f64-5b4b-4cf5-9c55-1b1f3a0e5a12","time":"2099-05-01T08:00:00.000Z","kind":"read"})",
             "a time in the future"}};
        for (const auto &[line, why] : bad) {
            QFile broken(Dir.filePath("broken.jsonl"));
            QVERIFY(broken.open(QIODevice::WriteOnly));
            broken.write(good + "\n" + line + "\n");
            broken.close();
            const TRun refused = Cli(plant, {"history", "import", broken.fileName()});
            QCOMPARE(refused.Status, 1);
            QVERIFY2(refused.Err.contains(("line 2 is no history entry (" + why + ").  Nothing was imported.").toUtf8()),
                     refused.Err);
        }
        QCOMPARE(Timeline(plant, "1").size(), 0);
    }

    void diffNamesWhatWasWritten_data()
    {
        QTest::addColumn<QString>("backend");
        AddBackendRows();
    }
    void diffNamesWhatWasWritten()
    {
        QFETCH(QString, backend);
        const QString location = FreshLocation(backend, Dir);
        TSim sim;
        const QString file = Dir.filePath(backend + ".QVS");
        QCOMPARE(Cli(location, {"--port", sim.Device, "read", file}).Status, 0);
        QFile read(file);
        QVERIFY(read.open(QIODevice::ReadOnly));
        const QString units = QString::fromLatin1(read.readAll()).section("\r\nENU", 1).section("\r\n", 0, 0);
        read.close();
        const QString changed = units == "0" ? "ENU1" : "ENU0";
        QVERIFY(Edit(file, "ENU", changed) && Edit(file, "PST1,", "PST1,\"AFTER\""));
        const TRun write = Cli(location, {"--port", sim.Device, "write", file});
        QVERIFY2(write.Status == 0, write.Err);
        const QJsonArray timeline = Timeline(location, "46200001");
        const QString before = QString::number(Newest(timeline, "read"));
        const QString after = QString::number(Newest(timeline, "write"));
        // The write's own read comes after the first: the older read is the one before any change.
        QString first;
        for (const QJsonValue &entry : timeline)
            if (entry["kind"].toString() == "read")
                first = QString::number(entry["id"].toInteger());
        const TRun diff = Cli(location, {"history", "diff", "46200001", first, after});
        QCOMPARE(diff.Status, 0);
        QCOMPARE(QString::fromLatin1(diff.Out).trimmed().split('\n'),
                 (QStringList{"Units: ENU" + units + " -> " + changed, "Header line 1: PST1,\"\" -> PST1,\"AFTER\""}));
        const TRun json = Cli(location, {"history", "diff", "46200001", before, after, "--json"});
        QCOMPARE(QJsonDocument::fromJson(json.Out)["differences"].toArray().size(), 2);
        // Only snapshots compare.
        const TRun connect = Cli(location, {"history", "diff", "46200001", first,
                                            QString::number(Newest(timeline, "connect"))});
        QCOMPARE(connect.Status, 1);
        QVERIFY2(connect.Err.contains("holds no settings snapshot"), connect.Err);
    }

    void historyOffSaidOnceJobDone()
    {
        TSim sim;
        const QString file = Dir.filePath("off.QVS");
        const TRun run = Cli("sqlite:///dev/null/history.sqlite", {"--port", sim.Device, "read", file});
        QCOMPARE(run.Status, 0);
        QVERIFY(QFileInfo(file).size() > 0);
        QCOMPARE(run.Err.count("History is off: "), 1);
    }
};

QV_TEST_MAIN(TestHistoryCli)
} // namespace test_history_cli
#include "test_history_cli.moc"
