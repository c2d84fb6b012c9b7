// The real program ended from outside while it holds an unsaved log: it is
// started as a user would start it (its own folders, the simulated
// instrument on a pseudo-terminal), a driver loaded into it works its window,
// and it gets SIGTERM as at a logout.

#include "logging/logfile.h"
#include "support/testmain.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

// A namespace of its own: the folder's test files are compiled together.
namespace test_termination {

namespace {
const QString BinDir = qEnvironmentVariable("QV_BIN_DIR");

// Standard output lines of the program until one starts with `prefix`.
QString WaitForLine(QProcess &process, const QString &prefix, QStringList &said, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        while (process.canReadLine()) {
            said << QString::fromLocal8Bit(process.readLine()).trimmed();
            if (said.last().startsWith(prefix))
                return said.last();
        }
        if (process.state() != QProcess::Running)
            break;
        process.waitForReadyRead(100);
    }
    return {};
}

QStringList FilesUnder(const QString &folder, const QString &pattern)
{
    QStringList files;
    for (QDirIterator it(folder, {pattern}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        files << it.next();
    return files;
}
} // namespace

class TestTermination : public QObject {
    Q_OBJECT
private slots:
    void anEndFromOutsideKeepsTheUnsavedLogAndTheNextStartOffersIt_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("portLost"); // and its message up, unanswered
        QTest::newRow("SIGTERM") << int(SIGTERM) << false;
        QTest::newRow("SIGHUP, a message up") << int(SIGHUP) << true;
    }

    void anEndFromOutsideKeepsTheUnsavedLogAndTheNextStartOffersIt()
    {
        QFETCH(int, signal);
        QFETCH(bool, portLost);
        for (const QString &file : {BinDir + "/quenvale7400", BinDir + "/kd4620-sim", QString(QV_DRIVER_DIR) + "/generic"})
            if (!QFileInfo::exists(file))
                QSKIP(qPrintable(file + " has not been built"));
        QTemporaryDir dir;
        // A copy of its own: no connection settings file beside it to change.
        const QString program = dir.filePath("quenvale7400");
        QVERIFY(QFile::copy(BinDir + "/quenvale7400", program));
        QProcess sim;
        sim.start(BinDir + "/kd4620-sim", {"--link", dir.filePath("ttyKD"), "--verbose", "--load", "1250"});
        QVERIFY(sim.waitForStarted(3000) && sim.waitForReadyRead(5000));

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", dir.filePath("home"));
        env.insert("XDG_DATA_HOME", dir.filePath("data"));
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("QT_PLUGIN_PATH", QV_DRIVER_DIR);
        env.insert("QT_QPA_GENERIC_PLUGINS", "qvdriver");
        env.insert("QV_DRIVE", "log:" + dir.filePath("ttyKD"));
        QProcess viewer;
        viewer.setProcessEnvironment(env);
        viewer.start(program, {});
        QVERIFY(viewer.waitForStarted(5000));
        QStringList said;
        QVERIFY2(!WaitForLine(viewer, "logging", said, 20000).isEmpty(),
                 qPrintable(said.join('\n') + viewer.readAllStandardError()));
        QVERIFY2(!said.join('\n').contains("asked:"), qPrintable(said.join('\n')));
        sim.readAllStandardError(); // what the instrument heard so far
        if (portLost) {
            ::kill(pid_t(sim.processId()), SIGUSR1);
            QVERIFY2(WaitForLine(viewer, "asked: Connection", said, 5000).contains("lost"), qPrintable(said.join('\n')));
        }

        QElapsedTimer ending;
        ending.start();
        ::kill(pid_t(viewer.processId()), signal);
        QVERIFY(viewer.waitForFinished(3000));
        qInfo("ended %lld ms after the signal, exit status %d", ending.elapsed(), viewer.exitCode());
        QVERIFY(ending.elapsed() < 2000);
        QCOMPARE(viewer.exitStatus(), QProcess::NormalExit);
        QCOMPARE(viewer.exitCode(), 0);

        const QStringList kept = FilesUnder(dir.filePath("data"), "*.LOG");
        QCOMPARE(kept.size(), 1);
        TLogFileData log;
        QString error;
        QVERIFY2(LoadLogFile(kept.first(), log, &error), qPrintable(error));
        QVERIFY2(log.Weight().size() >= 5, qPrintable(QString::number(log.Weight().size())));
        if (portLost)
            return;
        // The instrument stops streaming and is locked.
        QTest::qWait(200);
        const QString after = QString::fromLocal8Bit(sim.readAllStandardError());
        QVERIFY2(after.count(">>> STP") > 0 && after.contains(">>> PCD"), qPrintable(after));

        // The next start names the file and offers it.
        env.insert("QV_DRIVE", "answer");
        viewer.setProcessEnvironment(env);
        viewer.start(program, {});
        QVERIFY(viewer.waitForStarted(5000));
        said.clear();
        const QString offer = WaitForLine(viewer, "asked:", said, 20000);
        QVERIFY2(offer.contains(QFileInfo(kept.first()).fileName()) && offer.contains("Open it now?"),
                 qPrintable(said.join('\n')));
        qInfo("%s", qPrintable(offer));
        QCOMPARE(FilesUnder(dir.filePath("data"), "*.LOG").size(), 1);
        ::kill(pid_t(viewer.processId()), SIGTERM);
        QVERIFY(viewer.waitForFinished(3000));
        sim.terminate();
        sim.waitForFinished(3000);
    }
};

QV_TEST_MAIN(TestTermination)
} // namespace test_termination
#include "test_termination.moc"
