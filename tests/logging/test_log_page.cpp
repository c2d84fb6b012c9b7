// The logging dialog and the Log page: controls and texts, Start through
// the page with a scripted dialog, channel labels, traces in the chart, and
// whole sessions against the in-process simulated instrument (polled and
// streamed, lines and binary records).

#include "link/session.h"
#include "logging/chartimage.h"
#include "logging/logdialog.h"
#include "logging/loggingsession.h"
#include "logging/logpage.h"
#include "logging/redrawpacer.h"
#include "logging/traceplot.h"
#include "settings/database.h"
#include "sim/sim_instrument.h"
#include "sim/sim_transport.h"
#include "support/testmain.h"
#include "ui/scriptedprompts.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <qcustomplot.h>

// A namespace of its own: the folder's test files are compiled together.
namespace test_log_page {

namespace {

QStringList Items(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

// A window's worth of logging wired to a session, as the main window does it.
struct TLogRig {
    TSession Session;
    TLoggingSession Logging{Session};
    TFrmLogDialog Dialog;
    Tdata7410 EditModel;
    TLogPage Page{Logging, Dialog, EditModel};

    TLogRig()
    {
        Session.LogReply = [this](qint32 w, qint32 u, qint32 s) { Logging.TakeReply(w, u, s); };
        Session.LogRecord = [this](quint8 b, qint32 sw, qint32 w) { Logging.TakeRecord(b, sw, w); };
        Session.SetActivity(actLog);
    }
};

std::function<int(QDialog &)> Choose(int rate, std::array<int, 4> channels)
{
    return [=](QDialog &d) {
        auto &dialog = static_cast<TFrmLogDialog &>(d);
        dialog.CBLogRate->setCurrentIndex(rate);
        for (int i = 0; i < 4; ++i)
            dialog.CBxDig[size_t(i)]->setCurrentIndex(channels[size_t(i)]);
        return int(QDialog::Accepted);
    };
}

} // namespace

class TestLogPage : public QObject {
    Q_OBJECT
private slots:
    // Labels and read-outs follow the user's locale; these tests read them in C.
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void dialogControlsAndTexts()
    {
        TFrmLogDialog dialog;
        QCOMPARE(dialog.windowTitle(), QString("Logging"));
        auto *rate = dialog.findChild<QComboBox *>("CBLogRate");
        QVERIFY(rate);
        QCOMPARE(Items(rate), (QStringList{"Auto", "10 Hz", "1 Hz", "1/10 secs"}));
        auto *group = dialog.findChild<QGroupBox *>("gboxSingle");
        QVERIFY(group);
        QCOMPARE(group->title(), QString("Single Indicator"));
        QStringList labels;
        for (auto *l : group->findChildren<QLabel *>())
            labels << l->text();
        labels.sort();
        QCOMPARE(labels, (QStringList{"Digital 1", "Digital 2", "Digital 3", "Digital 4"}));
        for (int i = 1; i <= 4; ++i) {
            auto *box = group->findChild<QComboBox *>(QString("CBxDig%1").arg(i));
            QVERIFY(box);
            QCOMPARE(Items(box), (QStringList{"None", "Motion", "Zero", "Output 1", "Output 2", "Output 3",
                                              "Output 4"}));
        }
        QCOMPARE(dialog.findChild<QPushButton *>("BtnOk")->text(), QString("Ok"));
        QCOMPARE(dialog.findChild<QPushButton *>("BtnCancel")->text(), QString("Cancel"));

        TLogChoices c;
        c.Rate = 3;
        c.Channels = {6, 0, 2, 1};
        dialog.SetChoices(c);
        const TLogChoices back = dialog.Choices();
        QCOMPARE(back.Rate, 3);
        QCOMPARE(back.Channels, c.Channels);
        // Selections without a name (a log file may hold 7 or 8) are "None".
        dialog.SetChoices(TLogChoices{1, {7, 8, 2, 1}});
        QCOMPARE(dialog.Choices().Channels, (std::array<int, 4>{0, 0, 2, 1}));
        // No choice counts as the first item.
        dialog.CBLogRate->setCurrentIndex(-1);
        QCOMPARE(dialog.Choices().Rate, 0);
        dialog.BtnOk->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void pageStartFillsLabelsAndTraces()
    {
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TSimInstrument instrument;
        TLogRig rig;
        for (const char *name : {"Chart", "BtnStart", "BtnStop", "LblCsrPos", "LblLogComment", "LblDig1",
                                 "lblDig2", "LblDig3", "lbldig4"})
            QVERIFY2(rig.Page.findChild<QWidget *>(name), name);
        QCOMPARE(rig.Page.BtnStart->text(), QString("Start"));
        QCOMPARE(rig.Page.BtnStop->text(), QString("Stop"));

        // Not connected: the message, no dialog.
        rig.Page.BtnStart->click();
        QCOMPARE(script.Messages(), QStringList{"Instrument not Connected"});
        QVERIFY(script.DialogAnswers.empty());

        rig.Session.InstallAndOpen(std::make_unique<TIOIfaceSim>(instrument));
        rig.Session.SetUnitAddress(4);
        script.DialogAnswers.push_back(Choose(1, {3, 0, 1, 6}));
        rig.Page.BtnStart->click();
        QVERIFY(!rig.Page.BtnStart->isEnabled() && rig.Page.BtnStop->isEnabled());   // running
        QCOMPARE(rig.Page.LblDig[0]->text(), QString("Output 1"));
        QCOMPARE(rig.Page.LblDig[1]->text(), QString());
        QCOMPARE(rig.Page.LblDig[2]->text(), QString("Motion"));
        QCOMPARE(rig.Page.LblDig[3]->text(), QString("Output 4"));
        QCOMPARE(rig.Page.Plots.size(), size_t(6));
        QCOMPARE(rig.Page.Plots[5]->name(), QString("ADDR 4"));
        // Only the unit traces are in the legend.
        QCOMPARE(rig.Page.Chart->legend->itemCount(), 1);

        rig.Logging.TakeReply(250, 4, 0x10);
        rig.Page.RedrawNow();
        QCOMPARE(rig.Page.Plots[5]->PointCount(), qsizetype(1));
        QVERIFY(!rig.Page.Plots[4]->visible());
        QCOMPARE(rig.Page.Chart->yAxis->label(), QString("Weight (kg)"));
        QCOMPARE(rig.Page.Chart->yAxis->range().upper, 4000.0);
        // Channel levels are drawn scaled: their axis is the weight axis
        // divided by ChannelScale (8000 / 15).
        QVERIFY(qFuzzyCompare(rig.Page.Chart->yAxis2->range().upper, 4000.0 / (8000.0 / 15)));

        // Selecting the page again runs the axis set-up with the dialog.
        rig.Dialog.CBLogRate->setCurrentIndex(3);
        rig.Page.PrepareChart();
        rig.Page.RedrawNow();
        QCOMPARE(rig.Page.Chart->xAxis->range().upper, 1000.0);

        rig.Page.BtnStop->click();
        QCOMPARE(rig.Session.LoggingState(), lsStopped);
        QVERIFY(rig.Page.BtnStart->isEnabled() && !rig.Page.BtnStop->isEnabled());

        // The chart as shown, as a picture and as a PDF page.
        QTemporaryDir dir;
        QString error;
        for (const char *name : {"chart.png", "chart.pdf"})
            QVERIFY2(SaveChartImage(*rig.Page.Chart, dir.filePath(name), &error), qPrintable(error));
        QCOMPARE(QImage(dir.filePath("chart.png")).size(), rig.Page.Chart->size());
        QFile pdf(dir.filePath("chart.pdf"));
        QVERIFY(pdf.open(QIODevice::ReadOnly) && pdf.read(5) == "%PDF-");
    }

    void manySamplesFewRedraws()
    {
        TLogRig rig;
        rig.Page.resize(800, 600);
        rig.Page.show();
        rig.Logging.Begin(TLogChoices{1, {1, 2, 3, 4}}, rig.EditModel);
        rig.Session.SetLoggingState(lsPolled);
        int replots = 0;
        connect(rig.Page.Chart, &QCustomPlot::afterReplot, this, [&replots] { ++replots; });
        for (int i = 0; i < 10000; ++i)
            rig.Logging.TakeReply(i, 99, 0);
        QTRY_VERIFY(replots >= 1);
        QCOMPARE(rig.Page.Plots[4]->PointCount(), qsizetype(10000));
        // A right press on the chart holds the view.
        QTest::mousePress(rig.Page.Chart, Qt::RightButton, {}, QPoint(100, 100));
        QVERIFY(rig.Logging.ManualView);
    }

    // The dialog offers the units known on the line (1, 2, 5; connected to
    // 1) and takes other addresses typed: what it holds is logged, or the
    // operator is told why not and nothing starts.
    void theUnitsChosenAreLoggedOrSaidWhyNot_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<QList<int>>("ticked"); // rows of the list (0 is unit 1); empty: as offered
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QList<int>>("logged"); // empty: nothing starts
        QTest::addColumn<QString>("said");
        QTest::newRow("untouched: the unit connected to") << 1 << QList<int>{} << "" << QList<int>{1} << "";
        QTest::newRow("two ticked, one typed") << 1 << QList<int>{1, 2} << "7" << QList<int>{2, 5, 7} << "";
        QTest::newRow("typed beside the unit connected to") << 2 << QList<int>{} << "9 3,9" << QList<int>{1, 9, 3}
                                                            << "";
        QTest::newRow("an address out of range") << 1 << QList<int>{1} << "2, 40" << QList<int>{}
                                                 << "\"40\" is no unit address";
        QTest::newRow("several units streamed") << 0 << QList<int>{0, 2} << "" << QList<int>{}
                                                << "\"Auto\" logs what the unit connected to streams";
    }
    void theUnitsChosenAreLoggedOrSaidWhyNot()
    {
        QFETCH(int, rate);
        QFETCH(QList<int>, ticked);
        QFETCH(QString, typed);
        QFETCH(QList<int>, logged);
        QFETCH(QString, said);
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TSimInstrument instrument;
        TLogRig rig;
        rig.Session.SetUnitAddress(1);
        rig.Session.SetBusUnits({1, 2, 5});
        rig.Session.InstallAndOpen(std::make_unique<TIOIfaceSim>(instrument));
        script.DialogAnswers.push_back([&](QDialog &d) {
            auto &dialog = static_cast<TFrmLogDialog &>(d);
            dialog.CBLogRate->setCurrentIndex(rate);
            if (!ticked.isEmpty())
                for (int row = 0; row < dialog.LBxLogUnits->count(); ++row)
                    dialog.LBxLogUnits->item(row)->setCheckState(ticked.contains(row) ? Qt::Checked : Qt::Unchecked);
            dialog.EdtLogUnits->setText(typed);
            return int(QDialog::Accepted);
        });
        rig.Page.BtnStart->click();
        QVERIFY(script.DialogAnswers.empty());
        if (logged.isEmpty()) {
            QCOMPARE(rig.Session.LoggingState(), lsStopped);
            QCOMPARE(script.Messages().size(), 1);
            QVERIFY2(script.Messages()[0].contains(said), qPrintable(script.Messages()[0]));
            return;
        }
        QVERIFY2(script.Messages().isEmpty(), qPrintable(script.Messages().join('|')));
        QCOMPARE(rig.Session.LoggedUnits(), logged);
        QCOMPARE(rig.Logging.Traces.size(), size_t(TLoggingSession::FirstUnitTrace + logged.size()));
        QCOMPARE(rig.Logging.Traces.back().Title, QStringLiteral("ADDR %1").arg(logged.last()));
        rig.Page.BtnStop->click();
    }

    void cancelledChoicesStayOutOfTheSession()
    {
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TSimInstrument instrument;
        TLogRig rig;
        rig.Session.InstallAndOpen(std::make_unique<TIOIfaceSim>(instrument));
        script.DialogAnswers.push_back(Choose(2, {1, 0, 0, 0}));
        rig.Page.BtnStart->click();
        for (int i = 0; i < 10; ++i)   // 1 Hz: one point in ten replies
            rig.Logging.TakeReply(100, 99, 0);
        rig.Page.BtnStop->click();   // Start is enabled only while no session runs
        QStringList sent;
        rig.Session.ShowCommand = [&sent](const QString &command) { sent << command; };
        int seenRate = -1;
        script.DialogAnswers.push_back([&seenRate](QDialog &d) {
            seenRate = static_cast<TFrmLogDialog &>(d).CBLogRate->currentIndex();
            Choose(3, {0, 5, 0, 0})(d);
            return int(QDialog::Rejected);
        });
        rig.Page.BtnStart->click();
        QVERIFY(script.DialogAnswers.empty());
        QCOMPARE(seenRate, 2);   // the dialog offers the rate last chosen
        // Cancelled: nothing began, the last session's points stay, nothing was sent.
        QVERIFY(rig.Page.BtnStart->isEnabled());
        QCOMPARE(rig.Session.LoggingState(), lsStopped);
        QCOMPARE(rig.Logging.Points.Size(TLoggingSession::SeriesWeight), qsizetype(1));
        QVERIFY(sent.isEmpty());
        rig.Page.PrepareChart();   // the next axis set-up reads the dialog's lists
        QCOMPARE(rig.Logging.RateDivisor, 10);
        QCOMPARE(rig.Logging.Channels, (std::array<int, 4>{1, 0, 0, 0}));
        // Selections changed by other means show in the labels at once.
        rig.Dialog.CBxDig[1]->setCurrentIndex(3);
        rig.Page.PrepareChart();
        QCOMPARE(rig.Page.LblDig[1]->text(), QString("Output 1"));
    }

    void redrawsArePacedByTheClock_data()
    {
        QTest::addColumn<int>("sampleEveryMs");
        QTest::addColumn<int>("drawMs");
        QTest::addColumn<int>("redraws");
        QTest::newRow("a sample every ms: one redraw per 100 ms") << 1 << 0 << 10;
        QTest::newRow("slow drawing stretches the gap to three times it") << 1 << 60 << 6;
        QTest::newRow("sparse samples are drawn at once") << 250 << 0 << 4;
        QTest::newRow("one burst, one redraw") << 5000 << 0 << 1;
    }

    void redrawsArePacedByTheClock()
    {
        QFETCH(int, sampleEveryMs);
        QFETCH(int, drawMs);
        QFETCH(int, redraws);
        qint64 now = 0, dueAt = -1;
        TRedrawPacer pacer;
        pacer.ClockMs = [&now] { return now; };
        int drawn = 0;
        for (; now < 1000; ++now) {
            for (int i = 0; now % sampleEveryMs == 0 && i < 100; ++i)
                if (const int delay = pacer.Request(); delay >= 0)
                    dueAt = now + delay;
            if (dueAt >= 0 && now >= dueAt && (dueAt = -1, pacer.Fire())) {
                ++drawn;
                pacer.Drawn(drawMs);
            }
        }
        QCOMPARE(drawn, redraws);
    }

    void polledSessionAgainstTheSimulator()
    {
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TSimConfig config;
        config.Address = 3;
        config.Load = 1250;
        TSimInstrument instrument(config);
        TLogRig rig;
        rig.Session.InstallAndOpen(std::make_unique<TIOIfaceSim>(instrument));
        rig.Session.SetUnitAddress(3);
        rig.Session.SetActivity(actLog);
        script.DialogAnswers.push_back(Choose(1, {1, 0, 0, 0}));
        rig.Page.BtnStart->click();
        QCOMPARE(rig.Session.LoggingState(), lsPolled);
        QTRY_VERIFY_WITH_TIMEOUT(rig.Logging.Points.Size(5) >= 5, 3000);
        QCOMPARE(rig.Logging.Points.Last(5).value, 1250.0);
        QCOMPARE(rig.Logging.Points.Size(0), rig.Logging.Points.Size(4));
        rig.Page.BtnStop->click();
        QVERIFY(script.Messages().isEmpty());
    }

    void streamedSessionAgainstTheSimulator_data()
    {
        QTest::addColumn<bool>("binary");
        QTest::newRow("lines") << false;
        QTest::newRow("records") << true;
    }
    void streamedSessionAgainstTheSimulator()
    {
        QFETCH(bool, binary);
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TSimConfig config;
        config.Address = 2;
        config.Load = 800;
        config.BinaryStream = binary;
        config.StreamRateHz = 50;
        TSimInstrument instrument(config);
        TLogRig rig;
        rig.Session.InstallAndOpen(std::make_unique<TIOIfaceSim>(instrument));
        rig.Session.SetUnitAddress(2);
        rig.Session.SetActivity(actLog);
        script.DialogAnswers.push_back(Choose(0, {0, 0, 0, 0}));
        rig.Page.BtnStart->click();
        QCOMPARE(rig.Session.LoggingState(), lsStreamed);
        QTRY_VERIFY_WITH_TIMEOUT(rig.Logging.Points.Size(4) >= 5, 3000);
        QCOMPARE(rig.Logging.Points.Last(4).value, 800.0);
        // Leaving the page does not matter: Stop still ends the stream.
        rig.Session.SetActivity(actDisplay);
        rig.Page.BtnStop->click();
        QTest::qWait(100);
        rig.Session.SetActivity(actLog);
        const qsizetype count = rig.Logging.Points.Size(4);
        QTest::qWait(200);
        QCOMPARE(rig.Logging.Points.Size(4), count);
    }
};

QV_TEST_MAIN(TestLogPage)
} // namespace test_log_page
#include "test_log_page.moc"
