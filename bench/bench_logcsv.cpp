// Prints how long exporting a log of N samples (default 1,000,000, channels
// 1 and 3 on) as CSV takes, and the file size. With a folder given, the log
// file and the CSV stay there for bench/check_logcsv.py:
//   bench_logcsv [samples] [folder]
#include "bench/stopwatch.h"
#include "link/session.h"
#include "logging/logcsv.h"
#include "logging/logfile.h"
#include "logging/loggingsession.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::max(1, atoi(argv[1])) : 1000000;
    QTemporaryDir scratch;
    const QDir folder(argc > 2 ? QString::fromLocal8Bit(argv[2]) : scratch.path());
    TSession link;
    TLoggingSession logging(link);
    logging.Channels = {1, 0, 3, 0};
    logging.Traces.emplace_back();
    for (int i = 0; i < n; ++i) {
        // Weights with up to three decimals, negative ones among them.
        const TLogPoint p(i * 0.1, (i % 200001 - 100000) / 1000.0);
        logging.AddPoint(TLoggingSession::SeriesWeight, p);
        logging.AddPoint(TLoggingSession::FirstUnitTrace, p);
        for (const int c : {0, 2})
            logging.AddPoint(size_t(c), TLogPoint(p.key, LogChannels::Level(c, (i >> c) & 1)));
    }
    const QString comment = QStringLiteral("Filling test, line \"A\"");
    const QString csv = folder.filePath(QStringLiteral("bench.csv"));
    QString error;
    TStopwatch watch;
    if (!ExportLogCsv(csv, logging, comment, &error)) {
        std::printf("export failed: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("samples %d, CSV %lld bytes\n", n, static_cast<long long>(QFileInfo(csv).size()));
    std::printf("export %s\n", watch.Text());
    if (!SaveLogFile(folder.filePath(QStringLiteral("bench.LOG")), logging, comment, &error)) {
        std::printf("log save failed: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
