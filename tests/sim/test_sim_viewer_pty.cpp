// The viewer against the simulated instrument on a pseudo-terminal, where it
// depends on what the instrument does: high resolution and alarm 4.

#include "app/frmmain.h"
#include "display/fontreading.h"
#include "link/ioiface_serial.h"
#include "logging/loggingsession.h"
#include "logging/logpage.h"
#include "sim/sim_server.h"
#include "support/testmain.h"
#include "ui/scriptedprompts.h"

#include <QDialog>
#include <QPushButton>

// A namespace of its own: the folder's test files are compiled together.
namespace test_sim_viewer_pty {

class TestSimViewerPty : public QObject {
    Q_OBJECT
private slots:
    void viewerTakesTheInstrumentAsItIs()
    {
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TSimConfig config;
        config.Load = 1234.5;
        TSimServer server(config);
        QString error;
        QVERIFY2(server.Start(&error), qPrintable(error));
        TSimSettings &held = server.Instrument().Settings();
        QVERIFY(held.Write("IAD", "1,4000,2,1,1,0") && held.Write("LIV", "3,1,1,1,0,0,0,1,0,4"));
        TFrmMain w;
        auto serial = std::make_unique<TIOIfaceSerial>();
        serial->SetPortName(server.Path());
        w.Session.InstallAndOpen(std::move(serial));
        // No progress answers: each transfer runs on its own timer until it ends.
        w.ReadSettings1->trigger();
        QCOMPARE(w.EditModel.Setpoints[2].Alarm, 4);
        QVERIFY(script.Messages().isEmpty());
        w.WriteSettings1->trigger(); // nothing to write back
        QCOMPARE(script.Messages(), QStringList{"The instrument already holds these settings."});

        QTRY_COMPARE_WITH_TIMEOUT(Reading(*w.LCDMain).trimmed(), QStringLiteral("12.345"), 3000);
        w.PgCMain->setCurrentWidget(w.TSLog);
        script.DialogAnswers = {[](QDialog &) { return int(QDialog::Accepted); }};
        w.LogPage->BtnStart->click();
        const TCompactLog &chart = w.Logging->Points;
        QTRY_VERIFY_WITH_TIMEOUT(chart.Size(TLoggingSession::SeriesWeight) > 0, 3000);
        QCOMPARE(chart.Last(TLoggingSession::SeriesWeight).value, 12.345);
    }
};

QV_TEST_MAIN(TestSimViewerPty)
} // namespace test_sim_viewer_pty
#include "test_sim_viewer_pty.moc"
