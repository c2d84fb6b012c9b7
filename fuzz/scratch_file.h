#pragma once
// The file loaders read from a path, so the fuzz targets that reach them
// write each input to a scratch file of their own process first.

#include <QByteArray>
#include <QString>

// Replaces the process's scratch file (name ends in suffix) with bytes and
// returns its path.
QString WriteScratchFile(const QByteArray &bytes, const QString &suffix);
