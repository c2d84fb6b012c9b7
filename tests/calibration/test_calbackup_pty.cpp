// Direct mV/V calibration, backup and restore over a pseudo-terminal to the
// simulated instrument (commands in order, texts shown, files left); calibration files alone.
#include "app/frmmain.h"
#include "calibration/calbackup.h"
#include "calibration/calfile.h"
#include "calibration/calsignal.h"
#include "calibration/calsteps.h"
#include "link/ioiface_serial.h"
#include "settings/editor.h"
#include "settings/editorcal.h"
#include "settings/transfer.h"
#include "sim/sim_instrument.h"
#include "sim/sim_pty.h"
#include "support/file_size_limit.h"
#include "support/sim_pty_join.h"
#include "support/testmain.h"
#include "ui/scriptedprompts.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

// A namespace of its own: the folder's test files are compiled together.
namespace test_calbackup_pty {

namespace {

struct TRig {
    TScriptedPrompts Script;
    TScopedPrompts Guard{&Script};
    TSimInstrument Instrument;
    TSimPty Pty;
    QStringList Sent;   // what the instrument heard, less the display polls; "<read>": the read-back
    TSession Session;
    Tdata7410 EditModel, InstrumentModel;
    TSettingsTransfer Transfer{Session, EditModel, InstrumentModel};
    TCalibrationSteps Steps{Session, Transfer, EditModel};
    TCalBackup Cal{Session, EditModel, Steps};

    explicit TRig(TSession *viewer = nullptr)
    {
        JoinOverPty(Instrument, Pty);
        QObject::connect(&Instrument, &TSimInstrument::CommandReceived, [this](const QString &c) {
            if (!QStringList{"MSV?", "ESR?", "S99"}.contains(c))
                Sent << c;
        });
        Script.ProgressAnswers = {[this](TProgress &) { Sent << "<read>"; }};   // and cancelled
        EditModel.SerialID = "KD4620", EditModel.Version = "1.04", EditModel.SerialNumber = "46200001";
        auto serial = std::make_unique<TIOIfaceSerial>();
        serial->SetPortName(Pty.DevicePath());
        (viewer ? *viewer : Session).InstallAndOpen(std::move(serial));
        Session.SetActivity(actCalibration); // the page polls its display meanwhile
    }
};

QString CalFileText(const QString &serial, const QString &data, int checksum)
{
    return QString("[Header]\nVerProg=View4620:QV7400-VW 1.00\nVer4620=KD4620:1.04\nSerialNo=%1\n\n"
                   "[CalData]\nMDD1=%2\nCheckSum1=%3\n").arg(serial, data).arg(checksum);
}

QByteArray Slurp(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}
bool Put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
} // namespace

class TestCalBackupPty : public QObject {
    Q_OBJECT
private slots:
    void direct_data()
    {
        for (const char *column : {"zero", "span", "refuse", "sent", "message"})
            QTest::addColumn<QString>(column);
        const QString rules = "Zero or span value error. Calibration Failed.\r\n"
                              "Rules: -3.2 <= Zero < 3.2; -3.2 <= Span <= 3.2; Zero <> Span";
        QTest::newRow("yes") << "0.1234" << "2" << "" << "LDW1,1234 LWT1,20000 TDD1 <read>" << "";
        QTest::newRow("refused") << "0.1234" << "2" << "LDW" << "LDW1,1234 LWT1,20000 TDD1 <read>" << "Invalid Setting";
        QTest::newRow("limits") << "-3.2" << "3.2" << "" << "LDW1,-32000 LWT1,32000 TDD1 <read>" << "";
        for (const auto &[zero, span] : {std::pair{"0", "3.2001"}, {"1", "1"}, {"3.2", "0"}, {"0", "-3.2001"}})
            QTest::addRow("rules %s %s", zero, span) << zero << span << "" << "<read>" << rules;
        // "." whatever the locale; an exact half to the even neighbour, on the digits, not on a binary value.
        for (const auto &[zero, units] : {std::pair{" .00005 ", "0"}, {"0.00015", "2"}, {"-0.00025", "-2"},
                                          {"+0.000250001", "3"}, {"-1.", "-10000"}})
            QTest::addRow("zero %s", zero) << zero << "2" << "" << QString("LDW1,%1 LWT1,20000 TDD1 <read>").arg(units)
                                           << "";
        for (const char *zero : {"0.1x", "1,5", "1e3", "0x10", "", ".", "1.2.3", "--1", "\u0661", "9999999999999999"})
            QTest::addRow("zero %s", zero) << QString::fromUtf8(zero) << "2" << "" << "<read>"
                                           << (strlen(zero) < 16 ? "Invalid Numbers.  Calibration failed." : rules);
    }
    void direct()
    {
        QFETCH(QString, zero);
        QFETCH(QString, span);
        QFETCH(QString, refuse);
        QFETCH(QString, message);
        TRig rig;
        rig.Instrument.Faults().RefuseTo = {refuse};
        rig.Script.ConfirmAnswers = {true};
        Tell(rig.Cal.CalDirect(zero, span));
        QTEST(rig.Sent.join(' '), "sent");
        QCOMPARE(rig.Script.Messages().size(), int(!message.isEmpty()));
        QVERIFY2(rig.Script.Messages().join('|').contains(message), qPrintable(rig.Script.Messages().join('|')));
        QCOMPARE(rig.Script.Questions().size(), int(rig.Sent.size() > 1));
    }

    // A German operator types the decimal comma: it is the point, not a
    // reason to refuse the entry.
    void directTakesTheLocalesComma()
    {
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        TRig rig;
        rig.Script.ConfirmAnswers = {true};
        Tell(rig.Cal.CalDirect(QStringLiteral("-0,1234"), QStringLiteral("2,5")));
        QLocale::setDefault(previous);
        QVERIFY2(rig.Script.Messages().isEmpty(), qPrintable(rig.Script.Messages().join('|')));
        QCOMPARE(rig.Sent.join(' '), QStringLiteral("LDW1,-1234 LWT1,25000 TDD1 <read>"));
    }

    void backup_data()
    {
        // answer to "MDD?1" (empty: the real data), noise line before the first answer
        for (const char *column : {"answer", "noise", "name", "message"})
            QTest::addColumn<QString>(column);
        const QString data = QString(40, 'A') + "B";
        const QString failed = "Calibration upload failed\n\n";
        QTest::newRow("trailing space") << data + " " << "" << "NAME" << failed + "The data begins or ends";
        QTest::newRow("leading 0xA0") << "\u00A0" + data << "" << "NAME" << failed + "The data begins or ends";
        QTest::newRow("double quote") << data + "\"C" << "" << "NAME" << failed + "The data holds";
        QTest::newRow("semicolon inside") << data + ";S05" << "" << "NAME" << failed + "The data holds";
        QTest::newRow("noise line") << "" << QString(45, '#') << "NAME" << failed + "The instrument gave two";
        QTest::newRow("40 characters") << QString(40, 'A') << "" << "NAME.txt" << failed + "The answer is too short";
        QTest::newRow("41 characters") << data << "" << "NAME.txt" << "";
        QTest::newRow("own data") << "" << "" << "NAME" << "";
        QTest::newRow("unanswered") << "" << "" << "NAME" << failed + "The instrument did not answer";
        QTest::newRow("cannot write") << "" << "" << "no/such/NAME" << "The calibration data could not be saved";
    }
    void backup()
    {
        QFETCH(QString, answer);
        QFETCH(QString, name);
        QFETCH(QString, message);
        TRig rig;
        QTemporaryDir dir;
        rig.EditModel.SerialNumber = " 46200001 ", rig.EditModel.Version = "1.04 "; // padded by the instrument
        const QByteArray tag = QTest::currentDataTag();
        rig.Instrument.Faults().CalibrationData = answer;
        QFETCH(QString, noise);
        rig.Instrument.Faults().CalibrationNoise = noise;
        if (tag == "unanswered")
            rig.Instrument.Faults().SilentTo = {"MDD"};
        rig.Script.FileAnswers = {dir.filePath(name)};
        Tell(rig.Cal.Backup());
        QCOMPARE(rig.Script.History.front().directory, "46200001.cal");
        QCOMPARE(rig.Sent, QStringList(tag == "unanswered" ? 1 : 2, "MDD?1"));
        QCOMPARE(rig.Script.Messages().size(), int(!message.isEmpty()));
        QCOMPARE(rig.Script.Messages().join('|').left(message.size()), message);
        const QString data = answer.isEmpty() ? rig.Instrument.Calibration().Backup() : answer;
        const QString expected = message.isEmpty() ? CalFileText("46200001", data, CalDataChecksum(data)) : "<none>";
        QCOMPARE(Slurp(dir.filePath("NAME.cal")), expected.toLatin1());
        if (!message.isEmpty())
            return;
        // What was saved goes back exactly, to the same instrument without a question.
        rig.Script.FileAnswers = {CalFileName(dir.filePath(name))};
        rig.Sent.clear();
        Tell(rig.Cal.Restore());
        QCOMPARE(rig.Script.Questions(), QStringList());
        QCOMPARE(rig.Sent, (QStringList{"MDD" + data, "TDD1", "<read>"}));
    }

    void restore_data()
    {
        QTest::addColumn<QString>("data");     // "own": the instrument's own calibration data
        QTest::addColumn<bool>("edited");      // checksum changed by hand, made on another unit
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("sent");        // and Yes to every question, else No
        const QString checksum = "Stored checksum is incorrect.  Continue?";
        const QString serial = "KD4620 serial number is different.  Continue?";
        QTest::newRow("own file") << "own" << false << QStringList{} << "" << true;
        QTest::newRow("edited, other unit") << "own" << true << QStringList{checksum, serial} << "" << true;
        QTest::newRow("edited, no") << "own" << true << QStringList{checksum} << "" << false;
        QTest::newRow("39 characters") << QString(39, 'A') << false << QStringList{} << "Invalid database" << false;
        QTest::newRow("40 characters") << QString(40, 'A') << false << QStringList{} << "Invalid Setting" << true;
        QTest::newRow("semicolon") << QString(40, 'A') + ";S05" << false << QStringList{} << "holds" << false;
        QTest::newRow("binary") << "binary" << false << QStringList{} << "cannot be read" << false;
        QTest::newRow("folder") << "folder" << false << QStringList{} << "cannot be read" << false;
        QTest::newRow("over 1 MiB") << QString(MaxCalFileBytes, 'x') << false << QStringList{} << "cannot be read"
                                    << false;
        QTest::newRow("cancelled") << "" << false << QStringList{} << "" << false;
    }
    void restore()
    {
        QFETCH(QString, data);
        QFETCH(bool, edited);
        QFETCH(QString, message);
        QFETCH(bool, sent);
        TRig rig;
        QTemporaryDir dir;
        const QString path = dir.filePath("b.cal");
        data = data == "own" ? rig.Instrument.Calibration().Backup() : data;
        const QString serial = edited ? "46209999" : "46200001";
        QVERIFY(Put(path, data == "binary" ? QByteArray("[CalData]\0", 10)
                                           : CalFileText(serial, data, CalDataChecksum(data) + edited).toLatin1()));
        rig.Script.FileAnswers = {data.isEmpty() ? QString() : data == "folder" ? dir.path() : path};
        rig.Script.ConfirmAnswers.assign(4, sent);
        Tell(rig.Cal.Restore());
        QTEST(rig.Script.Questions(), "asked");
        for (const TScriptedPrompts::Shown &shown : rig.Script.History)
            QVERIFY(shown.type != shown.Confirm || shown.kind == TPrompts::Kind::Warning);
        QCOMPARE(rig.Script.Messages().size(), int(!message.isEmpty()));
        QVERIFY2(rig.Script.Messages().join('|').contains(message), qPrintable(rig.Script.Messages().join('|')));
        QCOMPARE(rig.Sent, (sent ? QStringList{"MDD" + data, "TDD1", "<read>"} : QStringList{"<read>"}));
    }

    void windowCalibratesAndReadsTheSignalsBackAndDoesNothingOffline()
    {
        TFrmMain w;
        TRig line(&w.Session);
        line.Script.ProgressAnswers.clear();   // both reads run to their end
        w.ReadSettings1->trigger();
        line.Script.ConfirmAnswers = {true};
        line.Sent.clear();
        w.SettingsEditor->CalFields->edtCalDirectZero->setText("0.1234");
        w.SettingsEditor->CalFields->edtCalDirectSpan->setText("2");
        w.btnCalDirect->click();
        QCOMPARE(line.Sent.mid(0, 3), (QStringList{"LDW1,1234", "LWT1,20000", "TDD1"}));
        QCOMPARE(w.SettingsEditor->CalFields->edtCalDirectSpan->text(), "2.0000"); // as read back
        QVERIFY(line.Script.Messages().isEmpty() && w.SettingsSent);

        w.Session.Transport().Close();
        line.Sent.clear();
        line.Script.Clear();
        for (QPushButton *button : {w.btnCalDirect, w.btnBackupCal, w.btnRestoreCal})
            button->click();
        QVERIFY(line.Sent.isEmpty() && line.Script.History.empty());
    }

    void namesAndWritesKeepingOtherContentAndFailingWithoutHarm()
    {
        QCOMPARE(CalFileName("/d.x/NAME"), "/d.x/NAME.cal");
        QCOMPARE(CalFileName("/d/a.b.CAL"), "/d/a.b.cal");
        QCOMPARE(CalFileName("/d/.hidden"), "/d/.hidden.cal");
        QCOMPARE(CalDataChecksum("abc"), 459);
        QCOMPARE(CalDataChecksum(""), 165);
        QCOMPARE(CalDataChecksum("\u00FF\u0085"), 165 + 255 + 133);
        QTemporaryDir dir;
        const QString path = dir.filePath("b.cal");
        const TCalFileRecord record{"View4620:X", "KD4620:1.04", "46200001", "DATA", 433};
        QString error;
        QVERIFY(Put(path, "; note\r\n[CalData]\r\nCheckSum1=1\r\nOwn=kept\r\n[Mine]\r\nA=1\r\n"));
        QVERIFY(WriteCalFile(path, record, &error));
        QCOMPARE(Slurp(path), "; note\r\n[CalData]\r\nCheckSum1=433\r\nOwn=kept\r\nMDD1=DATA\r\n[Mine]\r\nA=1\r\n\r\n"
                              "[Header]\r\nVerProg=View4620:X\r\nVer4620=KD4620:1.04\r\nSerialNo=46200001\r\n");

        const QByteArray before = Slurp(path);
        TFileSizeLimit limit(16);
        QVERIFY(!WriteCalFile(path, {"", "", "", QString(200, 'x'), 0}, &error));
        QCOMPARE(Slurp(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"b.cal"});
    }
};

QV_TEST_MAIN(TestCalBackupPty)
} // namespace test_calbackup_pty
#include "test_calbackup_pty.moc"
