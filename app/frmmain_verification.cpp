// The main window's part in verification with test weights: the
// Verification page, shown while an instrument is connected; a reading
// taken for the page's row with the window's other controls held still; the
// certificate printed (File > Print while the page is shown) or saved as a
// PDF; the results saved as CSV; and the setup remembered from one
// verification to the next. The operations live in TVerification.

#include "app/frmmain.h"

#include "app/frmmain_build.h"
#include "link/dmviewer.h"
#include "logging/filemenu.h"
#include "ui/hourglass.h"
#include "ui/printfont.h"
#include "ui/prompts.h"
#include "verification/certificate.h"
#include "verification/certificateprint.h"
#include "verification/verification.h"
#include "verification/verifymemory.h"
#include "verification/verifypage.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

void TFrmMain::BuildVerificationPage()
{
    Verification = std::make_unique<TVerification>(Session);
    auto *layout = new QVBoxLayout(TSVerify);
    layout->setContentsMargins(0, 0, 0, 0);
    VerifyPage = Named(new TVerificationPage(*Verification, TSVerify), "VerifyPage");
    layout->addWidget(VerifyPage);
}

void TFrmMain::WireVerification()
{
    Verification->ShowWait = [this](const TStableWait &wait) { VerifyPage->ShowWait(wait); };
    Verification->Changed = [this] { VerifyPage->ShowVerification(); };
    VerifyPage->SetupEdited = [this] {
        QString error;
        if (!RememberSetup(VerificationSetupFile(), Verification->Setup, &error))
            ShowStatusNote(error);
    };
    connect(VerifyPage->BtnTake, &QPushButton::clicked, this, [this] { Report(TakeVerificationReading()); });
    connect(VerifyPage->BtnCancelTake, &QPushButton::clicked, this, [this] { Verification->CancelTake(); });
    connect(VerifyPage->BtnSaveCsv, &QPushButton::clicked, this, &TFrmMain::SaveVerificationCsv);
    connect(VerifyPage->BtnSavePdf, &QPushButton::clicked, this, &TFrmMain::SaveCertificatePdf);
}

QString TFrmMain::VerificationSetupFile() const { return DataFolder + QStringLiteral("/verification.ini"); }

void TFrmMain::VerificationPageShown()
{
    if (!VerificationSetupLoaded) {
        VerificationSetupLoaded = true;
        LoadRememberedSetup(VerificationSetupFile(), Verification->Setup);
        VerifyPage->ShowVerification();
    }
    // While the line carries a log or another exchange, e and Max stay as
    // they were; a reading is refused then anyway.
    if (!Session.IsOpen() || Verification->IsTaking() || Session.LoggingState() != lsStopped || Session.LineBusy()
        || Session.PollingSuspended())
        return;
    TVerificationSetup scale = Verification->Setup;
    const TOutcome read = Verification->ReadInstrumentScale(scale);
    if (read)
        VerifyPage->UseInstrumentScale(scale);
    Report(read);
}

TOutcome TFrmMain::TakeVerificationReading()
{
    // Only the page's Cancel may be pressed while the reading is awaited:
    // another page, a read or a write would take the line meanwhile.
    struct THeldStill {
        TFrmMain &W;
        explicit THeldStill(TFrmMain &w) : W(w) { Hold(true); }
        ~THeldStill() { Hold(false); }
        void Hold(bool held)
        {
            W.ToolBar->setEnabled(!held);
            W.PgCMain->tabBar()->setEnabled(!held);
            for (QMenu *menu : W.MainMenu->findChildren<QMenu *>(Qt::FindDirectChildrenOnly))
                menu->menuAction()->setEnabled(!held);
            W.VerifyPage->SetTaking(held);
        }
    } heldStill(*this);
    return Verification->Take(VerifyPage->SelectedRow());
}

QString TFrmMain::VerificationFileName(const QString &extension) const
{
    const QString serial = Verification->Identity().SerialNumber;
    const QString name = QStringLiteral("verification-%1%2%3")
                             .arg(serial.isEmpty() ? QString() : serial + QLatin1Char('-'),
                                  QDate::currentDate().toString(Qt::ISODate), extension);
    return FileMenu->Directory.isEmpty() ? name : QDir(FileMenu->Directory).filePath(name);
}

void TFrmMain::SaveVerificationCsv()
{
    if (const QString problem = Verification->Setup.Problem(); !problem.isEmpty()) {
        Report(TOutcome::Fail(problem, TOutcome::TSeverity::Error));
        return;
    }
    const QString path = Prompts().SaveFileName(QStringLiteral("Save Verification Results"),
                                                VerificationFileName(".csv"), QStringLiteral("CSV file (*.csv)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!WriteVerificationCsv(path, *Verification, &error)) {
        Report(TOutcome::Fail(error, TOutcome::TSeverity::Error));
        return;
    }
    FileMenu->Directory = QFileInfo(path).absolutePath();
    if (datViewer)
        datViewer->SetLastFolder(FileMenu->Directory);
    ShowStatusNote(QStringLiteral("Verification results saved to %1").arg(QDir::toNativeSeparators(path)));
}

void TFrmMain::SaveCertificatePdf()
{
    if (const QString problem = Verification->Setup.Problem(); !problem.isEmpty()) {
        Report(TOutcome::Fail(problem, TOutcome::TSeverity::Error));
        return;
    }
    const QString path = Prompts().SaveFileName(QStringLiteral("Save Certificate as PDF"), VerificationFileName(".pdf"),
                                                QStringLiteral("PDF document (*.pdf)"));
    if (path.isEmpty())
        return;
    QString error;
    ShowHourglass(true);
    const bool written = WriteCertificatePdf(path, CertificateLines(*Verification), ReportFont(), &error);
    ShowHourglass(false);
    if (!written) {
        Report(TOutcome::Fail(error, TOutcome::TSeverity::Error));
        return;
    }
    FileMenu->Directory = QFileInfo(path).absolutePath();
    if (datViewer)
        datViewer->SetLastFolder(FileMenu->Directory);
    ShowStatusNote(QStringLiteral("Certificate saved to %1").arg(QDir::toNativeSeparators(path)));
}
