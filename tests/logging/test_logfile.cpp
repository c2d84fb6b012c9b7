// Log files on disk and the File menu's Open and Save: the exact text of a
// small log, a round trip of many samples, odd and broken files, a save that
// fails, and the choice between settings and log files.
#include "link/session.h"
#include "logging/filemenu.h"
#include "logging/logcsv.h"
#include "logging/logfile.h"
#include "logging/loggingsession.h"
#include "settings/database.h"
#include "settings/settingsfile.h"
#include "support/file_size_limit.h"
#include "support/testmain.h"
#include "ui/scriptedprompts.h"

#include <QTemporaryDir>

#include <charconv>
#include <csignal>
#include <sys/resource.h>

// A namespace of its own: the folder's test files are compiled together.
namespace test_logfile {

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

struct TRig {
    TSession Session;
    TLoggingSession Logging{Session};
    TRig()
    {
        Logging.Traces.emplace_back();   // the first unit trace
        Logging.Traces.back().Tag = 1;
    }
    QVector<TLogPoint> Trace(int i) const { return Logging.Points.Points(i); }
    // One plotted reply: the same point in SeriesWeight and the unit trace,
    // a level in every enabled channel.
    void Sample(double t, double weight, std::array<bool, 4> on = {}, int missing = -1)
    {
        Logging.AddPoint(TLoggingSession::SeriesWeight, TLogPoint(t, weight));
        Logging.AddPoint(TLoggingSession::FirstUnitTrace, TLogPoint(t, weight));
        for (int c = 0; c < 4; ++c)
            if (Logging.Channels[size_t(c)] != 0 && c != missing)
                Logging.AddPoint(size_t(c), TLogPoint(t, LogChannels::Level(c, on[size_t(c)])));
    }
};

// Scripted prompts that also choose the dialog's filter.
class TFilterPrompts : public TScriptedPrompts {
public:
    std::deque<QString> FilterAnswers;
    QStringList Preselected;
    QString OpenFileName(const QString &title, const QString &d, const QString &f, QString *selected) override
    {
        Choose(selected);
        return TScriptedPrompts::OpenFileName(title, d, f, selected);
    }
    QString SaveFileName(const QString &title, const QString &d, const QString &f, QString *selected,
                         Overwrite overwrite) override
    {
        Choose(selected);
        return TScriptedPrompts::SaveFileName(title, d, f, selected, overwrite);
    }

private:
    void Choose(QString *selected)
    {
        Preselected << (selected ? *selected : QString());
        if (selected && !FilterAnswers.empty()) {
            *selected = FilterAnswers.front();
            FilterAnswers.pop_front();
        }
    }
};

} // namespace

class TestLogFile : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString Path(const QString &name) const { return dir.filePath(name); }

private slots:
    void smallLogIsWrittenExactly();
    void csvKeepsEveryColumnAndQuotesTheComment();
    void numbersKeepTheirDecimals();
    void manySamplesComeBackUnchanged();
    void savingALoadedLogKeepsItsSamples();
    void readerTakesWhatEachLineHolds_data();
    void readerTakesWhatEachLineHolds();
    void brokenFilesChangeNothingAndSaySo_data();
    void brokenFilesChangeNothingAndSaySo();
    void failedSaveKeepsTheOldFile();
    void menuSavesTheKindTheNameOrFilterSays();
    void menuOpensByTheChosenFilter();
    void menuReportsABadFileAndChangesNothing();
    void menuOpensAFileByWhatItHolds();
    void aLogReadsAndWritesBackByteForByte_data();
    void aLogReadsAndWritesBackByteForByte();
    void aLogLoadedDuringASessionIsContinuedAndSavedWhole_data();
    void aLogLoadedDuringASessionIsContinuedAndSavedWhole();
    void savingTakesTheRepliesThatComeMeanwhile();
    void aCommentOutsideLatin1IsSavedOnlyWhenAccepted();
    void aLogOfSeveralUnitsIsAFileAUnitAndACsvColumnAUnit();
};

void TestLogFile::smallLogIsWrittenExactly()
{
    TRig rig;
    rig.Logging.Channels = {1, 0, 3, 0};
    rig.Sample(0, 12.5, {true, false, false, false});
    rig.Sample(0.25, 12.75, {false, false, true, false});
    QCOMPARE(BuildLogLines(rig.Logging, QStringLiteral("Filling test")),
             QStringList({"Filling test", "1,0,3,0", "0.00,12.50,1.00,3.00", "0.25,12.75,0.00,4.00"}));
    QString error;
    QVERIFY2(SaveLogFile(Path("small.LOG"), rig.Logging, QStringLiteral("Filling test"), &error), qPrintable(error));
    QCOMPARE(ReadAll(Path("small.LOG")),
             QByteArray("Filling test\r\n1,0,3,0\r\n0.00,12.50,1.00,3.00\r\n0.25,12.75,0.00,4.00\r\n"));

    TRig empty;
    QCOMPARE(BuildLogLines(empty.Logging, QStringLiteral("a, b\nc")), QStringList({"a, b c", "0,0,0,0"}));
}

void TestLogFile::csvKeepsEveryColumnAndQuotesTheComment()
{
    QLocale::setDefault(QLocale(QLocale::German));   // "," would be its decimal point
    TRig rig;
    rig.Logging.Channels = {1, 0, 3, 0};
    rig.Sample(0, -12.5, {true, false, false, false});
    rig.Sample(0.25, 1234.567, {}, 2);   // a channel point missing: its field stays, empty
    QString error;
    QVERIFY2(ExportLogCsv(Path("log.csv"), rig.Logging, QStringLiteral("Fill \"A\", line 2"), &error),
             qPrintable(error));
    QCOMPARE(ReadAll(Path("log.csv")), QByteArray("\"Fill \"\"A\"\", line 2\"\r\ntime_s,weight,Motion,Output 1\r\n"
                                                  "0.00,-12.50,1,0\r\n0.25,1234.567,0,\r\n"));
    QLocale::setDefault(QLocale::c());
}

void TestLogFile::numbersKeepTheirDecimals()
{
    TRig rig;
    rig.Sample(1234.567, 1.234);
    rig.Sample(1300, -0.0000001);
    rig.Sample(1301, 12.345678);
    rig.Sample(1302, -3);
    QCOMPARE(BuildLogLines(rig.Logging, QString()).mid(2),
             QStringList({"1234.57,1.234", "1300.00,0.00", "1301.00,12.345678", "1302.00,-3.00"}));

    // Every time and weight reads as the exact rounding (std::to_chars) would
    // write it, halves and values just beside them included.
    auto exact = [](double v, int decimals, int keep) {
        char text[64];
        QString s = QString::fromLatin1(text, std::to_chars(text, text + 64, v, std::chars_format::fixed, decimals).ptr - text);
        while (s.size() - s.indexOf(u'.') > keep + 1 && s.endsWith(u'0'))
            s.chop(1);
        return s.contains(QRegularExpression(QStringLiteral("^-[0.]*$"))) ? s.mid(1) : s;   // zero has no sign
    };
    QRandomGenerator random(7);
    TRig sweep;
    QStringList expected;
    for (int i = 0; i < 20000; ++i) {
        const double t = i * 0.005;
        const double w = i % 3 == 0 ? (i - 10000) * 0.0000005 : (random.bounded(2e6) - 1e6) / std::pow(10, i % 8);
        sweep.Sample(t, w);
        expected << exact(t, 2, 2) + ',' + exact(w, 6, 2);
    }
    QCOMPARE(BuildLogLines(sweep.Logging, QString()).mid(2), expected);
}

void TestLogFile::manySamplesComeBackUnchanged()
{
    TRig rig;
    rig.Logging.Channels = {1, 2, 5, 6};
    const int n = 100000;
    for (int i = 0; i < n; ++i)
        rig.Sample(i * 0.05, (i % 20001 - 10000) / 1000.0, {i % 2 == 0, i % 3 == 0, i % 5 == 0, i % 7 == 0});
    QVERIFY(SaveLogFile(Path("many.LOG"), rig.Logging, QStringLiteral("Many, many"), nullptr));

    TLogFileData data;
    TLogLoadResult result;
    QString error;
    QVERIFY2(LoadLogFile(Path("many.LOG"), data, &error, &result), qPrintable(error));
    QCOMPARE(result.Samples, qint64(n));
    QCOMPARE(result.Skipped, qint64(0));
    TRig back;
    ApplyLogFile(data, back.Logging);
    QCOMPARE(back.Logging.Channels, rig.Logging.Channels);
    QCOMPARE(back.Trace(TLoggingSession::FirstUnitTrace).size(), 0);
    for (int t : {0, 1, 2, 3, TLoggingSession::SeriesWeight}) {
        const QVector<TLogPoint> a = rig.Trace(t), b = back.Trace(t);
        QCOMPARE(b.size(), n);
        for (int i = 0; i < n; i += 1) {
            const auto &p = a[i], &q = b[i];
            if (std::abs(p.key - q.key) > 1e-9 || std::abs(p.value - q.value) > 1e-9)
                QFAIL(qPrintable(QStringLiteral("trace %1 point %2: %3,%4 came back as %5,%6")
                                     .arg(t).arg(i).arg(p.key).arg(p.value).arg(q.key).arg(q.value)));
        }
    }
    QVERIFY(back.Logging.Traces[TLoggingSession::SeriesWeight].Visible);
}

void TestLogFile::savingALoadedLogKeepsItsSamples()
{
    // A loaded log fills SeriesWeight only; one channel lacks a point; the
    // hand-edited lines out of time order are drawn in order.
    WriteAll(Path("loaded.LOG"), "c\r\n1,2,0,0\r\n1.00,5.00,1.00,2.50\r\n3.00,7.00,1.00,1.50\r\n2.00,6.00,0.00\r\n");
    TLogFileData data;
    QVERIFY(LoadLogFile(Path("loaded.LOG"), data, nullptr));
    TRig rig;
    ApplyLogFile(data, rig.Logging);
    QCOMPARE(BuildLogLines(rig.Logging, QStringLiteral("c")),
             QStringList({"c", "1,2,0,0", "1.00,5.00,1.00,2.50", "2.00,6.00,0.00", "3.00,7.00,1.00,1.50"}));

    // Loaded while a session runs (2 s in): its next sample follows the log.
    TRig running;
    qint64 now = 2000;
    running.Logging.ClockMs = [&now] { return now; };
    running.Session.SetLoggingState(lsPolled);
    QVERIFY(LoadLogFile(Path("loaded.LOG"), data, nullptr));   // applying took the points
    ApplyLogFile(data, running.Logging);
    now = 2500;
    running.Logging.TakeReply(800, 1, 0);
    const TLogPoint last = running.Trace(TLoggingSession::SeriesWeight).back();
    QCOMPARE(QPointF(last.key, last.value), QPointF(3.51, 800));

    // Selection 7 has no name: its column is read past, then it is "None".
    WriteAll(Path("seven.LOG"), "c\r\n7,0,3,0\r\n1.00,5.00,1.00,4.00\r\n");
    QVERIFY(LoadLogFile(Path("seven.LOG"), data, nullptr));
    QCOMPARE(data.Channels, (std::array<int, 4>{0, 0, 3, 0}));
    QVERIFY(data.ChannelPoints(0).isEmpty());
    QCOMPARE(data.ChannelPoints(2).size(), 1);
    QCOMPARE(data.ChannelPoints(2)[0].value, 4.0);
}

void TestLogFile::readerTakesWhatEachLineHolds_data()
{
    QTest::addColumn<bool>("bytes");
    QTest::newRow("text") << false;
    QTest::newRow("bytes") << true;
}

void TestLogFile::readerTakesWhatEachLineHolds()
{
    QFETCH(bool, bytes);
    auto take = [bytes](TLogLineReader &reader, const char *line) {
        bytes ? reader.Take(QByteArrayView(line)) : reader.Take(QString::fromLatin1(line));
    };
    TLogFileData data;
    data.Channels = {4, 4, 4, 4};
    TLogLineReader reader(data);
    for (const char *line : {"Test, with, commas", "0,9,x", "12.5,-3", "abc,1", ",2", "", "  ",
                             "13,1,2,3,4", "14,,1", "15,2,,,,,,"})
        take(reader, line);
    QCOMPARE(data.Comment, QStringLiteral("Test, with, commas"));
    QCOMPARE(data.Channels, (std::array<int, 4>{0, 4, 4, 4}));   // 9 and "x" keep theirs
    QCOMPARE(data.Weight().size(), 3);
    QCOMPARE(data.Weight()[0].key, 12.5);
    QCOMPARE(data.Weight()[0].value, -3.0);
    QCOMPARE(data.Weight()[2].key, 15.0);
    QCOMPARE(reader.Result().Skipped, qint64(2));   // "abc,1" and ",2"
    // Channels 2..4 (selection 4) take fields 2, 3, 4 in order.
    QCOMPARE(data.ChannelPoints(0).size(), 0);
    QCOMPARE(data.ChannelPoints(1).size(), 2);
    QCOMPARE(data.ChannelPoints(1)[0].value, 2.0);
    QCOMPARE(data.ChannelPoints(1)[1].value, 1.0);   // 14,,1: no weight, channel 2 at 1
    QCOMPARE(data.ChannelPoints(3).size(), 1);
    QCOMPARE(data.ChannelPoints(3)[0].value, 4.0);

    // Only channel 3 on: the third field goes to channel 3.
    TLogFileData third;
    TLogLineReader r3(third);
    for (const char *line : {"", "0,0,3,0", "1,2,4"})
        take(r3, line);
    QCOMPARE(third.ChannelPoints(2).size(), 1);
    QCOMPARE(third.ChannelPoints(2)[0].value, 4.0);
    QCOMPARE(LogChannels::LabelText(third.Channels[2]), QStringLiteral("Output 1"));
}

void TestLogFile::brokenFilesChangeNothingAndSaySo_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<qint64>("samples");   // -1: refused
    QTest::addColumn<qint64>("skipped");
    QByteArray binary("x\r\n0,0,0,0\r\n1,2\r\n");
    for (int i = 0; i < 5000; ++i)
        binary += char((i * 97 + 3) & 0xff);
    QTest::newRow("missing") << QByteArray() << QStringLiteral("does not exist") << qint64(-1) << qint64(0);
    QTest::newRow("binary") << binary << QStringLiteral("not a text file") << qint64(-1) << qint64(0);
    QTest::newRow("comment only") << QByteArray("just a comment") << QString() << qint64(0) << qint64(0);
    QTest::newRow("truncated") << QByteArray("c\r\n0,0,0,0\r\n1.00,2.00\r\n2.00,3.") << QString() << qint64(2)
                               << qint64(0);
    QByteArray acrossReads("c\r\n0,0,0,0\r\n");   // CR ends the first read, LF begins the next
    acrossReads += QByteArray("1,2\r\n").repeated(13104) + "1,2\r" + "\n2,3\r\n";
    QTest::newRow("CR LF across reads") << acrossReads << QString() << qint64(13106) << qint64(0);
    QTest::newRow("long line") << "c\n0,0,0,0\n1,2\n" + QByteArray(300000, '5') + "\n2,3\r3,4"
                               << QStringLiteral("1 line(s)") << qint64(3) << qint64(1);
}

void TestLogFile::brokenFilesChangeNothingAndSaySo()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    QFETCH(qint64, samples);
    QFETCH(qint64, skipped);
    const QString path = Path(QStringLiteral("broken-%1.LOG").arg(QTest::currentDataTag()));
    if (!content.isEmpty())
        WriteAll(path, content);
    TLogFileData data;
    data.Comment = QStringLiteral("before");
    data.Points.Add(TCompactLog::WeightTrace, TLogPoint(1, 1));
    TLogLoadResult result;
    QString error;
    const bool ok = LoadLogFile(path, data, &error, &result);
    QCOMPARE(ok, samples >= 0);
    if (!ok) {
        QCOMPARE(data.Comment, QStringLiteral("before"));
        QCOMPARE(data.Weight().size(), 1);
        QVERIFY2(error.startsWith(QStringLiteral("Cannot read file")) && error.contains(reason), qPrintable(error));
        return;
    }
    QCOMPARE(result.Samples, samples);
    QCOMPARE(result.Skipped, skipped);
    QCOMPARE(data.Weight().size(), samples);
    QVERIFY(SkippedLinesMessage(result).contains(reason));
}

void TestLogFile::failedSaveKeepsTheOldFile()
{
    TRig rig;
    rig.Sample(1, 2);
    QVERIFY(SaveLogFile(Path("keep.LOG"), rig.Logging, QStringLiteral("old"), nullptr));
    const QByteArray old = ReadAll(Path("keep.LOG"));
    for (int i = 2; i < 5000; ++i)
        rig.Sample(i, i);
    QString error;
    {
        const TFileSizeLimit limit(1000);
        QVERIFY(!SaveLogFile(Path("keep.LOG"), rig.Logging, QStringLiteral("new"), &error));
    }
    QCOMPARE(ReadAll(Path("keep.LOG")), old);
    QVERIFY2(error.startsWith(QStringLiteral("Cannot write file \"")), qPrintable(error));
    QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("keep.LOG*")}, QDir::Files), QStringList{"keep.LOG"});
}

void TestLogFile::menuSavesTheKindTheNameOrFilterSays()
{
    TFilterPrompts prompts;
    TScopedPrompts scope(&prompts);
    TRig rig;
    rig.Sample(0, 1);
    Tdata7410 model;
    bool onLog = false;
    int takes = 0;
    TFileMenu menu;
    menu.EditModel = &model;
    menu.Logging = &rig.Logging;
    menu.LogPageActive = [&] { return onLog; };
    menu.LogComment = [] { return QStringLiteral("comment"); };
    menu.TakeEditorPages = [&] { ++takes; };

    prompts.FileAnswers = {Path("s1"), Path("l1"), Path("x.qvs"), Path("x.log"), Path("x.txt")};
    QVERIFY(menu.Save());                         // settings filter preselected
    onLog = true;
    QVERIFY(menu.Save());                         // log filter preselected
    prompts.FilterAnswers = {TFileMenu::LogFilter()};
    QVERIFY(menu.Save());                         // .qvs wins over the filter
    QVERIFY(menu.Save());
    QVERIFY(menu.Save());                         // .txt: the log filter says
    QCOMPARE(prompts.Preselected, QStringList({TFileMenu::SettingsFilter(), TFileMenu::LogFilter(),
                                               TFileMenu::LogFilter(), TFileMenu::LogFilter(),
                                               TFileMenu::LogFilter()}));
    QCOMPARE(ReadAll(Path("s1.QVS")).count("\r\n"), 36);
    QVERIFY(ReadAll(Path("l1.LOG")).startsWith("comment\r\n0,0,0,0\r\n0.00,1.00\r\n"));
    QCOMPARE(ReadAll(Path("x.qvs")).count("\r\n"), 36);
    QVERIFY(ReadAll(Path("x.log")).startsWith("comment\r\n"));
    QVERIFY(ReadAll(Path("x.txt")).startsWith("comment\r\n"));
    QCOMPARE(takes, 2);                           // before each settings save
    QVERIFY(!menu.Save());                        // cancelled
    QVERIFY(prompts.Messages().isEmpty());

    prompts.FileAnswers = {Path("no-such-folder/y.QVS")};
    QVERIFY(!menu.Save());
    QCOMPARE(prompts.Messages().size(), 1);
    QVERIFY(prompts.Messages()[0].startsWith(QStringLiteral("Cannot write file")));
}

void TestLogFile::menuOpensByTheChosenFilter()
{
    TFilterPrompts prompts;
    TScopedPrompts scope(&prompts);
    TRig rig;
    Tdata7410 model;
    model.SerialNumber = QStringLiteral("SN1");
    int settingsLoaded = 0;
    QString comment;
    TFileMenu menu;
    menu.EditModel = &model;
    menu.Logging = &rig.Logging;
    menu.SettingsLoaded = [&] { ++settingsLoaded; };
    menu.LogLoaded = [&](const TLogFileData &d) { comment = d.Comment; };
    WriteAll(Path("o.QVS"), "ENU3\r\n");
    WriteAll(Path("o.LOG"), "Filling test\r\n1,0,3,0\r\n0.00,12.50,1.00,3.00\r\n");

    prompts.FileAnswers = {Path("o.QVS"), Path("o.LOG")};
    prompts.FilterAnswers = {TFileMenu::SettingsFilter(), TFileMenu::LogFilter()};
    QVERIFY(menu.Open());
    QCOMPARE(model.Units, 3);
    QCOMPARE(model.SerialNumber, QString());
    QCOMPARE(settingsLoaded, 1);
    QCOMPARE(prompts.Messages(), QStringList({QStringLiteral("The file holds 1 of the 36 settings lines; the "
                                                             "settings it does not name keep their values.")}));
    QVERIFY(menu.Open());
    QCOMPARE(comment, QStringLiteral("Filling test"));
    QCOMPARE(rig.Logging.Channels, (std::array<int, 4>{1, 0, 3, 0}));
    QCOMPARE(rig.Trace(TLoggingSession::SeriesWeight).size(), 1);
    QCOMPARE(rig.Trace(2).size(), 1);
    QCOMPARE(prompts.Messages().size(), 1);        // a clean log says nothing
    QVERIFY(!menu.Open());                         // cancelled
}

void TestLogFile::menuReportsABadFileAndChangesNothing()
{
    TFilterPrompts prompts;
    TScopedPrompts scope(&prompts);
    TRig rig;
    rig.Sample(0, 1);
    Tdata7410 model;
    model.SerialNumber = QStringLiteral("SN1");
    bool called = false;
    TFileMenu menu;
    menu.EditModel = &model;
    menu.Logging = &rig.Logging;
    menu.SettingsLoaded = [&] { called = true; };
    menu.LogLoaded = [&](const TLogFileData &) { called = true; };
    WriteAll(Path("bin.LOG"), QByteArray("\0\1\2\3", 4));
    // A log opened with the settings filter holds no settings line.
    WriteAll(Path("log-as-settings.LOG"), "Filling test\r\n1,0,3,0\r\n0.00,12.50,1.00,3.00\r\n");
    prompts.FileAnswers = {Path("log-as-settings.LOG"), Path("bin.LOG")};
    prompts.FilterAnswers = {TFileMenu::SettingsFilter(), TFileMenu::LogFilter()};
    QVERIFY(!menu.Open());
    QVERIFY(!menu.Open());
    QVERIFY(!called);
    QVERIFY(model == [] { Tdata7410 m; m.SerialNumber = QStringLiteral("SN1"); return m; }());
    QCOMPARE(rig.Trace(TLoggingSession::SeriesWeight).size(), 1);
    const QStringList shown = prompts.Messages();
    QCOMPARE(shown.size(), 2);
    QVERIFY2(shown[0].contains(QStringLiteral("is a log file")), qPrintable(shown[0]));
    QVERIFY2(shown[1].contains(QStringLiteral("It is not a text file.")), qPrintable(shown[1]));
    QCOMPARE(prompts.History.back().kind, TPrompts::Kind::Error);
}

// The content decides, not the filter; a byte order mark costs no line.
void TestLogFile::menuOpensAFileByWhatItHolds()
{
    TFilterPrompts prompts;
    TScopedPrompts scope(&prompts);
    const QString settings = Path("site.QVS"), text = Path("note.LOG"), log = Path("bom.LOG");
    QVERIFY(SaveSettingsFile(settings, Tdata7410(), nullptr));
    WriteAll(text, "Dear operator,\r\nplease\r\n");
    WriteAll(log, "\xEF\xBB\xBF" "Filling test\r\n1,0,3,0\r\n0.00,12.50,1.00,3.00\r\n");
    TRig rig;
    rig.Sample(0, 1);
    TFileMenu menu;
    menu.Logging = &rig.Logging;
    menu.LogLoaded = [](const TLogFileData &d) { QCOMPARE(d.Comment, QStringLiteral("Filling test")); };
    prompts.FileAnswers = {settings, text, log};
    prompts.FilterAnswers = {TFileMenu::LogFilter(), TFileMenu::LogFilter(), TFileMenu::LogFilter()};
    QVERIFY(!menu.Open());   // a settings file on the Log page
    QVERIFY(!menu.Open());   // other text
    QCOMPARE(rig.Trace(TLoggingSession::SeriesWeight).front().value, 1.0);
    QVERIFY(menu.Open());
    QCOMPARE(rig.Trace(TLoggingSession::SeriesWeight).front().value, 12.5);
}

void TestLogFile::aLogReadsAndWritesBackByteForByte_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("negative zero weight") << QByteArray("c\r\n0,0,0,0\r\n0.00,-0.00\r\n1.00,0.00\r\n2.00,-0.00\r\n");
    QTest::newRow("negative zero time and level") << QByteArray("c\r\n1,0,0,0\r\n-0.00,1.25,-0.00\r\n1.00,-1.25,1.00\r\n");
    QTest::newRow("decimals as written") << QByteArray("c\r\n0,0,3,0\r\n0.50,12.345,4.00\r\n0.75,-0.001,3.00\r\n");
}

void TestLogFile::aLogReadsAndWritesBackByteForByte()
{
    QFETCH(QByteArray, content);
    WriteAll(Path("in.LOG"), content);
    TLogFileData data;
    QVERIFY(LoadLogFile(Path("in.LOG"), data, nullptr));
    TRig rig;
    ApplyLogFile(data, rig.Logging);
    QVERIFY(SaveLogFile(Path("out.LOG"), rig.Logging, data.Comment, nullptr));
    QCOMPARE(ReadAll(Path("out.LOG")), content);
}

// The log's last line holds a channel level and no weight; the session's
// samples follow it, and a save holds both parts in time order.
void TestLogFile::aLogLoadedDuringASessionIsContinuedAndSavedWhole_data()
{
    QTest::addColumn<bool>("binary");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("text") << false << QStringList({"30.01,800.00,1.00", "30.11,801.00,1.00", "30.21,802.00,1.00"});
    QTest::newRow("binary") << true << QStringList({"40.00,800.00,0.00", "50.00,801.00,0.00", "60.00,802.00,0.00"});
}

void TestLogFile::aLogLoadedDuringASessionIsContinuedAndSavedWhole()
{
    QFETCH(bool, binary);
    QFETCH(QStringList, expected);
    WriteAll(Path("earlier.LOG"), "c\r\n1,0,0,0\r\n1.00,5.00,1.00\r\n2.00,6.00,0.00\r\n30.00,,0.00\r\n");
    TLogFileData data;
    QVERIFY(LoadLogFile(Path("earlier.LOG"), data, nullptr));
    TRig rig;
    qint64 now = 2000;
    rig.Logging.ClockMs = [&now] { return now; };
    rig.Session.SetLoggingState(binary ? lsStreamed : lsPolled);
    ApplyLogFile(data, rig.Logging);
    for (int i = 0; i < 3; ++i, now += 100)
        binary ? rig.Logging.TakeRecord(0, 0, 800 + i) : rig.Logging.TakeReply(800 + i, 1, 0);

    for (const int trace : {0, TLoggingSession::SeriesWeight}) {
        const QVector<TLogPoint> points = rig.Trace(trace);
        for (qsizetype i = 1; i < points.size(); ++i)
            QVERIFY2(points[i].key > points[i - 1].key, qPrintable(QStringLiteral("trace %1 at %2").arg(trace).arg(i)));
    }
    QVERIFY(rig.Logging.Traces[TLoggingSession::SeriesWeight].Visible);
    QCOMPARE(BuildLogLines(rig.Logging, QStringLiteral("c")),
             QStringList({"c", "1,0,0,0", "1.00,5.00,1.00", "2.00,6.00,0.00"}) + expected);
}

// A save of many samples while replies come: they are taken as they come,
// the file holds the samples there were when it began, and the new ones
// are left unsaved.
void TestLogFile::savingTakesTheRepliesThatComeMeanwhile()
{
    TFilterPrompts prompts;
    TScopedPrompts scope(&prompts);
    TRig rig;
    const int n = 100000;
    for (int i = 0; i < n; ++i)
        rig.Sample(i * 0.1, i % 1000);
    qint64 now = n * 100;
    rig.Logging.ClockMs = [&now] { return now; };
    rig.Session.SetLoggingState(lsPolled);
    QTimer replies;
    int during = 0;
    QObject::connect(&replies, &QTimer::timeout, [&] {
        now += 100;
        rig.Logging.TakeReply(5, 1, 0);
        ++during;
    });
    replies.start(0);
    TFileMenu menu;
    menu.Logging = &rig.Logging;
    menu.LogPageActive = [] { return true; };
    prompts.FileAnswers = {Path("busy.LOG")};
    QVERIFY(menu.Save());
    const int afterSave = during;
    replies.stop();
    QVERIFY2(afterSave > 0, "no reply was taken while the file was written");
    QCOMPARE(ReadAll(Path("busy.LOG")).count("\r\n"), n + 2);
    QVERIFY(rig.Logging.UnsavedSamples);
}

void TestLogFile::aCommentOutsideLatin1IsSavedOnlyWhenAccepted()
{
    TFilterPrompts prompts;
    TScopedPrompts scope(&prompts);
    TRig rig;
    rig.Sample(0, 1);
    QString comment = QStringLiteral("Fill \u20ac 5 \u2013 5");
    TFileMenu menu;
    menu.Logging = &rig.Logging;
    menu.LogPageActive = [] { return true; };
    menu.LogComment = [&comment] { return comment; };
    prompts.FileAnswers = {Path("no.LOG"), Path("yes.LOG"), Path("latin.LOG")};
    prompts.ConfirmAnswers = {false, true};
    QVERIFY(!menu.Save());
    QVERIFY(!QFile::exists(Path("no.LOG")));
    QVERIFY(menu.Save());
    QVERIFY(ReadAll(Path("yes.LOG")).startsWith("Fill ? 5 ? 5\r\n"));
    QCOMPARE(prompts.History.size(), size_t(4));   // two file dialogs, two questions
    QVERIFY2(prompts.History[1].text.contains(QStringLiteral("(\u20ac\u2013)")), qPrintable(prompts.History[1].text));
    comment = QStringLiteral("F\u00fcllung");   // Latin-1: nothing to ask
    QVERIFY(menu.Save());
    QVERIFY(ReadAll(Path("latin.LOG")).startsWith("F\xfcllung\r\n"));
    QCOMPARE(prompts.History.size(), size_t(5));
}

// Units 1 and 5 logged in turn, after a loaded log's samples of no unit:
// a log file a unit the reader opens as that unit's alone, the loaded
// samples in the file of the name chosen, one CSV with a column each; files
// of those names are replaced only when the operator says so.
void TestLogFile::aLogOfSeveralUnitsIsAFileAUnitAndACsvColumnAUnit()
{
    TFilterPrompts prompts;
    TScopedPrompts scope(&prompts);
    TRig rig;
    rig.Logging.Traces.emplace_back();
    rig.Logging.Traces.back().Tag = 5;
    rig.Logging.Channels = {1, 0, 0, 0};
    rig.Logging.AddPoint(TLoggingSession::SeriesWeight, TLogPoint(0, 7));
    for (int i = 1; i <= 4; ++i) {
        const double t = 0.5 * i;
        const size_t trace = TLoggingSession::FirstUnitTrace + (i % 2 ? 0 : 1);
        const double weight = i % 2 ? 10 + i : 500 + i;
        rig.Logging.AddPoint(TLoggingSession::SeriesWeight, TLogPoint(t, weight));
        rig.Logging.AddPoint(trace, TLogPoint(t, weight));
        rig.Logging.AddPoint(0, TLogPoint(t, LogChannels::Level(0, i == 3)));
    }
    Tdata7410 model;
    TFileMenu menu;
    menu.EditModel = &model;
    menu.Logging = &rig.Logging;
    menu.LogPageActive = [] { return true; };
    menu.LogComment = [] { return QStringLiteral("bus"); };
    QStringList notes;
    menu.FileDone = [&notes](const QString &note, const QString &) { notes << note; };

    prompts.FileAnswers = {Path("fill.LOG")};
    QVERIFY(menu.Save());
    const QList<std::pair<QString, QList<double>>> files{
        {"fill-unit1.LOG", {11, 13}}, {"fill-unit5.LOG", {502, 504}}, {"fill.LOG", {7}}};
    for (const auto &[name, weights] : files) {
        TLogFileData data;
        QString error;
        QVERIFY2(LoadLogFile(Path(name), data, &error), qPrintable(name + error));
        QList<double> read;
        for (const TLogPoint &point : data.Weight())
            read << point.value;
        QCOMPARE(read, weights);
    }
    QCOMPARE(ReadAll(Path("fill.csv")), QByteArray("\"bus\"\r\ntime_s,weight_unit1,weight_unit5,weight,Motion\r\n"
                                                   "0.00,,,7.00,\r\n0.50,11.00,,,0\r\n1.00,,502.00,,0\r\n"
                                                   "1.50,13.00,,,1\r\n2.00,,504.00,,0\r\n"));
    QCOMPARE(notes.size(), 1);
    QVERIFY2(notes[0].startsWith("Log of units 1, 5 saved to fill-unit1.LOG, fill-unit5.LOG, fill.LOG, fill.csv"),
             qPrintable(notes[0]));

    // Saved again under another name whose unit files exist: asked, and refused.
    WriteAll(Path("other-unit5.LOG"), "keep");
    prompts.FileAnswers = {Path("other.LOG")};
    prompts.ConfirmAnswers = {false};
    QVERIFY(!menu.Save());
    QCOMPARE(prompts.Questions().size(), 1);
    QVERIFY(prompts.Questions()[0].contains("other-unit5.LOG"));
    QCOMPARE(ReadAll(Path("other-unit5.LOG")), QByteArray("keep"));
    QVERIFY(!QFile::exists(Path("other-unit1.LOG")));
}

QV_TEST_MAIN(TestLogFile)
} // namespace test_logfile
#include "test_logfile.moc"
