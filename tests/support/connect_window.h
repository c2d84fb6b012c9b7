#pragma once
// Connects the main window to a port as the operator does: the connection
// settings name the port, Connection > Connect, Ok in the dialog.

#include "app/frmmain.h"
#include "link/dmviewer.h"
#include "link/inifile.h"
#include "ui/scriptedprompts.h"

#include <QAction>
#include <QDialog>
#include <memory>

inline void ConnectThroughDialog(TFrmMain &window, TScriptedPrompts &script, const QString &port,
                                 const QString &iniPath, std::unique_ptr<TdatViewer> &store)
{
    TIniFile ini(iniPath);
    ini.WriteString(QLatin1String(TdatViewer::Section), QStringLiteral("SerialPort"), port);
    store = std::make_unique<TdatViewer>(ini.Save() ? ini.FileName() : QString());
    window.SetConnectionStore(store.get());
    script.DialogAnswers.push_back([](QDialog &) { return int(QDialog::Accepted); });
    window.Connect2->trigger();
}
