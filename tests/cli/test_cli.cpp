// quenvale7400-cli as a user runs it: the program against kd4620-sim over
// its pseudo-terminal. The simulator logs every command it receives
// (--verbose), so the tests see exactly what went to the instrument.

#include "calibration/calfile.h"
#include "logging/logfile.h"
#include "support/pty_peer.h"
#include "support/testmain.h"

#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

// A namespace of its own: the folder's test files are compiled together.
namespace test_cli {

namespace {

QString Bin(const QString &name) { return qEnvironmentVariable("QV_BIN_DIR") + u'/' + name; }

struct TSim {
    QProcess Process;
    QString Device;
    explicit TSim(const QStringList &extra)
    {
        Process.start(Bin("kd4620-sim"), QStringList{"--verbose"} + extra);
        if (Process.waitForStarted(5000) && Process.waitForReadyRead(5000))
            Device = QString::fromLocal8Bit(Process.readLine()).trimmed();
        Process.setReadChannel(QProcess::StandardError);
    }
    ~TSim()
    {
        Process.terminate();
        Process.waitForFinished(3000);
    }
    // The commands received since the last call that change the instrument:
    // no queries, unit selection, stop or reply-format commands.
    QStringList Writes()
    {
        static const QRegularExpression received(QStringLiteral("^kd4620-sim: >>> (.*)$"),
                                                 QRegularExpression::MultilineOption);
        static const QRegularExpression talk(QStringLiteral("\\?|^S\\d\\d$|^STP$|^COF11$"));
        QByteArray log;
        while (Process.waitForReadyRead(300))   // the simulator's log of the job just ended
            log += Process.readAllStandardError();
        QStringList writes;
        for (auto it = received.globalMatch(QString::fromLocal8Bit(log)); it.hasNext();)
            if (const QString command = it.next().captured(1); !command.contains(talk))
                writes << command;
        return writes;
    }
};

// A copy of the program in a folder of its own, so that connection settings
// a viewer run in the build folder saved beside it do not count.
QString CliCopy()
{
    static QTemporaryDir dir;
    const QString copy = dir.filePath("quenvale7400-cli");
    if (!QFile::exists(copy))
        QFile::copy(Bin("quenvale7400-cli"), copy);
    return copy;
}

// Runs the program to its end; the exit status, standard output in *out.
int Cli(const QStringList &args, QByteArray *out = nullptr)
{
    QProcess cli;
    cli.setStandardInputFile(QProcess::nullDevice());
    cli.start(CliCopy(), args);
    if (!cli.waitForFinished(60000))
        return -1;
    if (out)
        *out = cli.readAllStandardOutput();
    return cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -2;
}

bool Replace(const QString &path, const QString &from, const QString &to)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QString text = QString::fromLatin1(file.readAll());
    file.close();
    const QRegularExpression line(QStringLiteral("^%1.*$").arg(from), QRegularExpression::MultilineOption);
    if (!text.contains(line))
        return false;
    text.replace(line, to);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text.toLatin1()) > 0;
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT
    QTemporaryDir Dir;
    QString File(const QString &name) const { return Dir.filePath(name); }

private slots:
    void initTestCase()
    {
        if (!QFileInfo(Bin("quenvale7400-cli")).isExecutable() || !QFileInfo(Bin("kd4620-sim")).isExecutable())
            QSKIP("quenvale7400-cli or kd4620-sim has not been built");
    }

    void writeSendsExactlyTheChangedLines_data()
    {
        QTest::addColumn<QStringList>("sim");
        QTest::addColumn<QString>("line");       // the line of the read file to change ("" none)
        QTest::addColumn<QString>("changed");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("writes"); // in any order, each once
        const QString header = "PST1,\"LINE ONE\"";
        const QString units = "ENU1";
        QTest::newRow("same file") << QStringList() << QString() << QString() << QStringList() << 0 << QStringList{"TDD1"};
        QTest::newRow("one line") << QStringList() << QString("PST1,") << header << QStringList() << 0
                                  << QStringList{header, "TDD1", "PCD"};   // the store always locks again
        QTest::newRow("guarded, no passcode") << QStringList{"--passcode", "4321"} << QString("ENU") << units
                                              << QStringList() << 1 << QStringList();
        QTest::newRow("guarded, passcode") << QStringList{"--passcode", "4321"} << QString("ENU") << units
                                           << QStringList{"--passcode", "4321"} << 0
                                           << QStringList{"PCD4321", units, "TDD1", "PCD"};
    }
    void writeSendsExactlyTheChangedLines()
    {
        QFETCH(QStringList, sim);
        QFETCH(QString, line);
        QFETCH(QString, changed);
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QStringList, writes);
        TSim instrument(sim);
        QVERIFY(!instrument.Device.isEmpty());
        const QString settings = File("settings.QVS");
        QCOMPARE(Cli({"--port", instrument.Device, "read", settings}), 0);
        if (!line.isEmpty())
            QVERIFY(Replace(settings, line, changed));
        instrument.Writes();
        QCOMPARE(Cli(QStringList{"--port", instrument.Device, "write", settings} + options), status);
        QStringList sent = instrument.Writes();
        sent.removeDuplicates();
        sent.sort();
        writes.sort();
        QCOMPARE(sent, writes);
    }

    void exitStatusSaysWhatWentWrong_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::newRow("silent instrument") << QStringList{"identify"} << 4;
        QTest::newRow("no such port") << QStringList{"--port", File("none"), "identify"} << 3;
        QTest::newRow("option of another command") << QStringList{"--yes", "read", "x.QVS"} << 2;
        QTest::newRow("nothing found on a silent port") << QStringList{"find"} << 4;
    }
    void exitStatusSaysWhatWentWrong()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        TPtyPeer silent;
        QVERIFY(silent.IsValid());
        QCOMPARE(Cli(QStringList{"--port", silent.SlavePath()} + args), status);
    }

    void backupThenRestoreSendsTheSameData()
    {
        TSim instrument({});
        const QString backup = File("unit.cal");
        QCOMPARE(Cli({"--port", instrument.Device, "backup", backup}), 0);
        const TCalFileRead file = ReadCalFile(backup);
        QVERIFY(file.Ok);
        instrument.Writes();
        QCOMPARE(Cli({"--port", instrument.Device, "restore", backup}), 0);
        QVERIFY(instrument.Writes().contains("MDD" + file.Record.MDD1));
    }

    void logAndReportWriteFilesTheViewerOpens()
    {
        TSim instrument({"--load", "1250"});
        const QString log = File("weights.LOG");
        QByteArray json;
        QCOMPARE(Cli({"--port", instrument.Device, "--json", "log", "--seconds", "2", "--rate", "10hz", log}, &json), 0);
        TLogFileData data;
        QString error;
        QVERIFY2(LoadLogFile(log, data, &error), qPrintable(error));
        QVERIFY(data.Weight().size() >= 5);
        QCOMPARE(QJsonDocument::fromJson(json)["samples"].toInteger(), qint64(data.Weight().size()));

        const QString settings = File("report.QVS");
        const QString pdf = File("report.pdf");
        QCOMPARE(Cli({"--port", instrument.Device, "read", settings}), 0);
        QCOMPARE(Cli({"report", settings, pdf}), 0);
        QFile printed(pdf);
        QVERIFY(printed.open(QIODevice::ReadOnly));
        QVERIFY(printed.read(5) == "%PDF-");
    }
};

QV_TEST_MAIN(TestCli)
} // namespace test_cli
#include "test_cli.moc"
