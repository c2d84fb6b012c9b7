#include "cli/interrupt.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <utility>
#include <unistd.h>

void TInterrupt::Handler(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(Pipe[1], &byte, 1);
}

TInterrupt::TInterrupt()
{
    if (::pipe2(Pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    Notifier = new QSocketNotifier(Pipe[0], QSocketNotifier::Read, this);
    connect(Notifier, &QSocketNotifier::activated, this, &TInterrupt::Take);
    struct sigaction action = {};
    action.sa_handler = &TInterrupt::Handler;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

TInterrupt::~TInterrupt()
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
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
