#pragma once
// Reads a text file of the program's own kinds (settings and log files) line
// by line, in Latin-1, without holding the whole file: CR LF, a lone LF and a
// lone CR each end a line. Lines longer than the cap are cut off at the cap
// and flagged, so a file without line ends (or a binary one) cannot make one
// line of unbounded size. A NUL byte marks the file as binary: no text file
// of ours holds one. A leading UTF-8 byte order mark is skipped.

#include <QFile>
#include <QSaveFile>
#include <QString>
#include <QtGlobal>

class TTextFileLines {
public:
    static constexpr int DefaultMaxLineLength = 4096;

    explicit TTextFileLines(int maxLineLength = DefaultMaxLineLength);

    // Opens a regular file for reading; false with a message for the user
    // otherwise (a folder, a pipe or a device is refused: a pipe would block).
    bool Open(const QString &path, QString *error);
    // The next line without its end; false at the end of the file or after a
    // read error (see Failed).
    bool Next(QString &line);
    // The same as bytes, without a copy where it can be: the view is valid
    // until the next call.
    bool Next(QByteArrayView &line);

    bool LastLineTooLong() const { return lastTooLong; }
    // False for a last line the file ends in without a line end: a file cut
    // short (a full disk, a broken copy) may have lost part of it.
    bool LastLineEnded() const { return lastEnded; }
    bool SawNul() const { return sawNul; }
    bool Failed() const { return failed; }
    QString ErrorText() const;
    qint64 FileSize() const { return size; }

private:
    bool Refill();

    QFile file;
    QByteArray chunk;
    QByteArray carry;   // a line that spans chunks, gathered here
    qsizetype pos = 0;
    qint64 size = 0;
    int maxLength;
    bool atEnd = false;
    bool lastTooLong = false;
    bool lastEnded = false;
    bool sawNul = false;
    bool failed = false;
    bool skipLf = false;   // the last line ended in CR: a LF next belongs to it
    bool pastStart = false; // the first chunk was read (and a byte order mark skipped)
};

// The message for a file that cannot be opened or read.
QString FileReadError(const QString &path, const QString &reason);
QString FileWriteError(const QString &path, const QString &reason);

// Writes a file through QSaveFile, unbuffered so that a short write (a full
// disk, a file size limit) is seen at once: buffered, QFile can report a
// partly written file as saved. Until Commit succeeds any old file of that
// name stays as it was.
class TAtomicFileWriter {
public:
    explicit TAtomicFileWriter(const QString &path);
    // Appends bytes; after a failure further writes do nothing.
    void Write(const QByteArray &bytes);
    // Replaces the old file; false with a message for the user otherwise.
    bool Commit(QString *error);

private:
    QSaveFile file;
    QString path;
    QString failure;
};
