// Program entry: the application, then the main window, then the dialogs
// and modules that live for the whole run, then the message loop.

#include "app/about.h"
#include "app/frmmain.h"
#include "app/termination.h"
#include "link/dmviewer.h"
#include "ui/imagelist.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quenvale 7400 Viewer"));
    QApplication::setWindowIcon(BuildImageList().value(imgApplication));
    // Lets the desktop match the window to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("quenvale7400"));

    // The window's creation runs before the connection settings store exists
    // and does not use it.
    TFrmMain FrmMain;

    // The long-lived dialogs. The window makes the logging dialog and the
    // settings transfer's dialogs (TFrmTraffic, TFrmPasscode) with the
    // objects that drive them; the About box is made here. TFrmAbsCal (mV/V
    // calibration) and TFrmChartSetup join here with their subsystems.
    TfrmAbout frmAbout;
    FrmMain.frmAbout = &frmAbout;

    // Last, the connection settings store. It writes the ini file back when
    // it is destroyed at exit, before the window goes.
    TdatViewer datViewer;
    FrmMain.SetConnectionStore(&datViewer);

    CloseOnTerminationSignals(&FrmMain);
    FrmMain.show();
    return app.exec();
}
