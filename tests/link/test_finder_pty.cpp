// Finding the instrument over pseudo-terminals: kd4620-sim answering at one
// baud rate only (and line noise at the others), through the connection
// dialog's Find and through the finder alone.

#include "link/comdialog.h"
#include "link/findpanel.h"
#include "link/instrumentfinder.h"
#include "support/pty_peer.h"
#include "support/testmain.h"
#include "ui/scriptedprompts.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>

// A namespace of its own: the folder's test files are compiled together.
namespace test_finder_pty {

namespace {
struct TSim {
    QProcess Process;
    QString Path;
    explicit TSim(const QStringList &arguments)
    {
        Process.start(qEnvironmentVariable("QV_BIN_DIR") + "/kd4620-sim", arguments);
        if (Process.waitForStarted(3000) && Process.waitForReadyRead(5000))
            Path = QString::fromLocal8Bit(Process.readLine()).trimmed();
    }
    ~TSim()
    {
        Process.terminate();
        Process.waitForFinished(3000);
    }
};
// Descriptors of this process open on `device`.
int OpenCount(const QString &device)
{
    int count = 0;
    for (const QString &fd : QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        count += QFile::symLinkTarget("/proc/self/fd/" + fd) == device;
    return count;
}
const QStringList Noise{"--line-baud", "300"}; // a speed never tried: noise at all of them
} // namespace

class TestFinderPty : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (!QFileInfo(qEnvironmentVariable("QV_BIN_DIR") + "/kd4620-sim").isExecutable())
            QSKIP("kd4620-sim has not been built");
    }

    void findFillsTheDialogOrSaysWhatItTried_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("address");
        QTest::newRow("19200, unit 7") << QStringList{"--line-baud", "19200", "--address", "7"} << 19200 << 7;
        QTest::newRow("noise at every speed") << Noise << 9600 << TFrmComDialog::AnyAddress;
    }
    void findFillsTheDialogOrSaysWhatItTried()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, baud);
        QFETCH(int, address);
        TSim sim(arguments);
        QVERIFY(!sim.Path.isEmpty());
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TFrmComDialog dialog({"/dev/null-port", sim.Path});
        dialog.SelectPort(sim.Path); // the dialog's defaults otherwise: 9600, "Any"
        dialog.FindPanel->BtnFind->click();
        QVERIFY(!dialog.BtnOk->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.FindPanel->IsSearching(), 15000);
        QCOMPARE(dialog.BaudRate(), baud);
        QCOMPARE(dialog.UnitAddress(), address);
        QCOMPARE(dialog.PortName(), sim.Path);
        QVERIFY(dialog.BtnOk->isEnabled());
        if (address != TFrmComDialog::AnyAddress) {
            QVERIFY2(script.Messages().isEmpty(), qPrintable(script.Messages().join('|')));
            return;
        }
        // Both ports, the chosen one first, every rate the dialog offers.
        QCOMPARE(script.Messages().size(), 1);
        const QString message = script.Messages().first();
        QVERIFY2(message.indexOf(sim.Path + " at 9600, 19200, 57600, 4800, 2400, 1200 baud") > 0, qPrintable(message));
        QVERIFY2(message.indexOf("/dev/null-port") > message.indexOf(sim.Path), qPrintable(message));
    }

    void everyInstrumentOnSeveralPortsIsReportedAndNoiseIsNot()
    {
        TSim first({"--address", "3"}), second({"--line-baud", "57600", "--address", "5"}), noise(Noise);
        TInstrumentFinder finder;
        QElapsedTimer clock;
        qint64 noiseStarted = -1, noiseTook = -1;
        connect(&finder, &TInstrumentFinder::Trying, [&](const QString &port) {
            if (port == noise.Path && noiseStarted < 0)
                noiseStarted = clock.elapsed();
        });
        connect(&finder, &TInstrumentFinder::Finished, [&] { noiseTook = clock.elapsed() - noiseStarted; });
        clock.start();
        finder.Start({first.Path, second.Path, noise.Path}, TInstrumentFinder::CommonBaudRates());
        QTRY_VERIFY_WITH_TIMEOUT(!finder.IsRunning(), 20000);
        const QList<TFoundInstrument> found = finder.Results();
        QCOMPARE(found.size(), 2);
        QCOMPARE((QList<int>{found[0].BaudRate, found[0].UnitAddress}), (QList<int>{9600, 3}));
        QCOMPARE((QList<int>{found[1].BaudRate, found[1].UnitAddress}), (QList<int>{57600, 5}));
        QCOMPARE(found[1].Port, second.Path);
        QVERIFY(found[0].Identity.startsWith("\"KD4620\""));
        QCOMPARE(finder.Tried().at(2).BaudRates, TInstrumentFinder::CommonBaudRates());
        // The noise port, at eight baud rates, nominally 8 x 300 ms; the bound
        // is loose because this machine may be busy.
        qInfo("noise port given up after %lld ms", noiseStarted >= 0 ? noiseTook : -1);
        QVERIFY(noiseTook > 0 && noiseTook < 6000);
    }

    // Units of a bus answer "any" at once: an address scan lists each of
    // them, within 3 s at 9600 baud, also when the bus is paced at its speed
    // (neighbours: the next is asked only once the last answer is over).
    void everyUnitOfABusIsListed_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QList<int>>("units");
        QTest::newRow("unpaced") << QStringList{"--units", "1,2,5"} << QList<int>{1, 2, 5};
        QTest::newRow("paced at 9600") << QStringList{"--units", "1,2,3,4,5", "--baud", "9600"}
                                       << QList<int>{1, 2, 3, 4, 5};
        QTest::newRow("slow turnaround") << QStringList{"--units", "1,2,5", "--fault", "latency=30"}
                                         << QList<int>{1, 2, 5};
    }
    void everyUnitOfABusIsListed()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QList<int>, units);
        TSim bus(arguments);
        TInstrumentFinder finder;
        QElapsedTimer clock;
        clock.start();
        // A real event loop: the finder answers each reply as soon as it comes.
        QSignalSpy finished(&finder, &TInstrumentFinder::Finished);
        finder.Start({bus.Path}, {9600});
        QVERIFY(finished.wait(10000));
        const qint64 took = clock.elapsed();
        QList<int> found;
        for (const TFoundInstrument &instrument : finder.Results()) {
            found << instrument.UnitAddress;
            QCOMPARE(instrument.Identity,
                     QStringLiteral("\"KD4620\",\"4620000%1\",\"1.04\"").arg(instrument.UnitAddress));
        }
        QCOMPARE(found, units);
        qInfo("bus scanned in %lld ms", took);
        QVERIFY(took < 3000);
    }

    void theDialogListsTheUnitsToChooseFrom()
    {
        TSim bus({"--units", "2,7"});
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TFrmComDialog dialog({bus.Path});
        dialog.SelectPort(bus.Path);
        dialog.FindPanel->BtnFind->click();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.FindPanel->IsSearching(), 10000);
        QCOMPARE(dialog.FindPanel->LBxFound->count(), 2);
        QCOMPARE(dialog.UnitAddress(), 2);
        dialog.FindPanel->LBxFound->setCurrentRow(1);
        QCOMPARE(dialog.UnitAddress(), 7);
        QCOMPARE(dialog.FoundUnits(), (QList<int>{2, 7}));
        // Another line than the one searched has no units found.
        dialog.SelectBaudRate(19200);
        QVERIFY(dialog.FoundUnits().isEmpty());
        QVERIFY2(script.Messages().isEmpty(), qPrintable(script.Messages().join('|')));
    }

    // A piece of a line before a pause is noise: the address that follows
    // it is read alone ("     1", then "5", is not unit 15).
    void aLineCutOffBeforeTheAddressIsNoise()
    {
        TPtyPeer instrument;
        QVERIFY2(instrument.IsValid(), qPrintable(instrument.ErrorString()));
        TInstrumentFinder finder;
        finder.Start({instrument.SlavePath()}, {9600});
        QVERIFY(instrument.WaitFor("IDN?;"));
        instrument.Write("\"KD4620\",\"46200001\",\"1.04\"\r\n");
        QVERIFY(instrument.WaitFor("ADR?;"));
        instrument.Write("     1");
        instrument.Pump(150);
        instrument.Write("5\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(!finder.IsRunning(), 3000);
        QCOMPARE(finder.Results().size(), 1);
        QCOMPARE(finder.Results().first().UnitAddress, 5);
    }

    void cancelStopsAtOnceAndFreesThePort()
    {
        TSim noise(Noise);
        TInstrumentFinder finder;
        QSignalSpy trying(&finder, &TInstrumentFinder::Trying), finished(&finder, &TInstrumentFinder::Finished);
        finder.Start({noise.Path}, TInstrumentFinder::CommonBaudRates());
        QTRY_COMPARE_WITH_TIMEOUT(trying.size(), 2, 5000);
        QCOMPARE(OpenCount(noise.Path), 1);
        finder.Cancel();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toBool(), true);
        QCOMPARE(OpenCount(noise.Path), 0);
        QTest::qWait(2 * TInstrumentFinder::TryMs);
        QCOMPARE(trying.size(), 2);
    }
};

QV_TEST_MAIN(TestFinderPty)
} // namespace test_finder_pty
#include "test_finder_pty.moc"
