#pragma once
// The test files of one folder share one program. Each file registers its
// class under the file's name; CTest runs every class as a test of its own,
// in a process of its own, by naming it first on the command line:
//   tests/tests_settings test_tools [Qt Test options...]

#include <QtTest>

namespace QvTest {

enum class TApplication { Core, Widgets };
using TRun = int (*)(int argc, char **argv);

// Registers the class of the file at `path`; returns true so that it can
// initialise a static.
bool Register(const char *path, TApplication application, TRun run);

template <typename TestObject> int Run(int argc, char **argv, const char *path)
{
    TestObject test;
#ifdef QT_TESTCASE_BUILDDIR
    QTest::setMainSourcePath(path, QT_TESTCASE_BUILDDIR);
#else
    QTest::setMainSourcePath(path);
#endif
    return QTest::qExec(&test, argc, argv);
}

} // namespace QvTest

// In place of QTEST_MAIN and QTEST_GUILESS_MAIN: the application (widgets, or
// core only) is made by the shared main before the test object.
#define QV_TEST_REGISTER(TestObject, application)                                                                 \
    namespace {                                                                                                   \
    const bool registered##TestObject = QvTest::Register(                                                         \
        __FILE__, application, [](int argc, char **argv) { return QvTest::Run<TestObject>(argc, argv, __FILE__); }); \
    }
#define QV_TEST_MAIN(TestObject) QV_TEST_REGISTER(TestObject, QvTest::TApplication::Widgets)
#define QV_TEST_GUILESS_MAIN(TestObject) QV_TEST_REGISTER(TestObject, QvTest::TApplication::Core)
