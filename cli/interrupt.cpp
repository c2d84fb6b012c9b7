#include "cli/interrupt.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <utility>
#include <unistd.h>

namespace {
const int Signals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};
}

void TInterrupt::Handler(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(Pipe[1], &byte, 1);
    errno = saved;
}

TInterrupt::TInterrupt()
{
    if (::pipe2(Pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    Current = this;
    Notifier = new QSocketNotifier(Pipe[0], QSocketNotifier::Read, this);
    connect(Notifier, &QSocketNotifier::activated, this, &TInterrupt::Take);
    struct sigaction action = {};
    action.sa_handler = &TInterrupt::Handler;
    sigemptyset(&action.sa_mask);
    for (const int signal : Signals)
        sigaction(signal, &action, nullptr);
}

TInterrupt::~TInterrupt()
{
    for (const int signal : Signals)
        std::signal(signal, SIG_DFL);
    // What is left to say after the job goes to a reader that may be gone:
    // a write then fails instead of ending the program.
    std::signal(SIGPIPE, SIG_IGN);
    if (Current == this)
        Current = nullptr;
    delete Notifier;
    for (int &fd : Pipe)
        if (fd >= 0)
            ::close(std::exchange(fd, -1));
}

void TInterrupt::Take()
{
    char bytes[16];
    while (::read(Pipe[0], bytes, sizeof bytes) > 0) {
    }
    RaisedFlag = true;
    if (CancelOperation)
        CancelOperation();
    if (OnRaised)
        OnRaised();
}

bool TInterrupt::WaitReadable(int fd)
{
    if (RaisedFlag)
        return false;
    pollfd waits[2] = {{fd, POLLIN, 0}, {Pipe[0], POLLIN, 0}};
    const nfds_t count = Pipe[0] >= 0 ? 2 : 1;
    for (;;) {
        if (::poll(waits, count, -1) < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (count == 2 && (waits[1].revents & POLLIN)) {
            if (Current)
                Current->Take();
            return false;
        }
        if (waits[0].revents)
            return true;
    }
}
