// Faults of the simulated weighing (span error, non-linearity, eccentricity),
// set by option or by a line of text, and the program taking such lines on
// its standard input while it serves. (A platform that never settles is
// tried by the verification's own tests.)

#include "sim_harness.h"
#include "support/testmain.h"

#include "sim/sim_control.h"
#include "sim/sim_options.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSerialPort>

// A namespace of its own: the folder's test files are compiled together.
namespace test_sim_errors {

namespace {

// The weight field of the weight line, and whether the stable bit is set.
std::pair<QString, bool> Weigh(TSimHarness &sim, double load, qint64 settleMs = 1100)
{
    sim.Instrument.Load().SetFixed(load);
    sim.Advance(settleMs);
    const QStringList fields = sim.Ask("MSV?;").split(QLatin1Char(','));
    return {fields.value(0).trimmed(), (fields.value(2).toInt() & 2) != 0};
}

} // namespace

class TestSimErrors : public QObject {
    Q_OBJECT
private slots:
    // Full Scale 1 is 4000 at one count a division (the defaults).
    void faultsShiftTheReading_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<double>("load");
        QTest::addColumn<QString>("weight");
        QTest::newRow("none") << QStringList{} << 4000.0 << "4000";
        QTest::newRow("span at Max") << QStringList{"span-error-e 2"} << 4000.0 << "4002";
        QTest::newRow("span at half Max") << QStringList{"span-error-e 2"} << 2000.0 << "2001";
        QTest::newRow("span, negative") << QStringList{"span-error-e -3"} << 4000.0 << "3997";
        QTest::newRow("non-linearity at half Max") << QStringList{"nonlinearity-e 2"} << 2000.0 << "2002";
        QTest::newRow("non-linearity at Max") << QStringList{"nonlinearity-e 2"} << 4000.0 << "4000";
        QTest::newRow("eccentricity, centre") << QStringList{"eccentricity-e 2", "position centre"} << 1333.0 << "1333";
        QTest::newRow("eccentricity, front corner") << QStringList{"eccentricity-e 2", "position 2"} << 1333.0
                                                    << "1335";
        QTest::newRow("eccentricity, back corner") << QStringList{"eccentricity-e 2", "position 4"} << 1333.0 << "1331";
        QTest::newRow("comment and blank") << QStringList{"# nothing", "", "span-error-e 1 # a comment"} << 4000.0
                                           << "4001";
    }

    void faultsShiftTheReading()
    {
        QFETCH(QStringList, lines);
        QFETCH(double, load);
        QFETCH(QString, weight);
        TSimHarness sim;
        for (const QString &line : lines) {
            QString said;
            QVERIFY2(ApplySimControl(sim.Instrument, line, &said), qPrintable(said));
        }
        QCOMPARE(Weigh(sim, load), std::make_pair(weight, true));
    }

    // The error lies in the load cell, before the calibration: a span
    // calibration with the test weight takes the span error out.
    void spanCalibrationTakesTheSpanErrorOut()
    {
        TSimOptions options;
        QString message;
        QCOMPARE(ParseSimOptions({"kd4620-sim", "--span-error-e", "2"}, &options, &message), TSimOptionsResult::Run);
        TSimHarness sim(options.Config);
        QCOMPARE(Weigh(sim, 4000).first, QStringLiteral("4002"));
        QCOMPARE(sim.Ask("CWT4000;"), QStringLiteral("0"));
        QCOMPARE(sim.Ask("LWT;"), QStringLiteral("0"));
        for (int i = 0; i < 8 && sim.Ask("LWT?;") != QLatin1String("0"); ++i)
            sim.Advance(100);
        QCOMPARE(Weigh(sim, 4000).first, QStringLiteral("4000"));
        QCOMPARE(Weigh(sim, 2000).first, QStringLiteral("2000"));
    }

    void programTakesLinesOnStandardInput()
    {
        QProcess sim;
        sim.setProcessChannelMode(QProcess::SeparateChannels);
        sim.start(QDir(qEnvironmentVariable("QV_BIN_DIR")).filePath("kd4620-sim"), {"--span-error-e", "1"});
        QVERIFY(sim.waitForStarted(5000) && sim.waitForReadyRead(5000));
        const QString device = QString::fromLocal8Bit(sim.readLine()).trimmed();
        QSerialPort port(device);
        QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
        const auto weigh = [&port] {
            QTest::qWait(1200);   // the jump of the load is motion for a second
            port.readAll();
            port.write("MSV?;");
            QByteArray line;
            QElapsedTimer clock;
            clock.start();
            while (!line.contains("\r\n") && clock.elapsed() < 3000)
                if (port.waitForReadyRead(100))
                    line += port.readAll();
            return QString::fromLatin1(line).section(QLatin1Char(','), 0, 0).trimmed();
        };
        sim.write("load 4000\n");
        QCOMPARE(weigh(), QStringLiteral("4001"));
        sim.write("span-error-e 0\nload 1250\n");
        QCOMPARE(weigh(), QStringLiteral("1250"));
        sim.write("position 9\n");
        QByteArray said;
        QTRY_VERIFY((said += sim.readAllStandardError()).contains("not taken: position takes"));
        sim.closeWriteChannel();   // the end of the input: it goes on serving
        QCOMPARE(weigh(), QStringLiteral("1250"));
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
    }
};

QV_TEST_GUILESS_MAIN(TestSimErrors)
} // namespace test_sim_errors
#include "test_sim_errors.moc"
