// Which present port is the lost adapter, when its path is gone.

#include "link/portwatcher.h"
#include "support/testmain.h"

Q_DECLARE_METATYPE(TPortIdentity)

// A namespace of its own: the folder's test files are compiled together.
namespace test_portwatcher {

class TestPortWatcher : public QObject {
    Q_OBJECT
private slots:
    void theLostAdapterIsFoundByPathThenByItsIdentity_data()
    {
        QTest::addColumn<TPortIdentity>("lost");
        QTest::addColumn<QString>("expected");
        const TPortIdentity ftdi{"/dev/ttyUSB0", "A10K3", 0x0403, 0x6001, true};
        const TPortIdentity anonymous{"/dev/ttyUSB0", {}, 0x1a86, 0x7523, true};
        QTest::newRow("same path back") << TPortIdentity{"/dev/ttyS9", {}, 0, 0, false} << "/dev/ttyS9";
        QTest::newRow("serial number on a new path") << ftdi << "/dev/ttyUSB3";
        QTest::newRow("its path taken by another") << TPortIdentity{"/dev/ttyUSB1", "A10K3", 0x0403, 0x6001, true}
                                                   << "/dev/ttyUSB3";
        QTest::newRow("another adapter of one make") << TPortIdentity{"/dev/ttyUSB0", "ZZ99", 0x0403, 0x6001, true}
                                                     << "";
        QTest::newRow("ids alone, two alike") << anonymous << "";
        QTest::newRow("ids alone, one present") << TPortIdentity{"/dev/ttyUSB0", {}, 0x067b, 0x2303, true}
                                                << "/dev/ttyUSB5";
    }
    void theLostAdapterIsFoundByPathThenByItsIdentity()
    {
        QFETCH(TPortIdentity, lost);
        QFETCH(QString, expected);
        const QList<TPortIdentity> present{{"/dev/ttyUSB1", "B20X", 0x0403, 0x6001, true},
                                           {"/dev/ttyUSB3", "A10K3", 0x0403, 0x6001, true},
                                           {"/dev/ttyUSB4", {}, 0x1a86, 0x7523, true},
                                           {"/dev/ttyUSB5", {}, 0x067b, 0x2303, true},
                                           {"/dev/ttyUSB6", {}, 0x1a86, 0x7523, true}};
        const auto exists = [](const QString &path) { return path != QLatin1String("/dev/ttyUSB0"); };
        QCOMPARE(TPortWatcher::FindAgain(lost, present, exists), expected);
    }
};

QV_TEST_MAIN(TestPortWatcher)
} // namespace test_portwatcher
#include "test_portwatcher.moc"
