#include "link/connectionsettingsfile.h"

#include "link/programfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QtDebug>

QString ConnectionSettingsFileOf(const QString &programPath, bool programFolderWritable, bool installed,
                                 const QString &configFolder)
{
    const QString side = SideFileOf(programPath, QStringLiteral(".ini"));
    if (programFolderWritable && !installed)
        return side;
    return QDir(configFolder).filePath(QFileInfo(side).fileName());
}

bool CreateFromDefault(const QString &file, const QString &defaultFile, QString *error)
{
    if (QFileInfo::exists(file))
        return true;
    QByteArray contents;
    if (QFile source(defaultFile); source.exists()) {
        if (!source.open(QIODevice::ReadOnly)) {
            *error = source.errorString();
            return false;
        }
        contents = source.readAll();
    }
    if (!QDir().mkpath(QFileInfo(file).absolutePath())) {
        *error = QStringLiteral("cannot create the folder %1").arg(QFileInfo(file).absolutePath());
        return false;
    }
    QSaveFile target(file);
    if (!target.open(QIODevice::WriteOnly) || target.write(contents) != contents.size() || !target.commit()) {
        *error = target.errorString();
        return false;
    }
    return true;
}

QString ConnectionSettingsFile() { return ConnectionSettingsFileFor(QCoreApplication::applicationFilePath()); }

QString ConnectionSettingsFileFor(const QString &program)
{
    const bool writable = QFileInfo(QFileInfo(program).absolutePath()).isWritable();
    const bool installed = QFileInfo(InstalledDataFolderOf(program)).isDir();
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                           QLatin1Char('/') + QFileInfo(program).completeBaseName();
    const QString file = ConnectionSettingsFileOf(program, writable, installed, folder);
    if (file == SideFileOf(program, QStringLiteral(".ini")))
        return file;
    QString error;
    if (!CreateFromDefault(file, ProgramDataFileOf(program, QStringLiteral(".ini")), &error))
        qWarning("Connection settings %s could not be created (%s); they will not be saved.",
                 qUtf8Printable(file), qUtf8Printable(error));
    return file;
}
