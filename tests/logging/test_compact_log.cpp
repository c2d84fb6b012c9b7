// The compact columns hold a session's traces point for point: each
// session of the table also fills plain point containers from the points
// the session reports, as the chart's traces were once kept, and every
// trace read back from the columns must equal them bit for bit, within 24
// bytes a sample where the values fit.

#include "link/session.h"
#include "link/test_session_fake.h"
#include "logging/compactlog.h"
#include "logging/logfile.h"
#include "logging/loggingsession.h"
#include "settings/database.h"
#include "support/testmain.h"
#include <cstring>
#include <map>
#include <qcustomplot.h>
#include <random>

// A namespace of its own: the folder's test files are compiled together.
namespace test_compact_log {

namespace {
struct TRig {
    TSession Session;
    TLoggingSession Logging{Session};
    std::vector<QCPGraphDataContainer> Plain = std::vector<QCPGraphDataContainer>(TCompactLog::MaxTraces);
    Tdata7410 Model;
    qint64 Now = 0;
    TRig()
    {
        auto line = std::make_unique<TFakeTransport>();
        line->Open();
        Session.SetTransport(std::move(line));
        Logging.ClockMs = [this] { return Now; };
        Logging.PointAdded = [this](int trace, const TLogPoint &p) {
            Plain[size_t(trace)].add(QCPGraphData(p.key, p.value));
        };
        Logging.EqualTimesSpread = [this](int trace) { SpreadEqualTimes(Plain[size_t(trace)]); };
        Model.DecimalPoint = 2;
        Model.SynchFilter = 100;
    }
    // Replies every 10 ms with a silence of 3 s after the 150th; every
    // nineteenth and twentieth share the time of the one before.
    void Replies(int count, std::function<qint32(int)> unit)
    {
        for (int i = 0; i < count; ++i) {
            Now += (i % 20 >= 18 ? 0 : 10) + (i == 150 ? 3000 : 0);
            Logging.TakeReply(i * 37 - 2000, unit(i), i * 0x1111);
        }
    }
    // Points sharing the last key move back towards the one before them.
    static void SpreadEqualTimes(QCPGraphDataContainer &data)
    {
        const int n = data.size();
        int k = 0;
        while (n >= 3 && n - 2 - k >= 0 && (data.begin() + (n - 2 - k))->key == (data.end() - 1)->key)
            ++k;
        if (k == 0 || n - 2 - k < 0)
            return;
        const double last = (data.end() - 1)->key, before = (data.begin() + (n - 2 - k))->key;
        for (int j = 1; j <= k; ++j)
            (data.begin() + (n - 1 - j))->key = last + (before - last) * j / (k + 1);
    }
    void Records(int count)
    {
        for (int i = 0; i < count; Now += 10 + (i == 150 ? 3000 : 0), ++i)
            Logging.TakeRecord(quint8(i), 0, 100000 - i * 91);
    }
};
using TScenario = std::function<void(TRig &)>;

bool SameBits(const TLogPoint &a, const QCPGraphData &b)
{
    return std::memcmp(&a.key, &b.key, sizeof(double)) == 0 && std::memcmp(&a.value, &b.value, sizeof(double)) == 0;
}
} // namespace
} // namespace test_compact_log
Q_DECLARE_METATYPE(test_compact_log::TScenario)
namespace test_compact_log {

class TestCompactLog : public QObject {
    Q_OBJECT
private slots:
    void givesBackTheTracesPointForPoint_data()
    {
        QTest::addColumn<int>("rate");   // 0: streamed
        QTest::addColumn<TScenario>("feed");
        QTest::addColumn<bool>("loaded");   // a log is loaded first, not all its weights whole counts
        const auto replies = [](int unitStride) {
            return TScenario([=](TRig &r) { r.Replies(400, [=](int i) { return 3 + i % 3 * unitStride; }); });
        };
        QTest::newRow("polled") << 1 << replies(0) << false;
        QTest::newRow("streamed text") << 0 << replies(0) << false;
        QTest::newRow("binary records") << 0 << TScenario([](TRig &r) { r.Records(400); }) << false;
        QTest::newRow("several units") << 1 << replies(2) << false;
        QTest::newRow("loaded log continued") << 1 << replies(0) << true;
    }

    void givesBackTheTracesPointForPoint()
    {
        QFETCH(int, rate);
        QFETCH(TScenario, feed);
        QFETCH(bool, loaded);
        TRig rig;
        rig.Session.SetUnitAddress(3);
        rig.Logging.Begin(TLogChoices{rate, {1, 0, 6, 4}}, rig.Model);
        TLogFileData data;
        TLogLineReader reader(data);
        for (const char *line : {"Weekend", "1,0,6,4", "0.00,12.50,1.00,3.00,5.5", "0.10,1.234,0.00,4.00,4.5",
                                 "0.20,-0.00,1.00,4.00", "0.25,7.00,0.50"})
            loaded ? reader.Take(QString::fromLatin1(line)) : void();
        if (loaded) {
            rig.Plain.assign(rig.Plain.size(), QCPGraphDataContainer());   // a load replaces the traces
            ApplyLogFile(data, rig.Logging);
        }
        feed(rig);
        for (size_t t = 0; t < rig.Logging.Traces.size(); ++t) {
            const QCPGraphDataContainer &old = rig.Plain[t];
            const QVector<TLogPoint> kept = rig.Logging.Points.Points(int(t));
            QCOMPARE(kept.size(), old.size());
            for (int i = 0; i < kept.size(); ++i)
                QVERIFY2(SameBits(kept[i], *(old.constBegin() + i)), qPrintable(QStringLiteral("trace %1 point %2").arg(t).arg(i)));
        }
        QVERIFY(rig.Logging.PlottedSamples > 300);
        if (!loaded)
            QVERIFY(rig.Logging.Points.Bytes() <= 24 * rig.Logging.PlottedSamples);
    }

    // Every block of every level of a trace's overview holds the lowest and
    // highest value of its rows and whether one was a break, closed or
    // still open, with rows skipped between points.
    void overviewBlocksHoldTheirRows()
    {
        TTraceOverview overview;
        std::multimap<qint64, double> points;
        std::mt19937 random(7);
        const auto check = [&] {
            for (const qint64 rows : TTraceOverview::Levels)
                for (qint64 index = 0; index <= points.rbegin()->first / rows + 1; ++index) {
                    TTraceOverview::TSpan expected;
                    for (auto p = points.lower_bound(index * rows); p != points.end() && p->first < (index + 1) * rows; ++p)
                        expected.Take(p->second);
                    const TTraceOverview::TSpan span = overview.Span(rows, index);
                    QVERIFY2(span.Lo == expected.Lo && span.Hi == expected.Hi && span.Break == expected.Break,
                             qPrintable(QStringLiteral("block %1 of %2 rows").arg(index).arg(rows)));
                }
        };
        for (qint64 row = 0, nextCheck = 9000; row < 40000; row += qint64(random() % 3)) {
            const double value = random() % 200 == 0 ? qQNaN() : double(int(random() % 1000) - 500);
            overview.Take(row, value);
            points.emplace(row, value);
            if (row >= nextCheck) {
                check();
                nextCheck += 9000;
            }
        }
        check();
    }
};

QV_TEST_MAIN(TestCompactLog)
} // namespace test_compact_log
#include "test_compact_log.moc"
