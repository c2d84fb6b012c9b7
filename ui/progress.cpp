#include "ui/progress.h"

#include <QEventLoop>

void WaitUntilFinished(TProgress &progress)
{
    if (progress.Finished)
        return;
    QEventLoop loop;
    const std::function<void()> previous = progress.Changed;
    progress.Changed = [&] {
        if (previous)
            previous();
        if (progress.Finished)
            loop.quit();
    };
    loop.exec();
    progress.Changed = previous;
}
