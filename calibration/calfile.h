#pragma once
// Calibration files (*.cal): the instrument's calibration data, kept as the
// opaque text it gives out, with the identity of the program and of the
// instrument that made the backup and a checksum of the data.
//
// The layout is the common initialisation-file one (TIniFile): sections
// "Header" and "CalData", each value written as it is. Writing into an
// existing file replaces the five keys and keeps everything else in it.

#include <QByteArray>
#include <QString>

class TIniFile;

struct TCalFileRecord {
    QString VerProg;     // "View4620:" and the program's part number
    QString Ver4620;     // instrument ID ":" firmware version
    QString SerialNo;    // instrument serial number
    QString MDD1;        // the calibration data, as the instrument gave it
    qint32 CheckSum1 = 0;

    bool operator==(const TCalFileRecord &) const = default;
};

// What a calibration file may hold at most. Real ones are a few hundred
// bytes; anything far larger is not one, and the checksum stays in range.
inline constexpr qint64 MaxCalFileBytes = 1024 * 1024;

// 165 plus the sum of the data's Latin-1 byte values, wrapped to 32 bits.
qint32 CalDataChecksum(const QString &data);

// The name a backup is written under: the chosen one with its extension
// (if any) replaced by ".cal".
QString CalFileName(const QString &chosen);

// The text after "MDD" on the line must not end or split the command: no
// ";", no double quote, no control characters.
bool IsSendableCalData(const QString &data);

// What a value reads back as from a calibration file: the file cannot keep
// spaces (nor Latin-1 0x85 / 0xA0) around a value, line breaks or
// characters beyond Latin-1.
QString CalFileStoredForm(const QString &value);

// Why data the instrument gave out cannot be kept in a calibration file and
// sent back unchanged; empty when it can.
QString CalDataProblem(const QString &data);

// The header value naming this program.
QString CalFileProgramVersion();

struct TCalFileRead {
    bool Ok = false;
    QString Error;   // why the file could not be read, when !Ok
    TCalFileRecord Record;
};

// The five keys out of / into an initialisation file's content; the rest of
// the content is left as it is.
TCalFileRecord CalRecordOf(const TIniFile &ini);
void StoreCalRecord(TIniFile &ini, const TCalFileRecord &record);

// Missing keys read as empty texts, a missing or non-numeric checksum as 0.
// Bytes holding a NUL are refused as a binary file.
TCalFileRead ReadCalFileBytes(const QByteArray &bytes);
// Refuses what is not an ordinary file, cannot be read or is larger than
// MaxCalFileBytes, before reading anything of it.
TCalFileRead ReadCalFile(const QString &path);

// Writes the five keys to path atomically: on failure (false, reason in
// *error) an earlier file of that name is left as it was. An existing file
// that cannot be read is not overwritten.
bool WriteCalFile(const QString &path, const TCalFileRecord &record, QString *error);
