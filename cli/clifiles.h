#pragma once
// The files a command names: "-" for standard input or output, the kind of
// file an output must be, and whether it can be written, all settled before
// the instrument is asked anything, so that an hour's log is never lost to a
// folder that does not exist and no input is ever replaced by an output.

#include <QString>
#include <QStringList>
#include <QTemporaryFile>
#include <memory>

// A file to read. "-" is standard input, read at once into a temporary file
// (the readers take paths); messages name it "standard input".
class TCliInput {
public:
    // False with the reason when standard input cannot be read.
    bool Open(const QString &operand, const QString &suffix, QString *error);
    const QString &Path() const { return FilePath; }
    bool FromStdin() const { return Temp != nullptr; }

private:
    QString FilePath;
    std::unique_ptr<QTemporaryFile> Temp;
};

// A file to write. "-" is standard output: the file is written to a
// temporary file and then copied there.
class TCliOutput {
public:
    // The name is of a kind the command writes: it ends in one of `suffixes`
    // (any case), or is "-". Else the usage message.
    static QString WrongKind(const QString &operand, const QString &command, const QStringList &suffixes);
    // Checks that `path` can be created or replaced (its folder exists and
    // may be written; it is no folder and no input) and, for "-", makes the
    // temporary file. False with the reason, naming the file.
    bool Prepare(const QString &operand, const QString &suffix, const QStringList &inputs, QString *error);
    // The file to write: the operand, or the temporary file for "-".
    const QString &Path() const { return FilePath; }
    bool ToStdout() const { return Temp != nullptr; }
    // For "-": copies what was written to standard output. True otherwise.
    bool Deliver(QString *error) const;

private:
    QString FilePath;
    std::unique_ptr<QTemporaryFile> Temp;
};
