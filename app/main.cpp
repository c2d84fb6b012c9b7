// Program entry: the application, then the main window, then the dialogs
// and modules that live for the whole run, then the message loop.

#include "app/about.h"
#include "app/frmmain.h"
#include "app/termination.h"
#include "app/windowprompts.h"
#include "link/dmviewer.h"
#include "ui/imagelist.h"

#include <QApplication>
#include <QSessionManager>
#include <QTimer>

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

    // The long-lived dialogs. The window makes the logging dialog with the
    // session it drives; the About box, the settings transfer's progress
    // (TFrmTraffic), the mV/V entry (TFrmAbsCal) and the passcode
    // (TFrmPasscode) are made here, the last three with the prompts through
    // which the core classes ask for them.
    TfrmAbout frmAbout;
    FrmMain.frmAbout = &frmAbout;
    TWindowPrompts prompts(&FrmMain);
    TScopedPrompts installed(&prompts);

    // Last, the connection settings store. It writes the ini file back when
    // it is destroyed at exit, before the window goes.
    TdatViewer datViewer;
    FrmMain.SetConnectionStore(&datViewer);
    // The history is opened now, so that a fault is said before the work starts.
    FrmMain.StartHistory();

    CloseOnTerminationSignals(&FrmMain, [&FrmMain] { FrmMain.EndWithoutAsking(); });
#ifndef QT_NO_SESSIONMANAGER
    // The desktop session ends: what is unsaved is kept while the session
    // manager waits for us; the program then ends as on SIGTERM.
    QObject::connect(
        &app, &QGuiApplication::commitDataRequest, &FrmMain,
        [&FrmMain](QSessionManager &) {
            FrmMain.KeepUnsavedWork();
            QTimer::singleShot(0, &FrmMain, [&FrmMain] { FrmMain.EndWithoutAsking(); });
        },
        Qt::DirectConnection);
#endif
    FrmMain.show();
    // Work kept when the program was last ended from outside.
    QTimer::singleShot(0, &FrmMain, [&FrmMain] {
        if (!FrmMain.IsEndingWithoutAsking())
            FrmMain.OfferRecoveredWork();
    });
    return app.exec();
}
