#include "support/testmain.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

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
    // The test's own arguments follow its name; Qt Test sees the program's
    // name and those.
    argv[1] = argv[0];
    --argc;
    ++argv;
    std::unique_ptr<QCoreApplication> app;
    if (found->second.Application == QvTest::TApplication::Widgets)
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    app->setAttribute(Qt::AA_Use96Dpi, true);
    return found->second.Run(argc, argv);
}
