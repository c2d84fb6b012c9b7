// The main window connects again by itself when a lost port returns: the
// kd4620-sim program pulls its port away (SIGUSR1) and is started again at
// the same path.

#include "app/frmmain.h"
#include "link/dmviewer.h"
#include "link/ioiface_serial.h"
#include "support/testmain.h"
#include "ui/scriptedprompts.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QToolButton>

#include <csignal>

// A namespace of its own: the folder's test files are compiled together.
namespace test_reconnect_pty {

namespace {
bool StartSim(QProcess &sim, const QString &link)
{
    sim.start(qEnvironmentVariable("QV_BIN_DIR") + "/kd4620-sim", {"--link", link});
    return sim.waitForStarted(3000) && sim.waitForReadyRead(5000) && sim.readLine().trimmed() == link.toLocal8Bit();
}
} // namespace

class TestReconnectPty : public QObject {
    Q_OBJECT
private slots:
    void aReturningPortIsConnectedAgainUntilDisconnectEndsTheWait()
    {
        if (!QFileInfo(qEnvironmentVariable("QV_BIN_DIR") + "/kd4620-sim").isExecutable())
            QSKIP("kd4620-sim has not been built");
        QTemporaryDir dir;
        const QString link = dir.filePath("ttyKD");
        QProcess sim;
        QVERIFY(StartSim(sim, link));
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TdatViewer store(dir.filePath("viewer.ini"));
        TFrmMain w;
        w.SetConnectionStore(&store);
        auto serial = std::make_unique<TIOIfaceSerial>();
        serial->SetPortName(link);
        serial->SetBaudRate(19200);
        w.Session.InstallAndOpen(std::move(serial));
        QTRY_VERIFY_WITH_TIMEOUT(w.PanelText(0).contains("MSV?"), 3000);

        for (const bool operatorDisconnects : {false, true}) {
            script.Clear();
            QString noteWhileLost;
            // The port comes back while the message that it was lost is still
            // up: the message goes by itself.
            script.WhileMessageShown = [&] {
                noteWhileLost = w.StatusNote->text();
                if (operatorDisconnects)
                    return;
                w.SetPanelText(0, {});
                QVERIFY(StartSim(sim, link));
                QTRY_VERIFY_WITH_TIMEOUT(!script.Withdrawn.isEmpty(), 10000);
            };
            ::kill(sim.processId(), SIGUSR1);
            QVERIFY(sim.waitForFinished(5000));
            QTRY_COMPARE_WITH_TIMEOUT(script.Messages().size(), 1, 3000);
            QCOMPARE(noteWhileLost, QStringLiteral("Port lost - waiting for it to return"));
            if (operatorDisconnects) {
                QVERIFY(!w.Session.IsOpen());
                QCOMPARE(w.ToolButton4->text(), QStringLiteral("&Disconnect"));
                w.Connect2->trigger();
                QCOMPARE(w.ToolButton4->text(), QStringLiteral("&Connect"));
                QVERIFY(w.StatusNote->text().isEmpty());
                QVERIFY(StartSim(sim, link));
                QTest::qWait(1000);
                QVERIFY(!w.Session.IsOpen());
                break;
            }
            QCOMPARE(script.Withdrawn, script.Messages());
            QTRY_VERIFY_WITH_TIMEOUT(w.PanelText(0).contains("MSV?"), 10000);
            QCOMPARE(dynamic_cast<TIOIfaceSerial &>(w.Session.Transport()).BaudRate(), 19200);
            const QString note = w.StatusNote->text();
            QVERIFY2(QRegularExpression("^Port lost at \\d\\d:\\d\\d:\\d\\d and came back$").match(note).hasMatch(),
                     qPrintable(note));
            QCOMPARE(w.ToolButton4->text(), QStringLiteral("&Disconnect"));
            QCOMPARE(script.Messages().size(), 1);
        }
        sim.terminate();
        sim.waitForFinished(3000);
    }
};

QV_TEST_MAIN(TestReconnectPty)
} // namespace test_reconnect_pty
#include "test_reconnect_pty.moc"
