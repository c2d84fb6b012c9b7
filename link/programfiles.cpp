#include "link/programfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString SideFileOf(const QString &programPath, const QString &extension)
{
    const QString dotted = extension.startsWith(QLatin1Char('.')) ? extension : QLatin1Char('.') + extension;
    // Only a dot inside the file name itself starts an extension; a dot in a
    // folder name ("/opt/qv-1.2/viewer") does not.
    const qsizetype nameStart = qMax(programPath.lastIndexOf(QLatin1Char('/')),
                                     programPath.lastIndexOf(QLatin1Char('\\'))) + 1;
    const qsizetype dot = programPath.lastIndexOf(QLatin1Char('.'));
    // A leading dot names a hidden file, not an extension.
    if (dot > nameStart)
        return programPath.left(dot) + dotted;
    return programPath + dotted;
}

QString ProgramSideFile(const QString &extension)
{
    return SideFileOf(QCoreApplication::applicationFilePath(), extension);
}

QString InstalledDataFolderOf(const QString &programPath)
{
    const QFileInfo program(programPath);
    return QDir::cleanPath(program.absolutePath() + QLatin1String("/../share/") + program.completeBaseName());
}

QString ProgramDataFileOf(const QString &programPath, const QString &extension)
{
    const QString side = SideFileOf(programPath, extension);
    if (QFileInfo::exists(side))
        return side;
    const QString installed = InstalledDataFolderOf(programPath) + QLatin1Char('/') + QFileInfo(side).fileName();
    return QFileInfo::exists(installed) ? installed : side;
}

QString ProgramDataFile(const QString &extension)
{
    return ProgramDataFileOf(QCoreApplication::applicationFilePath(), extension);
}
