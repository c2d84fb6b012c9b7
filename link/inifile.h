#pragma once
// A small initialisation-file reader and writer, shared by the connection
// settings (.ini) and the calibration backups (.cal).
//
// These files hold every value exactly as written: nothing is quoted or
// escaped (unlike QSettings). The whole file is held in memory; Save writes it
// atomically. Bytes are Latin-1, one byte, one character.
//
// Reading is tolerant of hand-edited files: spaces around "=" and around
// names, comment lines starting with ";" or "#", CRLF, LF or CR line ends, blank
// lines, a UTF-8 byte order mark, lines it does not understand (kept as they
// are). Section and key names are matched without regard to case. A key given
// twice in a section: the last value wins, and a write changes that line. A
// section given twice is read as one.
//
// Saving writes every line the program did not change exactly as it stood,
// repeated keys and spaces included; new keys go after the last key of their
// section, new sections at the end. Limits of the format: the leading and
// trailing spaces of a value written do not survive a reload, and line breaks
// inside it are written as spaces.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

class TIniFile {
public:
    TIniFile() = default;
    explicit TIniFile(const QString &fileName) : Name(fileName) {}

    QString FileName() const { return Name; }
    void SetFileName(const QString &fileName) { Name = fileName; }

    // Replaces the content with the file's. False (content empty, reason in
    // ErrorString()) when the file is missing, cannot be read or is no
    // ordinary file (a folder, a pipe, a device).
    bool Load();
    // Writes the content to FileName() atomically (all or nothing). False,
    // with the reason in ErrorString(), when it could not be written.
    bool Save();
    QString ErrorString() const { return Error; }

    // The content from / as the bytes of a file.
    void Parse(const QByteArray &bytes);
    QByteArray ToBytes() const;

    // True when a write, delete or erase changed the content since the last
    // Load, Parse or Save.
    bool IsModified() const { return Modified; }

    QStringList Sections() const;
    QStringList Keys(const QString &section) const;
    bool SectionExists(const QString &section) const;
    bool ValueExists(const QString &section, const QString &key) const;

    QString ReadString(const QString &section, const QString &key, const QString &defaultValue) const;
    // Decimal (optionally signed) or hexadecimal with "0x" or "$"; anything
    // else, or a number outside int, gives the default.
    int ReadInteger(const QString &section, const QString &key, int defaultValue) const;

    void WriteString(const QString &section, const QString &key, const QString &value);
    void WriteInteger(const QString &section, const QString &key, int value);
    void DeleteKey(const QString &section, const QString &key);
    void EraseSection(const QString &section);

private:
    struct TLine {
        bool IsEntry = false;
        QString Key;    // entries
        QString Value;  // entries
        QString Text;   // the line as it stood in the file; empty once written
    };
    // A section header and the lines after it, up to the next header. A
    // section given twice has two of these.
    struct TSection {
        QString Name;
        bool HasHeader = true; // false only for the lines before the first section
        std::vector<TLine> Lines;
        QString Header; // as it stood in the file; empty for a new section
    };

    TSection *LastSection(const QString &name);
    TSection &SectionForWriting(const QString &name);
    const TLine *FindEntry(const QString &section, const QString &key) const;
    TLine *FindEntry(const QString &section, const QString &key);
    void ParseLine(const QString &line);

    QString Name;
    QString Error;
    std::vector<TSection> Content;
    QByteArray LineEnd = DefaultLineEnd();
    bool Modified = false;

    static QByteArray DefaultLineEnd();
};
