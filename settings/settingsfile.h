#pragma once
// Settings files (*.QVS): the 36 write-command lines of a Tdata7410, one per
// line, in Latin-1 with CR LF line ends, no header. Loading runs the same
// intake that a settings read from the instrument uses (Tdata7410::ApplyLines).
//
// A load first reads and checks the whole file and only then touches the
// model, so a file that cannot be read, is binary or holds no settings line
// changes nothing. A line whose mnemonic is not one of the file's own (also a
// lower-case one: settings lines carry upper-case mnemonics) is passed over
// and counted, so the caller can tell the user. Lines are trimmed of blanks at
// either end first; the values of a text setting stand in quotes, so no blank
// that belongs to a setting is lost.
//
// Saving goes through QSaveFile: a failed save leaves the old file as it was.

#include <QList>
#include <QString>
#include <QStringList>

class Tdata7410;

struct TSettingsLoadResult {
    int SettingsLines = 0;     // lines handed to the intake
    int PassedOver = 0;        // non-empty lines that were not settings lines
    int TooLong = 0;           // of those, lines cut off at the length cap
    bool Unended = false;      // the last line had no line end and was passed over
    QList<int> PassedOverLines;  // their line numbers in the file, from 1
    QStringList NotTaken;      // values of settings lines that were not valid, by name
};

// A settings file is a few kilobytes; anything far larger was chosen by
// mistake and is refused before it is read.
inline constexpr int SettingsFileLines = 36;
inline constexpr qint64 MaxSettingsFileSize = 1024 * 1024;

// A line a settings file holds: one of its write commands' mnemonics first.
bool IsSettingsLine(const QString &line);

bool SaveSettingsFile(const QString &path, const Tdata7410 &model, QString *error);
// Writes the given lines (CR LF after each) in Latin-1, atomically.
bool SaveTextLines(const QString &path, const QStringList &lines, QString *error);

// True when the file was read and held at least one settings line; the model
// then has taken every line it accepts. False with a message otherwise, and
// the model unchanged.
bool LoadSettingsFile(const QString &path, Tdata7410 &model, QString *error,
                      TSettingsLoadResult *result = nullptr);

// Reads the settings lines of a file without applying them (false with a
// message when the file cannot be used).
bool ReadSettingsLines(const QString &path, QStringList &lines, TSettingsLoadResult &result,
                       QString *error);

// What the user is told after a load that took fewer than the 36 lines of a
// complete file or passed over lines; empty after a complete, clean load.
QString SettingsLoadNote(const TSettingsLoadResult &result);
