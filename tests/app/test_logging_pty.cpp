// Logging through the main window, on a real pseudo-terminal to the
// simulated instrument: a streamed log that the Display page does not stop,
// weights scaled as the instrument sends them whatever the pages say, and a
// log opened while a session runs that the next save keeps whole.

#include "app/frmmain.h"
#include "display/fontreading.h"
#include "link/dmviewer.h"
#include "logging/chartview.h"
#include "logging/logdialog.h"
#include "logging/loggingsession.h"
#include "logging/logpage.h"
#include "settings/settingsfile.h"
#include "sim/sim_server.h"
#include "support/connect_window.h"
#include "support/testmain.h"
#include "ui/scriptedprompts.h"

#include <QAction>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

// A namespace of its own: the folder's test files are compiled together.
namespace test_logging_pty {

namespace {

struct TRig {
    TScriptedPrompts Script;
    TScopedPrompts Guard{&Script};
    QTemporaryDir Dir;
    TSimServer Sim{[] {
                       TSimConfig c;
                       c.Load = 1234;   // no decimals, kg: the simulator's own settings
                       return c;
                   }(),
                   Dir.filePath(QStringLiteral("ttyQV"))};
    std::unique_ptr<TdatViewer> Store;
    TFrmMain Window;
    QStringList Commands;   // as the instrument received them

    bool Connect()
    {
        QString error;
        if (!Sim.Start(&error))
            return false;
        QObject::connect(&Sim.Instrument(), &TSimInstrument::CommandReceived,
                         [this](const QString &command) { Commands << command; });
        ConnectThroughDialog(Window, Script, Sim.Path(), Dir.filePath(QStringLiteral("viewer.ini")), Store);
        return Window.Session.IsOpen();
    }
    // Start on the Log page with a rate: 0 "Auto" (streamed), 1 "10 Hz".
    void Start(int rate)
    {
        Window.PgCMain->setCurrentWidget(Window.TSLog);
        Script.DialogAnswers.push_back([rate](QDialog &dialog) {
            auto &logDialog = static_cast<TFrmLogDialog &>(dialog);
            TLogChoices choices = logDialog.Choices();
            choices.Rate = rate;
            logDialog.SetChoices(choices);
            return int(QDialog::Accepted);
        });
        Window.LogPage->BtnStart->click();
    }
    QString Write(const QString &name, const QByteArray &content)
    {
        QFile file(Dir.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() ? file.fileName() : QString();
    }
    // Weights logged (breaks across a busy machine's pauses are none).
    qsizetype Samples() const
    {
        const QVector<TLogPoint> points = Window.Logging->Points.Points(TLoggingSession::SeriesWeight);
        return std::count_if(points.begin(), points.end(), [](const TLogPoint &p) { return !std::isnan(p.value); });
    }
    QStringList FileLines(const QString &name) const
    {
        QFile file(Dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            return {QStringLiteral("<unreadable>")};
        QStringList lines = QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n"));
        lines.removeLast();   // after the last line end
        return lines;
    }
};

} // namespace

class TestLoggingPty : public QObject {
    Q_OBJECT
private slots:
    void aStreamedLogGoesOnWhileTheDisplayPageIsShown()
    {
        TRig rig;
        QVERIFY(rig.Connect());
        rig.Start(0);
        QCOMPARE(rig.Window.Session.LoggingState(), lsStreamed);
        QTRY_VERIFY_WITH_TIMEOUT(rig.Samples() >= 3, 3000);

        rig.Commands.clear();
        rig.Window.PgCMain->setCurrentWidget(rig.Window.TSDisplay);
        const qsizetype before = rig.Samples();
        QTest::qWait(3000);
        // Samples went on into the log and onto the display; nothing
        // stopped the stream or asked for a weight.
        QVERIFY(rig.Samples() >= before + 20);
        QVERIFY(rig.Sim.Instrument().Streaming());
        QVERIFY2(rig.Commands.isEmpty(), qPrintable(rig.Commands.join('|')));
        QCOMPARE(Reading(*rig.Window.LCDMain), QStringLiteral("  1234"));

        rig.Window.PgCMain->setCurrentWidget(rig.Window.TSLog);
        const qsizetype back = rig.Samples();
        QTRY_VERIFY_WITH_TIMEOUT(rig.Samples() >= back + 3, 2000);
        QCOMPARE(rig.Window.Session.LoggingState(), lsStreamed);
        QVERIFY(rig.Window.LogPage->BtnStop->isEnabled());
        // The time axis shows the newest samples, not the first seconds.
        const double last = rig.Window.Logging->Points.Last(TLoggingSession::SeriesWeight).key;
        QVERIFY(rig.Window.Logging->TimeMin <= last && last <= rig.Window.Logging->TimeMax + 1);
        QVERIFY2(rig.Script.Messages().isEmpty(), qPrintable(rig.Script.Messages().join('|')));

        // Once the stream is stopped the Display page polls again.
        rig.Window.LogPage->BtnStop->click();
        rig.Window.PgCMain->setCurrentWidget(rig.Window.TSDisplay);
        QCOMPARE(rig.Window.Session.Activity(), actDisplay);
        QTRY_VERIFY_WITH_TIMEOUT(rig.Commands.contains(QStringLiteral("MSV?")), 2000);
    }

    void theLogHoldsTheInstrumentsWeightNotThePagesScale()
    {
        TRig rig;
        // Another unit's settings: two decimals, pounds.
        Tdata7410 other;
        other.DecimalPoint = 2;
        other.Units = 3;
        const QString settings = rig.Dir.filePath(QStringLiteral("other.QVS"));
        QVERIFY(SaveSettingsFile(settings, other, nullptr));
        QVERIFY(rig.Connect());
        rig.Script.FileAnswers.push_back(settings);
        rig.Window.Open1->trigger();
        QCOMPARE(rig.Window.EditModel.DecimalPoint, 2);

        rig.Start(1);
        QTRY_VERIFY_WITH_TIMEOUT(rig.Samples() >= 3, 3000);
        rig.Window.LogPage->BtnStop->click();
        for (const TLogPoint &p : rig.Window.Logging->Points.Points(TLoggingSession::SeriesWeight))
            QCOMPARE(p.value, 1234.0);
        QCOMPARE(rig.Window.Logging->WeightTitle, QStringLiteral("Weight (kg)"));
        QVERIFY(rig.Window.Logging->WeightMax >= 1234);

        rig.Script.FileAnswers = {rig.Dir.filePath(QStringLiteral("kept.LOG")),
                                  rig.Dir.filePath(QStringLiteral("kept.csv"))};
        rig.Window.Save1->trigger();
        rig.Window.ExportCsv1->trigger();
        const QStringList log = rig.FileLines(QStringLiteral("kept.LOG"));
        const QStringList csv = rig.FileLines(QStringLiteral("kept.csv"));
        QVERIFY(log.size() >= 5 && csv.size() >= 4);
        for (const QString &line : log.mid(2) + csv.mid(1))
            QVERIFY2(line.section(u',', 1, 1) == QLatin1String("1234.00"), qPrintable(line));
        QVERIFY2(rig.Script.Messages().isEmpty(), qPrintable(rig.Script.Messages().join('|')));
    }

    // "10 Hz" is ten samples a second however fast the instrument answers,
    // and a look at the Display page does not pause the log.
    void aPolledLogKeepsItsRateAndGoesOnOnTheDisplayPage()
    {
        TRig rig;
        QVERIFY(rig.Connect());
        rig.Start(1);
        QCOMPARE(rig.Window.Session.LoggingState(), lsPolled);
        QTRY_VERIFY_WITH_TIMEOUT(rig.Samples() >= 3, 3000);
        rig.Window.PgCMain->setCurrentWidget(rig.Window.TSDisplay);
        rig.Commands.clear();
        QElapsedTimer clock;
        clock.start();
        const qsizetype before = rig.Samples();
        QTest::qWait(2000);
        const qsizetype logged = rig.Samples() - before;
        QVERIFY2(logged >= 3 && logged <= clock.elapsed() / 100 + 3, qPrintable(QString::number(logged)));
        QVERIFY2(!rig.Commands.contains(QStringLiteral("ESR?")) && !rig.Commands.contains(QStringLiteral("STP")),
                 qPrintable(rig.Commands.join('|')));
        QCOMPARE(Reading(*rig.Window.LCDMain), QStringLiteral("  1234"));
    }

    void aLogOpenedDuringAPolledSessionIsSavedWithTheNewSamples()
    {
        TRig rig;
        // Its last line holds a channel level and no weight.
        const QString loaded = rig.Write(QStringLiteral("earlier.LOG"), "earlier\r\n1,0,0,0\r\n0.00,5.00,1.00\r\n"
                                                                      "1.00,6.00,0.00\r\n2.00,7.00,1.00\r\n2.50,,0.00\r\n");
        QVERIFY(rig.Connect());
        rig.Start(1);
        QTRY_VERIFY_WITH_TIMEOUT(rig.Samples() >= 2, 3000);
        rig.Script.DialogAnswers.push_back([](QDialog &) { return int(QMessageBox::No); });   // the live samples
        rig.Script.FileAnswers.push_back(loaded);
        rig.Window.Open1->trigger();
        QCOMPARE(rig.Samples(), qsizetype(3));
        QTRY_VERIFY_WITH_TIMEOUT(rig.Samples() >= 6, 3000);
        // The loaded curve stays in view beside the new samples, a curve of
        // its own: no line joins 7.00 to the first new 1234.
        QVERIFY(rig.Window.Logging->Traces[TLoggingSession::SeriesWeight].Visible);
        const QVector<TLogPoint> points = rig.Window.Logging->Points.Points(TLoggingSession::SeriesWeight);
        QCOMPARE(points.value(2).key, 2.0);
        QVERIFY2(std::isnan(points.value(3).value), qPrintable(QString::number(points.value(3).value)));

        rig.Script.FileAnswers.push_back(rig.Dir.filePath(QStringLiteral("both.LOG")));
        rig.Window.Save1->trigger();
        const QStringList lines = rig.FileLines(QStringLiteral("both.LOG"));
        QCOMPARE(lines.mid(0, 5), QStringList({"earlier", "1,0,0,0", "0.00,5.00,1.00", "1.00,6.00,0.00",
                                               "2.00,7.00,1.00"}));
        QVERIFY(lines.size() >= 8);
        QVERIFY2(lines[5].section(u',', 0, 0).toDouble() > 2.5, qPrintable(lines.join('|')));
        double previous = 2.5;
        for (const QString &line : lines.mid(5)) {
            QVERIFY2(line.section(u',', 0, 0).toDouble() >= previous, qPrintable(lines.join('|')));
            previous = line.section(u',', 0, 0).toDouble();
            QCOMPARE(line.section(u',', 1, 1), QStringLiteral("1234.00"));
        }
        QVERIFY2(rig.Script.Messages().isEmpty(), qPrintable(rig.Script.Messages().join('|')));
    }

    // The file says nothing of the pages' full scale or units: the chart
    // shows its own data, and keeps doing so after Home and a page change.
    void aReopenedLogIsShownAtItsOwnScale()
    {
        TRig rig;
        rig.Window.EditModel.FullScale1 = 100000;   // 1000.00 lb on the pages
        rig.Window.EditModel.DecimalPoint = 2;
        rig.Window.EditModel.Units = 3;
        QByteArray content("c\r\n1,0,0,0\r\n");
        for (int i = 0; i < 50; ++i)
            content += QByteArray::number(i) + ".00," + QByteArray::number(i) + ".00," + (i % 2 ? "1.00" : "0.00") + "\r\n";
        const QString path = rig.Write(QStringLiteral("filling.LOG"), content);
        rig.Window.PgCMain->setCurrentWidget(rig.Window.TSLog);
        rig.Script.FileAnswers.push_back(path);
        rig.Window.Open1->trigger();

        TLoggingSession &logging = *rig.Window.Logging;
        auto fitted = [&logging] {
            return logging.WeightTitle == QLatin1String("Weight ()") && logging.WeightMin < 0
                   && logging.WeightMin > -10 && logging.WeightMax > 49 && logging.WeightMax < 60;
        };
        QVERIFY(fitted());
        ChartView::KeyDown(logging, ChartView::TKey::Home, false);
        QVERIFY(fitted());
        rig.Window.PgCMain->setCurrentWidget(rig.Window.TSDisplay);
        rig.Window.PgCMain->setCurrentWidget(rig.Window.TSLog);
        QVERIFY(fitted());
        QVERIFY2(rig.Script.Messages().isEmpty(), qPrintable(rig.Script.Messages().join('|')));
    }
};

QV_TEST_MAIN(TestLoggingPty)
} // namespace test_logging_pty
#include "test_logging_pty.moc"
