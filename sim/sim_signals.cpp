#include "sim/sim_signals.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int Pipe[2] = {-1, -1};

void Forward(int signalNumber)
{
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(Pipe[1], &byte, 1);
}

} // namespace

TSimSignalBridge::TSimSignalBridge(const QList<int> &signalNumbers, QObject *parent) : QObject(parent)
{
    if (Pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, Pipe) != 0)
        return;
    Notifier = new QSocketNotifier(Pipe[0], QSocketNotifier::Read, this);
    connect(Notifier, &QSocketNotifier::activated, this, &TSimSignalBridge::OnReadable);
    for (int number : signalNumbers) {
        struct sigaction action {};
        action.sa_handler = Forward;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        if (sigaction(number, &action, nullptr) == 0)
            Handled << number;
    }
}

TSimSignalBridge::~TSimSignalBridge()
{
    for (int number : Handled)
        std::signal(number, SIG_DFL);
}

void TSimSignalBridge::OnReadable()
{
    unsigned char byte = 0;
    while (::read(Pipe[0], &byte, 1) == 1)
        emit Raised(int(byte));
}
