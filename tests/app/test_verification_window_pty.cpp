// The Verification page in the main window, against the simulated instrument
// over a real pseudo-terminal: shown while connected, e and Max as the
// instrument has them, a reading taken from the page with the rest of the
// window held still, the certificate from File > Print, and the setup kept.

#include "app/frmmain.h"
#include "link/ioiface_serial.h"
#include "sim/sim_instrument.h"
#include "sim/sim_pty.h"
#include "support/sim_pty_join.h"
#include "support/testmain.h"
#include "ui/scriptedprompts.h"
#include "verification/verification.h"
#include "verification/verifymemory.h"
#include "verification/verifypage.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>

// A namespace of its own: the folder's test files are compiled together.
namespace test_verification_window_pty {

namespace {

struct TRig {
    TScriptedPrompts Script;
    TScopedPrompts Guard{&Script};
    TSimInstrument Instrument;
    TSimPty Pty;
    QTemporaryDir Dir;
    TFrmMain Window;

    explicit TRig(const TSimConfig &config) : Instrument(config)
    {
        JoinOverPty(Instrument, Pty);
        Window.DataFolder = Dir.filePath("data");
        auto serial = std::make_unique<TIOIfaceSerial>();
        serial->SetPortName(Pty.DevicePath());
        Window.Session.InstallAndOpen(std::move(serial));
    }
};

QStringList ColumnTexts(const QTableWidget *table, int row)
{
    QStringList texts;
    for (int column = 0; column < table->columnCount(); ++column)
        texts << (table->item(row, column) ? table->item(row, column)->text() : QString());
    return texts;
}

} // namespace

class TestVerificationWindowPty : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("Quenvale 7400 Viewer")); }

    void pageTakesReadingsAndPrintsTheCertificate()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        TSimConfig config;
        config.Errors.SpanE = 2;
        TRig rig(config);
        TFrmMain &w = rig.Window;
        TVerificationPage &page = *w.VerifyPage;
        QVERIFY(w.Session.IsOpen());
        QVERIFY(w.PgCMain->isTabVisible(w.PgCMain->indexOf(w.TSVerify)));
        // Max as the instrument holds it, not the settings model's 4000.
        rig.Instrument.Settings().Set("IAD", 1, 0, 3000);
        rig.Instrument.Settings().Set("LWT", 1, 0, 15000);   // still calibrated: 3000 reads 3000
        w.PgCMain->setCurrentWidget(w.TSVerify);
        QCOMPARE(w.Print1->text(), QStringLiteral("&Print Certificate"));
        QCOMPARE(page.EdtScaleInterval->text(), QStringLiteral("1"));
        QCOMPARE(page.EdtMax->text(), QStringLiteral("3000"));
        QCOMPARE(page.LBxLoads->count(), 6);   // 0, 20, 500, 1500, 2000, 3000
        QCOMPARE(page.LBxLoads->item(5)->text(), QStringLiteral("3000"));

        page.EdtCustomer->setText(QStringLiteral("Mill 2"));
        emit page.EdtCustomer->editingFinished();
        TVerificationSetup kept;
        QVERIFY(LoadRememberedSetup(w.DataFolder + QStringLiteral("/verification.ini"), kept));
        QCOMPARE(kept.Customer, QStringLiteral("Mill 2"));

        // Up to Max: the sixth row.
        page.TblResults->selectRow(5);
        rig.Instrument.Load().SetFixed(3000);
        bool heldStill = false;
        QTimer::singleShot(300, [&] {
            heldStill = !w.PgCMain->tabBar()->isEnabled() && !w.ToolBar->isEnabled()
                        && page.BtnCancelTake->isEnabled() && !page.BtnTake->isEnabled()
                        && page.LblWait->text().startsWith("Waiting for a stable reading");
        });
        page.BtnTake->click();
        QVERIFY(heldStill);
        QVERIFY(w.PgCMain->tabBar()->isEnabled() && w.ToolBar->isEnabled() && page.BtnTake->isEnabled());
        // The reading fixes what it was judged with.
        QVERIFY(!page.EdtScaleInterval->isEnabled() && !page.EdtMax->isEnabled());
        QVERIFY(page.LblWait->text().isEmpty());
        QCOMPARE(ColumnTexts(page.TblResults, 5),
                 (QStringList{"Weighing", "up", "3000", "3002", "+2", "1.5", "fail"}));
        QCOMPARE(page.SelectedRow(), 0);   // on to the first row still to take
        QVERIFY(page.LblVerdict->text().contains("Verdict as found: FAIL"));
        QVERIFY(rig.Script.Messages().isEmpty());

        QTemporaryDir dir;
        const QString pdf = dir.filePath("certificate.pdf");
        rig.Script.PrinterAnswers.push_back(true);
        rig.Script.WhilePrinterShown = [&pdf](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
        };
        w.Print1->trigger();
        QProcess reader;
        reader.start(QStringLiteral("pdftotext"), {"-layout", pdf, "-"});
        QVERIFY(reader.waitForFinished(10000));
        const QString text = QString::fromUtf8(reader.readAllStandardOutput()).simplified();
        QVERIFY2(text.contains("up 3000 3002 +2 1.5 fail"), qPrintable(text));
        QVERIFY(text.contains("Customer / site: Mill 2"));

        w.Session.Disconnect();
        QVERIFY(!w.PgCMain->isTabVisible(w.PgCMain->indexOf(w.TSVerify)));
    }
};

QV_TEST_MAIN(TestVerificationWindowPty)
} // namespace test_verification_window_pty
#include "test_verification_window_pty.moc"
