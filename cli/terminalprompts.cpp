#include "cli/terminalprompts.h"

#include <QPrinter>
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

int TTerminalPrompts::Exec(QDialog &)
{
    return 0;   // QDialog::Rejected: nothing to show a dialog on
}

void TTerminalPrompts::WatchProgress(TProgress &progress)
{
    QTimer ticker;
    if (ShowProgress) {
        QObject::connect(&ticker, &QTimer::timeout, [this, &progress] {
            Progress(QStringLiteral("%1: %2 of %3").arg(progress.Caption).arg(progress.Position).arg(progress.Maximum));
        });
        ticker.start(ProgressEveryMs);
    }
    WaitUntilFinished(progress);
    if (ticker.isActive())
        EndProgress();
}

std::optional<QString> TTerminalPrompts::Passcode()
{
    if (GivenPasscode.isEmpty()) {
        Say(QStringLiteral("The instrument asks for its passcode: give it with --passcode or QV_PASSCODE."));
        Declined = true;
        return std::nullopt;
    }
    return GivenPasscode;
}

std::optional<qint32> TTerminalPrompts::Signal(const QString &prompt, qint32)
{
    Say(prompt + QStringLiteral(": no signal can be typed here."));
    Declined = true;
    return std::nullopt;
}
