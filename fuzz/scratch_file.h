#pragma once
// The file loaders read from a path, so the fuzz targets that reach them
// write each input to a scratch file of their own process first.

#include <QByteArray>
#include <QString>

// The path of the process's scratch file whose name ends in suffix, in a
// folder of the process's own that goes when it ends.
QString ScratchPath(const QString &suffix);
// Replaces that file with bytes and returns its path.
QString WriteScratchFile(const QByteArray &bytes, const QString &suffix);
