#pragma once
// Requests to end the program from outside. SIGTERM and SIGHUP (a logout, a
// shutdown, a service stop, the terminal that started it gone) come when
// nobody is there to answer a question: `endWithoutAsking` keeps what is
// unsaved and ends the program, which is over within EndWithinMs of the
// signal even should something hold it. SIGINT (Ctrl+C in the terminal that
// started it) closes the main window the ordinary way, which may ask.

#include <functional>

class QWidget;

inline constexpr int EndWithinMs = 2000;

// Installs the handlers; on a system without such signals, does nothing.
void CloseOnTerminationSignals(QWidget *mainWindow, std::function<void()> endWithoutAsking);
