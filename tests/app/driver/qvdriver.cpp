// Works the real program's window as an operator would, for tests that start
// the program itself. Qt loads it at start (QT_QPA_GENERIC_PLUGINS=qvdriver,
// QT_PLUGIN_PATH naming the folder above "generic"); it finds the controls by
// their object names, does what QV_DRIVE says and tells on standard output:
//   QV_DRIVE=log:PORT  connects to PORT, starts a streamed log and says
//                      "logging" once it has run for a while, and then
//                      leaves the program alone, as at a logout: nobody
//                      answers from then on;
//   QV_DRIVE=answer    only answers.
// Every message box is said as "asked: TEXT" (the lines of its text joined
// with "|") and, while somebody is there, answered No (or OK).

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGenericPlugin>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>

namespace {

void Say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// Clicks from the event loop: a click that opens a modal dialog returns
// only when it closes, and the driver must go on meanwhile.
void ClickLater(QAbstractButton *button)
{
    QTimer::singleShot(0, button, [button] { button->click(); });
}

template <typename T> T *Named(QWidget *parent, const char *name)
{
    return parent ? parent->findChild<T *>(QLatin1String(name)) : nullptr;
}

class TDriver : public QObject {
public:
    explicit TDriver(const QString &drive)
    {
        if (drive.startsWith(QLatin1String("log:")))
            Port = drive.mid(4);
        connect(&Timer, &QTimer::timeout, this, &TDriver::Tick);
        Timer.start(50);
    }

private:
    QTimer Timer;
    QString Port;
    int Step = 0;
    static constexpr int LastStep = 5;
    QElapsedTimer Logging;

    static QWidget *MainWindow()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("FrmMain") && w->isVisible())
                return w;
        return nullptr;
    }

    void Tick()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            if (box->property("answered").toBool())
                return;
            box->setProperty("answered", true);
            Say(QStringLiteral("asked: ") + box->text().replace(QLatin1Char('\n'), QLatin1Char('|')));
            if (Step > LastStep)
                return; // gone
            QAbstractButton *no = box->button(QMessageBox::No);
            ClickLater(no ? no : box->button(QMessageBox::Ok));
            return;
        }
        if (!Port.isEmpty())
            DriveLog(MainWindow(), modal);
    }

    void DriveLog(QWidget *main, QWidget *modal)
    {
        const QString dialog = modal ? modal->objectName() : QString();
        auto *pages = Named<QTabWidget>(main, "PgCMain");
        if (!main || !pages)
            return;
        QWidget *logPage = nullptr;
        for (int i = 0; i < pages->count(); ++i)
            if (pages->widget(i)->objectName() == QLatin1String("TSLog"))
                logPage = pages->widget(i);
        switch (Step) {
        case 0:
            if (auto *connect = Named<QAction>(main, "Connect2")) {
                QTimer::singleShot(0, connect, &QAction::trigger);
                ++Step;
            }
            break;
        case 1:
            if (dialog == QLatin1String("FrmComDialog")) {
                Named<QComboBox>(modal, "CBPort")->setEditText(Port);
                ClickLater(Named<QPushButton>(modal, "BtnOk"));
                ++Step;
            }
            break;
        case 2:
            if (!modal && logPage && pages->isTabVisible(pages->indexOf(logPage))) {
                pages->setCurrentWidget(logPage);
                ++Step;
            }
            break;
        case 3:
            if (auto *start = Named<QPushButton>(logPage, "BtnStart"); start && start->isEnabled()) {
                ClickLater(start);
                ++Step;
            }
            break;
        case 4:
            if (dialog == QLatin1String("FrmLogDialog")) {
                Named<QComboBox>(modal, "CBLogRate")->setCurrentIndex(0); // streamed
                ClickLater(Named<QPushButton>(modal, "BtnOk"));
                Logging.start();
                ++Step;
            }
            break;
        case LastStep:
            if (Logging.elapsed() > 1500) {
                Say(QStringLiteral("logging"));
                ++Step;
            }
            break;
        default:
            break;
        }
    }
};

} // namespace

class TDriverPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "qvdriver.json")
public:
    QObject *create(const QString &, const QString &) override
    {
        return new TDriver(qEnvironmentVariable("QV_DRIVE"));
    }
};

#include "qvdriver.moc"
