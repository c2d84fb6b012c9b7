// quenvale7400-cli as a user runs it: the program against kd4620-sim over
// its pseudo-terminal. The simulator logs every command it receives
// (--verbose), so the tests see exactly what went to the instrument.

#include "calibration/calfile.h"
#include "logging/logfile.h"
#include "support/pty_peer.h"
#include "support/testmain.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <csignal>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

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
    // Every command received since Mark(), read without waiting.
    QByteArray Log;
    void Mark()
    {
        RunEventLoopFor(300);   // the log of what came before
        Process.readAllStandardError();
        Log.clear();
    }
    QStringList Received()
    {
        static const QRegularExpression received(QStringLiteral("^kd4620-sim: >>> (.*)$"),
                                                 QRegularExpression::MultilineOption);
        Log += Process.readAllStandardError();
        QStringList commands;
        for (auto it = received.globalMatch(QString::fromLatin1(Log)); it.hasNext();)
            commands << it.next().captured(1);
        return commands;
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

// A run of the program in the table below: the line it talks to, the files
// made first, what it is given, an optional signal at a moment of the run
// (with an answer typed on its terminal after it), and what must come of it.
struct TCase {
    QString Line = "sim";   // sim; held (sim, its port kept open by another program); zeros
                            // (a port answering "0" to anything); garbled (noise for IDN?); none
    QStringList Sim{};        // the simulator's options
    QString Prepare{};        // settings, changed, backup, foreigncal, shortcal, pass644
    QStringList Args{};       // $PORT and $DIR are replaced
    QStringList Env{};
    QString Input{};          // standard input: "" none, "terminal", else a file
    QString When{};           // "wire:COMMAND" or "err:TEXT": the moment of the signal
    int Signal = 0;
    QByteArray Typed{};       // on the terminal, after the signal (if any); a passcode is never echoed
    int Status = 0;
    QString Out{};            // a pattern standard output holds
    QStringList Err{};        // each said exactly once; "!text" never
    QStringList Wire{};       // commands received, in this order; "!pattern" none; "pattern=n" n times
};

struct TRun {
    int Status = -1;
    QByteArray Out;
    QByteArray Err;
    QStringList Wire;
    QByteArray Echoed;   // what the terminal showed
};

// A terminal as a user's: lines, and what is typed shown.
bool EchoOn(const QString &device)
{
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY);
    termios mode{};
    const bool ok = fd >= 0 && tcgetattr(fd, &mode) == 0
                    && (mode.c_lflag |= ECHO | ICANON, tcsetattr(fd, TCSANOW, &mode) == 0);
    if (fd >= 0)
        ::close(fd);
    return ok;
}

QString Expand(QString text, const QString &port, const QString &dir)
{
    return text.replace(QLatin1String("$PORT"), port).replace(QLatin1String("$DIR"), dir);
}

bool MakeCalFile(const QString &path, const QString &serial, const QString &data)
{
    const TCalFileRecord record{CalFileProgramVersion(), "KD4620:1.04", serial, data, CalDataChecksum(data)};
    QString error;
    return WriteCalFile(path, record, &error);
}

} // namespace
} // namespace test_cli
Q_DECLARE_METATYPE(test_cli::TCase)
namespace test_cli {

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
        // "10hz" as the window means it: ten a second, not every answer.
        QVERIFY2(data.Weight().size() >= 5 && data.Weight().size() <= 25, qPrintable(QString::number(data.Weight().size())));
        QCOMPARE(QJsonDocument::fromJson(json)["samples"].toInteger(), qint64(data.Weight().size()));

        const QString settings = File("report.QVS");
        const QString pdf = File("report.pdf");
        QCOMPARE(Cli({"--port", instrument.Device, "read", settings}), 0);
        QCOMPARE(Cli({"report", settings, pdf}), 0);
        QFile printed(pdf);
        QVERIFY(printed.open(QIODevice::ReadOnly));
        QVERIFY(printed.read(5) == "%PDF-");
    }

    // Three units on one line at 9600 baud: find lists exactly those, and a
    // log of all of them keeps each unit's weights apart, in a column a unit
    // of the CSV and in a log file a unit the viewer opens.
    void aBusOfUnitsIsFoundAndLoggedTogether()
    {
        TSim bus({"--units", "1,2,5", "--load", "1000,2500,400", "--baud", "9600"});
        QByteArray found;
        QCOMPARE(Cli({"--port", bus.Device, "--json", "find"}, &found), 0);
        QList<int> units;
        for (const QByteArray &line : found.split('\n'))
            if (!line.isEmpty())
                units << QJsonDocument::fromJson(line)["address"].toInt();
        QCOMPARE(units, (QList<int>{1, 2, 5}));

        const QMap<QString, QString> weights{{"weight_unit1", "1000.00"}, {"weight_unit2", "2500.00"},
                                              {"weight_unit5", "400.00"}};
        const QString csv = File("bus.csv");
        QCOMPARE(Cli({"--port", bus.Device, "log", "--seconds", "5", "--address", "1,2,5", csv}), 0);
        QFile table(csv);
        QVERIFY(table.open(QIODevice::ReadOnly));
        QStringList rows = QString::fromLatin1(table.readAll()).split("\r\n", Qt::SkipEmptyParts);
        rows.removeFirst(); // the comment
        const QStringList columns = rows.takeFirst().split(',');
        QCOMPARE(columns, (QStringList{"time_s", "weight_unit1", "weight_unit2", "weight_unit5"}));
        QMap<QString, int> samples;
        double last = -1;
        for (const QString &row : std::as_const(rows)) {
            const QStringList fields = row.split(',');
            QCOMPARE(fields.size(), columns.size());
            QVERIFY2(fields[0].toDouble() >= last, qPrintable(row));
            last = fields[0].toDouble();
            int filled = 0;
            for (qsizetype c = 1; c < fields.size(); ++c) {
                if (fields[c].isEmpty())
                    continue;
                ++filled;
                ++samples[columns[c]];
                QCOMPARE(fields[c], weights[columns[c]]);
            }
            QCOMPARE(filled, 1); // each sample is one unit's
        }
        for (const QString &column : weights.keys())
            QVERIFY2(samples[column] >= 20, qPrintable(column)); // 5 s, taking turns at 9600 baud

        const QString log = File("bus.LOG");
        QCOMPARE(Cli({"--port", bus.Device, "log", "--seconds", "1", "--rate", "10", "--address", "5,2", log}), 0);
        QVERIFY(!QFile::exists(log));
        for (const auto &[unit, weight] : {std::pair{2, 2500.0}, std::pair{5, 400.0}}) {
            TLogFileData data;
            QString error;
            QVERIFY2(LoadLogFile(File(QStringLiteral("bus-unit%1.LOG").arg(unit)), data, &error), qPrintable(error));
            QVERIFY(!data.Weight().isEmpty());
            for (const TLogPoint &point : data.Weight())
                QCOMPARE(point.value, weight);
        }
        // A unit that never answers fails the job, whatever the others gave.
        QByteArray json;
        QCOMPARE(Cli({"--port", bus.Device, "--json", "log", "--seconds", "1", "--address", "1,7", File("seven.csv")}, &json),
                 4);
        QVERIFY2(json.contains("No samples from unit 7"), json.constData());
    }

    void jobsEndAsTheyWentAndSaySo_data()
    {
        QTest::addColumn<TCase>("c");
        // Identity: an answer that is no identity is no instrument.
        QTest::newRow("noise at a wrong baud rate") << TCase{
            .Line = "garbled", .Args = {"--port", "$PORT", "--json", "identify"}, .Status = 4,
            .Out = "^\\{\"error\":\"The answer from .* is not an instrument's identity"};
        QTest::newRow("a port that answers anything") << TCase{
            .Line = "zeros", .Args = {"--port", "$PORT", "identify"}, .Status = 4, .Out = "^$"};
        // Outputs: the wrong kind, or one that cannot be made, stops the job before the instrument.
        QTest::newRow("report output forgotten") << TCase{
            .Prepare = "settings", .Args = {"--port", "$PORT", "report", "$DIR/keep.QVS"}, .Status = 2,
            .Err = {"report writes .pdf files"}, .Wire = {"!.*"}};
        QTest::newRow("report onto a settings file") << TCase{
            .Prepare = "settings", .Args = {"report", "$DIR/keep.QVS", "$DIR/keep.QVS"}, .Status = 2};
        QTest::newRow("log into a missing folder") << TCase{
            .Args = {"--port", "$PORT", "log", "--seconds", "3600", "$DIR/none/hour.LOG"}, .Status = 1,
            .Err = {"cannot write $DIR/none/hour.LOG: the folder $DIR/none does not exist"}, .Wire = {"!.*"}};
        QTest::newRow("report into a missing folder") << TCase{
            .Prepare = "settings", .Args = {"report", "$DIR/keep.QVS", "$DIR/none/r.pdf"}, .Status = 1,
            .Err = {"cannot write $DIR/none/r.pdf", "!QPainter"}};
        // A log cut short keeps what it has and says so; silence is said.
        QTest::newRow("log, line lost") << TCase{
            .Sim = {"--fault", "portloss-ms=4000"}, .Args = {"--port", "$PORT", "--json", "log", "--seconds", "10", "$DIR/l.LOG"},
            .Status = 4, .Out = "\"samples\":[1-9].*\"status\":4", .Err = {"the line was lost"}};
        QTest::newRow("log, silent instrument") << TCase{
            .Sim = {"--fault", "silent=MSV"}, .Args = {"--port", "$PORT", "log", "--seconds", "3", "$DIR/l.LOG"},
            .Status = 4, .Err = {"No samples from the instrument in 3 s."}};
        QTest::newRow("log, at most 1 sample a second") << TCase{
            .Args = {"--port", "$PORT", "--json", "log", "--seconds", "3", "--rate", "1", "$DIR/l.csv"},
            .Out = "\"samples\":[1-4]\\}"};
        // Signals: a question is answered No; the closing commands go out; what was written is said.
        QTest::newRow("Ctrl+C at the restore question, then y") << TCase{
            .Sim = {"--serial", "46200002"}, .Prepare = "foreigncal", .Args = {"--port", "$PORT", "restore", "$DIR/foreign.cal"},
            .Input = "terminal", .When = "err:[y/N]", .Signal = SIGINT, .Typed = "y\n", .Status = 1,
            .Err = {"Interrupted."}, .Wire = {"!MDD.*"}};
        QTest::newRow("hang-up after the passcode") << TCase{
            .Sim = {"--passcode", "4321", "--fault", "latency=200"}, .Prepare = "changed",
            .Args = {"--port", "$PORT", "--passcode", "4321", "write", "$DIR/keep.QVS"}, .When = "wire:PCD4321",
            .Signal = SIGHUP, .Status = 1, .Wire = {"PCD4321", "PCD", "TDD1", "!ENU1"}};
        QTest::newRow("write interrupted") << TCase{
            .Sim = {"--fault", "latency=200"}, .Prepare = "changed", .Args = {"--port", "$PORT", "write", "$DIR/keep.QVS"},
            .When = "wire:PST1,\"AB\"", .Signal = SIGINT, .Status = 1, .Out = "^ENU1\n$",
            .Err = {"1 of 3 lines reached the instrument"}, .Wire = {"ENU1", "TDD1"}};
        QTest::newRow("write interrupted, json") << TCase{
            .Sim = {"--fault", "latency=200"}, .Prepare = "changed",
            .Args = {"--port", "$PORT", "--json", "write", "$DIR/keep.QVS"}, .When = "wire:PST1,\"AB\"", .Signal = SIGINT,
            .Status = 1, .Out = "\"notWritten\":\\[\"PST1,\\\\\"AB\\\\\"\",.*\"status\":1,\"written\":\\[\"ENU1\"\\]"};
        // Ports: one that cannot be opened, one that another program holds.
        QTest::newRow("find, no such port") << TCase{
            .Line = "none", .Args = {"find", "--port", "$DIR/ttyNOPE"}, .Status = 3,
            .Err = {"$DIR/ttyNOPE: could not be opened", "!Check the cable"}};
        QTest::newRow("find, port held by another program") << TCase{
            .Line = "held", .Args = {"find", "--port", "$PORT"}, .Status = 3,
            .Err = {"$PORT: skipped, in use by another program"}, .Wire = {"!.*"}};
        // The passcode is looked at only where it is used, and only from a private file.
        QTest::newRow("bad QV_PASSCODE, ports") << TCase{.Line = "none", .Args = {"ports"}, .Env = {"QV_PASSCODE=12ab"}};
        QTest::newRow("bad QV_PASSCODE, write") << TCase{
            .Prepare = "settings", .Args = {"--port", "$PORT", "write", "$DIR/keep.QVS"}, .Env = {"QV_PASSCODE=12ab"},
            .Status = 2, .Err = {"the passcode in QV_PASSCODE is not 1 to 6 digits"}, .Wire = {"!.*"}};
        QTest::newRow("passcode file others may read") << TCase{
            .Prepare = "pass644", .Args = {"--port", "$PORT", "write", "--passcode-file", "$DIR/pass", "$DIR/keep.QVS"},
            .Status = 2, .Err = {"chmod 600"}, .Wire = {"!.*"}};
        // A calibration file is checked before connecting, and named.
        QTest::newRow("restore of a file without data") << TCase{
            .Prepare = "shortcal", .Args = {"--port", "$PORT", "restore", "$DIR/short.cal"}, .Status = 1,
            .Err = {"$DIR/short.cal holds no calibration data"}, .Wire = {"!.*"}};
        QTest::newRow("passcode typed on the terminal") << TCase{
            .Sim = {"--passcode", "4321"}, .Prepare = "changed", .Args = {"--port", "$PORT", "write", "$DIR/keep.QVS"},
            .Input = "terminal", .When = "err:Passcode:", .Typed = "4321\n", .Err = {"!4321"},
            .Wire = {"PCD4321", "ENU1", "TDD1", "PCD"}};
        // Once is enough.
        QTest::newRow("write of what the instrument holds") << TCase{
            .Prepare = "settings", .Args = {"--port", "$PORT", "write", "$DIR/keep.QVS"},
            .Err = {"The instrument already holds these settings."}};
        QTest::newRow("restore reads the settings once") << TCase{
            .Prepare = "backup", .Args = {"--port", "$PORT", "restore", "$DIR/unit.cal"},
            .Err = {"!Settings read (42"}, .Wire = {"MDD.*", "LIC\\?1=1"}};
        QTest::newRow("read counts the file's lines") << TCase{
            .Args = {"--port", "$PORT", "--json", "read", "$DIR/r.QVS"}, .Out = "\"lines\":\\[\"IDN.*,\"LIL2,.*\"\\]\\}",
            .Err = {"Settings read into $DIR/r.QVS (36 lines)", "!42"}};
        // What a shell user expects.
        QTest::newRow("version") << TCase{.Line = "none", .Args = {"--version"}, .Out = "^quenvale7400-cli \\d+\\.\\d+"};
        QTest::newRow("-- ends the options") << TCase{.Args = {"--port", "$PORT", "read", "--", "--odd.QVS"}};
        QTest::newRow("read onto standard output") << TCase{.Args = {"--port", "$PORT", "read", "-"}, .Out = "^IDN.*\r\nADR"};
        QTest::newRow("dry run from standard input") << TCase{
            .Prepare = "changed", .Args = {"--port", "$PORT", "write", "--dry-run", "-"}, .Input = "$DIR/keep.QVS",
            .Out = "^ENU1\nPST1,\"AB\"\nPST2,\"CD\"\n$", .Wire = {"!ENU1"}};
        QTest::newRow("find narrowed, identity as identify gives it") << TCase{
            .Sim = {"--address", "5"}, .Args = {"find", "--json", "--port", "$PORT", "--baud", "9600", "--address", "5", "--parity", "none"},
            .Out = "^\\{\"address\":5,\"baud\":9600,\"dataBits\":8,\"parity\":\"none\",\"port\":\"[^\"]+\","
                   "\"serialId\":\"KD4620\",\"serialNumber\":\"46200001\",\"stopBits\":1,\"version\":\"1.04\"\\}\n$",
            .Wire = {"S05", "IDN\\?", "!S99"}};
        QTest::newRow("identify with line options") << TCase{
            .Sim = {"--address", "5"}, .Args = {"identify", "--json", "--port", "$PORT", "--data-bits", "7", "--parity", "even"},
            .Out = "^\\{\"address\":5,\"baud\":9600,\"dataBits\":7,\"parity\":\"even\",\"port\":\"[^\"]+\","
                   "\"serialId\":\"KD4620\",\"serialNumber\":\"46200001\",\"stopBits\":1,\"version\":\"1.04\"\\}\n$"};
    }
    void jobsEndAsTheyWentAndSaySo()
    {
        QFETCH(TCase, c);
        QTemporaryDir dir;
        const QString folder = dir.path();
        std::unique_ptr<TSim> sim;
        std::unique_ptr<TPtyPeer> peer;
        QProcess holder;
        QString port;
        if (c.Line == "sim" || c.Line == "held") {
            sim = std::make_unique<TSim>(c.Sim);
            QVERIFY(!sim->Device.isEmpty());
            port = sim->Device;
        } else if (c.Line != "none") {
            peer = std::make_unique<TPtyPeer>();
            QVERIFY(peer->IsValid());
            port = peer->SlavePath();
        }
        QVERIFY(Prepare(c.Prepare, folder));
        if (c.Line == "held") {
            holder.setStandardInputFile(port);
            holder.start("sleep", {"60"});
            QVERIFY(holder.waitForStarted(5000));
        }
        if (sim)
            sim->Mark();
        const QString keep = folder + "/keep.QVS";
        const QByteArray kept = ReadAll(keep);

        const TRun run = Run(c, port, folder, sim.get(), peer.get());
        holder.kill();
        holder.waitForFinished(3000);

        const QString err = QString::fromLocal8Bit(run.Err);
        QVERIFY2(run.Status == c.Status, qPrintable(QStringLiteral("status %1\n%2").arg(run.Status).arg(err)));
        if (!c.Out.isEmpty())
            QVERIFY2(QRegularExpression(Expand(c.Out, port, folder)).match(QString::fromLocal8Bit(run.Out)).hasMatch(),
                     run.Out.constData());
        for (const QString &said : c.Err) {
            const QString text = Expand(said, port, folder);
            if (text.startsWith(u'!'))
                QVERIFY2(!err.contains(text.mid(1)), qPrintable(err));
            else
                QVERIFY2(err.count(text) == 1, qPrintable(text + " in:\n" + err));
        }
        qsizetype next = 0;
        for (const QString &expected : c.Wire) {
            static const QRegularExpression counted(QStringLiteral("^(.*)=(\\d+)$"));
            const bool never = expected.startsWith(u'!');
            const QRegularExpressionMatch count = counted.match(expected);
            const QRegularExpression pattern(QRegularExpression::anchoredPattern(
                never ? expected.mid(1) : count.hasMatch() ? count.captured(1) : expected));
            if (never || count.hasMatch()) {
                const qsizetype found = run.Wire.filter(pattern).size();
                QVERIFY2(never ? found == 0 : found == count.captured(2).toInt(),
                         qPrintable(expected + " in: " + run.Wire.join(' ')));
                continue;
            }
            next = run.Wire.indexOf(pattern, next);
            QVERIFY2(next >= 0, qPrintable(expected + " in: " + run.Wire.join(' ')));
        }
        if (!c.Signal && !c.Typed.isEmpty())
            QVERIFY2(!run.Echoed.contains(c.Typed.trimmed()), run.Echoed.constData());
        // Whatever a case did, the settings file it was given is as it was.
        QCOMPARE(ReadAll(keep), kept);
    }

    void manualPageListsEveryOption()
    {
        if (QStandardPaths::findExecutable("man").isEmpty())
            QSKIP("man is not installed");
        QByteArray help;
        QCOMPARE(Cli({"--help"}, &help), 0);
        QProcess man;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LC_ALL", "C");
        environment.insert("MANWIDTH", "200");
        man.setProcessEnvironment(environment);
        man.start("man", {"-l", QV_CLI_MANUAL_PAGE});
        QVERIFY(man.waitForFinished(30000));
        const QString page = QString::fromLocal8Bit(man.readAllStandardOutput());
        static const QRegularExpression option(QStringLiteral("--[a-z][a-z-]*"));
        QStringList options;
        for (auto it = option.globalMatch(QString::fromLocal8Bit(help)); it.hasNext();)
            options << it.next().captured();
        QVERIFY(options.size() > 10);
        for (const QString &name : options)
            QVERIFY2(page.contains(QRegularExpression(QRegularExpression::escape(name) + "\\b(?!-)")), qPrintable(name));
    }

private:
    static QByteArray ReadAll(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // The files a case starts from, made with the program itself where it can,
    // from an instrument of its own (as the case's holds them, without its faults).
    static bool Prepare(const QString &what, const QString &dir)
    {
        const QString keep = dir + "/keep.QVS";
        std::unique_ptr<TSim> instrument;
        if (what == "settings" || what == "changed" || what == "backup")
            instrument = std::make_unique<TSim>(QStringList());
        const QString port = instrument ? instrument->Device : QString();
        if (what == "settings")
            return Cli({"--port", port, "read", keep}) == 0;
        if (what == "changed")
            return Cli({"--port", port, "read", keep}) == 0 && Replace(keep, "ENU", "ENU1")
                   && Replace(keep, "PST1,", "PST1,\"AB\"") && Replace(keep, "PST2,", "PST2,\"CD\"");
        if (what == "backup")
            return Cli({"--port", port, "backup", dir + "/unit.cal"}) == 0;
        if (what == "foreigncal")
            return MakeCalFile(dir + "/foreign.cal", "46200001", "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF");
        if (what == "shortcal")
            return MakeCalFile(dir + "/short.cal", "46200001", "12345");
        if (what == "pass644") {
            QFile pass(dir + "/pass");
            return pass.open(QIODevice::WriteOnly) && pass.write("4321\n") == 5
                   && pass.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                          | QFileDevice::ReadOther);
        }
        return what.isEmpty();
    }

    static TRun Run(const TCase &c, const QString &port, const QString &dir, TSim *sim, TPtyPeer *peer)
    {
        TRun run;
        QProcess cli;
        cli.setWorkingDirectory(dir);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString &variable : c.Env)
            environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        cli.setProcessEnvironment(environment);
        TPtyPeer terminal;
        if (c.Input == "terminal" && EchoOn(terminal.SlavePath()))
            cli.setStandardInputFile(terminal.SlavePath());
        else
            cli.setStandardInputFile(c.Input.isEmpty() ? QProcess::nullDevice() : Expand(c.Input, port, dir));
        QStringList args;
        for (const QString &arg : c.Args)
            args << Expand(arg, port, dir);
        cli.start(CliCopy(), args);
        if (!cli.waitForStarted(5000))
            return run;
        bool signalled = c.When.isEmpty();
        QElapsedTimer clock;
        clock.start();
        while (cli.state() != QProcess::NotRunning && clock.elapsed() < 60000) {
            if (peer) {
                peer->Pump(10);
                // Noise in place of an identity, or "0" to anything.
                if (const QByteArray got = peer->Take(); !got.isEmpty())
                    peer->Write(c.Line == "garbled" && got.contains("IDN?") ? "\xf2\xdf\r\n" : "0\r\n");
            } else {
                RunEventLoopFor(10);
            }
            run.Err += cli.readAllStandardError();
            const QString moment = c.When.section(u':', 1);
            const bool now = c.When.startsWith("err:") ? run.Err.contains(moment.toLocal8Bit())
                                                       : sim && sim->Received().contains(moment);
            if (!signalled && now) {
                if (c.Signal)
                    ::kill(pid_t(cli.processId()), c.Signal);
                signalled = true;
                terminal.Write(c.Typed);
            }
        }
        if (cli.state() != QProcess::NotRunning) {
            cli.kill();
            cli.waitForFinished(3000);
            return run;
        }
        run.Err += cli.readAllStandardError();
        run.Out = cli.readAllStandardOutput();
        run.Status = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -2;
        run.Echoed = terminal.Take();
        if (sim) {
            RunEventLoopFor(300);   // the simulator's log of the last commands
            run.Wire = sim->Received();
        }
        return run;
    }
};

QV_TEST_MAIN(TestCli)
} // namespace test_cli
#include "test_cli.moc"
