#include "link/session.h"
#include "link/test_session_fake.h"
#include "support/testmain.h"
#include "terminal/testpage.h"
#include "ui/scriptedprompts.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>

// A namespace of its own: the folder's test files are compiled together.
namespace test_testpage {

namespace {

struct TPageRig {
    TScriptedPrompts Script;
    TScopedPrompts Guard{&Script};
    TSession Session;
    TTestPage Page{Session};
    TManualTicks Ticks{Session}; // nothing is polled on this page; no time-outs either
    TFakeTransport *Fake = nullptr;
    bool Shown = true;

    TPageRig()
    {
        Session.SetActivity(actTest);
        Session.IsTrafficShown = [this] { return Shown; };
        Session.AppendTraffic = [this](const QString &line) { Page.AppendLine(line); };
        auto fake = std::make_unique<TFakeTransport>();
        Fake = fake.get();
        Session.InstallAndOpen(std::move(fake));
    }
    QStringList Lines() const
    {
        QStringList out;
        for (QTextBlock b = Page.MemoRx->document()->begin(); b.isValid(); b = b.next())
            out << b.text();
        if (out == QStringList{QString()})
            out.clear();
        return out;
    }
    void Type(const QString &text)
    {
        Page.EdtSendStr->clear();
        QTest::keyClicks(Page.EdtSendStr, text);
        QTest::keyClick(Page.EdtSendStr, Qt::Key_Return);
    }
};

} // namespace

class TestTestPage : public QObject {
    Q_OBJECT
private slots:
    void controlsCarryTheirNamesAndCaptions()
    {
        TPageRig rig;
        QCOMPARE(rig.Page.findChild<QPushButton *>("BtnClear")->text(), QString("Clear"));
        QCOMPARE(rig.Page.findChild<QPushButton *>("BtnSend")->text(), QString("Send"));
        QCOMPARE(rig.Page.findChild<QCheckBox *>("CbStxEtx")->text(), QString("Use STX, ETX"));
        QVERIFY(rig.Page.findChild<QLineEdit *>("EdtSendStr"));
        QCOMPARE(rig.Page.Panel1->height(), 41);
        QVERIFY(rig.Page.MemoRx->isReadOnly());
        QVERIFY(!(rig.Page.MemoRx->focusPolicy() & Qt::TabFocus));
    }

    void typedCommandsAreSentAndEchoed()
    {
        TPageRig rig;
        rig.Type("STP");
        rig.Type("STP;");
        rig.Type("");
        QCOMPARE(rig.Fake->Sent, (QStringList{"STP;", "STP;"}));
        QCOMPARE(rig.Lines(), (QStringList{">>>STP;", ">>>STP;"}));

        rig.Page.CbStxEtx->setChecked(true);
        rig.Type("KZ01");
        QCOMPARE(rig.Fake->Sent.last(), QString(QChar(2)) + "KZ01" + QChar(3));
        QCOMPARE(rig.Lines().last(), QString(">>>KZ01"));

        rig.Page.CbStxEtx->setChecked(false);
        rig.Page.EdtSendStr->setText("MSV?");
        QTest::mouseClick(rig.Page.BtnSend, Qt::LeftButton);
        QCOMPARE(rig.Fake->Sent.last(), QString("MSV?;"));
    }

    void nothingTypedGoesOutWhileAnAnswerIsAwaited()
    {
        TPageRig rig;
        rig.Fake->Answer = [&rig](const QString &) {
            rig.Fake->Later([&rig] { rig.Type("IDN?"), rig.Fake->Deliver("0\r\n"); });
            return QString();
        };
        QVERIFY(rig.Session.SendAndWait("COF11", false, {}, rig.Session.Acknowledge()));
        QCOMPARE(rig.Fake->Sent, QStringList{"COF11;"});
    }

    void charactersBeyondLatin1AreRefusedInTheEdit()
    {
        TPageRig rig;
        for (QChar c : QString("P\u00e9\u20acS")) // e acute passes, the euro sign is refused
            QTest::sendKeyEvent(QTest::Click, rig.Page.EdtSendStr, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::keyClick(rig.Page.EdtSendStr, Qt::Key_Return);
        QCOMPARE(rig.Fake->Sent, QStringList{QString("P\u00e9S;")});
        QCOMPARE(rig.Script.Messages().size(), 1);
    }

    void repliesAndRecordsShowInTheView()
    {
        TPageRig rig;
        rig.Type("MSV?");
        rig.Fake->Deliver("12.5,1,2\r\n");
        rig.Fake->Deliver(QString::fromLatin1(QByteArray("\x10\x02\x01\x00\x00\x00\x02\x00\x00\x00\x03\x10\x03", 13)));
        QCOMPARE(rig.Lines(), (QStringList{">>>MSV?;", "12.5,1,2", "1,2,3"}));

        rig.Shown = false; // another page is active: nothing is added
        rig.Fake->Deliver("13\r");
        QCOMPARE(rig.Lines().size(), 3);

        QTest::mouseClick(rig.Page.BtnClear, Qt::LeftButton);
        QVERIFY(rig.Lines().isEmpty());
    }

    void theViewKeepsAtMost501Lines()
    {
        TPageRig rig;
        for (int i = 1; i <= 501; ++i)
            rig.Page.AppendLine(QString::number(i));
        QCOMPARE(rig.Lines().size(), 501);
        rig.Page.AppendLine("502");
        const QStringList lines = rig.Lines();
        QCOMPARE(lines.size(), 492);
        QCOMPARE(lines.first(), QString("11"));
        QCOMPARE(lines.last(), QString("502"));
        for (int i = 503; i <= 2000; ++i)
            rig.Page.AppendLine(QString::number(i));
        QVERIFY(rig.Lines().size() <= 501);
        QCOMPARE(rig.Lines().last(), QString("2000"));
    }

    void sentTextComesBackSelectedInTheEdit()
    {
        TPageRig rig;
        rig.Page.show();
        rig.Page.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&rig.Page));
        rig.Page.PageSelected();
        QVERIFY(rig.Page.EdtSendStr->hasFocus());
        QTest::keyClicks(rig.Page.EdtSendStr, "ENU?");
        QTest::keyClick(rig.Page.EdtSendStr, Qt::Key_Return);
        QVERIFY(rig.Page.EdtSendStr->hasFocus());
        QCOMPARE(rig.Page.EdtSendStr->selectedText(), QString("ENU?"));
        QTest::keyClick(rig.Page.EdtSendStr, Qt::Key_Return); // Enter again sends again
        QCOMPARE(rig.Fake->Sent, (QStringList{"ENU?;", "ENU?;"}));
        QTest::keyClicks(rig.Page.EdtSendStr, "X"); // typing replaces it
        QCOMPARE(rig.Page.EdtSendStr->text(), QString("X"));

        QTest::mouseClick(rig.Page.CbStxEtx, Qt::LeftButton);
        QVERIFY(rig.Page.EdtSendStr->hasFocus());
        QTest::mouseClick(rig.Page.BtnClear, Qt::LeftButton);
        QVERIFY(rig.Page.EdtSendStr->hasFocus());
    }
};

QV_TEST_MAIN(TestTestPage)
} // namespace test_testpage
#include "test_testpage.moc"
