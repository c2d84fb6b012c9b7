// The kd4620-sim program as a process: announces its pseudo-terminal, answers
// on it (plain POSIX client and QSerialPort client), survives clients that
// come and go, and withdraws its port when it stops or loses it.

#include "sim/published_ports.h"
#include "sim/sim_options.h"
#include "support/testmain.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryFile>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

// A namespace of its own: the folder's test files are compiled together.
namespace test_sim_program {

namespace {

// A serial client as any program would open the device: POSIX calls only.
class TPtyClient {
public:
    explicit TPtyClient(const QString &path)
    {
        Fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios mode{};
        if (Fd >= 0 && tcgetattr(Fd, &mode) == 0) {
            cfmakeraw(&mode);
            cfsetspeed(&mode, B9600);
            tcsetattr(Fd, TCSANOW, &mode);
        }
    }
    ~TPtyClient() { Close(); }
    bool IsOpen() const { return Fd >= 0; }
    void Close()
    {
        if (Fd >= 0)
            ::close(Fd);
        Fd = -1;
    }
    bool Write(const QByteArray &bytes) { return ::write(Fd, bytes.constData(), size_t(bytes.size())) == bytes.size(); }

    // The next line without CR LF, or "<none>" when none came in time;
    // LastError tells why reading stopped early.
    QString ReadLine(int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (!Buffer.contains("\r\n") && clock.elapsed() < timeoutMs) {
            pollfd p{Fd, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            char chunk[256];
            const ssize_t n = ::read(Fd, chunk, sizeof chunk);
            if (n > 0) {
                Buffer.append(chunk, n);
            } else if (n == 0 || errno != EAGAIN) {
                LastError = n == 0 ? -1 : errno;
                break;
            }
        }
        const qsizetype end = Buffer.indexOf("\r\n");
        if (end < 0)
            return QStringLiteral("<none>");
        const QString line = QString::fromLatin1(Buffer.left(end));
        Buffer.remove(0, end + 2);
        return line;
    }
    int LastError = 0;

private:
    int Fd = -1;
    QByteArray Buffer;
};

class TSimProcess {
public:
    ~TSimProcess()
    {
        if (Process.state() != QProcess::NotRunning) {
            Process.terminate();
            if (!Process.waitForFinished(3000))
                Process.kill();
        }
    }

    bool Start(const QStringList &arguments)
    {
        Process.setProgram(QDir(qEnvironmentVariable("QV_BIN_DIR")).filePath(QStringLiteral("kd4620-sim")));
        Process.setArguments(arguments);
        Process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        Process.start();
        if (!Process.waitForStarted(5000))
            return false;
        while (!Process.canReadLine())
            if (!Process.waitForReadyRead(5000))
                return false;
        Port = QString::fromLocal8Bit(Process.readLine()).trimmed();
        return !Port.isEmpty();
    }

    QString Announcement() const
    {
        return QDir(PublishedPortsDir()).filePath(QString::number(Process.processId()));
    }

    // CPU time the process has used, in clock ticks.
    qint64 CpuTicks() const
    {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(Process.processId()));
        if (!stat.open(QIODevice::ReadOnly))
            return -1;
        const QList<QByteArray> fields = stat.readAll().split(')').last().split(' ');
        return fields.value(12).toLongLong() + fields.value(13).toLongLong(); // utime, stime
    }

    QProcess Process;
    QString Port;
};

} // namespace

class TestSimProgram : public QObject {
    Q_OBJECT
private slots:
    void announcesAnswersAndWithdrawsItsPort()
    {
        TSimProcess sim;
        QVERIFY(sim.Start({"--address", "3", "--verbose"}));
        QVERIFY(QFileInfo::exists(sim.Port));
        QFile announcement(sim.Announcement());
        QVERIFY(announcement.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLocal8Bit(announcement.readLine()).trimmed(), sim.Port);
        QVERIFY(PublishedPorts().contains(sim.Port));

        TPtyClient client(sim.Port);
        QVERIFY(client.IsOpen());
        QVERIFY(client.Write("S03;IDN?;"));
        QCOMPARE(client.ReadLine(3000), QStringLiteral("\"KD4620\",\"46200001\",\"1.04\""));
        QVERIFY(client.Write("S04;ENU?;"));
        QCOMPARE(client.ReadLine(200), QStringLiteral("<none>"));
        client.Close();

        sim.Process.terminate();
        QVERIFY(sim.Process.waitForFinished(5000));
        QCOMPARE(sim.Process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.Process.exitCode(), 0);
        QVERIFY(!QFileInfo::exists(announcement.fileName()));
        // Withdrawn: the terminal's number itself may already serve another
        // program, with tests running side by side.
        QVERIFY(!PublishedPorts().contains(sim.Port));
        QVERIFY(sim.Process.readAllStandardOutput().isEmpty()); // only the port line, ever
    }

    void clientsComeAndGoWithoutStaleRepliesOrSpinning()
    {
        TSimProcess sim;
        QVERIFY(sim.Start({"--script", "0:1500"}));
        {
            TPtyClient first(sim.Port);
            QVERIFY(first.Write("ENU?;")); // leaves without reading its answer
            QTest::qWait(100);
        }
        QTest::qWait(300);
        const qint64 before = sim.CpuTicks();
        QTest::qWait(1000); // no client: the hang-up must not keep the simulator busy
        const qint64 used = sim.CpuTicks() - before;
        QVERIFY2(used >= 0 && used < 30, qPrintable(QStringLiteral("%1 ticks while idle").arg(used)));

        TPtyClient second(sim.Port);
        QVERIFY(second.Write("ADR?;MSV?;"));
        QCOMPARE(second.ReadLine(3000), QStringLiteral("0"));
        QCOMPARE(second.ReadLine(3000), QStringLiteral("    1500,00,002"));
    }

    void servesAQSerialPortClient()
    {
        TSimProcess sim;
        QVERIFY(sim.Start({}));
        QSerialPort port(sim.Port);
        port.setBaudRate(9600);
        port.setDataBits(QSerialPort::Data8);
        port.setParity(QSerialPort::NoParity);
        port.setStopBits(QSerialPort::OneStop);
        QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
        port.write("S99;COF11;ENU?;");
        QByteArray received;
        QElapsedTimer clock;
        clock.start();
        while (received.count("\r\n") < 2 && clock.elapsed() < 3000)
            if (port.waitForReadyRead(100))
                received += port.readAll();
        QCOMPARE(received, QByteArray("0\r\n2\r\n"));
        port.close();
    }

    void sigusr1PullsThePortAway()
    {
        TSimProcess sim;
        QVERIFY(sim.Start({}));
        TPtyClient client(sim.Port);
        QVERIFY(client.Write("ENU?;"));
        QCOMPARE(client.ReadLine(3000), QStringLiteral("2"));
        const QString announcement = sim.Announcement();
        ::kill(pid_t(sim.Process.processId()), SIGUSR1);
        QVERIFY(sim.Process.waitForFinished(5000));
        QCOMPARE(sim.Process.exitCode(), 0);
        QVERIFY(!QFileInfo::exists(sim.Port));
        QVERIFY(!QFileInfo::exists(announcement));
        QCOMPARE(client.ReadLine(500), QStringLiteral("<none>"));
        QVERIFY(client.LastError != 0); // the client sees the hang-up
    }

    void optionsBuildTheConfiguration()
    {
        QTemporaryFile script;
        QVERIFY(script.open());
        script.write("# load script\n0 0\n1.5 2000   # up\n3:0\nloop\n");
        script.close();
        TSimOptions options;
        QString message;
        QCOMPARE(ParseSimOptions({"kd4620-sim", "--address", "7", "--passcode", "4620", "--script", script.fileName(),
                                  "--rate", "25", "--binary", "--baud", "9600", "--fault", "latency=20", "--fault",
                                  "refuse=ENU", "--verbose"},
                                 &options, &message),
                 TSimOptionsResult::Run);
        const TSimConfig &config = options.Config;
        QCOMPARE(config.Address, 7);
        QCOMPARE(config.Passcode, QStringLiteral("4620"));
        QCOMPARE(config.Script.Points.size(), 3);
        QCOMPARE(config.Script.Points[1].Seconds, 1.5);
        QCOMPARE(config.Script.Points[1].Counts, 2000.0);
        QVERIFY(config.Script.Loop);
        QCOMPARE(config.StreamRateHz, 25);
        QVERIFY(config.BinaryStream);
        QCOMPARE(config.Baud, 9600);
        QCOMPARE(config.Faults.LatencyMs, 20);
        QVERIFY(config.Faults.RefuseTo.contains("ENU"));
        QVERIFY(options.Verbose);

        const QList<QStringList> bad = {{"--address", "32"},     {"--passcode", "12a"}, {"--passcode", "1234567"},
                                        {"--script", "0:1,x"},   {"--script", "2:0 1:5"}, {"--id", "ELEVENCHARS"},
                                        {"--rate", "0"},         {"--fault", "cut=0"},  {"stray"},
                                        // IDN? must answer texts the host takes back
                                        {"--serial", ""},        {"--firmware", "1;2"}, {"--id", QStringLiteral("a\u0085")}};
        for (const QStringList &arguments : bad) {
            TSimOptions rejected;
            QCOMPARE(ParseSimOptions(QStringList{"kd4620-sim"} + arguments, &rejected, &message),
                     TSimOptionsResult::Error);
            QVERIFY(!message.isEmpty());
        }
        QCOMPARE(ParseSimOptions({"kd4620-sim", "--help"}, &options, &message), TSimOptionsResult::ShowText);
        QVERIFY(message.contains("portloss-ms"));
    }

    void refusesBadOptions()
    {
        QProcess process;
        process.start(QDir(qEnvironmentVariable("QV_BIN_DIR")).filePath(QStringLiteral("kd4620-sim")),
                      {"--fault", "nonsense"});
        QVERIFY(process.waitForFinished(5000));
        QCOMPARE(process.exitCode(), 2);
        QVERIFY(process.readAllStandardOutput().isEmpty());
        QVERIFY(process.readAllStandardError().contains("unknown fault"));
    }
};

QV_TEST_GUILESS_MAIN(TestSimProgram)
} // namespace test_sim_program
#include "test_sim_program.moc"
