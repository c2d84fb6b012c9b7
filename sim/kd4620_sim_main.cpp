// kd4620-sim: the simulated KD4620 served on a pseudo-terminal. The first
// line on standard output is the device path of its port (and nothing else
// is ever printed there, so a parent that reads just that line never blocks
// us); everything else goes to standard error.

#include "sim/published_ports.h"
#include "sim/sim_control.h"
#include "sim/sim_instrument.h"
#include "sim/sim_line_speed.h"
#include "sim/sim_options.h"
#include "sim/sim_pty.h"
#include "sim/sim_server.h"
#include "sim/sim_signals.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

void Log(const QString &text)
{
    std::fprintf(stderr, "kd4620-sim: %s\n", text.toLocal8Bit().constData());
}

QString Printable(const QString &command)
{
    QString out;
    for (const QChar c : command)
        out += c.unicode() < 0x20 ? QStringLiteral("<%1>").arg(c.unicode(), 2, 16, QLatin1Char('0')) : QString(c);
    return out;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kd4620-sim"));
    std::signal(SIGPIPE, SIG_IGN);

    TSimOptions options;
    QString message;
    switch (ParseSimOptions(QCoreApplication::arguments(), &options, &message)) {
    case TSimOptionsResult::ShowText:
        std::fputs(message.toLocal8Bit().constData(), stdout);
        return 0;
    case TSimOptionsResult::Error:
        Log(message + QStringLiteral(" (see --help)"));
        return 2;
    case TSimOptionsResult::Run:
        break;
    }

    TSimServer server(options.Units.isEmpty() ? QList<TSimConfig>{options.Config} : options.Units, options.LinkPath);
    if (!server.Start(&message)) {
        Log(message);
        return 1;
    }
    TSimBus &bus = server.Bus();
    std::unique_ptr<TSimLineSpeed> lineSpeed;
    if (options.LineBaud > 0)
        lineSpeed = std::make_unique<TSimLineSpeed>(server, options.LineBaud);
    TSimPty &pty = server.Port();

    const QString announcement = PublishPort(server.Path());
    if (announcement.isEmpty())
        Log(QStringLiteral("could not announce the port in %1: it must be a folder of this user's alone "
                           "(mode 0700); the viewer will not list the port")
                .arg(PublishedPortsDir()));
    std::fprintf(stdout, "%s\n", server.Path().toLocal8Bit().constData());
    std::fflush(stdout);
    QStringList addresses;
    for (int address : bus.Addresses())
        addresses << QString::number(address);
    Log(QStringLiteral("serving unit%1 %2 on %3")
            .arg(addresses.size() == 1 ? QString() : QStringLiteral("s"), addresses.join(QStringLiteral(", ")),
                 pty.DevicePath()));

    if (options.Verbose) {
        // Every unit hears every command: the first one logs them.
        QObject::connect(&bus.Unit(0), &TSimInstrument::CommandReceived, [](const QString &command) {
            Log(QStringLiteral(">>> %1").arg(Printable(command)));
        });
        QObject::connect(&pty, &TSimPty::ClientChanged, [](bool attached) {
            Log(attached ? QStringLiteral("client attached") : QStringLiteral("client detached"));
        });
    }
    QObject::connect(&server, &TSimServer::PortLost, &app, [&] {
        Log(QStringLiteral("port lost: the pseudo-terminal closes"));
        WithdrawPort(announcement);
        QCoreApplication::exit(0);
    });
    // Test weights on and off, faults of the weighing: a line at a time,
    // for the first unit of a bus.
    TSimControlReader control(STDIN_FILENO, bus.Unit(0));
    QObject::connect(&control, &TSimControlReader::Said, [](const QString &text) { Log(text); });
    TSimSignalBridge bridge({SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2});
    QObject::connect(&bridge, &TSimSignalBridge::Raised, &app, [&](int number) {
        if (number == SIGUSR1) {
            bus.LosePort();
        } else if (number == SIGUSR2) {
            const bool silent = !bus.Unit(0).Faults().Silent;
            for (int i = 0; i < bus.Count(); ++i)
                bus.Unit(i).Faults().Silent = silent;
            Log(silent ? QStringLiteral("silent") : QStringLiteral("answering"));
        } else {
            QCoreApplication::exit(0);
        }
    });

    const int result = app.exec();
    WithdrawPort(announcement);
    pty.Close();
    return result;
}
