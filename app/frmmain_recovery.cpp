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

namespace {
QString RecoveryFolder(const QString &dataFolder) { return dataFolder + QStringLiteral("/recovery"); }
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

QString TFrmMain::KeptFileName(const QString &kind, const QString &extension) const
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    return FreeName(QDir(RecoveryFolder(DataFolder)), kind + QLatin1Char('-') + stamp + extension);
}

QStringList TFrmMain::KeepUnsavedWork()
{
    QStringList kept;
    const bool log = Logging->UnsavedSamples;
    const bool settings = SettingsPagesHoldUnsentEdits();
    if (!log && !settings)
        return kept;
    // Nobody is there to read a message: a failure goes to the error output
    // (a service's journal, the session's log).
    if (!QDir().mkpath(RecoveryFolder(DataFolder))) {
        qWarning("Unsaved work could not be kept: the folder %s cannot be made",
                 qUtf8Printable(RecoveryFolder(DataFolder)));
        return kept;
    }
    QString error;
    if (log) {
        if (KeptLogFile.isEmpty())
            KeptLogFile = KeptFileName(QStringLiteral("log"), QStringLiteral(".LOG"));
        // A log of several units is kept as a file a unit.
        QStringList written;
        const bool saved = SaveLogFiles(KeptLogFile, *Logging, LogPage->LblLogComment->text(), &written, &error);
        kept << written;
        if (!saved)
            qWarning("The unsaved log could not be kept in %s: %s", qUtf8Printable(KeptLogFile), qUtf8Printable(error));
    }
    if (settings) {
        if (KeptSettingsFile.isEmpty())
            KeptSettingsFile = KeptFileName(QStringLiteral("settings"), QStringLiteral(".QVS"));
        if (SaveSettingsFile(KeptSettingsFile, EditModel, &error))
            kept << KeptSettingsFile;
        else
            qWarning("The unsent settings could not be kept in %s: %s", qUtf8Printable(KeptSettingsFile),
                     qUtf8Printable(error));
    }
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
    const QFileInfoList files = QDir(RecoveryFolder(DataFolder))
                                    .entryInfoList({QStringLiteral("*.LOG"), QStringLiteral("*.QVS")}, QDir::Files,
                                                   QDir::Name);
    if (files.isEmpty())
        return;
    // Offered once: they move out of the way of the next end, and the
    // question names them where they now are.
    const QDir offered(RecoveredFolder(DataFolder));
    QDir().mkpath(offered.path());
    QStringList settings, logs;
    for (const QFileInfo &file : files) {
        QString path = FreeName(offered, file.fileName());
        if (!QFile::rename(file.filePath(), path))
            path = file.filePath();
        (IsSettingsFile(path) ? settings : logs) << path;
    }
    QStringList names;
    for (const QString &path : settings + logs)
        names << QStringLiteral("  ") + QDir::toNativeSeparators(path);
    const QString question = QStringLiteral("The viewer was ended while it held unsaved work, which was kept in:\n"
                                            "%1\n\nOpen it now?")
                                 .arg(names.join(QLatin1Char('\n')));
    if (!Prompts().Confirm(question, QStringLiteral("Recovered Work")))
        return;
    // Settings first: a log's axes follow the settings shown.
    for (const QString &path : settings + logs) {
        QString error;
        if (!(IsSettingsFile(path) ? OpenRecoveredSettings(path, &error) : OpenRecoveredLog(path, &error)))
            Prompts().Message(error, TPrompts::Kind::Error);
    }
}
