#pragma once
// Files that live beside the program and carry its name: the connection
// settings (".ini"), the front-panel picture (".bmp"), the help page (".html").

#include <QString>

// `programPath` with its extension replaced by `extension`, or with
// `extension` appended when the file name has none (as usual on Linux).
// The extension may be given with or without its leading dot.
// "/opt/qv/quenvale7400" + ".ini" -> "/opt/qv/quenvale7400.ini";
// "C:/qv/viewer.exe" + ".ini" -> "C:/qv/viewer.ini".
QString SideFileOf(const QString &programPath, const QString &extension);

// The same for the running program (QCoreApplication::applicationFilePath()).
QString ProgramSideFile(const QString &extension);
