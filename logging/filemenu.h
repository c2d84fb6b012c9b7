#pragma once
// The File menu's Open and Save (Open1Click, Save1Click) without widgets:
// which kind of file (settings *.QVS or log *.LOG), the dialogs through
// Prompts(), the load or save, and the window's follow-up as hooks.
//
// What the window wires (it owns EditModel, the logging session and the
// pages):
//   TFileMenu menu;
//   menu.EditModel = &EditModel;  menu.Logging = &logging;
//   menu.LogPageActive  = [&] { return PgCMain->currentWidget() == TSLog; };
//   menu.LogComment     = [&] { return logPage->LblLogComment->text(); };
//   menu.TakeEditorPages = [&] { if (SettingsShown) TakeSettingsPages();
//                                if (SetpointShown) TakeSetpoint(tab); };
//   menu.SettingsLoaded = [&] { set up the chart axes from EditModel;
//       FillSettingsPages(); FillSetpoint(tab); UpdateCalWeightVisibility();
//       show TSCal, TSSettings, TSLog; SettingsSent = false; refresh the
//       identity text (EditModel.SerialNumber is already empty) };
//   menu.LogLoaded = [&](const TLogFileData &d) { LblLogComment <- d.Comment;
//       channel labels <- LogChannels::LabelText(d.Channels[i]); preset the
//       logging dialog's CBxDig1..4 with d.Channels; axis set-up with the
//       dialog's choices; fit the view to the data };
//   Open1Click() { menu.Open(); }   Save1Click() { menu.Save(); }
//
// Sound behaviour beyond the bare procedure: the kind is decided by the
// file's content, the filter only says what the operator meant to open; a
// file of the other kind is refused with a message. A file that cannot be
// read, is binary, empty or (as settings) holds no settings line gives an error
// message and changes nothing (no hook runs, SerialNumber stays). After a
// load, an information message says when a settings file named fewer than
// its 36 settings or had lines that are no settings lines, or when a log
// had sample lines without a usable time; a clean load says nothing.
// A save under ".qvs" or ".log" in any letter case writes that kind; any
// other extension writes the kind of the chosen filter.

#include <QString>
#include <functional>

class Tdata7410;
class TLoggingSession;
struct TLogFileData;

class TFileMenu {
public:
    enum class Kind { Settings, Log };

    static QString Filter();            // "QV Settings (*.QVS);;QV Log (*.LOG)"
    static QString SettingsFilter();    // "QV Settings (*.QVS)"
    static QString LogFilter();         // "QV Log (*.LOG)"

    // True when a file was loaded (or saved).
    bool Open();
    bool Save();

    // The kind a save writes for a chosen name and filter, and the name it
    // writes to (".QVS" or ".LOG" appended to a name without extension).
    static Kind SaveKind(const QString &fileName, const QString &selectedFilter);
    static QString SaveName(const QString &fileName, const QString &selectedFilter);

    Tdata7410 *EditModel = nullptr;
    TLoggingSession *Logging = nullptr;
    QString Directory;                  // where the dialogs start

    std::function<bool()> LogPageActive;
    std::function<QString()> LogComment;
    std::function<void()> TakeEditorPages;
    std::function<void()> SettingsLoaded;
    // After a file was opened or saved: a note for the status bar ("Log
    // saved to /home/...") and the file's path.
    std::function<void(const QString &note, const QString &path)> FileDone;
    // Before a loaded settings file replaces what the pages hold: false
    // keeps the pages as they are.
    std::function<bool()> MayDiscardEdits;
    std::function<void(const TLogFileData &)> LogLoaded;
    // Busy look on (true) and off while a log is loaded or saved; the
    // hourglass cursor when unset.
    std::function<void(bool)> SetBusy;

private:
    QString PreselectedFilter() const;
    void Done(const QString &note, const QString &path) const;
    bool OpenSettings(const QString &path);
    bool OpenLog(const QString &path);
    bool ContentFits(const QString &path, bool log) const;
    void Fail(const QString &text) const;
};
