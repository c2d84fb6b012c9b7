#pragma once
// The resident memory of this process, in MB (Linux /proc), for the figures
// of the logging benchmark and soak run.

#include <QFile>
#include <QList>
#include <unistd.h>

inline double ResidentMb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / 1048576.0 : 0;
}
