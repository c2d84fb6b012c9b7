#include "link/comdialog.h"
#include "link/dmviewer.h"
#include "link/ioifaceconfigure.h"
#include "link/portlist.h"
#include "sim/published_ports.h"
#include "support/pty_peer.h"
#include "support/testmain.h"
#include "ui/scriptedprompts.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

// A namespace of its own: the folder's test files are compiled together.
namespace test_connection_settings {

namespace {
QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

const QStringList SomePorts{"COM1", "COM10", "COM2", "/dev/pts/9"};
} // namespace

class TestConnectionSettings : public QObject {
    Q_OBJECT

    QTemporaryDir Dir;
    QString IniPath() const { return Dir.filePath("quenvale7400.ini"); }

private slots:
    void cleanup() { QFile::remove(IniPath()); }

    // ---- The store ----

    void missingFileGivesDefaultsAndIsNeverCreated()
    {
        {
            TdatViewer store(IniPath());
            QVERIFY(!store.IsPersistent());
            QCOMPARE(store.SerialPort(), QString("COM1"));
            QCOMPARE(store.BaudRate(), 9600);
            QCOMPARE(store.DataBits(), 8);
            QCOMPARE(store.StopBits(), 1);
            QCOMPARE(store.ParityBits(), 0);
            QCOMPARE(store.SerialAddress(), 0);
            store.SetBaudRate(19200);
            store.SetSerialPort("/dev/ttyUSB0");
            QCOMPARE(store.BaudRate(), 9600); // without a file every write is ignored
            QCOMPARE(store.SerialPort(), QString("COM1"));
            QVERIFY(store.Save());
        }
        QVERIFY(!QFile::exists(IniPath()));
    }

    void existingFileIsReadAndWrittenBackAtExit()
    {
        WriteFile(IniPath(), "; chosen by the service engineer\r\n[connection]\r\nserialport = /dev/ttyUSB1\r\n"
                             "BaudRate = 4800\r\nSerialAddress=7\r\n\r\n[Window]\r\nLeft=10\r\n");
        {
            TdatViewer store(IniPath());
            QVERIFY(store.IsPersistent());
            QCOMPARE(store.SerialPort(), QString("/dev/ttyUSB1"));
            QCOMPARE(store.BaudRate(), 4800);
            QCOMPARE(store.DataBits(), 8);
            QCOMPARE(store.SerialAddress(), 7);
            store.SetParityBits(2);
        }
        QCOMPARE(ReadFile(IniPath()), QByteArray("; chosen by the service engineer\r\n[connection]\r\n"
                                                 "serialport = /dev/ttyUSB1\r\nBaudRate = 4800\r\nSerialAddress=7\r\n"
                                                 "ParityBits=2\r\n\r\n[Window]\r\nLeft=10\r\n"));
    }

    void aGarbageFileGivesDefaultsAndTakesTheNewSettings()
    {
        QRandomGenerator random(4620);
        QByteArray garbage(4096, Qt::Uninitialized);
        for (char &c : garbage)
            c = char(random.bounded(256));
        garbage += "\n[Connection]\nBaudRate=99999999999\nDataBits=-8\nStopBits=\xFF\xFE\nParityBits=0x7FFFFFFF\n"
                   "SerialAddress=2147483647\nSerialPort=" + QByteArray(100000, 'x') + "\n";
        WriteFile(IniPath(), garbage);
        {
            TdatViewer store(IniPath());
            QVERIFY(store.IsPersistent());
            QCOMPARE(store.BaudRate(), 9600); // beyond an int: the default
            QCOMPARE(store.StopBits(), 1);
            QCOMPARE(store.SerialPort().size(), 100000);

            TScriptedPrompts script;
            TScopedPrompts guard(&script);
            bool blank = false;
            script.DialogAnswers.push_back([&](QDialog &d) {
                auto &dialog = static_cast<TFrmComDialog &>(d);
                blank = dialog.PortName().isEmpty() && dialog.RGData->ItemIndex() < 0 && dialog.Parity() == 0 &&
                        dialog.CBAddress->currentIndex() < 0;
                dialog.SelectBaudRate(19200);
                dialog.SelectUnitAddress(31);
                return int(QDialog::Accepted);
            });
            int unitAddress = 0;
            QVERIFY(ConfigureAndCreate(store, unitAddress));
            QVERIFY(blank);
            QCOMPARE(unitAddress, 31);
            store.SetSerialPort("/dev/ttyUSB0");
        }
        TdatViewer nextRun(IniPath());
        QCOMPARE(nextRun.SerialPort(), QString("/dev/ttyUSB0"));
        QCOMPARE(nextRun.BaudRate(), 19200);
        QCOMPARE(nextRun.DataBits(), 8);
        QCOMPARE(nextRun.StopBits(), 1);
        QCOMPARE(nextRun.ParityBits(), 0);
        QCOMPARE(nextRun.SerialAddress(), 31);
        QVERIFY(ReadFile(IniPath()).startsWith(garbage.left(100))); // the rest of the file is kept
    }

    void aFailedWriteAtExitIsReportedNotFatal()
    {
        QTemporaryDir gone;
        const QString path = gone.filePath("viewer.ini");
        WriteFile(path, "[Connection]\n");
        TdatViewer store(path);
        store.SetBaudRate(2400);
        gone.remove(); // the folder vanished while the program ran
        QVERIFY(!store.Save());
        QVERIFY(!store.ErrorString().isEmpty());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("could not be saved"));
    }

    void anUnreadableFileIsNeverOverwritten()
    {
        // A folder where the file should be: it "exists" but cannot be read.
        QVERIFY(QDir().mkpath(IniPath()));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("could not be read"));
        {
            TdatViewer store(IniPath());
            QVERIFY(!store.IsPersistent());
            store.SetSerialPort("/dev/ttyS1");
        }
        QVERIFY(QFileInfo(IniPath()).isDir());
        QDir(IniPath()).removeRecursively();

#ifdef Q_OS_UNIX
        // A pipe under the name would block the start-up for good.
        QVERIFY(::mkfifo(QFile::encodeName(IniPath()).constData(), 0600) == 0);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("could not be read"));
        {
            TdatViewer store(IniPath());
            QVERIFY(!store.IsPersistent());
            QCOMPARE(store.BaudRate(), 9600);
        }
        QVERIFY(!QFileInfo(IniPath()).isFile());
#endif
    }

    // ---- The dialog ----

    void dialogHasItsControlsAndItems()
    {
        TFrmComDialog dialog(SomePorts);
        QCOMPARE(dialog.windowTitle(), QString("Connection Settings"));
        for (const char *name : {"GBSerial", "CBPort", "RGBaud", "RGParity", "RGData", "RGStop", "GBUnitAddress",
                                 "CBAddress", "BtnOk", "BtnCancel"})
            QVERIFY2(dialog.findChild<QWidget *>(name), name);
        QCOMPARE(dialog.GBSerial->title(), QString("Serial Settings"));
        QCOMPARE(dialog.GBUnitAddress->title(), QString("Unit Address"));
        QCOMPARE(dialog.RGBaud->title(), QString("Baud"));
        QCOMPARE(dialog.RGData->title(), QString("Data Bits"));
        QCOMPARE(dialog.RGStop->title(), QString("Stop Bits"));
        QCOMPARE(dialog.RGParity->title(), QString("Parity"));
        QVERIFY(dialog.CBPort->isEditable());   // any path may be typed
        QVERIFY(!dialog.CBAddress->isEditable());
        QCOMPARE(dialog.BtnOk->text(), QString("Ok"));
        QVERIFY(dialog.BtnOk->isDefault());
        QCOMPARE(dialog.BtnCancel->text(), QString("Cancel"));

        auto texts = [](const TRadioGroup *group) {
            QStringList items;
            for (int i = 0; i < group->Count(); ++i)
                items << group->ItemText(i);
            return items;
        };
        QCOMPARE(texts(dialog.RGBaud), (QStringList{"1200", "2400", "4800", "9600", "19200", "57600"}));
        QCOMPARE(texts(dialog.RGParity), (QStringList{"None", "Odd", "Even"}));
        QCOMPARE(texts(dialog.RGData), (QStringList{"7", "8"}));
        QCOMPARE(texts(dialog.RGStop), (QStringList{"1", "2"}));
        QCOMPARE(dialog.RGBaud->findChild<QRadioButton *>("RGBaud3")->text(), QString("9600"));
        QCOMPARE(dialog.CBAddress->count(), 32);
        QCOMPARE(dialog.CBAddress->itemText(0), QString("Any"));
        QCOMPARE(dialog.CBAddress->itemText(31), QString("31"));
        QCOMPARE(dialog.CBPort->count(), SomePorts.size());
    }

    void enterConfirmsAndEscapeCancels()
    {
        for (const auto &[key, result] : {std::pair{Qt::Key_Return, QDialog::Accepted},
                                          std::pair{Qt::Key_Escape, QDialog::Rejected}}) {
            TFrmComDialog dialog(SomePorts);
            dialog.open();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QTest::keyClick(dialog.RGStop->Button(1), key); // from any control, not only the buttons
            QVERIFY(!dialog.isVisible());
            QCOMPARE(dialog.result(), int(result));
        }
    }

    void radioGroupsFillTheirColumns()
    {
        TFrmComDialog dialog(SomePorts);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        // Two columns, filled top to bottom: 9600 starts the second column.
        QCOMPARE(dialog.RGBaud->Button(3)->x(), dialog.RGBaud->Button(4)->x());
        QVERIFY(dialog.RGBaud->Button(3)->x() > dialog.RGBaud->Button(0)->x());
        QCOMPARE(dialog.RGBaud->Button(3)->y(), dialog.RGBaud->Button(0)->y());
        QVERIFY(dialog.RGData->Button(1)->x() > dialog.RGData->Button(0)->x());
        QVERIFY(dialog.RGParity->Button(2)->y() > dialog.RGParity->Button(1)->y());
    }

    void formCreateSelectsDefaultsAndFixesTheSize()
    {
        TFrmComDialog dialog(SomePorts);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.PortName(), QString("COM1"));
        QCOMPARE(dialog.BaudRate(), 9600);
        QCOMPARE(dialog.DataBits(), 8);
        QCOMPARE(dialog.StopBits(), 1);
        QCOMPARE(dialog.Parity(), 0);
        QCOMPARE(dialog.CBAddress->currentText(), QString("Any"));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        QCOMPARE(dialog.GBSerial->x(), 8);
        QCOMPARE(dialog.width(), dialog.GBSerial->width() + 2 * 8 + 8);

        TFrmComDialog withoutCom1({"/dev/ttyS0"});
        QCOMPARE(withoutCom1.PortName(), QString()); // "COM1" is not offered here
    }

    void numberGroupsMapTheirTexts_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("shownIndex");
        QTest::addColumn<int>("readBack");
        const int bauds[] = {1200, 2400, 4800, 9600, 19200, 57600};
        for (int i = 0; i < 6; ++i)
            QTest::addRow("baud %d", bauds[i]) << "RGBaud" << bauds[i] << i << bauds[i];
        QTest::newRow("baud 38400") << "RGBaud" << 38400 << -1 << 0;
        QTest::newRow("data 7") << "RGData" << 7 << 0 << 7;
        QTest::newRow("data 8") << "RGData" << 8 << 1 << 8;
        QTest::newRow("data 6") << "RGData" << 6 << -1 << 0;
        QTest::newRow("stop 1") << "RGStop" << 1 << 0 << 1;
        QTest::newRow("stop 2") << "RGStop" << 2 << 1 << 2;
        QTest::newRow("stop 0") << "RGStop" << 0 << -1 << 0;
        QTest::newRow("parity 0") << "RGParity" << 0 << 0 << 0;
        QTest::newRow("parity 1") << "RGParity" << 1 << 1 << 1;
        QTest::newRow("parity 2") << "RGParity" << 2 << 2 << 2;
        QTest::newRow("parity 3") << "RGParity" << 3 << 0 << 0;
        QTest::newRow("parity -1") << "RGParity" << -1 << 0 << 0;
    }

    void numberGroupsMapTheirTexts()
    {
        QFETCH(QString, group);
        QFETCH(int, stored);
        QFETCH(int, shownIndex);
        QFETCH(int, readBack);
        TFrmComDialog dialog(SomePorts);
        auto *radios = dialog.findChild<TRadioGroup *>(group);
        QVERIFY(radios);
        std::function<void(int)> select;
        std::function<int()> read;
        if (group == "RGBaud") {
            select = [&](int v) { dialog.SelectBaudRate(v); };
            read = [&] { return dialog.BaudRate(); };
        } else if (group == "RGData") {
            select = [&](int v) { dialog.SelectDataBits(v); };
            read = [&] { return dialog.DataBits(); };
        } else if (group == "RGStop") {
            select = [&](int v) { dialog.SelectStopBits(v); };
            read = [&] { return dialog.StopBits(); };
        } else {
            select = [&](int v) { dialog.SelectParity(v); };
            read = [&] { return dialog.Parity(); };
        }
        select(stored);
        QCOMPARE(radios->ItemIndex(), shownIndex);
        int checked = 0;
        for (int i = 0; i < radios->Count(); ++i)
            checked += radios->Button(i)->isChecked();
        QCOMPARE(checked, shownIndex < 0 ? 0 : 1);
        QCOMPARE(read(), readBack);
    }

    void unitAddressMapsAnyBothWays_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("readBack");
        QTest::newRow("0 is Any") << 0 << "Any" << 99;
        QTest::newRow("99 is Any") << 99 << "Any" << 99;
        QTest::newRow("1") << 1 << "1" << 1;
        QTest::newRow("31") << 31 << "31" << 31;
        QTest::newRow("32") << 32 << "" << 0;
        QTest::newRow("-5") << -5 << "" << 0;
    }

    void unitAddressMapsAnyBothWays()
    {
        QFETCH(int, stored);
        QFETCH(QString, shown);
        QFETCH(int, readBack);
        TFrmComDialog dialog(SomePorts);
        dialog.SelectUnitAddress(stored);
        QCOMPARE(dialog.CBAddress->currentText(), shown);
        QCOMPARE(dialog.UnitAddress(), readBack);
    }

    void portsAreSelectedByExactName()
    {
        TFrmComDialog dialog(SomePorts);
        dialog.SelectPort("COM10");
        QCOMPARE(dialog.PortName(), QString("COM10"));
        dialog.SelectPort("com2");
        QCOMPARE(dialog.PortName(), QString());
        QCOMPARE(dialog.CBPort->currentIndex(), -1);
        dialog.SelectPort("/dev/pts/9");
        QCOMPARE(dialog.PortName(), QString("/dev/pts/9"));
        dialog.CBPort->setEditText("/dev/serial/by-id/usb-FTDI-if00");
        QCOMPARE(dialog.PortName(), QString("/dev/serial/by-id/usb-FTDI-if00"));
    }

    void tabRunsTopToBottomOnTheCheckedChoices()
    {
        TFrmComDialog dialog(SomePorts);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        dialog.CBPort->setFocus();
        QStringList visited;
        for (int i = 0; i < 7; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, (QStringList{"RGBaud3", "RGParity0", "RGData1", "RGStop0", "CBAddress", "BtnFind", "BtnOk"}));
    }

    // ---- Configure and create ----

    void okWritesAllSixKeysAndMakesTheTransport()
    {
        TPtyPeer peer;
        WriteFile(IniPath(), "[Connection]\r\nSerialPort=" + peer.SlavePath().toLatin1() +
                                 "\r\nBaudRate=19200\r\nDataBits=7\r\nStopBits=2\r\nParityBits=1\r\nSerialAddress=0\r\n");
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        QString shownPort;
        int shownAddress = -1;
        script.DialogAnswers.push_back([&](QDialog &d) {
            auto &dialog = static_cast<TFrmComDialog &>(d);
            shownPort = dialog.PortName(); // the pseudo-terminal is offered though not a serial device
            shownAddress = dialog.CBAddress->currentIndex();
            return int(QDialog::Accepted);
        });
        int unitAddress = 5;
        std::unique_ptr<TIOIfaceSerial> transport;
        {
            TdatViewer store(IniPath());
            transport = ConfigureAndCreate(store, unitAddress);
        }
        QCOMPARE(script.History.size(), size_t(1));
        QCOMPARE(script.History.front().text, QString("Connection Settings"));
        QCOMPARE(shownPort, peer.SlavePath());
        QCOMPARE(shownAddress, 0);
        QVERIFY(transport);
        QCOMPARE(unitAddress, 99); // "Any" is confirmed as 99
        QCOMPARE(transport->PortName(), peer.SlavePath());
        QCOMPARE(transport->BaudRate(), 19200);
        QCOMPARE(transport->DataBits(), 7);
        QCOMPARE(transport->StopBits(), 2);
        QCOMPARE(transport->Parity(), 1);
        QVERIFY(!transport->IsOpen());
        QVERIFY(ReadFile(IniPath()).contains("SerialAddress=99\r\n"));
    }

    void okUnchangedStillWritesEveryKey()
    {
        WriteFile(IniPath(), "[Connection]\n");
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        script.DialogAnswers.push_back([](QDialog &) { return int(QDialog::Accepted); });
        int unitAddress = 0;
        {
            TdatViewer store(IniPath());
            QVERIFY(ConfigureAndCreate(store, unitAddress));
        }
        // COM1 is not offered on this machine; the stored name is kept.
        QCOMPARE(ReadFile(IniPath()), QByteArray("[Connection]\nSerialPort=COM1\nBaudRate=9600\nDataBits=8\n"
                                                 "StopBits=1\nParityBits=0\nSerialAddress=99\n"));
    }

    void cancelChangesNothing()
    {
        const QByteArray before = "[Connection]\nSerialPort=/dev/ttyS3\nBaudRate=4800\n";
        WriteFile(IniPath(), before);
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        script.DialogAnswers.push_back([](QDialog &d) {
            static_cast<TFrmComDialog &>(d).SelectBaudRate(57600);
            return int(QDialog::Rejected);
        });
        int unitAddress = 12;
        {
            TdatViewer store(IniPath());
            QVERIFY(!ConfigureAndCreate(store, unitAddress));
            QCOMPARE(store.BaudRate(), 4800);
        }
        QCOMPARE(unitAddress, 12);
        QCOMPARE(ReadFile(IniPath()), before);
    }

    void unmatchedStoredValuesAreConfirmedAsDefaults()
    {
        WriteFile(IniPath(), "[Connection]\nSerialPort=/dev/qv-unplugged\nBaudRate=1234\nDataBits=6\nStopBits=3\n"
                             "ParityBits=5\nSerialAddress=45\n");
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        script.DialogAnswers.push_back([](QDialog &d) {
            auto &dialog = static_cast<TFrmComDialog &>(d);
            // What the user sees: nothing chosen, parity "None".
            const bool blank = dialog.PortName().isEmpty() && dialog.RGBaud->ItemIndex() < 0 &&
                               dialog.RGData->ItemIndex() < 0 && dialog.RGStop->ItemIndex() < 0 &&
                               dialog.RGParity->ItemIndex() == 0 && dialog.CBAddress->currentIndex() < 0;
            return blank ? int(QDialog::Accepted) : int(QDialog::Rejected);
        });
        int unitAddress = 3;
        TdatViewer store(IniPath());
        auto transport = ConfigureAndCreate(store, unitAddress);
        QVERIFY(transport);
        QCOMPARE(store.SerialPort(), QString("/dev/qv-unplugged"));
        QCOMPARE(store.BaudRate(), 9600);
        QCOMPARE(store.DataBits(), 8);
        QCOMPARE(store.StopBits(), 1);
        QCOMPARE(store.ParityBits(), 0);
        QCOMPARE(store.SerialAddress(), 99);
        QCOMPARE(unitAddress, 99);
        QCOMPARE(transport->PortName(), QString("/dev/qv-unplugged"));
    }

    void withoutAFileTheDialogShowsDefaultsEachTimeButTheLineIsAsChosen()
    {
        TPtyPeer peer;
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        script.DialogAnswers.push_back([&](QDialog &d) {
            auto &dialog = static_cast<TFrmComDialog &>(d);
            dialog.SelectPort(peer.SlavePath()); // not offered: nothing selected, "COM1" kept
            dialog.SelectBaudRate(2400);
            dialog.SelectParity(2);
            dialog.SelectUnitAddress(12);
            return int(QDialog::Accepted);
        });
        bool defaultsShown = false;
        script.DialogAnswers.push_back([&](QDialog &d) {
            auto &dialog = static_cast<TFrmComDialog &>(d);
            defaultsShown = dialog.BaudRate() == 9600 && dialog.Parity() == 0 && dialog.UnitAddress() == 99;
            return int(QDialog::Rejected);
        });
        int unitAddress = 0;
        {
            TdatViewer store(IniPath());
            auto transport = ConfigureAndCreate(store, unitAddress);
            QVERIFY(transport);
            QCOMPARE(transport->PortName(), QString("COM1"));
            QCOMPARE(transport->BaudRate(), 2400);
            QCOMPARE(transport->Parity(), 2);
            QCOMPARE(unitAddress, 12);
            QVERIFY(!ConfigureAndCreate(store, unitAddress));
            QVERIFY(defaultsShown);
            QCOMPARE(unitAddress, 12);
        }
        QVERIFY(!QFile::exists(IniPath()));
    }

    // ---- Port list ----

    void portNamesAreMergedAndSortedAsText()
    {
        auto exists = [](const QString &name) { return name != "/dev/qv-gone"; };
        QCOMPARE(MergePortNames({"COM2", "COM10", "COM1"}, "COM10", {}, exists),
                 (QStringList{"COM1", "COM10", "COM2"}));
        QCOMPARE(MergePortNames({"/dev/ttyS0"}, "/dev/pts/3", {"/dev/pts/7", "/dev/pts/3"}, exists),
                 (QStringList{"/dev/pts/3", "/dev/pts/7", "/dev/ttyS0"}));
        QCOMPARE(MergePortNames({"/dev/ttyS0"}, "/dev/qv-gone", {}, exists), QStringList{"/dev/ttyS0"});
        QCOMPARE(MergePortNames({}, QString(), {}, exists), QStringList());
    }

    void portListOffersPseudoTerminalsAndPublishedPorts()
    {
        TPtyPeer stored;
        TPtyPeer simulator;
        QVERIFY(DeviceExists(stored.SlavePath()));
        QVERIFY(!DeviceExists("/dev/qv-no-such-port"));
        QVERIFY(!DeviceExists(QString()));
        QVERIFY(!DeviceExists(Dir.path())); // a folder
        QVERIFY(!DeviceExists(QCoreApplication::applicationFilePath())); // an ordinary file
        QVERIFY(!SerialPortNames(Dir.path()).contains(Dir.path()));

        const QString announcement = PublishPort(simulator.SlavePath());
        QVERIFY(!announcement.isEmpty());
        const QStringList names = SerialPortNames(stored.SlavePath());
        WithdrawPort(announcement);
        QVERIFY(names.contains(stored.SlavePath()));
        QVERIFY(names.contains(simulator.SlavePath()));
        QStringList sorted = names;
        sorted.sort();
        QCOMPARE(names, sorted);
        QVERIFY(!SerialPortNames("/dev/qv-no-such-port").contains("/dev/qv-no-such-port"));
        QVERIFY(!SerialPortNames().contains(simulator.SlavePath()));
    }

    // Simulators announce their ports in a folder of the user's alone; one
    // that anybody else made or may write is neither used nor read, so no
    // other user can slip a device of theirs into the port list.
    void announcementsComeOnlyFromAPrivateFolder_data()
    {
        QTest::addColumn<QString>("folder");   // as found before the simulator starts
        QTest::addColumn<bool>("used");
        QTest::newRow("none yet: made private") << "none" << true;
        QTest::newRow("private already") << "private" << true;
        QTest::newRow("readable by others: closed") << "readable" << true;
        QTest::newRow("open to others") << "open" << false;
        QTest::newRow("a link to a private one") << "link" << false;
        if (::getuid() == 0)
            QTest::newRow("another user's") << "foreign" << false;
    }

    void announcementsComeOnlyFromAPrivateFolder()
    {
        QFETCH(QString, folder);
        QFETCH(bool, used);
        QTemporaryDir runtime;
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        const QString dir = PublishedPortsDir();
        const QByteArray path = dir.toLocal8Bit();
        if (folder == QLatin1String("private") || folder == QLatin1String("foreign"))
            QVERIFY(::mkdir(path.constData(), 0700) == 0);
        if (folder == QLatin1String("open"))
            QVERIFY(::mkdir(path.constData(), 0700) == 0 && ::chmod(path.constData(), 0777) == 0);
        if (folder == QLatin1String("readable"))
            QVERIFY(::mkdir(path.constData(), 0700) == 0 && ::chmod(path.constData(), 0755) == 0);
        if (folder == QLatin1String("foreign"))
            QVERIFY(::chown(path.constData(), 65534, 65534) == 0);
        if (folder == QLatin1String("link")) {
            QVERIFY(::mkdir(runtime.filePath("elsewhere").toLocal8Bit().constData(), 0700) == 0);
            QVERIFY(QFile::link(runtime.filePath("elsewhere"), dir));
        }
        TPtyPeer simulator;
        const QString announcement = PublishPort(simulator.SlavePath());
        QCOMPARE(!announcement.isEmpty(), used);
        if (!used) {
            // An announcement laid there by somebody else is not read.
            QFile planted(dir + QStringLiteral("/1"));
            if (planted.open(QIODevice::WriteOnly))
                planted.write(simulator.SlavePath().toLocal8Bit() + '\n');
        } else {
            struct stat status {};
            QVERIFY(::stat(path.constData(), &status) == 0);
            QCOMPARE(status.st_mode & 0777, mode_t(0700));
        }
        QCOMPARE(PublishedPorts().contains(simulator.SlavePath()), used);
        WithdrawPort(announcement);
        if (saved.isNull())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", saved);
    }
};

QV_TEST_MAIN(TestConnectionSettings)
} // namespace test_connection_settings
#include "test_connection_settings.moc"
