#include "support/pty_peer.h"
#include "support/testmain.h"

#include <fcntl.h>
#include <unistd.h>

// A namespace of its own: the folder's test files are compiled together.
namespace test_pty_peer {

// The peer is what other tests trust to tell them what went over the line,
// so it is checked against a plain file descriptor on the slave side.
class TestPtyPeer : public QObject {
    Q_OBJECT

    static QByteArray ReadSlave(int fd, int want)
    {
        QByteArray got;
        QDeadlineTimer deadline(2000);
        char chunk[256];
        while (got.size() < want && !deadline.hasExpired()) {
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n > 0)
                got.append(chunk, n);
            else
                QThread::msleep(2);
        }
        return got;
    }

private slots:
    void bytesTravelBothWaysUnchanged()
    {
        TPtyPeer peer;
        QVERIFY2(peer.IsValid(), qPrintable(peer.ErrorString()));
        QVERIFY(peer.SlavePath().startsWith(QLatin1String("/dev/")));
        const int slave = ::open(peer.SlavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(slave >= 0);

        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        QCOMPARE(::write(slave, all.constData(), size_t(all.size())), ssize_t(all.size()));
        QCOMPARE(peer.WaitForBytes(256), all);
        QCOMPARE(peer.Take(), all);
        QVERIFY(peer.Received().isEmpty());

        QVERIFY(peer.WriteInPieces(QByteArray("0,12.5\r\n"), 3, 5));
        QCOMPARE(ReadSlave(slave, 8), QByteArray("0,12.5\r\n"));
        ::close(slave);
    }

    void waitsAreBounded()
    {
        TPtyPeer peer;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!peer.WaitFor("never", 100));
        QVERIFY(clock.elapsed() < 2000);
    }

    void closingTheMasterHangsUpTheSlave()
    {
        TPtyPeer peer;
        const int slave = ::open(peer.SlavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(slave >= 0);
        peer.CloseMaster();
        char byte;
        const ssize_t n = ::read(slave, &byte, 1);
        QVERIFY(n <= 0);
        QVERIFY(n == 0 || errno == EIO);
        QVERIFY(!peer.Write("x"));
        ::close(slave);
    }
};

QV_TEST_GUILESS_MAIN(TestPtyPeer)
} // namespace test_pty_peer
#include "test_pty_peer.moc"
