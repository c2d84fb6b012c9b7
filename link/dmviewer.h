#pragma once
// The connection settings, kept in the initialisation file beside the program
// or, for an installed program, in the user's configuration folder (section
// "Connection"; see link/connectionsettingsfile.h). Created once at start-up
// and destroyed at exit.
//
// The file is used only when it exists at start-up: it is then held in
// memory and written back when the store is destroyed (if anything changed).
// Without it, every read gives the default and every write is ignored, so
// the dialog shows the defaults each time; the store creates no file. A file
// that exists but cannot be read is treated the same way and never written
// over, so a passing fault cannot wipe what the user kept in it.

#include "link/inifile.h"

#include <QString>

class TdatViewer {
public:
    static constexpr const char *Section = "Connection";
    static constexpr int DefaultBaudRate = 9600;
    static constexpr int DefaultDataBits = 8;
    static constexpr int DefaultStopBits = 1;
    static constexpr int DefaultParityBits = 0;
    static constexpr int DefaultSerialAddress = 0; // read as "Any", like 99
    static QString DefaultSerialPort() { return QStringLiteral("COM1"); }

    // The running program's file (see ConnectionSettingsFile).
    TdatViewer();
    // A given file (tests, other locations).
    explicit TdatViewer(const QString &fileName);
    // Writes the settings back (see Save); a failure is only logged, since
    // the windows are gone by then.
    ~TdatViewer();
    TdatViewer(const TdatViewer &) = delete;
    TdatViewer &operator=(const TdatViewer &) = delete;

    QString FileName() const { return Ini.FileName(); }
    // True when the file existed at start-up and was read: only then are
    // the setters heard and the settings written back.
    bool IsPersistent() const { return Persistent; }

    // Writes the in-memory file back if it is persistent and changed. False
    // (reason in ErrorString()) only when writing was due and failed.
    bool Save();
    QString ErrorString() const { return Ini.ErrorString(); }

    QString SerialPort() const;
    void SetSerialPort(const QString &name);
    int BaudRate() const;
    void SetBaudRate(int baud);
    int DataBits() const;
    void SetDataBits(int bits);
    int StopBits() const;
    void SetStopBits(int bits);
    int ParityBits() const;
    void SetParityBits(int parity);
    int SerialAddress() const;
    void SetSerialAddress(int address);
    // The folder the file dialogs start in: the one last used (section
    // "Files"); empty until a file was opened or saved.
    QString LastFolder() const;
    void SetLastFolder(const QString &folder);
    // Where the instruments' history is kept ("History", section
    // "Connection"): a postgresql:// location, a SQLite file, "off"; empty
    // for the default (history/historystore.h). Edited in the file only.
    QString History() const;

private:
    int ReadInteger(const char *key, int defaultValue) const;
    void WriteInteger(const char *key, int value);

    TIniFile Ini;
    bool Persistent = false;
};
