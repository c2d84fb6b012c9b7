// Readings against the simulated instrument over a real pseudo-terminal and
// the serial transport: a span error that fails Max by 2 e on initial
// verification and passes in service, waits that end only on a stable
// reading (or a way out), and the certificate's PDF and CSV holding every row.

#include "link/ioiface_serial.h"
#include "link/session.h"
#include "sim/sim_instrument.h"
#include "sim/sim_pty.h"
#include "support/sim_pty_join.h"
#include "support/testmain.h"
#include "ui/printfont.h"
#include "ui/scriptedprompts.h"
#include "verification/certificate.h"
#include "verification/certificateprint.h"
#include "verification/verification.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFontDatabase>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

// A namespace of its own: the folder's test files are compiled together.
namespace test_verification_pty {

namespace {

// The simulated instrument on a pseudo-terminal, a session connected to it
// with the display polls running, as while the page is shown.
struct TRig {
    TScriptedPrompts Script;
    TScopedPrompts Guard{&Script};
    TSimInstrument Instrument;
    TSimPty Pty;
    TSession Session;
    TVerification Verification{Session};
    QStringList Wire;
    QList<TStableWait> Waits;

    explicit TRig(const TSimConfig &config = {}) : Instrument(config)
    {
        JoinOverPty(Instrument, Pty);
        QObject::connect(&Instrument, &TSimInstrument::PortLost, &Pty, [this] { Pty.Close(); });
        QObject::connect(&Instrument, &TSimInstrument::CommandReceived, &Pty,
                         [this](const QString &command) { Wire << command; });
        Session.Connected = [this] {
            Session.SetActivity(actDisplay);
            Session.StartupSequence();
        };
        Verification.ShowWait = [this](const TStableWait &wait) { Waits << wait; };
        auto serial = std::make_unique<TIOIfaceSerial>();
        serial->SetPortName(Pty.DevicePath());
        Session.InstallAndOpen(std::move(serial));
        Verification.Setup.E = 1;
        Verification.Setup.Max = 4000;
    }

    // The weighing test alone, in the order given, as the command line runs it.
    void WeighingRows(const QList<double> &loads)
    {
        Verification.Rows().clear();
        for (const double load : loads)
            Verification.Rows().append({TTestKind::Weighing, 0, load, {}, 0, {}});
    }
    TOutcome Place(int row)
    {
        Instrument.Load().SetFixed(Verification.Rows()[row].Load);
        return Verification.Take(row);
    }
};

// The words of a text, one blank between them.
QString Words(const QString &text) { return text.simplified(); }

QString PdfText(const QString &pdf)
{
    QProcess reader;
    reader.start(QStringLiteral("pdftotext"), {"-layout", pdf, "-"});
    return reader.waitForFinished(10000) ? QString::fromUtf8(reader.readAllStandardOutput()) : QString();
}

} // namespace

class TestVerificationPty : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
    }

    // Class III, e = 1, Max = 4000, a span error of 2 e: the error grows
    // with the load to 2 e at Max, which passes only in service.
    void spanErrorFailsMaxOnInitialVerification_data()
    {
        QTest::addColumn<bool>("inService");
        QTest::addColumn<QStringList>("mpe");
        QTest::addColumn<QStringList>("results");
        QTest::addColumn<QString>("verdict");
        QTest::newRow("initial") << false << QStringList{"0.5", "0.5", "1.0", "1.5"}
                                 << QStringList{"pass", "pass", "pass", "fail"} << "FAIL";
        QTest::newRow("in service") << true << QStringList{"1.0", "1.0", "2.0", "3.0"}
                                    << QStringList{"pass", "pass", "pass", "pass"} << "PASS";
    }

    void spanErrorFailsMaxOnInitialVerification()
    {
        QFETCH(bool, inService);
        QFETCH(QStringList, mpe);
        QFETCH(QStringList, results);
        QFETCH(QString, verdict);
        TSimConfig config;
        config.Errors.SpanE = 2;
        TRig rig(config);
        TVerificationSetup &setup = rig.Verification.Setup;
        setup.InService = inService;
        setup.Customer = QStringLiteral("Mill 2, \"north\" bay");
        setup.Weights = {{"SET-A", "2000 kg", "M1", "C-17/2"}};
        rig.WeighingRows({0, 500, 2000, 4000});
        for (int row = 0; row < 4; ++row) {
            const TOutcome taken = rig.Place(row);
            QVERIFY2(taken.Ok(), qPrintable(taken.Text()));
        }
        QCOMPARE(rig.Verification.Identity().SerialNumber, QStringLiteral("46200001"));

        const QStringList indications{"0", "500", "2001", "4002"};
        const QStringList errors{"0", "0", "+1", "+2"};
        QStringList rows;
        for (int row = 0; row < 4; ++row) {
            const TTestRow &taken = rig.Verification.Rows()[row];
            const TRowResult result = ResultOf(setup, taken);
            QCOMPARE(IndicationText(setup, taken), indications[row]);
            QCOMPARE(ErrorText(setup, taken, result.Error), errors[row]);
            QCOMPARE(setup.MpeText(result.Mpe), mpe[row]);
            QCOMPARE(result.Pass ? QStringLiteral("pass") : QStringLiteral("fail"), results[row]);
            rows << QStringLiteral("up %1 %2 %3 %4 %5")
                        .arg(setup.Weight(taken.Load), indications[row], errors[row], mpe[row], results[row]);
        }
        QCOMPARE(VerdictText(VerdictOf(setup, rig.Verification.Rows())), verdict);

        // The certificate holds every row, in the report font and in
        // another one alike: words are compared, not where they stand.
        QTemporaryDir dir;
        const QStringList lines = CertificateLines(rig.Verification);
        for (const QFont &font : {ReportFont(), QFontDatabase::systemFont(QFontDatabase::GeneralFont)}) {
            const QString pdf = dir.filePath(QStringLiteral("certificate-%1.pdf").arg(font.family()));
            QString error;
            QVERIFY2(WriteCertificatePdf(pdf, lines, font, &error), qPrintable(error));
            const QString text = Words(PdfText(pdf));
            for (const QString &row : rows)
                QVERIFY2(text.contains(Words(row)), qPrintable(row + QStringLiteral("\nnot in:\n") + text));
            for (const char *expected : {"SN:46200001", "Accuracy class III", "SET-A 2000 kg M1 C-17/2",
                                            "Mill 2, \"north\" bay", "Page 1 of 1"})
                QVERIFY2(text.contains(expected), expected);
            QVERIFY(text.contains(QStringLiteral("Verdict: %1").arg(verdict)));
        }
        const QString csv = QString::fromUtf8(VerificationCsv(rig.Verification));
        QVERIFY(csv.contains(QStringLiteral("As found,Weighing,up,4000,4002,+2,%1,%2\r\n").arg(mpe[3], results[3])));
        QVERIFY(csv.contains(QStringLiteral("\"Customer / site: Mill 2, \"\"north\"\" bay; technician: \"")));
    }

    // The readings held fix the scale they were judged in: a load above Max
    // is no test, and once the instrument weighs in other units (a settings
    // write between two readings) no reading joins the earlier ones.
    void readingsHoldTheirScale()
    {
        TRig rig;
        rig.WeighingRows({500, 5000, 2000});
        QVERIFY(rig.Place(0).Ok());
        const TOutcome above = rig.Place(1);
        QVERIFY2(above.Text().contains(QLatin1String("above Max")), qPrintable(above.Text()));
        QVERIFY(rig.Instrument.Settings().Write(QStringLiteral("ENU"), QStringLiteral("1")));
        rig.Session.SetDisplayUnits(1);
        const TOutcome other = rig.Place(2);
        QVERIFY2(other.Text().contains(QLatin1String("New Verification")), qPrintable(other.Text()));
        QVERIFY(!rig.Verification.Rows()[2].Indication);
    }

    // The platform shakes for a while at the load: every answer meanwhile
    // has its stable bit clear, and the reading comes only after enough
    // stable answers in a row, with the load's weight, not a swing's.
    void noReadingWhileTheStableBitIsClear()
    {
        TRig rig;
        rig.Instrument.Weight().Errors().Shaking = true;
        rig.WeighingRows({2000});
        QTimer::singleShot(2500, [&rig] { rig.Instrument.Weight().Errors().Shaking = false; });
        QElapsedTimer clock;
        clock.start();
        rig.Wire.clear();
        const TOutcome taken = rig.Place(0);
        QVERIFY2(taken.Ok(), qPrintable(taken.Text()));
        QVERIFY(clock.elapsed() >= 2500);
        QCOMPARE(IndicationText(rig.Verification.Setup, rig.Verification.Rows()[0]), QStringLiteral("2000"));
        int stableRun = 0, moving = 0;
        for (const TStableWait &wait : std::as_const(rig.Waits)) {
            if (wait.Done)
                break;
            moving += wait.Polls > 0 && !wait.Stable;
            stableRun = wait.Stable ? stableRun + 1 : 0;
            QCOMPARE(wait.StablePolls, stableRun);
            QVERIFY(wait.StablePolls < TVerification::StablePollsNeeded);
        }
        QVERIFY(moving >= 15);
        QCOMPARE(stableRun, TVerification::StablePollsNeeded - 1);   // the last answer made the reading
        // The display polls were held off: only the reading's own questions.
        QCOMPARE(rig.Wire.filter(QRegularExpression("^(?!MSV\\?$|IDN\\?$|IAD\\?1$)")), QStringList());
    }

    // Each way a wait ends without a reading leaves the row untaken.
    void waitsEndWithoutAReading_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("cancelled") << "cancel" << int(TOutcome::TKind::Cancelled) << QString();
        QTest::newRow("port lost") << "lose" << int(TOutcome::TKind::PortLost) << QString();
        QTest::newRow("instrument silent") << "silence" << int(TOutcome::TKind::Silent)
                                           << TOutcome::NotRespondingText();
        QTest::newRow("time limit") << "limit" << int(TOutcome::TKind::Failed) << "No stable reading came within 1 s";
        QTest::newRow("another instrument") << "other" << int(TOutcome::TKind::Failed)
                                            << "The readings held came from the instrument with serial number 999";
    }

    void waitsEndWithoutAReading()
    {
        QFETCH(QString, how);
        QFETCH(int, kind);
        QFETCH(QString, text);
        TRig rig;
        rig.Instrument.Weight().Errors().Shaking = true;
        rig.WeighingRows({0, 1000});
        TVerification &v = rig.Verification;
        if (how == QLatin1String("limit"))
            v.WaitLimitMs = 1000;
        if (how == QLatin1String("other")) {
            v.SetIdentity({"OTHER", "999", "1.00", 1});
            v.Rows()[0].Indication = 0;
            v.ForgetConnection();
        }
        QTimer::singleShot(800, [&] {
            if (how == QLatin1String("cancel"))
                v.CancelTake();
            else if (how == QLatin1String("lose"))
                rig.Instrument.LosePort();
            else if (how == QLatin1String("silence"))
                rig.Instrument.Faults().Silent = true;
        });
        const TOutcome taken = rig.Place(1);
        QCOMPARE(int(taken.Kind()), kind);
        QVERIFY2(taken.Text().startsWith(text), qPrintable(taken.Text()));
        QVERIFY(!v.Rows()[1].Indication);
        QVERIFY(!v.IsTaking());
        QVERIFY(rig.Waits.isEmpty() || rig.Waits.last().Done);
        // The session polls again as before.
        QCOMPARE(rig.Session.Activity(), actDisplay);
        QVERIFY(!rig.Session.PollingSuspended());
    }
};

QV_TEST_MAIN(TestVerificationPty)
} // namespace test_verification_pty
#include "test_verification_pty.moc"
