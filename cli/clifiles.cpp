#include "cli/clifiles.h"

#include "cli/terminalprompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// Far more than any file the program reads from standard input.
constexpr qint64 LargestInput = 16 * 1024 * 1024;

std::unique_ptr<QTemporaryFile> MakeTemp(const QString &suffix)
{
    auto temp = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/quenvale7400-cli-XXXXXX") + suffix);
    if (!temp->open())
        return nullptr;
    return temp;
}

QString SystemReason() { return QString::fromLocal8Bit(std::strerror(errno)); }

QString Canonical(const QString &path) { return QFileInfo(path).canonicalFilePath(); }

} // namespace

bool TCliInput::Open(const QString &operand, const QString &suffix, QString *error)
{
    if (operand != QLatin1String("-")) {
        FilePath = operand;
        return true;
    }
    Temp = MakeTemp(suffix);
    QFile in;
    if (!Temp || !in.open(stdin, QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read standard input");
        return false;
    }
    const QByteArray bytes = in.read(LargestInput + 1);
    if (bytes.size() > LargestInput) {
        *error = QStringLiteral("standard input holds more than any file this command reads");
        return false;
    }
    if (Temp->write(bytes) != bytes.size() || !Temp->flush()) {
        *error = QStringLiteral("cannot keep standard input in %1: %2").arg(Temp->fileName(), Temp->errorString());
        return false;
    }
    FilePath = Temp->fileName();
    TTerminalPrompts::ShowPathAs(QDir::toNativeSeparators(FilePath), QStringLiteral("standard input"));
    return true;
}

QString TCliOutput::WrongKind(const QString &operand, const QString &command, const QStringList &suffixes)
{
    if (operand == QLatin1String("-"))
        return {};
    for (const QString &suffix : suffixes)
        if (operand.endsWith(suffix, Qt::CaseInsensitive) && operand.size() > suffix.size())
            return {};
    QStringList patterns;
    for (const QString &suffix : suffixes)
        patterns << u'*' + suffix;
    return QStringLiteral("%1 writes %2 files, and %3 is not one: name it %4, or - for standard output")
        .arg(command, suffixes.join(QStringLiteral(" or ")), operand, patterns.join(QStringLiteral(" or ")));
}

bool TCliOutput::Prepare(const QString &operand, const QString &suffix, const QStringList &inputs, QString *error)
{
    if (operand == QLatin1String("-")) {
        Temp = MakeTemp(suffix);
        if (!Temp) {
            *error = QStringLiteral("cannot make a temporary file in %1").arg(QDir::tempPath());
            return false;
        }
        FilePath = Temp->fileName();
        TTerminalPrompts::ShowPathAs(QDir::toNativeSeparators(FilePath), QStringLiteral("standard output"));
        return true;
    }
    FilePath = operand;
    const QFileInfo file(operand);
    const QString folder = file.absolutePath();
    const auto cannot = [&](const QString &why) {
        *error = QStringLiteral("cannot write %1: %2").arg(QDir::toNativeSeparators(operand), why);
        return false;
    };
    if (file.exists()) {
        for (const QString &input : inputs)
            if (Canonical(input) == file.canonicalFilePath())
                return cannot(QStringLiteral("it is also the file read; nothing was changed"));
        if (file.isDir())
            return cannot(QStringLiteral("it is a folder"));
        if (::access(QFile::encodeName(operand).constData(), W_OK) != 0)
            return cannot(SystemReason());
    }
    if (!QFileInfo(folder).isDir())
        return cannot(QStringLiteral("the folder %1 does not exist").arg(QDir::toNativeSeparators(folder)));
    // The file is replaced through a new file beside it, so the folder must take one.
    if (::access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0)
        return cannot(QStringLiteral("the folder %1 cannot be written (%2)")
                          .arg(QDir::toNativeSeparators(folder), SystemReason()));
    return true;
}

bool TCliOutput::Deliver(QString *error) const
{
    if (!Temp)
        return true;
    QFile written(FilePath);
    if (!written.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read back what was written: %1").arg(written.errorString());
        return false;
    }
    std::fflush(stdout);
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write standard output");
        return false;
    }
    while (!written.atEnd()) {
        const QByteArray chunk = written.read(64 * 1024);
        if (out.write(chunk) != chunk.size()) {
            *error = QStringLiteral("cannot write standard output: %1").arg(out.errorString());
            return false;
        }
    }
    out.flush();
    return true;
}
