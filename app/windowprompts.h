#pragma once
// The window's prompts: real dialogs on screen, with the dialogs of the
// subsystems that the core classes ask through the prompts (the progress of
// a settings transfer, the passcode, the mV/V signal). Made once by the
// program entry after the main window and installed for the whole run.

#include "ui/widgetprompts.h"

#include <memory>

class QWidget;
class TFrmAbsCal;
class TFrmPasscode;
class TFrmTraffic;

class TWindowPrompts : public TWidgetPrompts {
public:
    explicit TWindowPrompts(QWidget *dialogParent);
    ~TWindowPrompts() override;

    void WatchProgress(TProgress &progress) override;
    std::optional<QString> Passcode() override;
    std::optional<qint32> Signal(const QString &prompt, qint32 signal) override;

    TFrmTraffic &Traffic() { return *TrafficDialog; }

private:
    std::unique_ptr<TFrmTraffic> TrafficDialog;
    std::unique_ptr<TFrmAbsCal> AbsCalDialog;
    std::unique_ptr<TFrmPasscode> PasscodeDialog;
};
