#pragma once
// A throwaway PostgreSQL server for tests: made in a temporary folder by the
// server binaries of Debian's package, listening only on a Unix socket in
// that folder, stopped and removed when the object goes. The server refuses
// to run as root, so under root (as CI runs) initdb and pg_ctl run as the
// package's "postgres" user, which owns the folder.
//
// Without the server binaries Start fails with a message that says so
// (scripts/setup.sh installs them).

#include <QString>
#include <QTemporaryDir>
#include <memory>

class TPgServer {
public:
    TPgServer() = default;
    ~TPgServer();
    TPgServer(const TPgServer &) = delete;
    TPgServer &operator=(const TPgServer &) = delete;

    // Makes and starts the server; false with the reason in Error().
    bool Start();
    bool IsRunning() const { return Running; }
    const QString &Error() const { return Why; }

    // A new, empty database; false with the reason in Error().
    bool CreateDatabase(const QString &name);
    // The history location of a database of this server.
    QString Location(const QString &database) const;
    // The folder of the server's socket.
    QString SocketFolder() const;

    // The folder of the server binaries (initdb, pg_ctl, createdb); empty
    // when none is installed.
    static QString BinFolder();

private:
    std::unique_ptr<QTemporaryDir> Folder;
    QString Bin;
    QString Why;
    bool Running = false;

    // Runs a server program (as "postgres" under root); false with its output.
    bool RunServerTool(const QString &program, const QStringList &arguments, int timeoutMs = 60000);
    bool Run(const QString &program, const QStringList &arguments, int timeoutMs);
    void Stop();
};
