// How long a timeline of 10,000 entries takes to open in Instrument >
// History (goal: under 200 ms), on SQLite and, when the PostgreSQL server
// binaries are installed, on a throwaway PostgreSQL server; and how long one
// entry takes to record. Medians of five runs. Offscreen:
//   build/bin/bench_history [entries]

#include "history/frmhistory.h"
#include "history/historyrecorder.h"
#include "support/pg_server.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QString Serial = QStringLiteral("46200001");

// A plausible mix: every fifth entry a settings snapshot of 36 lines.
std::vector<THistoryEntry> Entries(int count)
{
    QStringList lines;
    for (int i = 0; i < 36; ++i)
        lines << QStringLiteral("SET%1,%2,\"SOME TEXT\"").arg(i).arg(i * 7);
    std::vector<THistoryEntry> entries;
    const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-400);
    for (int i = 0; i < count; ++i) {
        const bool snapshot = i % 5 == 0;
        THistoryEntry entry = NewHistoryEntry(snapshot ? HistoryKind::Read : HistoryKind::Connect);
        entry.Serial = Serial;
        entry.Time = start.addSecs(i * 600);
        entry.Port = QStringLiteral("/dev/ttyUSB0");
        entry.Summary = QStringLiteral("entry %1").arg(i);
        entry.Data = snapshot ? QJsonObject{{"lines", QJsonArray::fromStringList(lines)}} : QJsonObject{{"identity", "IDN"}};
        entries.push_back(entry);
    }
    return entries;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Ms(const QElapsedTimer &timer) { return double(timer.nsecsElapsed()) / 1e6; }

void Measure(const char *name, const QString &location, int count)
{
    QString error;
    std::unique_ptr<THistoryStore> store = MakeHistoryStore(location, &error);
    if (!store || !store->Open(&error)) {
        std::printf("%s: cannot open: %s\n", name, qPrintable(error));
        return;
    }
    qint64 added = 0;
    if (!store->AddAll(Entries(count), &error, &added)) {
        std::printf("%s: cannot fill: %s\n", name, qPrintable(error));
        return;
    }
    std::vector<double> query, open, record;
    for (int run = 0; run < 5; ++run) {
        std::vector<THistoryEntry> timeline;
        QElapsedTimer timer;
        timer.start();
        store->Timeline(Serial, QDateTime(), timeline, &error);
        query.push_back(Ms(timer));

        // The dialog as the operator opens it: the instrument list, the
        // timeline, the two newest snapshots compared, painted once.
        timer.restart();
        TFrmHistory dialog(*store);
        dialog.Load(Serial, &error);
        dialog.show();
        QApplication::processEvents();
        dialog.GrdTimeline->viewport()->repaint();
        open.push_back(Ms(timer));
        dialog.hide();

        THistoryRecorder recorder(MakeHistoryStore(location, &error));
        recorder.SetIdentity({Serial, 1, QStringLiteral("/dev/ttyUSB0")});
        recorder.Open();
        timer.restart();
        recorder.RecordSettingsFile(true, QStringLiteral("/tmp/a.QVS"), {QStringLiteral("ENU1")});
        record.push_back(Ms(timer));
    }
    std::printf("%-11s %6lld entries: timeline query %7.1f ms, History dialog open %7.1f ms, one entry recorded %5.1f ms\n",
                name, qint64(count), Median(query), Median(open), Median(record));
}

// The offscreen platform's notes about window features it lacks.
void Quiet(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!message.contains(QLatin1String("propagateSizeHints")))
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(&Quiet);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    QTemporaryDir dir;
    Measure("SQLite", QStringLiteral("sqlite://%1/bench.sqlite").arg(dir.path()), count);
    TPgServer server;
    if (!server.Start() || !server.CreateDatabase(QStringLiteral("bench"))) {
        std::printf("PostgreSQL: not measured: %s\n", qPrintable(server.Error()));
        return 0;
    }
    Measure("PostgreSQL", server.Location(QStringLiteral("bench")), count);
    return 0;
}
