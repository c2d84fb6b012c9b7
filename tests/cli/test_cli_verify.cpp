// quenvale7400-cli verify as an operator runs it: kd4620-sim on its
// pseudo-terminal, the test weights placed by a line on the simulator's
// standard input each time the program asks, and Enter given through a pipe.

#include "support/pty_peer.h"
#include "support/testmain.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

// A namespace of its own: the folder's test files are compiled together.
namespace test_cli_verify {

namespace {

QString Bin(const QString &name) { return qEnvironmentVariable("QV_BIN_DIR") + u'/' + name; }

struct TRun {
    int Status = -1;
    QStringList Out;
    QString Err;
};

// Runs verify against a simulator started with `sim`; each "Place ..."
// puts that load on the simulated scale and answers Enter, `enters` times,
// then standard input ends.
TRun Verify(const QStringList &sim, const QStringList &args, int enters)
{
    TRun run;
    QProcess instrument;
    instrument.start(Bin("kd4620-sim"), sim);
    if (!instrument.waitForStarted(5000) || !instrument.waitForReadyRead(5000))
        return run;
    const QString device = QString::fromLocal8Bit(instrument.readLine()).trimmed();
    QProcess cli;
    cli.start(Bin("quenvale7400-cli"), QStringList{"--port", device, "verify"} + args);
    if (!cli.waitForStarted(5000))
        return run;
    static const QRegularExpression place(QStringLiteral("Place (\\S+) kg, then press Enter"));
    qsizetype asked = 0;
    QElapsedTimer clock;
    clock.start();
    while (cli.state() != QProcess::NotRunning && clock.elapsed() < 90000) {
        RunEventLoopFor(20);
        run.Err += QString::fromLocal8Bit(cli.readAllStandardError());
        const QList<QRegularExpressionMatch> prompts = [&] {
            QList<QRegularExpressionMatch> all;
            for (auto it = place.globalMatch(run.Err); it.hasNext();)
                all << it.next();
            return all;
        }();
        for (; asked < prompts.size(); ++asked) {
            if (asked >= enters) {
                cli.closeWriteChannel();
                continue;
            }
            instrument.write(QStringLiteral("load %1\n").arg(prompts[asked].captured(1)).toLatin1());
            RunEventLoopFor(100);
            cli.write("\n");
        }
    }
    cli.waitForFinished(3000);
    run.Err += QString::fromLocal8Bit(cli.readAllStandardError());
    run.Out = QString::fromLocal8Bit(cli.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    run.Status = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -2;
    instrument.terminate();
    instrument.waitForFinished(3000);
    return run;
}

QString PdfText(const QString &pdf)
{
    QProcess reader;
    reader.start(QStringLiteral("pdftotext"), {"-layout", pdf, "-"});
    return reader.waitForFinished(10000) ? QString::fromUtf8(reader.readAllStandardOutput()).simplified() : QString();
}

} // namespace

class TestCliVerify : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (!QFileInfo(Bin("quenvale7400-cli")).isExecutable() || !QFileInfo(Bin("kd4620-sim")).isExecutable())
            QSKIP("quenvale7400-cli or kd4620-sim has not been built");
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
    }

    // Class III, e 1 kg, Max 4000 kg from the instrument; a span error of 2 e.
    void verifyPlacesEachLoadAndJudgesIt_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("enters");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("out");      // standard output, line by line
        QTest::addColumn<QStringList>("err");      // said on standard error
        QTest::addColumn<QStringList>("pdf");      // in the certificate ("" none written)
        const QStringList loads{"--loads", "0,500,2000,4000", "--certificate", "$DIR/c.pdf"};
        const QString max = "4000 kg: indication 4002, error +2, MPE %1, %2";
        QTest::newRow("initial: Max fails by 2 e") << loads << 4 << 1
            << QStringList{"0 kg: indication 0, error 0, MPE 0.5, pass", "500 kg: indication 500, error 0, MPE 0.5, pass",
                           "2000 kg: indication 2001, error +1, MPE 1.0, pass", max.arg("1.5", "fail"),
                           "Verdict: FAIL (1 of 4 loads failed)"}
            << QStringList{"Place 4000 kg, then press Enter", "1 of 4 loads failed."}
            << QStringList{"up 2000 2001 +1 1.0 pass", "up 4000 4002 +2 1.5 fail", "Verdict: FAIL"};
        QTest::newRow("in service: all pass") << loads + QStringList{"--in-service"} << 4 << 0
            << QStringList{"0 kg: indication 0, error 0, MPE 1.0, pass", "500 kg: indication 500, error 0, MPE 1.0, pass",
                           "2000 kg: indication 2001, error +1, MPE 2.0, pass", max.arg("3.0", "pass"),
                           "Verdict: PASS (0 of 4 loads failed)"}
            << QStringList{} << QStringList{"up 4000 4002 +2 3.0 pass", "Verdict: PASS"};
        QTest::newRow("json, class IIII") << QStringList{"--loads", "500,4000", "--class", "iiii", "--json"} << 2 << 1
            << QStringList{R"({"error":0,"indication":500,"load":500,"mpe":1.5,"pass":true})",
                           R"({"error":2,"indication":4002,"load":4000,"mpe":1.5,"pass":false})"}
            << QStringList{} << QStringList{""};
        QTest::newRow("input ends early") << loads << 2 << 1
            << QStringList{"0 kg: indication 0, error 0, MPE 0.5, pass", "500 kg: indication 500, error 0, MPE 0.5, pass"}
            << QStringList{"Standard input ended before 2000 kg was placed."}
            << QStringList{"up 500 500 0 0.5 pass", "up 2000 - - 1.0 -", "Verdict: NOT COMPLETE"};
        QTest::newRow("e finer than the display step") << QStringList{"--loads", "0", "--e", "0.5"} << 0 << 1
            << QStringList{} << QStringList{"e (0.5 kg) must not be smaller than the instrument's display step (1.0 kg)."}
            << QStringList{""};
        QTest::newRow("a load above Max") << QStringList{"--loads", "0,5000"} << 2 << 1 << QStringList{}
            << QStringList{"The load 5000 kg is above Max (4000 kg).", "!Place"} << QStringList{""};
        QTest::newRow("certificate of the wrong kind") << QStringList{"--loads", "0", "--certificate", "$DIR/c.QVS"}
            << 0 << 2 << QStringList{} << QStringList{"verify writes .pdf files"} << QStringList{""};
    }

    void verifyPlacesEachLoadAndJudgesIt()
    {
        QFETCH(QStringList, args);
        QFETCH(int, enters);
        QFETCH(int, status);
        QFETCH(QStringList, out);
        QFETCH(QStringList, err);
        QFETCH(QStringList, pdf);
        QTemporaryDir dir;
        for (QString &arg : args)
            arg.replace("$DIR", dir.path());
        const TRun run = Verify({"--span-error-e", "2"}, args, enters);
        QVERIFY2(run.Status == status, qPrintable(QStringLiteral("status %1\n%2").arg(run.Status).arg(run.Err)));
        if (args.contains("--json")) {
            // Each result an object; the failure object names the verdict.
            QCOMPARE(run.Out.size(), out.size() + 1);
            for (int i = 0; i < out.size(); ++i)
                QCOMPARE(QJsonDocument::fromJson(run.Out[i].toUtf8()), QJsonDocument::fromJson(out[i].toUtf8()));
            const QJsonObject summary = QJsonDocument::fromJson(run.Out.last().toUtf8()).object();
            QCOMPARE(summary.value("verdict").toString(), QStringLiteral("FAIL"));
            QCOMPARE(summary.value("status").toInt(), status);
        } else {
            QCOMPARE(run.Out, out);
        }
        for (const QString &said : err)
            QVERIFY2(said.startsWith(u'!') ? !run.Err.contains(said.mid(1)) : run.Err.contains(said),
                     qPrintable(said + "\nin:\n" + run.Err));
        const QString certificate = dir.filePath("c.pdf");
        QCOMPARE(QFileInfo::exists(certificate), pdf != QStringList{""});
        const QString text = QFileInfo::exists(certificate) ? PdfText(certificate) : QString();
        for (const QString &row : pdf)
            QVERIFY2(text.contains(row), qPrintable(row + "\nnot in:\n" + text));
    }
};

QV_TEST_MAIN(TestCliVerify)
} // namespace test_cli_verify
#include "test_cli_verify.moc"
