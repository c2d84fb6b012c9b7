#pragma once
// A request to end the program from outside (SIGTERM from a session that is
// closing, SIGINT from Ctrl+C in the terminal that started it) closes the
// main window the ordinary way, so the connection settings are written back
// and the serial port is released, instead of the process simply vanishing.

class QWidget;

// Installs the handlers; on a system without such signals, does nothing.
void CloseOnTerminationSignals(QWidget *mainWindow);
