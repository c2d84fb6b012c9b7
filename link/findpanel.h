#pragma once
// The "Find" row of the connection dialog: searches the listed ports for the
// instrument (TInstrumentFinder), shows the port and baud rate being tried
// with a Cancel button, and hands what it found to the dialog, whose fields
// the operator then confirms with Ok. When nothing answers it says, through
// the prompts seam, what it tried. It knows nothing of the dialog itself:
// the dialog fills the hooks.

#include "link/instrumentfinder.h"

#include <QWidget>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

class TFindPanel : public QWidget {
    Q_OBJECT
public:
    explicit TFindPanel(QWidget *parent = nullptr);

    // Hooks. Ports: the ports to search, the chosen one first. Bauds: the
    // rates to try, the chosen one first. Take: an instrument was found.
    // Searching: the search starts (true) or ends (false).
    std::function<QStringList()> Ports;
    std::function<QList<int>()> Bauds;
    std::function<void(const TFoundInstrument &found)> Take;
    std::function<void(bool searching)> Searching;

    void Find();
    void Cancel() { Finder.Cancel(); }
    bool IsSearching() const { return Finder.IsRunning(); }

    QPushButton *BtnFind;
    QPushButton *BtnFindCancel;
    QProgressBar *PBFind;
    QLabel *LblFind;

private:
    void ShowTrying(const QString &port, int baud);
    void TakeFound(const TFoundInstrument &found);
    void Finished(bool cancelled);
    void ShowSearching(bool searching);

    TInstrumentFinder Finder;
    bool FoundOne = false;
};
