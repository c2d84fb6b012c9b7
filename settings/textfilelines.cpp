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
    // Editors on other systems start a UTF-8 file with a byte order mark; it
    // belongs to no line (a log's comment, a settings file's first line).
    if (!pastStart && chunk.startsWith("\xEF\xBB\xBF"))
        pos = 3;
    pastStart = true;
    return true;
}

bool TTextFileLines::Next(QString &line)
{
    QByteArrayView bytes;
    const bool more = Next(bytes);
    line = QString::fromLatin1(bytes);
    return more;
}

bool TTextFileLines::Next(QByteArrayView &line)
{
    carry.resize(0);
    line = {};
    lastTooLong = false;
    lastEnded = false;
    bool any = false, carrying = false;
    for (;;) {
        if (pos >= chunk.size() && !Refill()) {
            line = carry;
            return any && !failed;
        }
        if (skipLf) {
            skipLf = false;
            if (chunk[pos] == '\n') {
                ++pos;
                continue;
            }
        }
        any = true;
        const char *const begin = chunk.constData() + pos;
        const char *const stop = chunk.constData() + chunk.size();
        const char *end = begin;
        while (end < stop && *end != '\r' && *end != '\n')
            ++end;
        const qsizetype length = end - begin;
        const bool ended = end < stop;
        const qsizetype room = std::max<qsizetype>(maxLength - carry.size(), 0);
        const qsizetype take = std::min(length, room);
        if (length > take)
            lastTooLong = true;
        // Most lines lie within one chunk and are handed out in place.
        if (ended && !carrying) {
            line = QByteArrayView(begin, take);
        } else {
            carry.append(begin, take);
            line = carry;
        }
        carrying = true;
        if (ended) {
            skipLf = *end == '\r';
            pos = end - chunk.constData() + 1;
            lastEnded = true;
            return true;
        }
        pos = chunk.size();
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
