// The main window logging the simulated instrument over a pseudo-terminal
// while every third line it sends loses its second half and its line end;
// the next line follows after a pause. Every logged weight must be one the
// instrument sent: the load, which never changes.

#include "app/frmmain.h"
#include "link/dmviewer.h"
#include "logging/logdialog.h"
#include "logging/loggingsession.h"
#include "logging/logpage.h"
#include "sim/sim_server.h"
#include "support/testmain.h"
#include "ui/scriptedprompts.h"

#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>

// A namespace of its own: the folder's test files are compiled together.
namespace test_cutlines_pty {

class TestCutLinesPty : public QObject {
    Q_OBJECT
private slots:
    void everyLoggedWeightIsOneTheInstrumentSent_data()
    {
        QTest::addColumn<int>("rate"); // the logging dialog's rate: 0 streamed
        QTest::newRow("streamed") << 0;
        QTest::newRow("polled") << 1;
    }

    void everyLoggedWeightIsOneTheInstrumentSent()
    {
        QFETCH(int, rate);
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        QTemporaryDir dir;
        TSimConfig config;
        config.Load = 650;
        config.StreamRateHz = 5; // 200 ms between lines
        TSimServer sim(config, dir.filePath(QStringLiteral("ttyQV")));
        QString error;
        QVERIFY2(sim.Start(&error), qPrintable(error));
        TIniFile ini(dir.filePath(QStringLiteral("viewer.ini")));
        ini.WriteString(QLatin1String(TdatViewer::Section), QStringLiteral("SerialPort"), sim.Path());
        QVERIFY(ini.Save());
        TdatViewer store(ini.FileName());
        TFrmMain w;
        w.SetConnectionStore(&store);
        script.DialogAnswers.push_back([](QDialog &) { return int(QDialog::Accepted); });
        w.Connect2->trigger();
        QVERIFY(w.Session.IsOpen());

        w.PgCMain->setCurrentWidget(w.TSLog);
        script.DialogAnswers.push_back([rate](QDialog &dialog) {
            auto &logDialog = static_cast<TFrmLogDialog &>(dialog);
            TLogChoices choices = logDialog.Choices();
            choices.Rate = rate;
            logDialog.SetChoices(choices);
            return int(QDialog::Accepted);
        });
        w.LogPage->BtnStart->click();
        QVERIFY(w.Logging->Running());
        QString fault;
        QVERIFY(sim.Instrument().Faults().Apply(QStringLiteral("cut=3"), &fault));
        QTest::qWait(2500);
        w.LogPage->BtnStop->click();

        QSet<double> weights;
        qsizetype samples = 0;
        for (const TLogPoint &point : w.Logging->Points.Points(TLoggingSession::SeriesWeight)) {
            weights.insert(point.value);
            ++samples;
        }
        QVERIFY2(samples >= 5, qPrintable(QString::number(samples)));
        QVERIFY2(weights.size() == 1, qPrintable(QString::number(weights.size())));
        QVERIFY2(script.Messages().isEmpty(), qPrintable(script.Messages().join('|')));
    }
};

QV_TEST_MAIN(TestCutLinesPty)
} // namespace test_cutlines_pty
#include "test_cutlines_pty.moc"
