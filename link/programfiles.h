#pragma once
// Files that live beside the program and carry its name: the connection
// settings (".ini"), the front-panel picture (".bmp"), the help page (".html").
// An installed program keeps the picture and the help page in its data folder
// instead (<prefix>/share/<name>/ for <prefix>/bin/<name>), since nothing but
// programs belongs in bin/.

#include <QString>

// `programPath` with its extension replaced by `extension`, or with
// `extension` appended when the file name has none (as usual on Linux).
// The extension may be given with or without its leading dot.
// "/opt/qv/quenvale7400" + ".ini" -> "/opt/qv/quenvale7400.ini";
// "C:/qv/viewer.exe" + ".ini" -> "C:/qv/viewer.ini".
QString SideFileOf(const QString &programPath, const QString &extension);

// The same for the running program (QCoreApplication::applicationFilePath()).
QString ProgramSideFile(const QString &extension);

// Where an installed program's own files lie:
// "/usr/bin/quenvale7400" -> "/usr/share/quenvale7400".
QString InstalledDataFolderOf(const QString &programPath);

// The side file when it exists, else the same file in the installed data
// folder when that exists, else the side file (so that a message about a
// missing file names the place a user would look first).
QString ProgramDataFileOf(const QString &programPath, const QString &extension);

// The same for the running program.
QString ProgramDataFile(const QString &extension);
