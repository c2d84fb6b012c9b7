// The live weight on the display: weight and status replies, lamps, error
// code, unit label and the front keys' command texts.

#include "display/fontreading.h"
#include "display/livedisplay.h"
#include "link/comms.h"
#include "support/testmain.h"

// A namespace of its own: the folder's test files are compiled together.
namespace test_livedisplay {

namespace {

QString LampPattern(const std::array<bool, LampCount> &lamps)
{
    QString pattern;
    for (bool lit : lamps)
        pattern += lit ? QLatin1Char('1') : QLatin1Char('0');
    return pattern;
}

QString LitRow(const TT7400LED &display, int row)
{
    QString pattern;
    for (int column = 1; column <= GridColumns; ++column)
        pattern += display.SegmentLit(row, column) ? QLatin1Char('1') : QLatin1Char('0');
    return pattern;
}

// Digits, points, lamps and labels in one text, to see that nothing moved.
QString Everything(const TT7400LED &display)
{
    return Reading(display) + QLatin1Char('|') + LitRow(display, LampRow) + QLatin1Char('|')
        + LitRow(display, LabelRow);
}

// A display and the state the window keeps beside it.
struct TLive {
    TT7400LED Display;
    Tcommsobj Parser;
    TLiveDisplayInput Input;
    qint32 ErrorStatus = 0;

    TLive() { Input.TickCycle = 7; }   // the weight's half of the cycle

    void Weight(const QString &reply)
    {
        Input.StatusReply = false;
        Parser.Parse(reply, false, false);
        UpdateDisplayFromReply(Display, Parser, Input, ErrorStatus);
    }
    void Status(const QString &reply)
    {
        Input.StatusReply = true;
        Parser.Parse(reply, true, false);
        UpdateDisplayFromReply(Display, Parser, Input, ErrorStatus);
    }
};

} // namespace

class TestLiveDisplay : public QObject {
    Q_OBJECT

private slots:
    void lampTable_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("weighMode");
        QTest::addColumn<QString>("lamps");
        QTest::newRow("stable gross") << 2 << 0 << "00100000";
        QTest::newRow("moving gross") << 0 << 0 << "00110000";
        QTest::newRow("net, stable, centre of zero") << (256 | 4 | 2) << 0 << "11000000";
        QTest::newRow("single: outputs 1..4 on lamps 5..8") << (16 | 64) << 0 << "00111010";
        QTest::newRow("single: all outputs") << (16 | 32 | 64 | 128 | 2) << 0 << "00101111";
        QTest::newRow("single ignores the range bit") << (8 | 2) << 0 << "00100000";
        QTest::newRow("dual range, first range, outputs hidden") << (16 | 32 | 64 | 128 | 2) << 1 << "00101000";
        QTest::newRow("dual range, second range") << (8 | 240 | 2) << 1 << "00100100";
        QTest::newRow("dual interval, second range") << (8 | 2) << 2 << "00100100";
        QTest::newRow("dual interval, first range") << 2 << 2 << "00101000";
        QTest::newRow("mode 3 counts as single") << (32 | 2) << 3 << "00100100";
        QTest::newRow("negative mode counts as single") << (128 | 2) << -1 << "00100001";
        QTest::newRow("overload bit lights no lamp") << (1 | 2) << 0 << "00100000";
    }

    void lampTable()
    {
        QFETCH(int, status);
        QFETCH(int, weighMode);
        QFETCH(QString, lamps);
        QCOMPARE(LampPattern(LampsFromStatus(status, weighMode)), lamps);

        // The same lamps reach row 7 of the display through a weight reply.
        TLive live;
        live.Input.WeighMode = weighMode;
        live.Weight(QStringLiteral("5,0,%1").arg(status));
        QCOMPARE(LitRow(live.Display, LampRow), lamps);
    }

    void weightReplies_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("reading");
        QTest::newRow("two decimals, right-aligned") << "123.45,1,2" << " 123.45";
        QTest::newRow("no decimals") << "12345,1,2" << " 12345";
        QTest::newRow("negative") << "-0.5,1,2" << "-   0.5";
        QTest::newRow("largest") << "999999,0,2" << "999999";
        QTest::newRow("smallest does not fit") << "-999999,0,2" << "------";
        QTest::newRow("overload: dashes whatever the weight") << "123.45,1,3" << "------";
        QTest::newRow("blank before the weight") << " 1.5,0,2" << "    1.5";
    }

    void weightReplies()
    {
        QFETCH(QString, reply);
        QFETCH(QString, reading);
        TLive live;
        live.Display.ShowText(QStringLiteral("8.8.8.8.8.8"));
        live.Weight(reply);
        QCOMPARE(Reading(live.Display), reading);
        QCOMPARE(live.ErrorStatus, 0);
    }

    void overloadKeepsTheLampsOfItsStatus()
    {
        TLive live;
        live.Weight(QStringLiteral("7,1,263"));   // 256 | 4 | 2 | 1
        QCOMPARE(Reading(live.Display), QStringLiteral("------"));
        QCOMPARE(LitRow(live.Display, LampRow), QStringLiteral("11000000"));
    }

    void repliesThatDoNotFitLeaveTheDisplayAlone_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::newRow("refused") << "?";
        QTest::newRow("acknowledged") << "0";
        QTest::newRow("empty") << "";
        QTest::newRow("weight too large") << "1000000,1,2";
        QTest::newRow("weight too small") << "-1000000,1,2";
        QTest::newRow("weight beyond 32 bits") << "99999999999,1,2";
        QTest::newRow("status too large") << "12,1,1000";
        QTest::newRow("status negative") << "12,1,-1";
        QTest::newRow("status missing") << "12,1";
        QTest::newRow("weight not a number") << "abc,1,2";
        QTest::newRow("unbalanced quote") << "\"12,1,2";
    }

    void repliesThatDoNotFitLeaveTheDisplayAlone()
    {
        QFETCH(QString, reply);
        TLive live;
        live.Input.DisplayUnits = 2;
        live.Weight(QStringLiteral("123.45,1,6"));
        const QString before = Everything(live.Display);
        QCOMPARE(before, QStringLiteral(" 123.45|01000000|01000000"));
        live.Weight(reply);
        QCOMPARE(Everything(live.Display), before);
        QCOMPARE(live.ErrorStatus, 0);
    }

    void statusRepliesSetTheErrorAndNeverTheDigits()
    {
        TLive live;
        live.Weight(QStringLiteral("123.45,1,2"));
        const QString weight = Everything(live.Display);

        live.Status(QStringLiteral("0010"));
        QCOMPARE(live.ErrorStatus, 16);
        QCOMPARE(Everything(live.Display), weight);   // second half of the cycle

        live.Status(QStringLiteral("FFFF"));
        QCOMPARE(live.ErrorStatus, 65535);
        live.Status(QStringLiteral("10000"));        // beyond a status word: kept
        QCOMPARE(live.ErrorStatus, 65535);
        live.Status(QStringLiteral("?"));
        QCOMPARE(live.ErrorStatus, 65535);
        // A weight line that comes in late, after the status request went
        // out, is parsed as hexadecimal; it must not pass for an error code.
        live.Status(QStringLiteral("0.05,1,2"));
        live.Status(QStringLiteral("123,1,2"));
        QCOMPARE(live.ErrorStatus, 65535);
        QCOMPARE(Everything(live.Display), weight);

        live.Status(QStringLiteral("0000"));
        QCOMPARE(live.ErrorStatus, 0);
        live.Input.TickCycle = 0;
        live.Status(QStringLiteral("0000"));
        QCOMPARE(Everything(live.Display), weight);
    }

    void errorCodeTakesTheFirstHalfOfTheCycle()
    {
        TLive live;
        live.Status(QStringLiteral("0010"));
        live.Input.TickCycle = 3;
        live.Weight(QStringLiteral("123.45,1,2"));
        QCOMPARE(Reading(live.Display), QStringLiteral(" E0010"));
        QCOMPARE(LitRow(live.Display, LampRow), QStringLiteral("00100000"));   // lamps still follow

        live.Input.TickCycle = 5;
        live.Weight(QStringLiteral("123.45,1,2"));
        QCOMPARE(Reading(live.Display), QStringLiteral(" 123.45"));

        // A status reply alone can bring the code up, over the weight.
        live.Input.TickCycle = 4;
        live.Status(QStringLiteral("00AB"));
        QCOMPARE(Reading(live.Display), QStringLiteral(" E00AB"));
        // And an unreadable reply does too: the code stays pending.
        live.Input.TickCycle = 6;
        live.Weight(QStringLiteral("1,0,2"));
        live.Input.TickCycle = 0;
        live.Weight(QStringLiteral("?"));
        QCOMPARE(Reading(live.Display), QStringLiteral(" E00AB"));
    }

    void errorCodeText()
    {
        QCOMPARE(ErrorCodeText(16), QStringLiteral(" E0010"));
        QCOMPARE(ErrorCodeText(0xABCD), QStringLiteral(" EABCD"));
        QCOMPARE(ErrorCodeText(65535), QStringLiteral(" EFFFF"));
        QVERIFY(ShowsErrorCode(0, 1));
        QVERIFY(ShowsErrorCode(4, 1));
        QVERIFY(!ShowsErrorCode(5, 1));
        QVERIFY(!ShowsErrorCode(9, 1));
        QVERIFY(!ShowsErrorCode(0, 0));
    }

    void unitLabel_data()
    {
        QTest::addColumn<int>("units");
        QTest::addColumn<QString>("labels");
        QTest::newRow("none") << 0 << "00000000";
        QTest::newRow("g") << 1 << "10000000";
        QTest::newRow("kg") << 2 << "01000000";
        QTest::newRow("lb") << 3 << "00100000";
        QTest::newRow("t") << 4 << "00010000";
        QTest::newRow("beyond the labels") << 5 << "00000000";
        QTest::newRow("far beyond") << 1000 << "00000000";
        QTest::newRow("negative") << -1 << "00000000";
    }

    void unitLabel()
    {
        QFETCH(int, units);
        QFETCH(QString, labels);
        TLive live;
        live.Display.AllSegmentsOn();
        live.Display.SetSegmentLit(LabelRow, 5, false);
        live.Input.DisplayUnits = units;
        live.Weight(QStringLiteral("?"));   // the label follows even an unreadable reply
        // Labels 5..8 are not the live display's to touch.
        QCOMPARE(LitRow(live.Display, LabelRow), labels.left(4) + QStringLiteral("0111"));
    }

    void keyCommands_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<int>("unit");
        QTest::addColumn<QString>("command");
        QTest::newRow("zero, any") << 1 << false << 99 << "Kz00";
        QTest::newRow("tare, any") << 2 << false << 99 << "Kt00";
        QTest::newRow("gross/net, any") << 3 << false << 99 << "Kg00";
        QTest::newRow("print, any") << 4 << false << 99 << "Kq00";
        QTest::newRow("zero long, unit 7") << 1 << true << 7 << "KZ07";
        QTest::newRow("tare long, unit 7") << 2 << true << 7 << "KT07";
        QTest::newRow("gross/net long, unit 5") << 3 << true << 5 << "KG05";
        QTest::newRow("print long, unit 31") << 4 << true << 31 << "KQ31";
        QTest::newRow("print, unit 1") << 4 << false << 1 << "Kq01";
        QTest::newRow("key 0") << 0 << false << 7 << "";
        QTest::newRow("key 5") << 5 << true << 7 << "";
        QTest::newRow("key -1") << -1 << false << 99 << "";
    }

    void keyCommands()
    {
        QFETCH(int, key);
        QFETCH(bool, modified);
        QFETCH(int, unit);
        QFETCH(QString, command);
        QCOMPARE(DisplayKeyCommand(key, modified, unit), command);
    }
};

QV_TEST_MAIN(TestLiveDisplay)
} // namespace test_livedisplay
#include "test_livedisplay.moc"
