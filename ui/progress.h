#pragma once
// A long operation that a window may watch while it runs (a settings read
// or write): its caption, what it does and how far it has come. The
// operation keeps it up to date and runs itself from its own timer; a
// watcher shows it (Prompts().WatchProgress) and may cancel it.

#include <QString>
#include <functional>

struct TProgress {
    QString Caption;       // the window title of the progress dialog
    QString Action;        // what the operation does, in words
    int Maximum = 0;
    int Position = 0;
    bool Moving = false;   // lines are going out: the busy indicator moves
    bool Finished = false; // the operation has ended; the watcher returns

    // The operator's way out, set by the operation. It must lead to
    // Finished soon.
    std::function<void()> Cancel;
    // Set by the watcher: called whenever the fields above change.
    std::function<void()> Changed;

    void Update() const
    {
        if (Changed)
            Changed();
    }
};

// Runs the event loop until the progress is finished (a watcher with
// nothing to show: the command-line program, tests).
void WaitUntilFinished(TProgress &progress);
