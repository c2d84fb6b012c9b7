// Ending from outside: a logout, a shutdown or a service stop ends the
// program at once, with nobody to answer a question. What would be lost is
// kept in the user's data folder without asking, and offered at the next
// start by name.

#include "app/frmmain.h"

#include "logging/filemenu.h"
#include "logging/logfile.h"
#include "logging/loggingsession.h"
#include "logging/logpage.h"
#include "settings/settingsfile.h"
#include "settings/transfer.h"
#include "ui/prompts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QtDebug>

#include <unistd.h>

namespace {
QString RecoveryFolder(const QString &dataFolder) { return dataFolder + QStringLiteral("/recovery"); }

// The folders unsaved work may be kept in, in the order they are tried.
QStringList KeepingFolders(const QString &dataFolder, const QStringList &fallbacks)
{
    return QStringList{RecoveryFolder(dataFolder)} + fallbacks;
}

// A folder made (or found) for the user alone: another user's folder of
// that name in the temporary folder is not written into.
bool MakePrivateFolder(const QString &path)
{
    if (!QDir().mkpath(path))
        return false;
    const QFileInfo folder(path);
    if (!folder.isDir() || folder.isSymLink() || folder.ownerId() != uint(::getuid()))
        return false;
    return QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}
QString RecoveredFolder(const QString &dataFolder) { return dataFolder + QStringLiteral("/recovered"); }

bool IsSettingsFile(const QString &path) { return path.endsWith(QLatin1String(".QVS"), Qt::CaseInsensitive); }

// A name in `folder` not yet taken, from `fileName`.
QString FreeName(const QDir &folder, const QString &fileName)
{
    const QFileInfo name(fileName);
    QString candidate = folder.filePath(fileName);
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = folder.filePath(QStringLiteral("%1-%2.%3").arg(name.completeBaseName()).arg(n).arg(name.suffix()));
    return candidate;
}
} // namespace

QString TFrmMain::KeptFileName(const QString &folder, const QString &kind, const QString &extension) const
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    return FreeName(QDir(folder), kind + QLatin1Char('-') + stamp + extension);
}

// Writes one file of unsaved work into the first folder that takes it;
// `kept` names the file written before in this run, which is written again.
bool TFrmMain::KeepFile(QString &kept, const QString &kind, const QString &extension,
                        const std::function<bool(const QString &path, QString *error)> &save)
{
    QString error;
    if (!kept.isEmpty() && save(kept, &error))
        return true;
    for (const QString &folder : KeepingFolders(DataFolder, FallbackFolders)) {
        if (!MakePrivateFolder(folder))
            continue;
        const QString path = KeptFileName(folder, kind, extension);
        if (save(path, &error)) {
            kept = path;
            return true;
        }
    }
    // Nobody is there to read a message: the failure goes to the error
    // output (a service's journal, the session's log).
    qWarning("The unsaved %s could not be kept in any of %s: %s", qUtf8Printable(kind),
             qUtf8Printable(KeepingFolders(DataFolder, FallbackFolders).join(QStringLiteral(", "))),
             qUtf8Printable(error));
    return false;
}

QStringList TFrmMain::KeepUnsavedWork()
{
    QStringList kept;
    const bool log = Logging->UnsavedSamples;
    const bool settings = SettingsPagesHoldUnsentEdits();
    const QString comment = LogPage->LblLogComment->text();
    // A log of several units is kept as a file a unit.
    QStringList logFiles;
    if (log && KeepFile(KeptLogFile, QStringLiteral("log"), QStringLiteral(".LOG"),
                        [&](const QString &path, QString *error) {
                            logFiles.clear();
                            return SaveLogFiles(path, *Logging, comment, &logFiles, error);
                        }))
        kept << logFiles;
    if (settings && KeepFile(KeptSettingsFile, QStringLiteral("settings"), QStringLiteral(".QVS"),
                             [&](const QString &path, QString *error) {
                                 return SaveSettingsFile(path, EditModel, error);
                             }))
        kept << KeptSettingsFile;
    // Said where it went, for whoever reads the error output.
    for (const QString &path : kept)
        if (!path.startsWith(RecoveryFolder(DataFolder)))
            qWarning("Unsaved work was kept in %s", qUtf8Printable(path));
    return kept;
}

void TFrmMain::EndWithoutAsking()
{
    if (std::exchange(EndingWithoutAsking, true))
        return;
    KeepUnsavedWork();
    // Every wait ends now and none starts again; nothing is reported.
    Session.Shutdown();
    if (Transfer)
        Transfer->Abandon();
    PortWatcher.Stop();
    if (Session.IsOpen()) {
        // The instrument is left as an operator leaves it: not streaming
        // into a closed port, its guarded settings locked. "PCD" alone
        // changes nothing on an instrument that is locked already.
        Logging->StopStreaming();
        Session.SendCommand(TSession::UnitPrefix(Session.UnitAddress()) + QStringLiteral("PCD;"), false);
        // Closing hands over what is queued.
        Session.Disconnect();
    }
    close();
    // Leaves every dialog and nested loop, and then the program's own.
    QCoreApplication::exit(0);
}

bool TFrmMain::OpenRecoveredSettings(const QString &path, QString *error)
{
    Tdata7410 loaded = EditModel;
    if (!LoadSettingsFile(path, loaded, error))
        return false;
    EditModel = loaded;
    // A file carries no serial number.
    EditModel.SerialNumber.clear();
    SettingsFileLoaded();
    return true;
}

bool TFrmMain::OpenRecoveredLog(const QString &path, QString *error)
{
    TLogFileData data;
    data.Channels = Logging->Channels;
    if (!LoadLogFile(path, data, error))
        return false;
    ApplyLogFile(data, *Logging);
    // Still not saved where the operator would keep it: leaving asks as
    // it did before the program was ended.
    Logging->UnsavedSamples = true;
    if (FileMenu->LogLoaded)
        FileMenu->LogLoaded(data);
    return true;
}

void TFrmMain::OfferRecoveredWork()
{
    QFileInfoList files;
    for (const QString &folder : KeepingFolders(DataFolder, FallbackFolders))
        files += QDir(folder).entryInfoList({QStringLiteral("*.LOG"), QStringLiteral("*.QVS")}, QDir::Files, QDir::Name);
    if (files.isEmpty())
        return;
    // Offered once: they move out of the way of the next end, and the
    // question names them where they now are.
    // A data folder that cannot take them leaves them beside where they
    // were kept, out of the way all the same.
    const bool dataFolderTakesThem = QDir().mkpath(RecoveredFolder(DataFolder));
    QStringList settings, logs;
    for (const QFileInfo &file : files) {
        const QDir offered(dataFolderTakesThem ? RecoveredFolder(DataFolder)
                                               : file.dir().filePath(QStringLiteral("recovered")));
        if (!dataFolderTakesThem)
            QDir().mkpath(offered.path());
        QString path = FreeName(offered, file.fileName());
        if (!QFile::rename(file.filePath(), path))
            path = file.filePath();
        (IsSettingsFile(path) ? settings : logs) << path;
    }
    QStringList names;
    for (const QString &path : settings + logs)
        names << QStringLiteral("  ") + QDir::toNativeSeparators(path);
    const QString question = QStringLiteral("The viewer was ended while it held unsaved work, which was kept in:\n"
                                            "%1\n\nOpen %2 now?")
                                 .arg(names.join(QLatin1Char('\n')),
                                      names.size() == 1 ? QStringLiteral("it") : QStringLiteral("them"));
    if (!Prompts().Confirm(question, QStringLiteral("Recovered Work")))
        return;
    // Settings first: a log's axes follow the settings shown.
    for (const QString &path : settings + logs) {
        QString error;
        if (!(IsSettingsFile(path) ? OpenRecoveredSettings(path, &error) : OpenRecoveredLog(path, &error))) {
            Prompts().Message(error, TPrompts::Kind::Error);
            continue;
        }
        ShowFileInTitle(path);
        ShowStatusNote(QStringLiteral("Opened the recovered %1").arg(QDir::toNativeSeparators(path)));
    }
}
