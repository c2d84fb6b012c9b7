#include "support/testmain.h"
#include "ui/scriptedprompts.h"

#include <QDialog>

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
