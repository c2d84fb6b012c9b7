#include "settings/textfilelines.h"

#include <QDir>
#include <QFileInfo>

namespace {
constexpr qint64 ChunkSize = 64 * 1024;
}

QString FileReadError(const QString &path, const QString &reason)
{
    return QStringLiteral("Cannot read file \"%1\". %2").arg(QDir::toNativeSeparators(path), reason);
}

QString FileWriteError(const QString &path, const QString &reason)
{
    return QStringLiteral("Cannot write file \"%1\". %2").arg(QDir::toNativeSeparators(path), reason);
}

TTextFileLines::TTextFileLines(int maxLineLength) : maxLength(std::max(maxLineLength, 1)) {}

bool TTextFileLines::Open(const QString &path, QString *error)
{
    const QFileInfo info(path);
    QString reason;
    if (!info.exists())
        reason = QStringLiteral("The file does not exist.");
    else if (!info.isFile())
        reason = QStringLiteral("It is not a file.");
    else {
        file.setFileName(path);
        if (file.open(QIODevice::ReadOnly)) {
            size = file.size();
            return true;
        }
        reason = file.errorString();
    }
    if (error)
        *error = FileReadError(path, reason);
    return false;
}

QString TTextFileLines::ErrorText() const
{
    return FileReadError(file.fileName(), file.errorString());
}

bool TTextFileLines::Refill()
{
    if (atEnd || failed)
        return false;
    chunk = file.read(ChunkSize);
    pos = 0;
    if (chunk.isEmpty()) {
        if (file.error() != QFileDevice::NoError)
            failed = true;
        atEnd = true;
        return false;
    }
    if (chunk.contains('\0'))
        sawNul = true;
    return true;
}

bool TTextFileLines::Next(QString &line)
{
    line.clear();
    lastTooLong = false;
    lastEnded = false;
    bool any = false;
    for (;;) {
        if (pos >= chunk.size() && !Refill())
            return any && !failed;
        if (skipLf) {
            skipLf = false;
            if (chunk[pos] == '\n') {
                ++pos;
                continue;
            }
        }
        any = true;
        qsizetype end = pos;
        while (end < chunk.size() && chunk[end] != '\r' && chunk[end] != '\n')
            ++end;
        const qsizetype room = maxLength - line.size();
        const qsizetype take = std::min<qsizetype>(end - pos, std::max<qsizetype>(room, 0));
        line += QString::fromLatin1(chunk.constData() + pos, take);
        if (end - pos > take)
            lastTooLong = true;
        if (end < chunk.size()) {
            skipLf = chunk[end] == '\r';
            pos = end + 1;
            lastEnded = true;
            return true;
        }
        pos = end;
    }
}

TAtomicFileWriter::TAtomicFileWriter(const QString &p) : file(p), path(p)
{
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        failure = file.errorString();
}

void TAtomicFileWriter::Write(const QByteArray &bytes)
{
    if (!failure.isEmpty() || bytes.isEmpty())
        return;
    if (file.write(bytes) != bytes.size()) {
        failure = file.error() != QFileDevice::NoError && file.errorString() != QStringLiteral("Unknown error")
                      ? file.errorString()
                      : QStringLiteral("Not all of it could be written; the disk may be full.");
        file.cancelWriting();
    }
}

bool TAtomicFileWriter::Commit(QString *error)
{
    if (failure.isEmpty() && !file.commit())
        failure = file.errorString();
    if (failure.isEmpty())
        return true;
    if (error)
        *error = FileWriteError(path, failure);
    return false;
}
