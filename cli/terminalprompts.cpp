#include "cli/terminalprompts.h"

#include "settings/passcode.h"
#include "settings/trafficdlg.h"

#include <QLineEdit>
#include <QPrinter>
#include <QProgressBar>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

constexpr int ProgressEveryMs = 200;

QString ForTerminal(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

int RunWithProgress(QDialog &dialog, const TTerminalPrompts &prompts)
{
    auto *traffic = qobject_cast<TFrmTraffic *>(&dialog);
    QTimer ticker;
    if (traffic && prompts.ShowProgress) {
        QObject::connect(&ticker, &QTimer::timeout, [traffic, &prompts] {
            const QProgressBar &bar = *traffic->PBprogress;
            prompts.Progress(QStringLiteral("%1: %2 of %3").arg(traffic->windowTitle()).arg(bar.value()).arg(bar.maximum()));
        });
        ticker.start(ProgressEveryMs);
    }
    const int result = dialog.exec();
    if (ticker.isActive())
        prompts.EndProgress();
    return result;
}

} // namespace

void TTerminalPrompts::Say(const QString &text)
{
    std::fprintf(stderr, "%s\n", qPrintable(ForTerminal(text)));
    std::fflush(stderr);
}

void TTerminalPrompts::Progress(const QString &text) const
{
    if (!ShowProgress)
        return;
    std::fprintf(stderr, "\r%s\033[K", qPrintable(text));
    std::fflush(stderr);
}

void TTerminalPrompts::EndProgress() const
{
    if (ShowProgress)
        std::fprintf(stderr, "\r\033[K");
}

void TTerminalPrompts::Message(const QString &text, Kind, const QString &) { Say(text); }

bool TTerminalPrompts::Confirm(const QString &text, const QString &, Kind)
{
    if (AssumeYes) {
        Say(text + QStringLiteral(" yes (--yes)"));
        return true;
    }
    if (!isatty(STDIN_FILENO)) {
        Say(text + QStringLiteral(" no (no terminal to ask on; --yes answers yes)"));
        Declined = true;
        return false;
    }
    std::fprintf(stderr, "%s [y/N] ", qPrintable(ForTerminal(text)));
    std::fflush(stderr);
    QTextStream in(stdin);
    const QString answer = in.readLine().trimmed().toLower();
    const bool yes = answer == QLatin1String("y") || answer == QLatin1String("yes");
    Declined = Declined || !yes;
    return yes;
}

QString TTerminalPrompts::OpenFileName(const QString &, const QString &, const QString &, QString *)
{
    return FileAnswer;
}

QString TTerminalPrompts::SaveFileName(const QString &, const QString &, const QString &, QString *, Overwrite)
{
    return FileAnswer;
}

bool TTerminalPrompts::PrinterSetup(QPrinter &printer)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(FileAnswer);
    return true;
}

void TTerminalPrompts::PrintPreview(QPrinter &printer, const std::function<void(QPrinter &)> &paint)
{
    if (PrinterSetup(printer))
        paint(printer);
}

int TTerminalPrompts::Exec(QDialog &dialog)
{
    if (auto *passcode = qobject_cast<TFrmPasscode *>(&dialog)) {
        if (Passcode.isEmpty()) {
            Say(QStringLiteral("The instrument asks for its passcode: give it with --passcode or QV_PASSCODE."));
            Declined = true;
            return QDialog::Rejected;
        }
        passcode->EdtPasscode->setText(Passcode);
        return QDialog::Accepted;
    }
    return RunWithProgress(dialog, *this);
}
