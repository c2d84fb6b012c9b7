#pragma once
// The "Find" row of the connection dialog: searches the listed ports for the
// instrument (TInstrumentFinder), shows the port and baud rate being tried
// with a Cancel button, and lists every instrument of the first port where
// any answered (all units of an RS-485 bus). The one chosen in the list is
// handed to the dialog, whose fields the operator then confirms with Ok.
// When nothing answers it says, through the prompts seam, what it tried. It
// knows nothing of the dialog itself: the dialog fills the hooks.

#include "link/instrumentfinder.h"

#include <QWidget>
#include <functional>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

class TFindPanel : public QWidget {
    Q_OBJECT
public:
    explicit TFindPanel(QWidget *parent = nullptr);

    // Hooks. Ports: the ports to search, the chosen one first. Bauds: the
    // rates to try, the chosen one first. Take: an instrument was found or
    // chosen in the list. Searching: the search starts (true) or ends (false).
    std::function<QStringList()> Ports;
    std::function<QList<int>()> Bauds;
    std::function<void(const TFoundInstrument &found)> Take;
    std::function<void(bool searching)> Searching;

    void Find();
    void Cancel() { Finder.Cancel(); }
    bool IsSearching() const { return Finder.IsRunning(); }
    // What the last search found: the instruments of one port.
    QList<TFoundInstrument> Found() const { return Finder.Results(); }

    QPushButton *BtnFind;
    QPushButton *BtnFindCancel;
    QProgressBar *PBFind;
    QLabel *LblFind;
    QListWidget *LBxFound;   // one line per instrument found

private:
    void ShowTrying(const QString &port, int baud);
    void ShowAsking(const QString &port, int baud, int unit);
    void TakeFound(const TFoundInstrument &found);
    void Choose(int row);
    static QString IdentityText(const TFoundInstrument &found);
    void Finished(bool cancelled);
    void ShowSearching(bool searching);

    TInstrumentFinder Finder;
    bool FoundOne = false;
};
