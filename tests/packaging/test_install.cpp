#include "link/programfiles.h"
#include "support/testmain.h"

#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

// A namespace of its own: the folder's test files are compiled together.
namespace test_install {

// Installs the build as a package would (DESTDIR) into a scratch root and
// starts the installed viewer there.
class TestInstall : public QObject {
    Q_OBJECT
    QTemporaryDir Root;
    QString Usr() const { return Root.filePath("usr"); }

    static void Start(QProcess &process, const QString &program, const QStringList &arguments,
                      const QString &variable, const QString &value)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert(variable, value);
        process.setProcessEnvironment(env);
        process.start(program, arguments);
    }

private slots:
    void installedViewerFindsItsFilesAndMakesItsOwnSettings()
    {
        QProcess install, viewer;
        Start(install, QV_CMAKE, {"--install", QV_BUILD_DIR, "--prefix", "/usr"}, "DESTDIR", Root.path());
        QVERIFY(install.waitForFinished(60000));
        QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());
        for (const char *extension : {".bmp", ".html"})
            QCOMPARE(ProgramDataFileOf(Usr() + "/bin/quenvale7400", extension),
                     Usr() + "/share/quenvale7400/quenvale7400" + extension);

        const QString config = Root.filePath("home/.config"), settings = config + "/quenvale7400/quenvale7400.ini";
        Start(viewer, Usr() + "/bin/quenvale7400", {}, "XDG_CONFIG_HOME", config);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(settings), 20000);
        QTest::qWait(500); // the settings come just before the handler of SIGTERM
        ::kill(viewer.processId(), SIGTERM);
        QVERIFY(viewer.waitForFinished(20000));
        QVERIFY2(viewer.exitStatus() == QProcess::NormalExit && viewer.exitCode() == 0,
                 viewer.readAllStandardError().constData());
        QFile made(settings), shipped(Usr() + "/share/quenvale7400/quenvale7400.ini");
        QVERIFY(made.open(QIODevice::ReadWrite) && shipped.open(QIODevice::ReadOnly));
        QCOMPARE(made.readAll(), shipped.readAll());
        QVERIFY(!QFileInfo::exists(Usr() + "/bin/quenvale7400.ini"));
    }
};

QV_TEST_GUILESS_MAIN(TestInstall)
} // namespace test_install
#include "test_install.moc"
