#pragma once
// The two back ends every history test runs against: a SQLite file in a
// temporary folder, and a database of its own on a throwaway PostgreSQL
// server (started once per test program, stopped at its end).

#include "support/pg_server.h"

#include <QAtomicInt>
#include <QTemporaryDir>
#include <QTest>

namespace history_backends {

inline TPgServer &Server()
{
    static TPgServer server;
    return server;
}

// A fresh, empty history location of the back end ("sqlite" or
// "postgresql"); fails the test with the reason when there is none.
inline QString FreshLocation(const QString &backend, const QTemporaryDir &dir)
{
    static QAtomicInt counter;
    const int n = counter.fetchAndAddRelaxed(1);
    if (backend == QLatin1String("sqlite"))
        return QStringLiteral("sqlite://%1/history-%2.sqlite").arg(dir.path()).arg(n);
    TPgServer &server = Server();
    if (!server.IsRunning() && !server.Start()) {
        QTest::qFail(qPrintable(server.Error()), __FILE__, __LINE__);
        return {};
    }
    const QString database = QStringLiteral("history_%1").arg(n);
    if (!server.CreateDatabase(database)) {
        QTest::qFail(qPrintable(server.Error()), __FILE__, __LINE__);
        return {};
    }
    return server.Location(database);
}

inline void AddBackendRows(const char *name = nullptr)
{
    for (const char *backend : {"sqlite", "postgresql"})
        QTest::addRow("%s%s%s", backend, name ? " " : "", name ? name : "") << QString::fromLatin1(backend);
}

} // namespace history_backends
