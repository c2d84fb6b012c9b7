#include "fuzz/scratch_file.h"

#include "fuzz/check.h"

#include <QFile>
#include <QTemporaryDir>

QString WriteScratchFile(const QByteArray &bytes, const QString &suffix)
{
    // A folder of the process's own, so parallel fuzzer jobs never share a
    // file; it goes when the process ends.
    static const QTemporaryDir folder;
    QV_FUZZ_CHECK(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("input") + suffix);
    QFile file(path);
    QV_FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QV_FUZZ_CHECK(file.write(bytes) == bytes.size());
    return path;
}
