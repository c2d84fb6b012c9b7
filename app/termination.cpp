#include "app/termination.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {
// A signal handler may do almost nothing; it writes the signal's number into
// a socket whose other end the event loop watches.
int SignalSocket[2] = {-1, -1};

void OnSignal(int number)
{
    const char byte = char(number);
    [[maybe_unused]] const ssize_t written = ::write(SignalSocket[0], &byte, 1);
}

void EndNow(int) { ::_exit(0); }

// Whatever still holds the program (a wait that does not end, a dialog of
// the system's), it is gone by the deadline. Its work is kept by then.
void ArmDeadline(int ms)
{
    struct sigaction action = {};
    action.sa_handler = EndNow;
    sigemptyset(&action.sa_mask);
    sigaction(SIGALRM, &action, nullptr);
    itimerval timer = {};
    timer.it_value.tv_sec = ms / 1000;
    timer.it_value.tv_usec = (ms % 1000) * 1000;
    setitimer(ITIMER_REAL, &timer, nullptr);
}
} // namespace

void CloseOnTerminationSignals(QWidget *mainWindow, std::function<void()> endWithoutAsking)
{
    if (SignalSocket[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, SignalSocket) != 0)
        return;
    auto *notifier = new QSocketNotifier(SignalSocket[1], QSocketNotifier::Read, qApp);
    QPointer<QWidget> window(mainWindow);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [window, endWithoutAsking] {
        char byte = 0;
        if (::read(SignalSocket[1], &byte, 1) != 1)
            return;
        if (byte != SIGINT) {
            QElapsedTimer since;
            since.start();
            // Margin for what follows the event loop: the windows and the
            // line closing, the connection settings written back.
            constexpr int MarginMs = 300;
            if (endWithoutAsking)
                endWithoutAsking();
            ArmDeadline(int(std::max<qint64>(100, EndWithinMs - MarginMs - since.elapsed())));
            QCoreApplication::exit(0);
            return;
        }
        // Closing the window ends the loop; should a nested wait hold it,
        // quitting makes sure the program still ends. A close the operator
        // refused (Cancel to saving the log) leaves it running.
        if (!window || window->close())
            QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}
#else
void CloseOnTerminationSignals(QWidget *, std::function<void()>) {}
#endif
