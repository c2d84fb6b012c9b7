// Prints how long saving and loading a log of N samples (default 1,000,000,
// four channels on) takes, and the file size: bench_logfile [samples]
#include "bench/stopwatch.h"
#include "link/session.h"
#include "logging/logfile.h"
#include "logging/loggingsession.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <string>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::max(1, atoi(argv[1])) : 1000000;
    TSession link;
    TLoggingSession logging(link);
    logging.Channels = {1, 2, 3, 4};
    logging.Traces.emplace_back();
    for (int i = 0; i < n; ++i) {
        const TLogPoint p(i * 0.1, (i % 20001 - 10000) / 100.0);
        logging.AddPoint(TLoggingSession::SeriesWeight, p);
        logging.AddPoint(TLoggingSession::FirstUnitTrace, p);
        for (int c = 0; c < 4; ++c)
            logging.AddPoint(size_t(c), TLogPoint(p.key, LogChannels::Level(c, (i >> c) & 1)));
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.LOG");
    TStopwatch watch;
    QString error;
    if (!SaveLogFile(path, logging, QStringLiteral("bench"), &error)) {
        std::printf("save failed: %s\n", qPrintable(error));
        return 1;
    }
    const std::string save = watch.Text();
    watch.Restart();
    TLogFileData data;
    TLogLoadResult result;
    if (!LoadLogFile(path, data, &error, &result)) {
        std::printf("load failed: %s\n", qPrintable(error));
        return 1;
    }
    const std::string load = watch.Text();
    watch.Restart();
    ApplyLogFile(data, logging);
    std::printf("samples %d, file %lld bytes\n", n, static_cast<long long>(QFileInfo(path).size()));
    std::printf("save  %s\n", save.c_str());
    std::printf("load  %s, %lld samples read\n", load.c_str(), static_cast<long long>(result.Samples));
    std::printf("apply %s\n", watch.Text());
    return 0;
}
