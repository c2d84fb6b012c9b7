#include "support/testmain.h"
#include "ui/scriptedprompts.h"
#include "ui/widgetprompts.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

// A namespace of its own: the folder's test files are compiled together.
namespace test_prompts {

class TestPrompts : public QObject {
    Q_OBJECT
private slots:
    void scriptedAnswersAreConsumedInOrderAndRecorded()
    {
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        script.ConfirmAnswers = {true};
        script.DialogAnswers.push_back([](QDialog &) { return int(QDialog::Accepted); });

        Prompts().Message(QStringLiteral("Instrument not responding"));
        QVERIFY(Prompts().Confirm(QStringLiteral("Send now?")));
        QVERIFY(!Prompts().Confirm(QStringLiteral("Again?"))); // script ran out: No
        QDialog dialog;
        dialog.setWindowTitle(QStringLiteral("Enter Passcode"));
        QCOMPARE(Prompts().Exec(dialog), int(QDialog::Accepted));
        QCOMPARE(Prompts().Exec(dialog), int(QDialog::Rejected));

        QCOMPARE(script.Messages(), QStringList{QStringLiteral("Instrument not responding")});
        QCOMPARE(script.Questions(), (QStringList{QStringLiteral("Send now?"), QStringLiteral("Again?")}));
        QCOMPARE(script.History.size(), size_t(5));
    }

    // A message no test expected is reported, however often an expected
    // one is shown; a progress watched without an answer runs to its end.
    void strictScriptsReportTheUnexpectedAndProgressRunsToItsEnd()
    {
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        QStringList unexpected;
        script.Unexpected = [&unexpected](const QString &text) { unexpected << text; };
        script.Expect(QStringLiteral("Instrument not responding"));
        Prompts().Message(QStringLiteral("Instrument not responding"));
        Prompts().Message(QStringLiteral("Instrument not responding"));
        Prompts().Message(QStringLiteral("Invalid Setting"));
        QCOMPARE(unexpected, QStringList{QStringLiteral("Invalid Setting")});

        TProgress progress;
        progress.Caption = QStringLiteral("Read Settings from Instrument");
        QTimer::singleShot(20, [&progress] {
            progress.Finished = true;
            progress.Update();
        });
        Prompts().WatchProgress(progress);
        QVERIFY(progress.Finished);
        QCOMPARE(script.History.back().text, progress.Caption);
        // An answer that returns early ends the operation as the dialog's
        // Cancel would.
        TProgress cancelled;
        bool cancelCalled = false;
        cancelled.Cancel = [&] {
            cancelCalled = true;
            cancelled.Finished = true;
            cancelled.Update();
        };
        script.ProgressAnswers.push_back([](TProgress &) {});
        Prompts().WatchProgress(cancelled);
        QVERIFY(cancelCalled);
    }

    // A real box the program withdraws goes, as if OK were pressed; one of
    // another text stays until then.
    void aWithdrawnMessageBoxCloses()
    {
        struct TBoxes : TWidgetPrompts {
            void WatchProgress(TProgress &) override {}
            std::optional<QString> Passcode() override { return {}; }
            std::optional<qint32> Signal(const QString &, qint32) override { return {}; }
        } prompts;
        bool stillUp = false, forced = false;
        QTimer::singleShot(50, [&] { prompts.WithdrawMessage("Another message"); });
        QTimer::singleShot(150, [&] {
            stillUp = QApplication::activeModalWidget() != nullptr;
            prompts.WithdrawMessage("Connection to /dev/ttyUSB0 lost");
        });
        QTimer::singleShot(3000, [&] { // the box would otherwise hold the test
            if (QWidget *box = QApplication::activeModalWidget())
                forced = box->close();
        });
        prompts.Message("Connection to /dev/ttyUSB0 lost", TPrompts::Kind::Error, {});
        QVERIFY(stillUp);
        QVERIFY(!forced);
    }

    void guardRestoresThePreviousPrompts()
    {
        TPrompts *before = &Prompts();
        {
            TScriptedPrompts script;
            TScopedPrompts guard(&script);
            QCOMPARE(&Prompts(), static_cast<TPrompts *>(&script));
        }
        QCOMPARE(&Prompts(), before);
    }
};

QV_TEST_MAIN(TestPrompts)
} // namespace test_prompts
#include "test_prompts.moc"
