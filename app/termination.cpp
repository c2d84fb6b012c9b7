#include "app/termination.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// A signal handler may do almost nothing; it writes one byte into a socket
// whose other end the event loop watches.
int SignalSocket[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(SignalSocket[0], &byte, 1);
}
} // namespace

void CloseOnTerminationSignals(QWidget *mainWindow)
{
    if (SignalSocket[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, SignalSocket) != 0)
        return;
    auto *notifier = new QSocketNotifier(SignalSocket[1], QSocketNotifier::Read, qApp);
    QPointer<QWidget> window(mainWindow);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [window] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(SignalSocket[1], &byte, 1);
        // Closing the window ends the loop; should a nested wait hold it,
        // quitting makes sure the program still ends.
        if (window)
            window->close();
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}
#else
void CloseOnTerminationSignals(QWidget *) {}
#endif
