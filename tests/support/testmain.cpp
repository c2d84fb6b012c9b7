#include "support/testmain.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct TEntry {
    QvTest::TApplication Application;
    QvTest::TRun Run;
};

// A function-local static: registrations run during static initialisation,
// in no defined order between files.
std::map<std::string, TEntry> &Registry()
{
    static std::map<std::string, TEntry> registry;
    return registry;
}

int Usage(const char *program)
{
    std::fprintf(stderr, "usage: %s TEST [Qt Test options]\ntests in this program:\n", program);
    for (const auto &[name, entry] : Registry())
        std::fprintf(stderr, "  %s\n", name.c_str());
    return 2;
}

// QV_TEST_SHARD "k/n": this run takes every n-th test function or data row
// from the k-th on, so that a long test runs as n CTest tests side by side.
// {0, 1} without it.
std::pair<int, int> Shard()
{
    const QStringList parts = qEnvironmentVariable("QV_TEST_SHARD").split(u'/');
    const int shard = parts.value(0).toInt(), shards = parts.value(1).toInt();
    return shards > 1 && shard >= 0 && shard < shards ? std::pair(shard, shards) : std::pair(0, 1);
}

// Every test function and data row of the test, as Qt Test names them on
// its command line ("function" or "function:tag"), in the order it runs them.
// Asked of a second run of this program with -datatags, which calls only the
// data functions.
QStringList RunItems(const QString &program, const QString &test)
{
    QProcess lister;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QV_TEST_SHARD"));
    lister.setProcessEnvironment(environment);
    lister.start(program, {test, QStringLiteral("-datatags")});
    if (!lister.waitForFinished(60000) || lister.exitCode() != 0)
        return {};
    QStringList items;
    // "Class function" or "Class function tag", the tag possibly with blanks.
    for (const QString &line : QString::fromLocal8Bit(lister.readAllStandardOutput()).split(u'\n')) {
        const qsizetype first = line.indexOf(u' ');
        if (first < 0)
            continue;
        const qsizetype second = line.indexOf(u' ', first + 1);
        items << (second < 0 ? line.mid(first + 1) : line.mid(first + 1, second - first - 1) + u':' + line.mid(second + 1));
    }
    return items;
}

} // namespace

bool QvTest::Register(const char *path, TApplication application, TRun run)
{
    Registry()[QFileInfo(QString::fromLocal8Bit(path)).completeBaseName().toStdString()] = {application, run};
    return true;
}

int main(int argc, char **argv)
{
    if (argc < 2)
        return Usage(argv[0]);
    const auto found = Registry().find(argv[1]);
    if (found == Registry().end())
        return Usage(argv[0]);
    std::unique_ptr<QCoreApplication> app;
    if (found->second.Application == QvTest::TApplication::Widgets)
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    app->setAttribute(Qt::AA_Use96Dpi, true);

    // Qt Test sees the program's name and the test's own arguments; in a
    // shard, the functions and rows that are its share.
    std::vector<QByteArray> arguments{QByteArray(argv[0])};
    for (int i = 2; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    if (const auto [shard, shards] = Shard(); shards > 1 && argc == 2) {
        const QStringList items = RunItems(QCoreApplication::applicationFilePath(), QString::fromLocal8Bit(argv[1]));
        if (items.isEmpty()) {
            std::fprintf(stderr, "%s: the test's functions could not be listed\n", argv[1]);
            return 1;
        }
        for (qsizetype i = shard; i < items.size(); i += shards)
            arguments.push_back(items[i].toLocal8Bit());
        if (arguments.size() == 1)
            return 0;   // more shards than functions and rows
    }
    std::vector<char *> pointers;
    for (QByteArray &argument : arguments)
        pointers.push_back(argument.data());
    return found->second.Run(int(pointers.size()), pointers.data());
}
