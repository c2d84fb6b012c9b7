// Direct mV/V calibration, backup and restore over a pseudo-terminal to the
// simulated instrument: what goes out on the line, in which order, what the
// user is told and asked, and the file a backup leaves.
#include "app/frmmain.h"
#include "app/prompts.h"
#include "calibration/calbackup.h"
#include "calibration/calfile.h"
#include "link/ioiface_serial.h"
#include "link/session.h"
#include "settings/database.h"
#include "settings/editor.h"
#include "settings/editorcal.h"
#include "sim/sim_instrument.h"
#include "sim/sim_pty.h"

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The simulated instrument on its pseudo-terminal, and the viewer's end.
struct TLine {
    TScriptedPrompts Script;
    TScopedPrompts Guard{&Script};
    TSimInstrument Instrument;
    TSimPty Pty;
    QStringList Sent;   // what the instrument heard, less the display polls

    TLine()
    {
        QString error;
        QVERIFY2(Pty.Open(&error), qPrintable(error));
        QObject::connect(&Pty, &TSimPty::Received, &Instrument, &TSimInstrument::Receive);
        QObject::connect(&Instrument, &TSimInstrument::Transmit, &Pty, &TSimPty::Write);
        QObject::connect(&Instrument, &TSimInstrument::CommandReceived, [this](const QString &c) {
            if (!QStringList{"MSV?", "ESR?", "S99"}.contains(c))
                Sent << c;
        });
    }
    void Connect(TSession &session)
    {
        auto serial = std::make_unique<TIOIfaceSerial>();
        serial->SetPortName(Pty.DevicePath());
        session.InstallAndOpen(std::move(serial));
    }
};

struct TRig : TLine {
    TSession Session;
    Tdata7410 EditModel;
    TCalBackup Cal{Session, EditModel};

    TRig()
    {
        Cal.ReadSettings = [this] { Sent << "<read>"; };
        EditModel.SerialID = "KD4620";
        EditModel.Version = "1.04";
        EditModel.SerialNumber = "46200001";
        Connect(Session);
        Session.Activity = actCalibration; // the page polls its display meanwhile
    }
    QStringList Asked() const { return Script.Questions(); }
};

QString CalFileText(const TCalFileRecord &r)
{
    return QString("[Header]\nVerProg=%1\nVer4620=%2\nSerialNo=%3\n\n[CalData]\nMDD1=%4\nCheckSum1=%5\n")
        .arg(r.VerProg, r.Ver4620, r.SerialNo, r.MDD1).arg(r.CheckSum1);
}

const QString Checksum = "Stored checksum is incorrect.  Continue?";
const QString Serial = "KD4620 serial number is different.  Continue?";
const QString Rules = "Zero or span value error. Calibration Failed.\r\n"
                      "Rules: -3.2 <= Zero < 3.2; -3.2 <= Span <= 3.2; Zero <> Span";

} // namespace

class TestCalBackupPty : public QObject {
    Q_OBJECT
private slots:
    void direct_data()
    {
        QTest::addColumn<QString>("zero");
        QTest::addColumn<QString>("span");
        QTest::addColumn<QString>("refuse");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QStringList>("messages");
        const QStringList all{"LDW1,1234", "LWT1,20000", "TDD1", "<read>"};
        QTest::newRow("yes") << "0.1234" << "2" << "" << all << QStringList();
        QTest::newRow("refused zero") << "0.1234" << "2" << "LDW" << all << QStringList{"Invalid Setting"};
        QTest::newRow("limits") << "-3.2" << "3.2" << "" << QStringList{"LDW1,-32000", "LWT1,32000", "TDD1", "<read>"}
                                << QStringList();
        for (const auto &[zero, span] : {std::pair{"0", "3.2001"}, {"1", "1"}, {"3.2", "0"}, {"0", "-3.2001"}})
            QTest::newRow(qPrintable(QString("rules %1 %2").arg(zero, span)))
                << zero << span << "" << QStringList{"<read>"} << QStringList{Rules};
        QTest::newRow("letter") << "0.1x" << "2" << "" << QStringList{"<read>"}
                                << QStringList{"Invalid Numbers.  Calibration failed."};
    }
    void direct()
    {
        QFETCH(QString, zero);
        QFETCH(QString, span);
        QFETCH(QString, refuse);
        TRig rig;
        rig.Instrument.Faults().RefuseTo = {refuse};
        rig.Script.ConfirmAnswers = {true};
        rig.Cal.CalDirect(zero, span);
        QTEST(rig.Sent, "sent");
        QTEST(rig.Script.Messages(), "messages");
        QCOMPARE(rig.Asked().size(), int(rig.Sent.size() > 1));
        QVERIFY(!rig.Session.DisplayPollPaused);
    }

    void backup_data()
    {
        QTest::addColumn<QString>("answer");  // to "MDD?1"; empty: the instrument's own data
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("40 characters") << QString(40, 'A') << "NAME.txt" << QStringList{"Calibration upload failed"};
        QTest::newRow("41 characters") << QString(40, 'A') + "B" << "NAME.txt" << QStringList();
        QTest::newRow("own data") << "" << "NAME" << QStringList();
        QTest::newRow("cannot write") << "" << "no/such/NAME" << QStringList{"The calibration data could not be saved"};
    }
    void backup()
    {
        QFETCH(QString, answer);
        QFETCH(QString, name);
        QFETCH(QStringList, messages);
        TRig rig;
        QTemporaryDir dir;
        rig.Instrument.Faults().CalibrationData = answer;
        rig.Script.FileAnswers = {dir.filePath(name)};
        rig.Cal.Backup();
        QCOMPARE(rig.Sent, QStringList{"MDD?1"});
        QCOMPARE(rig.Script.Messages().size(), messages.size());
        for (int i = 0; i < messages.size(); ++i)
            QVERIFY(rig.Script.Messages()[i].startsWith(messages[i]));
        const QString data = answer.isEmpty() ? rig.Instrument.Calibration().Backup() : answer;
        const QString expected = CalFileText({"View4620:QV7400-VW 1.00", "KD4620:1.04", "46200001", data,
                                              CalDataChecksum(data)});
        QFile file(dir.filePath("NAME.cal"));
        QCOMPARE(file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString(),
                 messages.isEmpty() ? expected : QString());
    }

    void restore_data()
    {
        QTest::addColumn<QString>("data");        // "real": the instrument's own
        QTest::addColumn<int>("checksumError");
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("sent");
        const QString own = "46200001", other = "46209999";
        QTest::newRow("own file") << "real" << 0 << own << QList<bool>{} << QStringList{} << QStringList{} << true;
        QTest::newRow("edited, other instrument, yes")
            << "real" << 1 << other << QList<bool>{true, true} << QStringList{Checksum, Serial} << QStringList{} << true;
        QTest::newRow("edited, no") << "real" << 1 << own << QList<bool>{false} << QStringList{Checksum}
                                    << QStringList{} << false;
        QTest::newRow("other instrument, no")
            << "real" << 0 << other << QList<bool>{false} << QStringList{Serial} << QStringList{} << false;
        QTest::newRow("39 characters") << QString(39, 'A') << 0 << own << QList<bool>{} << QStringList{}
                                       << QStringList{"Invalid database file"} << false;
        QTest::newRow("40 characters") << QString(40, 'A') << 0 << own << QList<bool>{} << QStringList{}
                                       << QStringList{"Invalid Setting"} << true;
        QTest::newRow("semicolon") << QString(40, 'A') + ";S05" << 0 << own << QList<bool>{} << QStringList{}
                                   << QStringList{"The calibration data in"} << false;
        QTest::newRow("unreadable") << "binary" << 0 << own << QList<bool>{} << QStringList{}
                                    << QStringList{"cannot be read as a calibration file"} << false;
        QTest::newRow("cancelled") << "" << 0 << own << QList<bool>{} << QStringList{} << QStringList{} << false;
    }
    void restore()
    {
        QFETCH(QString, data);
        QFETCH(int, checksumError);
        QFETCH(QString, serial);
        QFETCH(QList<bool>, answers);
        QFETCH(QStringList, messages);
        QFETCH(bool, sent);
        TRig rig;
        QTemporaryDir dir;
        const QString path = dir.filePath("b.cal");
        if (data == "real")
            data = rig.Instrument.Calibration().Backup();
        const QString text = CalFileText({"View4620:QV7400-VW 1.00", "KD4620:1.04", serial, data,
                                          CalDataChecksum(data) + checksumError});
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(data == "binary" ? QByteArray("[CalData]\0", 10) : text.toLatin1());
        file.close();
        rig.Script.FileAnswers = {data.isEmpty() ? QString() : path};
        rig.Script.ConfirmAnswers.assign(answers.begin(), answers.end());
        rig.Cal.Restore();
        QTEST(rig.Asked(), "asked");
        QCOMPARE(rig.Script.Messages().size(), messages.size());
        for (int i = 0; i < messages.size(); ++i)
            QVERIFY2(rig.Script.Messages()[i].contains(messages[i]), qPrintable(rig.Script.Messages()[i]));
        QCOMPARE(rig.Sent, (sent ? QStringList{"MDD" + data, "TDD1", "<read>"} : QStringList{"<read>"}));
    }

    void windowCalibratesAndReadsTheSignalsBack()
    {
        TLine line;
        TFrmMain w;
        line.Connect(w.Session);
        auto runDialog = [](QDialog &dialog) { return dialog.exec(); };
        line.Script.DialogAnswers = {runDialog, runDialog};
        w.ReadSettings1->trigger();
        w.PgCMain->setCurrentWidget(w.TSCal);
        line.Script.ConfirmAnswers = {true};
        line.Sent.clear();
        w.SettingsEditor->CalFields->edtCalDirectZero->setText("0.1234");
        w.SettingsEditor->CalFields->edtCalDirectSpan->setText("2");
        w.btnCalDirect->click();
        QCOMPARE(line.Sent.mid(0, 3), (QStringList{"LDW1,1234", "LWT1,20000", "TDD1"}));
        QVERIFY(line.Sent.mid(3).contains("LDW?1"));
        QCOMPARE(w.SettingsEditor->CalFields->edtCalDirectZero->text(), "0.1234");
        QCOMPARE(w.SettingsEditor->CalFields->edtCalDirectSpan->text(), "2.0000");
        QVERIFY(line.Script.Messages().isEmpty() && w.SettingsSent);
    }

    void closedLinkDoesNothing()
    {
        TRig rig;
        rig.Session.Transport().Close();
        rig.Cal.CalDirect("0", "1");
        rig.Cal.Backup();
        rig.Cal.Restore();
        QVERIFY(rig.Sent.isEmpty() && rig.Script.History.empty());
    }
};

QTEST_MAIN(TestCalBackupPty)
#include "test_calbackup_pty.moc"
