#include "support/pg_server.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>

#include <pwd.h>
#include <unistd.h>

namespace {

constexpr int Port = 5432;   // names the socket file only: no TCP
const char *const ServerUser = "postgres";

bool AsRoot() { return ::geteuid() == 0; }

} // namespace

TPgServer::~TPgServer() { Stop(); }

QString TPgServer::BinFolder()
{
    // The newest version installed.
    QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCollator numeric;
    numeric.setNumericMode(true);
    std::sort(versions.begin(), versions.end(), [&](const QString &a, const QString &b) { return numeric.compare(a, b) > 0; });
    for (const QString &version : versions) {
        const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(version);
        if (QFileInfo(bin + QStringLiteral("/initdb")).isExecutable() && QFileInfo(bin + QStringLiteral("/pg_ctl")).isExecutable())
            return bin;
    }
    return {};
}

bool TPgServer::Run(const QString &program, const QStringList &arguments, int timeoutMs)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(Folder->path());
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        Why = QStringLiteral("%1 %2 failed: %3 %4")
                  .arg(program, arguments.join(u' '), process.errorString(),
                       QString::fromLocal8Bit(process.readAll()).trimmed());
        process.kill();
        process.waitForFinished(3000);
        return false;
    }
    return true;
}

bool TPgServer::RunServerTool(const QString &program, const QStringList &arguments, int timeoutMs)
{
    const QString path = Bin + u'/' + program;
    if (!AsRoot())
        return Run(path, arguments, timeoutMs);
    return Run(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QString::fromLatin1(ServerUser), QStringLiteral("--"), path} + arguments,
               timeoutMs);
}

bool TPgServer::Start()
{
    Bin = BinFolder();
    if (Bin.isEmpty()) {
        Why = QStringLiteral("The PostgreSQL server binaries are missing (no /usr/lib/postgresql/*/bin/initdb): "
                             "install the package postgresql, as scripts/setup.sh does.");
        return false;
    }
    Folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/qv-pg-XXXXXX"));
    if (!Folder->isValid()) {
        Why = QStringLiteral("no temporary folder: %1").arg(Folder->errorString());
        return false;
    }
    if (AsRoot()) {
        const passwd *user = ::getpwnam(ServerUser);
        if (!user) {
            Why = QStringLiteral("There is no \"postgres\" user to run the server as (the postgresql package makes it).");
            return false;
        }
        if (::chown(QFile::encodeName(Folder->path()).constData(), user->pw_uid, user->pw_gid) != 0) {
            Why = QStringLiteral("cannot give %1 to postgres: %2").arg(Folder->path(), qt_error_string());
            return false;
        }
    }
    const QString data = Folder->filePath(QStringLiteral("data"));
    if (!RunServerTool(QStringLiteral("initdb"), {QStringLiteral("-D"), data, QStringLiteral("-U"), QStringLiteral("postgres"),
                                                  QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"),
                                                  QStringLiteral("UTF8"), QStringLiteral("--locale=C"),
                                                  QStringLiteral("--no-sync")}))
        return false;
    const QString options = QStringLiteral("-k %1 -p %2 -c listen_addresses='' -c fsync=off -c full_page_writes=off")
                                .arg(Folder->path())
                                .arg(Port);
    if (!RunServerTool(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), data, QStringLiteral("-w"), QStringLiteral("-t"),
                                                  QStringLiteral("60"), QStringLiteral("-l"),
                                                  Folder->filePath(QStringLiteral("server.log")), QStringLiteral("-o"), options,
                                                  QStringLiteral("start")}))
        return false;
    Running = true;
    return true;
}

void TPgServer::Stop()
{
    if (!Running)
        return;
    Running = false;
    RunServerTool(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), Folder->filePath(QStringLiteral("data")),
                                             QStringLiteral("-m"), QStringLiteral("immediate"), QStringLiteral("-w"),
                                             QStringLiteral("stop")},
                  30000);
}

bool TPgServer::CreateDatabase(const QString &name)
{
    if (!Running) {
        Why = QStringLiteral("the server is not running");
        return false;
    }
    return Run(Bin + QStringLiteral("/createdb"),
               {QStringLiteral("-h"), Folder->path(), QStringLiteral("-p"), QString::number(Port), QStringLiteral("-U"),
                QStringLiteral("postgres"), name},
               30000);
}

QString TPgServer::SocketFolder() const { return Folder ? Folder->path() : QString(); }

QString TPgServer::Location(const QString &database) const
{
    return QStringLiteral("postgresql:///%1?host=%2&port=%3&user=postgres").arg(database, SocketFolder()).arg(Port);
}
