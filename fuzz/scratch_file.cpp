#include "fuzz/scratch_file.h"

#include "fuzz/check.h"

#include <QFile>
#include <QTemporaryDir>

QString ScratchPath(const QString &suffix)
{
    // A folder of the process's own, so parallel fuzzer jobs never share a
    // file.
    static const QTemporaryDir folder;
    QV_FUZZ_CHECK(folder.isValid());
    return folder.filePath(QStringLiteral("input") + suffix);
}

QString WriteScratchFile(const QByteArray &bytes, const QString &suffix)
{
    const QString path = ScratchPath(suffix);
    QFile file(path);
    QV_FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QV_FUZZ_CHECK(file.write(bytes) == bytes.size());
    return path;
}
