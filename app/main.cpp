#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quenvale 7400 Viewer"));
    QMainWindow window;
    window.setWindowTitle(QApplication::applicationName());
    window.resize(800, 600);
    window.show();
    return app.exec();
}
