#pragma once
// Which initialisation file holds the connection settings. Beside the program
// while its folder is writable (the build folder, a copied folder), as the
// program has always kept them. An installed program (see
// InstalledDataFolderOf) or one in a folder the user may not write keeps them
// in the user's configuration folder instead, under the same file name, so
// the port chosen is remembered without writing into bin/.

#include <QString>

// The file for a program at `programPath`: its side file while
// `programFolderWritable` and not `installed`, else the same name in
// `configFolder`.
QString ConnectionSettingsFileOf(const QString &programPath, bool programFolderWritable, bool installed,
                                 const QString &configFolder);

// Lays down `file` from `defaultFile` when `file` is missing: a copy of it,
// or an empty file (every setting at its default) when there is none. True
// when `file` exists afterwards; otherwise `error` says why.
bool CreateFromDefault(const QString &file, const QString &defaultFile, QString *error);

// The file for the running program. In the configuration folder it is created
// on first run from the ini the program ships (see ProgramDataFile), so that
// the settings persist from then on; a failure is only logged and leaves the
// settings unsaved, as with no file at all.
QString ConnectionSettingsFile();
// The same for another program of this installation (the command-line
// program reads the window's file: the ports chosen there are its defaults).
QString ConnectionSettingsFileFor(const QString &programPath);
