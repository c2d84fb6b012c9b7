#include "app/windowprompts.h"

#include "calibration/abscal.h"
#include "settings/passcode.h"
#include "settings/trafficdlg.h"

#include <QLineEdit>

TWindowPrompts::TWindowPrompts(QWidget *dialogParent)
    : TrafficDialog(std::make_unique<TFrmTraffic>(dialogParent)),
      AbsCalDialog(std::make_unique<TFrmAbsCal>(dialogParent)),
      PasscodeDialog(std::make_unique<TFrmPasscode>(dialogParent))
{
}

TWindowPrompts::~TWindowPrompts() = default;

void TWindowPrompts::WatchProgress(TProgress &progress)
{
    TrafficDialog->Watch(progress);
    // Closed some other way (the window going), the transfer still ends.
    if (!progress.Finished && progress.Cancel)
        progress.Cancel();
    WaitUntilFinished(progress);
}

std::optional<QString> TWindowPrompts::Passcode()
{
    PasscodeDialog->EdtPasscode->clear();
    if (Exec(*PasscodeDialog) != QDialog::Accepted)
        return std::nullopt;
    return PasscodeDialog->Digits();
}

std::optional<qint32> TWindowPrompts::Signal(const QString &prompt, qint32 signal)
{
    AbsCalDialog->Prepare(prompt, signal);
    if (Exec(*AbsCalDialog) != QDialog::Accepted)
        return std::nullopt;
    return AbsCalDialog->Signal();
}
