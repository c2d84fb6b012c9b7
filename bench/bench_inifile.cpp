// How long reading an initialisation file takes when it is far larger than
// the program ever writes: many keys in one section, many sections, and
// random bytes. Prints one line per case.

#include "link/inifile.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <cstdio>

namespace {
void Measure(const char *what, const QByteArray &bytes)
{
    TIniFile ini;
    QElapsedTimer timer;
    timer.start();
    ini.Parse(bytes);
    const qint64 parsed = timer.nsecsElapsed();
    timer.restart();
    const QByteArray saved = ini.ToBytes();
    const qint64 written = timer.nsecsElapsed();
    std::printf("%-32s %9lld bytes  parse %8.1f ms  write %8.1f ms\n", what, qlonglong(bytes.size()),
                double(parsed) / 1e6, double(written) / 1e6);
    (void)saved;
}
} // namespace

int main()
{
    for (int count : {1000, 20000, 100000}) {
        QByteArray keys = "[Connection]\n";
        QByteArray sections;
        for (int i = 0; i < count; ++i) {
            keys += "Key" + QByteArray::number(i) + "=value\n";
            sections += "[Section" + QByteArray::number(i) + "]\nKey=1\n";
        }
        Measure(qPrintable(QStringLiteral("%1 keys in one section").arg(count)), keys);
        Measure(qPrintable(QStringLiteral("%1 sections").arg(count)), sections);
    }
    QRandomGenerator random(7400);
    QByteArray garbage(4 * 1024 * 1024, Qt::Uninitialized);
    for (char &c : garbage)
        c = char(random.bounded(256));
    Measure("4 MiB of random bytes", garbage);
    return 0;
}
