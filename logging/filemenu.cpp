#include "logging/filemenu.h"

#include "logging/logchoices.h"
#include "logging/logcsv.h"
#include "logging/logfile.h"
#include "logging/loggingsession.h"
#include "settings/database.h"
#include "settings/settingsfile.h"
#include "ui/hourglass.h"
#include "ui/prompts.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

QString TFileMenu::SettingsFilter() { return QStringLiteral("QV Settings (*.QVS)"); }
QString TFileMenu::LogFilter() { return QStringLiteral("QV Log (*.LOG)"); }
QString TFileMenu::Filter() { return SettingsFilter() + QStringLiteral(";;") + LogFilter(); }

QString TFileMenu::PreselectedFilter() const
{
    return LogPageActive && LogPageActive() ? LogFilter() : SettingsFilter();
}

void TFileMenu::Fail(const QString &text) const
{
    Prompts().Message(text, TPrompts::Kind::Error);
}

namespace {
// The hourglass while a file is read or written: a log of a million samples
// takes the better part of a second either way.
class TBusy {
public:
    explicit TBusy(const std::function<void(bool)> &hook) : Hook(hook) { Set(true); }
    ~TBusy() { Set(false); }

private:
    const std::function<void(bool)> &Hook;
    void Set(bool on) const
    {
        if (Hook)
            Hook(on);
        else
            ShowHourglass(on);
    }
};

// The extension: the text from the last "." of the file's own name on.
QString ExtensionOf(const QString &fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot);
}
} // namespace

TFileMenu::Kind TFileMenu::SaveKind(const QString &fileName, const QString &selectedFilter)
{
    const QString ext = ExtensionOf(fileName);
    if (ext.compare(QStringLiteral(".LOG"), Qt::CaseInsensitive) == 0)
        return Kind::Log;
    if (ext.compare(QStringLiteral(".QVS"), Qt::CaseInsensitive) == 0)
        return Kind::Settings;
    return selectedFilter == LogFilter() ? Kind::Log : Kind::Settings;
}

QString TFileMenu::SaveName(const QString &fileName, const QString &selectedFilter)
{
    if (!ExtensionOf(fileName).isEmpty())
        return fileName;
    return fileName + (selectedFilter == LogFilter() ? QStringLiteral(".LOG") : QStringLiteral(".QVS"));
}

bool TFileMenu::Open()
{
    QString filter = PreselectedFilter();
    const QString path = Prompts().OpenFileName(QStringLiteral("Open"), Directory, Filter(), &filter);
    if (path.isEmpty())
        return false;
    Directory = QFileInfo(path).absolutePath();
    const bool log = filter == LogFilter();
    if (!ContentFits(path, log))
        return false;
    if (!(log ? OpenLog(path) : OpenSettings(path)))
        return false;
    Done(log ? QStringLiteral("Log opened from %1") : QStringLiteral("Settings opened from %1"), path);
    return true;
}

// The filter says what the operator means to open; the content says what
// the file is. A settings file charted as a log (or a log taken as settings)
// would replace what is on screen with nothing of use.
bool TFileMenu::ContentFits(const QString &path, bool log) const
{
    const TFileContent content = FileContentOf(path);
    const QString name = QDir::toNativeSeparators(path);
    if (log && content == TFileContent::Settings)
        Fail(QStringLiteral("\"%1\" is a settings file, not a log. The chart keeps what it shows.").arg(name));
    else if (log && content == TFileContent::Other)
        Fail(QStringLiteral("\"%1\" is not a log file. The chart keeps what it shows.").arg(name));
    else if (!log && content == TFileContent::Log)
        Fail(QStringLiteral("\"%1\" is a log file, not a settings file. Nothing was loaded.").arg(name));
    else
        return true;
    return false;
}

bool TFileMenu::OpenSettings(const QString &path)
{
    if (!EditModel)
        return false;
    QString error;
    TSettingsLoadResult result;
    // Into a copy first: the pages' unsent edits go only once the file has
    // been read whole and the operator lets them go.
    Tdata7410 loaded = *EditModel;
    if (!LoadSettingsFile(path, loaded, &error, &result)) {
        Fail(error);
        return false;
    }
    if (MayDiscardEdits && !MayDiscardEdits())
        return false;
    *EditModel = loaded;
    // A file carries no serial number: the identity shown would not be the
    // instrument's the settings came from.
    EditModel->SerialNumber.clear();
    if (SettingsLoaded)
        SettingsLoaded();
    RecordSettingsFile(false, path);
    const QString note = SettingsLoadNote(result);
    if (!note.isEmpty())
        Prompts().Message(note, result.NotTaken.isEmpty() ? TPrompts::Kind::Information : TPrompts::Kind::Warning);
    return true;
}

bool TFileMenu::OpenLog(const QString &path)
{
    if (!Logging || !OfferToSaveLog())
        return false;
    TLogFileData data;
    data.Channels = Logging->Channels;
    QString error;
    TLogLoadResult result;
    bool loaded = false;
    {
        TBusy busy(SetBusy);
        loaded = LoadLogFile(path, data, &error, &result);
        if (loaded) {
            ApplyLogFile(data, *Logging);
            Logging->UnsavedSamples = false;   // what is shown is the file
            if (LogLoaded)
                LogLoaded(data);
        }
    }
    if (!loaded) {
        Fail(error);
        return false;
    }
    const QString note = SkippedLinesMessage(result);
    if (!note.isEmpty())
        Prompts().Message(note, TPrompts::Kind::Warning);
    return true;
}

bool TFileMenu::Save()
{
    QString filter = PreselectedFilter();
    const QString chosen = Prompts().SaveFileName(QStringLiteral("Save"), Directory, Filter(), &filter);
    if (chosen.isEmpty())
        return false;
    const QString path = SaveName(chosen, filter);
    Directory = QFileInfo(path).absolutePath();
    // The dialog asked about the name as typed, not the one with the
    // extension added.
    if (path != chosen && QFileInfo::exists(path)
        && !Prompts().Confirm(QStringLiteral("\"%1\" already exists. Replace it?").arg(QDir::toNativeSeparators(path))))
        return false;
    if (SaveKind(path, filter) == Kind::Log)
        return SaveLog(path);
    if (!EditModel || (MaySaveSettings && !MaySaveSettings()))
        return false;
    if (TakeEditorPages)
        TakeEditorPages();
    QString error;
    const bool ok = SaveSettingsFile(path, *EditModel, &error);
    if (!ok) {
        Fail(error);
    } else {
        Done(QStringLiteral("Settings saved to %1"), path);
        RecordSettingsFile(true, path);
    }
    return ok;
}

void TFileMenu::RecordSettingsFile(bool saved, const QString &path) const
{
    if (!SettingsFileRecorded || !EditModel)
        return;
    QStringList lines;
    EditModel->BuildWriteCommands(lines);
    SettingsFileRecorded(saved, QFileInfo(path).absoluteFilePath(), lines);
}

QString TFileMenu::CommentLossQuestion(const QString &comment)
{
    QString lost;
    for (const QChar c : comment)
        if (c.unicode() > 0xff && !lost.contains(c))
            lost += c;
    if (lost.isEmpty())
        return {};
    return QStringLiteral("The comment holds characters that a log file cannot keep (%1); they would be saved as "
                          "\"?\". Save anyway?")
        .arg(lost);
}

QString TFileMenu::CsvBeside(const QString &logPath)
{
    const QFileInfo file(logPath);
    return file.dir().filePath(file.completeBaseName() + QStringLiteral(".csv"));
}

bool TFileMenu::SaveLog(const QString &path)
{
    if (!Logging)
        return false;
    const QString comment = LogComment ? LogComment() : QString();
    if (const QString question = CommentLossQuestion(comment); !question.isEmpty() && !Prompts().Confirm(question))
        return false;
    // A log file holds one weight: a log of several units is a file a unit,
    // and all of them together in one CSV.
    const bool several = HoldsSeveralUnits(*Logging);
    const QString csv = several ? CsvBeside(path) : QString();
    if (several) {
        // The dialog asked about the name chosen, not about these.
        QStringList files = LogFilePaths(path, *Logging);
        files << csv;
        QStringList existing;
        for (const QString &file : std::as_const(files))
            if (file != path && QFileInfo::exists(file))
                existing << QStringLiteral("  ") + QDir::toNativeSeparators(file);
        if (!existing.isEmpty()
            && !Prompts().Confirm(QStringLiteral("The log of several units is saved as a file a unit and one CSV "
                                                 "file. These already exist:\n%1\nReplace them?")
                                      .arg(existing.join(u'\n'))))
            return false;
    }
    QString error;
    QStringList written;
    bool ok = false;
    const qint64 plotted = Logging->PlottedSamples;
    {
        TBusy busy(SetBusy);
        ok = SaveLogFiles(path, *Logging, comment, &written, &error);
        if (ok && several) {
            ok = ExportLogCsv(csv, *Logging, comment, &error);
            if (ok)
                written << csv;
        }
    }
    if (!ok) {
        QStringList names;
        for (const QString &file : std::as_const(written))
            names << QStringLiteral("  ") + QDir::toNativeSeparators(file);
        Fail(written.isEmpty() ? error
                               : error + QStringLiteral("\nWritten before it:\n") + names.join(u'\n'));
        return false;
    }
    // Samples plotted while the file was written are not in it.
    Logging->UnsavedSamples = Logging->PlottedSamples != plotted;
    if (!several) {
        Done(QStringLiteral("Log saved to %1"), path);
        return true;
    }
    QList<int> units;
    for (const int trace : UnitTracesWithSamples(*Logging))
        units << Logging->Traces[size_t(trace)].Tag;
    QStringList names;
    for (const QString &file : std::as_const(written))
        names << QFileInfo(file).fileName();
    if (FileDone)
        FileDone(QStringLiteral("Log of units %1 saved to %2 in %3")
                     .arg(LogUnits::Text(units), names.join(QStringLiteral(", ")),
                          QDir::toNativeSeparators(QFileInfo(path).absolutePath())),
                 written.first());
    return true;
}

void TFileMenu::Done(const QString &note, const QString &path, bool logOrSettings) const
{
    if (FileDone)
        FileDone(note.arg(QDir::toNativeSeparators(path)), logOrSettings ? path : QString());
}

QString TFileMenu::AskSaveName(const QString &title, const QString &filter, const QString &extension)
{
    return AskSaveName(title, filter, [&extension](const QString &) { return extension; });
}

QString TFileMenu::AskSaveName(const QString &title, const QString &filter,
                               const std::function<QString(const QString &)> &extensionFor)
{
    QString chosenFilter = filter.section(QStringLiteral(";;"), 0, 0);
    const QString chosen = Prompts().SaveFileName(title, Directory, filter, &chosenFilter);
    if (chosen.isEmpty() || !ExtensionOf(chosen).isEmpty())
        return chosen;
    // The dialog asked about the name as typed, not the one with the
    // extension added.
    const QString path = chosen + extensionFor(chosenFilter);
    if (QFileInfo::exists(path)
        && !Prompts().Confirm(QStringLiteral("\"%1\" already exists. Replace it?").arg(QDir::toNativeSeparators(path))))
        return QString();
    return path;
}

bool TFileMenu::OfferToSaveLog()
{
    if (!Logging || !Logging->UnsavedSamples)
        return true;
    QMessageBox question(QMessageBox::Question, QStringLiteral("Save Log"), UnsavedLogQuestion(),
                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    question.setDefaultButton(QMessageBox::Yes);
    switch (Prompts().Exec(question)) {
    case QMessageBox::Yes: {
        const QString path = AskSaveName(QStringLiteral("Save"), LogFilter(), QStringLiteral(".LOG"));
        return !path.isEmpty() && SaveLog(path);
    }
    case QMessageBox::No: return true;
    default: return false;   // Cancel, Escape or the window closed: keep the log
    }
}

bool TFileMenu::ExportCsv()
{
    if (!Logging)
        return false;
    const QString path = AskSaveName(QStringLiteral("Export Log as CSV"), QStringLiteral("CSV (*.csv)"),
                                     QStringLiteral(".csv"));
    if (path.isEmpty())
        return false;
    QString error;
    bool ok = false;
    {
        TBusy busy(SetBusy);
        ok = ExportLogCsv(path, *Logging, LogComment ? LogComment() : QString(), &error);
    }
    if (!ok)
        Fail(error);
    else
        Done(QStringLiteral("Log exported to %1"), path, false);
    return ok;
}

bool TFileMenu::ExportChartImage()
{
    if (!WriteChartImage)
        return false;
    const QString pdfFilter = QStringLiteral("PDF document (*.pdf)");
    const QString path = AskSaveName(QStringLiteral("Export Chart Image"),
                                     QStringLiteral("PNG image (*.png);;") + pdfFilter,
                                     [&pdfFilter](const QString &chosen) {
                                         return chosen == pdfFilter ? QStringLiteral(".pdf") : QStringLiteral(".png");
                                     });
    if (path.isEmpty())
        return false;
    QString error;
    const bool ok = WriteChartImage(path, &error);
    if (!ok)
        Fail(error);
    return ok;
}
