#include "link/connectionsettingsfile.h"
#include "link/inifile.h"
#include "link/programfiles.h"
#include "support/testmain.h"

#include <QTemporaryDir>

// A namespace of its own: the folder's test files are compiled together.
namespace test_inifile {

class TestIniFile : public QObject {
    Q_OBJECT
private slots:
    void handEditedFileIsReadTolerantly()
    {
        TIniFile ini;
        const QByteArray file = "stray line before any section\r\n"
                  "; the viewer's settings\r\n"
                  "[ Connection ]\r\n"
                  "  SerialPort  =  /dev/ttyUSB0  \r\n"
                  "\r\n"
                  "# baud rate of the indicator\r\n"
                  "baudrate=19200\r\n"
                  "BaudRate = 9600\r\n"
                  "Note=a;b=c # not a comment\r\n"
                  "just some words\r\n"
                  "Empty=\r\n"
                  "[Other]\r\n"
                  "Key=1\r\n"
                  "[CONNECTION]\r\n"
                  "DataBits=7";
        ini.Parse("\xEF\xBB\xBF" + file);
        QCOMPARE(ini.Sections(), (QStringList{"Connection", "Other"}));
        QCOMPARE(ini.ReadString("connection", "SERIALPORT", "x"), QString("/dev/ttyUSB0"));
        QCOMPARE(ini.ReadInteger("Connection", "BaudRate", 0), 9600); // last wins
        QCOMPARE(ini.ReadString("Connection", "Note", {}), QString("a;b=c # not a comment"));
        QCOMPARE(ini.ReadString("Connection", "Empty", "x"), QString());
        QVERIFY(ini.ValueExists("Connection", "Empty"));
        QCOMPARE(ini.ReadInteger("Connection", "DataBits", 8), 7); // section given twice
        QCOMPARE(ini.ReadString("Connection", "Missing", "dflt"), QString("dflt"));
        QCOMPARE(ini.ReadString("Nowhere", "SerialPort", "dflt"), QString("dflt"));
        QCOMPARE(ini.Keys("Connection"), (QStringList{"SerialPort", "baudrate", "Note", "Empty", "DataBits"}));
        QVERIFY(!ini.IsModified());
        // Written back, every line but the one changed stands as it was.
        ini.WriteInteger("Connection", "BaudRate", 4800);
        QCOMPARE(ini.ToBytes(), QByteArray(file).replace("BaudRate = 9600", "BaudRate=4800") + "\r\n");
        QCOMPARE(ini.ReadInteger("Connection", "baudrate", 0), 4800);
    }

    void garbageIsReadStablyAndTakesNewValues()
    {
        // Random bytes, rich in the characters the format gives meaning to:
        // whatever is read, a save is read back the same, and keys written
        // afterwards come back as written.
        QRandomGenerator random(7400);
        const QByteArray meaningful = "[]=;#\r\n \t\0\xEF\xBB\xBF";
        for (int round = 0; round < 300; ++round) {
            QByteArray garbage(random.bounded(1, 2000), Qt::Uninitialized);
            for (char &c : garbage)
                c = random.bounded(3) == 0 ? meaningful.at(random.bounded(int(meaningful.size())))
                                           : char(random.bounded(256));
            if (round % 3 == 0)
                garbage.prepend("[Connection]\n");
            TIniFile ini;
            ini.Parse(garbage);
            const QByteArray saved = ini.ToBytes();
            TIniFile reread;
            reread.Parse(saved);
            QCOMPARE(reread.ToBytes(), saved);
            QCOMPARE(reread.Sections(), ini.Sections());

            ini.WriteString("Connection", "SerialPort", QString::fromLatin1("/dev/tty\xB5[0]=;x"));
            ini.WriteInteger("Connection", "BaudRate", -2147483647 - 1);
            ini.WriteString("Connection", "Note", QString::fromLatin1(garbage.left(40)));
            TIniFile after;
            after.Parse(ini.ToBytes());
            QCOMPARE(after.ReadString("Connection", "SerialPort", {}), QString::fromLatin1("/dev/tty\xB5[0]=;x"));
            QCOMPARE(after.ReadInteger("Connection", "BaudRate", 0), -2147483647 - 1);
            QCOMPARE(after.ReadString("Connection", "Note", {}),
                     QString::fromLatin1(garbage.left(40)).replace('\r', ' ').replace('\n', ' ').trimmed());
        }
    }

    void oldStyleCarriageReturnsEndLines()
    {
        TIniFile ini;
        ini.Parse("[Connection]\rSerialPort=/dev/ttyS1\rBaudRate=4800\r");
        QCOMPARE(ini.ReadString("Connection", "SerialPort", {}), QString("/dev/ttyS1"));
        QCOMPARE(ini.ReadInteger("Connection", "BaudRate", 0), 4800);
        ini.WriteInteger("Connection", "DataBits", 7);
        QCOMPARE(ini.ToBytes(), QByteArray("[Connection]\rSerialPort=/dev/ttyS1\rBaudRate=4800\rDataBits=7\r"));
    }

    void integersAreReadStrictly_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << QByteArray("42") << 42;
        QTest::newRow("negative") << QByteArray("-7") << -7;
        QTest::newRow("hex 0x") << QByteArray("0x1F") << 31;
        QTest::newRow("hex $") << QByteArray("$10") << 16;
        QTest::newRow("words") << QByteArray("fast") << -1;
        QTest::newRow("trailing text") << QByteArray("9600 baud") << -1;
        QTest::newRow("too large") << QByteArray("99999999999") << -1;
        QTest::newRow("empty") << QByteArray("") << -1;
    }

    void integersAreReadStrictly()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, value);
        TIniFile ini;
        ini.Parse("[S]\nK=" + text + "\n");
        QCOMPARE(ini.ReadInteger("S", "K", -1), value);
    }

    void valuesAreStoredUnchangedInLatin1()
    {
        const QString odd = QString::fromLatin1("\"quoted\" C:\\path\\x; a=b \xB5V/V \xB0");
        TIniFile ini;
        ini.WriteString("Calibration", "Data", odd);
        ini.WriteString("Calibration", "Multi", "one\r\ntwo");
        QVERIFY(ini.IsModified());
        const QByteArray bytes = ini.ToBytes();
        QVERIFY(bytes.contains("Data=\"quoted\" C:\\path\\x; a=b \xB5V/V \xB0\n"));
        QVERIFY(bytes.contains("Multi=one  two\n")); // a line break cannot split the file
        TIniFile again;
        again.Parse(bytes);
        QCOMPARE(again.ReadString("calibration", "data", {}), odd);
    }

    void savingKeepsLayoutOrderAndComments()
    {
        TIniFile ini;
        ini.Parse("; kept\r\n[Connection]\r\nSerialPort = COM3\r\nBaudRate=9600\r\n\r\n"
                  "; next part\r\n[Other]\r\nA=1\r\n");
        ini.WriteInteger("connection", "baudrate", 19200);
        ini.WriteString("Connection", "SerialAddress", "99");
        ini.WriteString("Empty", "X", "y");
        QCOMPARE(ini.ToBytes(), QByteArray("; kept\r\n[Connection]\r\nSerialPort = COM3\r\nBaudRate=19200\r\n"
                                           "SerialAddress=99\r\n\r\n; next part\r\n[Other]\r\nA=1\r\n\r\n"
                                           "[Empty]\r\nX=y\r\n"));
        ini.DeleteKey("Connection", "SERIALPORT");
        ini.EraseSection("other");
        QCOMPARE(ini.Sections(), (QStringList{"Connection", "Empty"}));
        QVERIFY(!ini.ValueExists("Connection", "SerialPort"));
    }

    void writingTheSameValueIsNoChange()
    {
        TIniFile ini;
        ini.Parse("[S]\nK=5\n");
        ini.WriteInteger("S", "k", 5);
        QVERIFY(!ini.IsModified());
        ini.WriteInteger("S", "k", 6);
        QVERIFY(ini.IsModified());
    }

    void loadsAndSavesFiles()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("viewer.ini");
        TIniFile ini(path);
        QVERIFY(!ini.Load());
        QVERIFY(!ini.ErrorString().isEmpty());
        ini.WriteString("Connection", "SerialPort", "/dev/pts/4");
        QVERIFY(ini.Save());
        QVERIFY(!ini.IsModified());
        QStringList leftovers = QDir(dir.path()).entryList(QDir::Files);
        QCOMPARE(leftovers, QStringList{"viewer.ini"}); // nothing half-written beside it

        TIniFile reread(path);
        QVERIFY(reread.Load());
        QCOMPARE(reread.ReadString("Connection", "SerialPort", {}), QString("/dev/pts/4"));

        TIniFile nowhere(dir.filePath("missing-folder/viewer.ini"));
        nowhere.WriteString("A", "B", "C");
        QVERIFY(!nowhere.Save());
        QVERIFY(!nowhere.ErrorString().isEmpty());
    }

    void sideFilesReplaceOrAppendTheExtension_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("side");
        QTest::newRow("linux") << "/opt/qv/quenvale7400" << ".ini" << "/opt/qv/quenvale7400.ini";
        QTest::newRow("windows") << "C:/qv/viewer.exe" << ".bmp" << "C:/qv/viewer.bmp";
        QTest::newRow("backslashes") << "C:\\qv.1\\viewer" << ".html" << "C:\\qv.1\\viewer.html";
        QTest::newRow("dotted folder") << "/opt/qv-1.2/viewer" << ".ini" << "/opt/qv-1.2/viewer.ini";
        QTest::newRow("no dot given") << "/opt/viewer" << "ini" << "/opt/viewer.ini";
        QTest::newRow("hidden") << "/opt/.viewer" << ".ini" << "/opt/.viewer.ini";
    }

    void sideFilesReplaceOrAppendTheExtension()
    {
        QFETCH(QString, program);
        QFETCH(QString, extension);
        QFETCH(QString, side);
        QCOMPARE(SideFileOf(program, extension), side);
    }

    void programSideFileIsBesideTheRunningProgram()
    {
        const QString side = ProgramSideFile(".ini");
        QCOMPARE(QFileInfo(side).absolutePath(), QCoreApplication::applicationDirPath());
        QCOMPARE(QFileInfo(side).fileName(), QFileInfo(QCoreApplication::applicationFilePath()).fileName() + ".ini");
    }

    void connectionSettingsStayBesideAWritableProgram_data()
    {
        QTest::addColumn<bool>("writable");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("file");
        QTest::newRow("build folder") << true << false << "/opt/qv/quenvale7400.ini";
        QTest::newRow("read-only folder") << false << false << "/home/u/.config/qv/quenvale7400.ini";
        QTest::newRow("installed in a writable prefix") << true << true << "/home/u/.config/qv/quenvale7400.ini";
    }

    void connectionSettingsStayBesideAWritableProgram()
    {
        QFETCH(bool, writable);
        QFETCH(bool, installed);
        QFETCH(QString, file);
        QCOMPARE(ConnectionSettingsFileOf("/opt/qv/quenvale7400", writable, installed, "/home/u/.config/qv"), file);
    }

    void usersSettingsFileIsMadeOnceAndNeverReplaced()
    {
        QTemporaryDir dir;
        const QString users = dir.filePath("config/qv/viewer.ini"), shipped = dir.filePath("viewer.ini");
        QString error;
        // Nothing shipped: an empty file, every setting at its default.
        QVERIFY2(CreateFromDefault(users, shipped, &error), qPrintable(error));
        QFile file(shipped);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("BaudRate=1200") && file.flush());
        QVERIFY(CreateFromDefault(users, shipped, &error));
        QCOMPARE(QFileInfo(users).size(), 0);
    }
};

QV_TEST_GUILESS_MAIN(TestIniFile)
} // namespace test_inifile
#include "test_inifile.moc"
