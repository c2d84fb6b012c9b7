// Settings files on disk: the exact bytes written, a full round trip, hand
// edits, garbage and truncated files, and a save that fails.
#include "settings/changed_model.h"
#include "settings/database.h"
#include "settings/settingsfile.h"
#include "support/file_size_limit.h"
#include "support/testmain.h"

#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

// A namespace of its own: the folder's test files are compiled together.
namespace test_settingsfile {

namespace {

// What a settings file carries: the every-field model without calibration
// values and the instrument's read-only texts, which no write line holds.
Tdata7410 EveryFileFieldChanged()
{
    const Tdata7410 defaults;
    Tdata7410 m = EveryFieldChanged();
    m.DirectZero = defaults.DirectZero;
    m.DirectSpan = defaults.DirectSpan;
    m.LinPercent = defaults.LinPercent;
    m.LinWeight = defaults.LinWeight;
    m.SerialNumber = defaults.SerialNumber;
    m.Version = defaults.Version;
    return m;
}

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

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString Path(const QString &name) const { return dir.filePath(name); }

private slots:
    void savedFileIsTheWriteCommandsInLatin1WithCrLf();
    void roundTripKeepsEverySettingTheFileCarries();
    void handEditedFileTakesWhatItCanAndSaysWhatItPassedOver();
    void spreadsExamplesLoadAsDescribed();
    void unusableFilesChangeNothingAndSaySo_data();
    void unusableFilesChangeNothingAndSaySo();
    void truncatedFileLoadsItsWholeLinesAndSaysSo();
    void failedSaveKeepsTheOldFile();
};

void TestSettingsFile::savedFileIsTheWriteCommandsInLatin1WithCrLf()
{
    const Tdata7410 model = EveryFileFieldChanged();
    QString error;
    QVERIFY2(SaveSettingsFile(Path("a.QVS"), model, &error), qPrintable(error));
    const QByteArray bytes = ReadAll(Path("a.QVS"));
    QStringList expected;
    model.BuildWriteCommands(expected);
    QCOMPARE(expected.size(), SettingsFileLines);
    QCOMPARE(bytes, (expected.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1());
    QVERIFY(bytes.contains("LIL1,\"Sand \xe9 \xff\""));   // one byte per character
    QVERIFY(!bytes.contains(';'));
    QVERIFY(bytes.startsWith("IDN\"ID,1 x\"\r\nADR17\r\n"));
}

void TestSettingsFile::roundTripKeepsEverySettingTheFileCarries()
{
    const Tdata7410 saved = EveryFileFieldChanged();
    QVERIFY(SaveSettingsFile(Path("b.QVS"), saved, nullptr));

    Tdata7410 loaded;
    loaded.SerialNumber = QStringLiteral("SN9");
    loaded.Version = QStringLiteral("V1");
    loaded.DirectZero = 123;
    loaded.LinPercent = {10, 0, 0, 0, 0};
    Tdata7410 expected = saved;   // what the file does not carry stays
    expected.SerialNumber = loaded.SerialNumber;
    expected.Version = loaded.Version;
    expected.DirectZero = loaded.DirectZero;
    expected.DirectSpan = loaded.DirectSpan;
    expected.LinPercent = loaded.LinPercent;
    expected.LinWeight = loaded.LinWeight;

    TSettingsLoadResult result;
    QString error;
    QVERIFY2(LoadSettingsFile(Path("b.QVS"), loaded, &error, &result), qPrintable(error));
    QVERIFY(loaded == expected);
    QCOMPARE(result.SettingsLines, SettingsFileLines);
    QCOMPARE(result.PassedOver, 0);
    QCOMPARE(SettingsLoadNote(result), QString());
}

void TestSettingsFile::handEditedFileTakesWhatItCanAndSaysWhatItPassedOver()
{
    // Blanks around lines, a lower-case mnemonic (not a settings line), an
    // unknown line, a comment-like line, blank lines, LF, CR LF and lone CR.
    WriteAll(Path("c.QVS"), "  ENU3  \r\n"
                            "\r\n"
                            "enu1\r\n"
                            "XYZ12\n"
                            "ADR5\r"
                            "; my settings\r\n"
                            "\tMTD4\t\r\n"
                            "PST1,\"  spaced header  \"   \r\n"
                            "CWT3000.5\r\n"      // a count with a decimal point: not 30005
                            "IAD1,6000,2,1,0,12kg\r\n"
                            "ICR");
    Tdata7410 model = EveryFileFieldChanged();
    Tdata7410 expected = model;
    expected.Units = 3;
    expected.Address = 5;
    expected.Motion = 4;
    expected.HeaderLines[0] = QStringLiteral("  spaced header  ");
    expected.FullScale1 = 6000;
    expected.DecimalPoint = 2;
    expected.Resolution1 = 0;
    expected.HighRes = false;
    TSettingsLoadResult result;
    QVERIFY(LoadSettingsFile(Path("c.QVS"), model, nullptr, &result));
    QVERIFY(model == expected);   // ICR, with no line end, keeps SynchFilter
    QCOMPARE(result.SettingsLines, 6);
    QCOMPARE(result.PassedOver, 4);
    QCOMPARE(SettingsLoadNote(result),
             QStringLiteral("The file holds 6 of the 36 settings lines; the settings it does not name keep "
                            "their values. 3 line(s) of the file (lines 3, 4, 6) are not settings lines and were "
                            "passed over. These values of the file are not valid and were not taken; their "
                            "settings keep their values: Span Weight, Additive Tare Limit. The last line of the file has no line end, so the file may be cut short; that "
                            "line was passed over."));
}

void TestSettingsFile::spreadsExamplesLoadAsDescribed()
{
    WriteAll(Path("d.QVS"), "IAD1,123456,3,2,1,500\r\n");
    Tdata7410 model;
    QVERIFY(LoadSettingsFile(Path("d.QVS"), model, nullptr));
    QCOMPARE(model.FullScale1, 123456);
    QCOMPARE(model.DecimalPoint, 3);
    QCOMPARE(model.Resolution1, 1);
    QCOMPARE(model.HighRes, true);
    QCOMPARE(model.AddTareLimit, 500);

    // Too long a header line or print format is not taken.
    WriteAll(Path("e.QVS"), "PST2,\"" + QByteArray(31, 'h') + "\"\r\nPFT\"" + QByteArray(101, 'f') + "\"\r\n");
    const Tdata7410 before = model;
    QVERIFY(LoadSettingsFile(Path("e.QVS"), model, nullptr));
    QVERIFY(model == before);
}

void TestSettingsFile::unusableFilesChangeNothingAndSaySo_data()
{
    QTest::addColumn<QByteArray>("content");   // empty: no file at all
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << QByteArray() << QStringLiteral("The file does not exist.");
    QTest::newRow("empty") << QByteArray("\r\n\r\n") << QStringLiteral("It holds no settings.");
    QTest::newRow("log file") << QByteArray("Filling test\r\n1,0,3,0\r\n0.00,12.50,1.00,3.00\r\n")
                              << QStringLiteral("It holds no settings.");
    QByteArray binary("ENU3\r\nADR4\r\n");
    for (int i = 0; i < 4096; ++i)
        binary += char((i * 131 + 7) & 0xff);
    QTest::newRow("binary") << binary << QStringLiteral("It is not a text file.");
    QTest::newRow("huge") << QByteArray(MaxSettingsFileSize + 1, 'A')
                          << QStringLiteral("It is too large to be a settings file.");
    QTest::newRow("one long line") << "ENU" + QByteArray(500000, '3') << QStringLiteral("It holds no settings.");
}

void TestSettingsFile::unusableFilesChangeNothingAndSaySo()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    const QString path = Path(QStringLiteral("bad-%1.QVS").arg(QTest::currentDataTag()));
    if (!content.isEmpty())
        WriteAll(path, content);
    Tdata7410 model = EveryFileFieldChanged();
    QString error;
    QVERIFY(!LoadSettingsFile(path, model, &error));
    QVERIFY(model == EveryFileFieldChanged());
    // A file that was read is not called unreadable.
    QVERIFY2(error.startsWith(content.isEmpty() ? QStringLiteral("Cannot read file \"") : QStringLiteral("\"")),
             qPrintable(error));
    QVERIFY2(error.contains(reason), qPrintable(error));

    // A folder is no settings file either.
    QVERIFY(!LoadSettingsFile(dir.path(), model, &error));
    QVERIFY(error.contains(QStringLiteral("It is not a file.")));
}

void TestSettingsFile::truncatedFileLoadsItsWholeLinesAndSaysSo()
{
    QVERIFY(SaveSettingsFile(Path("f.QVS"), EveryFileFieldChanged(), nullptr));
    const QByteArray full = ReadAll(Path("f.QVS"));
    const qsizetype cut = full.indexOf("ENU");          // cut inside the seventh line
    WriteAll(Path("f.QVS"), full.left(cut + 2));
    Tdata7410 model;
    TSettingsLoadResult result;
    QVERIFY(LoadSettingsFile(Path("f.QVS"), model, nullptr, &result));
    QCOMPARE(model.Address, 17);
    QCOMPARE(model.CalWeight, 0);
    QCOMPARE(model.Units, Tdata7410().Units);
    QCOMPARE(result.SettingsLines, 6);
    QCOMPARE(result.PassedOver, 1);   // "EN"
    QVERIFY(SettingsLoadNote(result).startsWith(QStringLiteral("The file holds 6 of the 36")));
}

void TestSettingsFile::failedSaveKeepsTheOldFile()
{
    const QString path = Path("g.QVS");
    QVERIFY(SaveSettingsFile(path, Tdata7410(), nullptr));
    const QByteArray old = ReadAll(path);
    QString error;
    {
        const TFileSizeLimit limit(64);
        QVERIFY(!SaveSettingsFile(path, EveryFileFieldChanged(), &error));
    }
    QCOMPARE(ReadAll(path), old);
    QVERIFY2(error.startsWith(QStringLiteral("Cannot write file \"")), qPrintable(error));
    QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("g.QVS*")}, QDir::Files), QStringList{"g.QVS"});

    QVERIFY(!SaveSettingsFile(Path("no-such-folder/h.QVS"), Tdata7410(), &error));
    QVERIFY(error.contains(QStringLiteral("h.QVS")));
}

QV_TEST_GUILESS_MAIN(TestSettingsFile)
} // namespace test_settingsfile
#include "test_settingsfile.moc"
