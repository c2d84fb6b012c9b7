// The history an operator's work leaves, over a pseudo-terminal to the
// simulated instrument, into both back ends: connect, read, write two
// settings (the instrument guarded by a passcode), zero, backup. Each entry
// holds what was done, under the instrument's serial number, and the
// passcode is nowhere in the history.

#include "calibration/calbackup.h"
#include "calibration/calfile.h"
#include "calibration/calsteps.h"
#include "history/historyrecorder.h"
#include "history/settingsdiff.h"
#include "history_backends.h"
#include "link/ioiface_serial.h"
#include "link/session.h"
#include "settings/database.h"
#include "settings/transfer.h"
#include "sim/sim_instrument.h"
#include "sim/sim_pty.h"
#include "support/sim_pty_join.h"
#include "support/testmain.h"
#include "ui/scriptedprompts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QMap>

// A namespace of its own: the folder's test files are compiled together.
namespace test_history_pty {

using namespace history_backends;

namespace {

const QString Passcode = QStringLiteral("4321");

TSimConfig Guarded()
{
    TSimConfig config;
    config.Passcode = Passcode;
    return config;
}

struct TRig {
    TScriptedPrompts Script;
    TScopedPrompts Guard{&Script};
    TSimInstrument Instrument{Guarded()};
    TSimPty Pty;
    TSession Session;
    Tdata7410 EditModel, InstrumentModel;
    TSettingsTransfer Transfer{Session, EditModel, InstrumentModel};
    TCalibrationSteps Steps{Session, Transfer, EditModel};
    TCalBackup Cal{Session, EditModel, Steps};

    TRig()
    {
        JoinOverPty(Instrument, Pty);
    }
    void Connect(THistoryRecorder &history)
    {
        auto serial = std::make_unique<TIOIfaceSerial>();
        serial->SetPortName(Pty.DevicePath());
        Session.InstallAndOpen(std::move(serial));
        QVERIFY(Session.IsOpen());
        QVERIFY(Session.StartupSequence());
        history.AskAndRecordConnect(Session, Pty.DevicePath());
        Session.SetActivity(actCalibration);
    }
};

} // namespace

class TestHistoryPty : public QObject {
    Q_OBJECT
    QTemporaryDir Dir;

private slots:
    void workLeavesOneEntryEach_data()
    {
        QTest::addColumn<QString>("backend");
        AddBackendRows();
    }
    void workLeavesOneEntryEach()
    {
        QFETCH(QString, backend);
        const QString location = FreshLocation(backend, Dir);
        THistoryRecorder history(MakeHistoryStore(location, nullptr));
        QStringList off;
        history.HistoryOff = [&](const QString &message) { off << message; };
        TRig rig;
        history.Attach(rig.Transfer);
        history.Attach(rig.Steps);
        history.Attach(rig.Cal);

        rig.Connect(history);
        QVERIFY(rig.Transfer.ReadSettings());
        // Two settings, one of them guarded: the passcode goes to the instrument.
        rig.EditModel.Units = (rig.EditModel.Units + 1) % 3;
        rig.EditModel.HeaderLines[0] = "HISTORY";
        // A wrong passcode first: the write stops there, and is kept so.
        rig.Script.PasscodeAnswers = {QStringLiteral("1111")};
        QVERIFY(!rig.Transfer.WriteSettings());
        rig.Script.PasscodeAnswers = {Passcode};
        const TOutcome written = rig.Transfer.WriteSettings();
        QVERIFY2(written, qPrintable(written.Text()));
        QCOMPARE(written.Done.size(), 2);
        rig.Script.ConfirmAnswers = {true};
        QVERIFY(rig.Steps.BtnZeroClick());
        const QString calFile = Dir.filePath(backend + ".cal");
        rig.Script.FileAnswers = {calFile};
        QVERIFY(rig.Cal.Backup());
        QVERIFY2(off.isEmpty(), qPrintable(off.join('|')));

        // Every entry, by kind, with its content.
        THistoryStore *store = history.Store();
        QVERIFY(store);
        QMap<QString, QList<THistoryEntry>> kinds;
        QString everything;
        QString error;
        QVERIFY(store->Each(
            [&](const THistoryEntry &entry) {
                kinds[entry.Kind] << entry;
                everything += QJsonDocument(entry.ToJson()).toJson();
                return true;
            },
            &error));
        // The zero's read-back is a full read of its own.
        QCOMPARE(kinds.keys(), (QStringList{"backup", "calibration", "connect", "read", "write"}));
        for (const QString &kind : kinds.keys())
            QCOMPARE(kinds[kind].size(), kind == "read" || kind == "write" ? 2 : 1);
        for (const auto &entries : kinds)
            for (const THistoryEntry &entry : entries) {
                QCOMPARE(entry.Serial, QString("46200001"));
                QCOMPARE(entry.Port, rig.Pty.DevicePath());
                QVERIFY(!entry.User.isEmpty() && !entry.Host.isEmpty() && entry.Time.timeSpec() == Qt::UTC);
            }
        QVERIFY2(!everything.contains("PCD" + Passcode) && !everything.contains("\"PCD"), "the passcode was kept");

        const THistoryEntry &read = kinds["read"][0];
        QCOMPARE(read.SettingsLines().size(), 36);
        const THistoryEntry &stopped = kinds["write"][0];
        QCOMPARE(stopped.Data["sent"].toArray().size(), 0);
        QVERIFY2(stopped.Data["outcome"].toString().contains("refused the passcode"),
                 qPrintable(stopped.Data["outcome"].toString()));
        const THistoryEntry &write = kinds["write"][1];
        const QStringList sent = write.Data["sent"].toVariant().toStringList();
        QCOMPARE(sent, written.Done);
        QCOMPARE(write.Data["acknowledged"].toVariant().toStringList(), written.Done);
        QVERIFY(write.Data["refused"].toArray().isEmpty());
        // The snapshots before and after the write differ in exactly the two settings.
        QStringList changed;
        for (const TSettingsDifference &difference : DiffSettings(read.SettingsLines(), write.SettingsLines()))
            changed << difference.Name;
        QCOMPARE(changed, (QStringList{"Units", "Header line 1"}));

        const THistoryEntry &zero = kinds["calibration"][0];
        QCOMPARE(zero.Data["step"].toString(), QString("zero"));
        QCOMPARE(zero.Data["commands"].toVariant().toStringList(), QStringList{"LDW;"});
        QVERIFY(zero.Data["signalBefore"].isDouble() && zero.Data["signalAfter"].isDouble());
        QCOMPARE(zero.Data["outcome"].toString(), QString("done"));

        const THistoryEntry &backup = kinds["backup"][0];
        const TCalFileRead file = ReadCalFile(calFile);
        QVERIFY(file.Ok);
        QCOMPARE(backup.Data["data"].toString(), file.Record.MDD1);
        QCOMPARE(backup.Data["checksum"].toInt(), file.Record.CheckSum1);
        QCOMPARE(backup.Data["file"].toString(), calFile);
    }
};

QV_TEST_MAIN(TestHistoryPty)
} // namespace test_history_pty
#include "test_history_pty.moc"
