#include "cli/terminalprompts.h"

#include "cli/interrupt.h"

#include <QList>
#include <QPair>
#include <QPrinter>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int ProgressEveryMs = 200;
constexpr qsizetype LongestAnswer = 256;

QString Said;
QList<QPair<QString, QString>> ShownPaths;

QString ForTerminal(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

// One line typed on standard input, read a byte at a time so that nothing
// meant for a later question is taken; nullopt at the end of input or when
// a signal came first.
std::optional<QByteArray> ReadAnswer()
{
    QByteArray line;
    for (;;) {
        if (!TInterrupt::WaitReadable(STDIN_FILENO))
            return std::nullopt;
        char c = 0;
        const ssize_t got = ::read(STDIN_FILENO, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return line.isEmpty() ? std::nullopt : std::optional<QByteArray>(line);
        if (c == '\n' || c == '\r')
            return line;
        if (line.size() < LongestAnswer)
            line += c;
    }
}

// Echo off on the terminal for as long as it lives (the passcode).
class TNoEcho {
public:
    TNoEcho() : Changed(tcgetattr(STDIN_FILENO, &Saved) == 0)
    {
        if (!Changed)
            return;
        termios quiet = Saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        quiet.c_lflag |= ECHONL;
        Changed = tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    }
    ~TNoEcho()
    {
        if (Changed)
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &Saved);
    }
    TNoEcho(const TNoEcho &) = delete;
    TNoEcho &operator=(const TNoEcho &) = delete;

private:
    termios Saved{};
    bool Changed = false;
};

void Ask(const QString &question)
{
    std::fprintf(stderr, "quenvale7400-cli: %s ", qPrintable(TTerminalPrompts::Shown(ForTerminal(question))));
    std::fflush(stderr);
}

} // namespace

void TTerminalPrompts::Say(const QString &text)
{
    Said = Shown(ForTerminal(text));
    QString lines;
    for (const QString &line : Said.split(QLatin1Char('\n')))
        lines += QStringLiteral("quenvale7400-cli: ") + line + QLatin1Char('\n');
    std::fputs(qPrintable(lines), stderr);
    std::fflush(stderr);
}

QString TTerminalPrompts::LastSaid() { return Said; }

std::optional<QByteArray> TTerminalPrompts::ReadLine() { return ReadAnswer(); }

void TTerminalPrompts::ShowPathAs(const QString &path, const QString &shown) { ShownPaths.append({path, shown}); }

QString TTerminalPrompts::Shown(QString text)
{
    for (const auto &[path, shown] : ShownPaths)
        text.replace(path, shown);
    return text;
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
    if (TInterrupt::Raised()) {
        Declined = true;
        return false;
    }
    if (AssumeYes) {
        Say(text + QStringLiteral(" yes (--yes)"));
        return true;
    }
    if (!isatty(STDIN_FILENO)) {
        Say(text + QStringLiteral(" no (no terminal to ask on; --yes answers yes)"));
        Declined = true;
        return false;
    }
    Ask(text + QStringLiteral(" [y/N]"));
    const std::optional<QByteArray> answer = ReadAnswer();
    if (!answer)
        std::fputc('\n', stderr);
    const QByteArray word = answer.value_or(QByteArray()).trimmed().toLower();
    const bool yes = answer && (word == "y" || word == "yes");
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
    // After a signal nothing more is started: the transfer ends at once, and
    // what the job does after it (the passcode locked again) still runs.
    if (TInterrupt::Raised() && progress.Cancel)
        progress.Cancel();
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
    if (!GivenPasscode.isEmpty())
        return GivenPasscode;
    if (TInterrupt::Raised()) {
        Declined = true;
        return std::nullopt;
    }
    if (!isatty(STDIN_FILENO)) {
        Say(QStringLiteral("The instrument asks for its passcode: give it with --passcode-file, --passcode or "
                           "QV_PASSCODE."));
        Declined = true;
        return std::nullopt;
    }
    std::optional<QByteArray> typed;
    {
        TNoEcho quiet;
        Ask(QStringLiteral("Passcode:"));
        typed = ReadAnswer();
    }
    const QString digits = QString::fromLatin1(typed.value_or(QByteArray())).trimmed();
    if (!typed || digits.isEmpty()) {
        Declined = true;
        return std::nullopt;
    }
    // Anything else would go onto the line as part of the command.
    for (const QChar c : digits)
        if (c < u'0' || c > u'9' || digits.size() > 6) {
            Say(QStringLiteral("The passcode is 1 to 6 digits."));
            Declined = true;
            return std::nullopt;
        }
    return digits;
}

std::optional<qint32> TTerminalPrompts::Signal(const QString &prompt, qint32)
{
    Say(prompt + QStringLiteral(": no signal can be typed here."));
    Declined = true;
    return std::nullopt;
}
