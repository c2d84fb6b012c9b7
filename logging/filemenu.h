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
//       dialog's choices; ChartView::FitLoadedLog };
//   menu.WriteChartImage = [&](path, error) { return SaveChartImage(chart, path,
//       comment, channel labels, error); };
//   logging.MayDiscardSamples = [&] { return menu.OfferToSaveLog(); };  and the
//     window's close asks OfferToSaveLog() too (opening a log asks it itself);
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
// other extension writes the kind of the chosen filter. A log file holds
// Latin-1 only: a comment with other characters is saved only when the
// operator accepts them as "?". Saving a log of millions of samples lets
// the session take its replies meanwhile; those are left unsaved. A log of
// several units is saved as a log file a unit ("fill-unit5.LOG", see
// SaveLogFiles) and one CSV with a column a unit ("fill.csv"); files of
// those names that exist are replaced only when the operator says so.

#include <QString>
#include <QStringList>
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
    // File > Export Log as CSV; true when written.
    bool ExportCsv();
    // File > Export Chart Image (PNG or PDF by the filter or extension),
    // written by WriteChartImage; true when written.
    bool ExportChartImage();
    // Before samples not yet saved would be lost (Start, opening a log,
    // exit): "The log has not been saved. Save it now?" with Yes (save as a
    // log first), No and Cancel. True when the caller may go on: nothing
    // unsaved, No, or Yes and the log was saved.
    bool OfferToSaveLog();
    static QString UnsavedLogQuestion() { return QStringLiteral("The log has not been saved. Save it now?"); }
    // The question asked before a comment loses characters; empty when the
    // comment has none outside Latin-1.
    static QString CommentLossQuestion(const QString &comment);

    // The kind a save writes for a chosen name and filter, and the name it
    // writes to (".QVS" or ".LOG" appended to a name without extension).
    static Kind SaveKind(const QString &fileName, const QString &selectedFilter);
    static QString SaveName(const QString &fileName, const QString &selectedFilter);
    // The CSV saved beside a log of several units: "fill.LOG" gives "fill.csv".
    static QString CsvBeside(const QString &logPath);

    Tdata7410 *EditModel = nullptr;
    TLoggingSession *Logging = nullptr;
    QString Directory;                  // where the dialogs start

    std::function<bool()> LogPageActive;
    std::function<QString()> LogComment;
    std::function<void()> TakeEditorPages;
    // Before settings are saved, whichever page and filter the save came
    // from: false stops it (the window has said why).
    std::function<bool()> MaySaveSettings;
    std::function<void()> SettingsLoaded;
    // After a file was opened, saved or exported: a note for the status bar
    // ("Log saved to /home/...") and the path of the log or settings file
    // (empty for an export).
    std::function<void(const QString &note, const QString &path)> FileDone;
    // Before a loaded settings file replaces what the pages hold: false
    // keeps the pages as they are.
    std::function<bool()> MayDiscardEdits;
    std::function<void(const TLogFileData &)> LogLoaded;
    // Writes the chart to a path; false with a message for the user.
    std::function<bool(const QString &path, QString *error)> WriteChartImage;
    // Busy look on (true) and off while a log is loaded or saved; the
    // hourglass cursor when unset.
    std::function<void(bool)> SetBusy;
    // History hook: a settings file opened (saved false) or saved, with the
    // settings lines it gave the pages or now holds.
    std::function<void(bool saved, const QString &path, const QStringList &lines)> SettingsFileRecorded;

private:
    QString PreselectedFilter() const;
    void Done(const QString &note, const QString &path, bool logOrSettings = true) const;
    bool OpenSettings(const QString &path);
    bool OpenLog(const QString &path);
    bool ContentFits(const QString &path, bool log) const;
    bool SaveLog(const QString &path);
    void RecordSettingsFile(bool saved, const QString &path) const;
    // Asks for a file name of one kind; empty when cancelled or not to be
    // replaced. `extension` is added to a name without one.
    QString AskSaveName(const QString &title, const QString &filter, const QString &extension);
    QString AskSaveName(const QString &title, const QString &filter,
                        const std::function<QString(const QString &chosenFilter)> &extensionFor);
    void Fail(const QString &text) const;
};
