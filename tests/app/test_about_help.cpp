// The About box and the help commands.

#include "app/about.h"
#include "app/frmmain.h"
#include "support/testmain.h"
#include "ui/imagelist.h"
#include "ui/partnumber.h"
#include "ui/scriptedprompts.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

// A namespace of its own: the folder's test files are compiled together.
namespace test_about_help {

class TestAboutHelp : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("Quenvale 7400 Viewer")); }

    void aboutBoxShowsItsTextsThroughThePrompts()
    {
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TFrmMain w;
        TfrmAbout about;
        w.frmAbout = &about;
        QString seen;
        script.DialogAnswers.push_back([&](QDialog &d) {
            auto *box = qobject_cast<TfrmAbout *>(&d);
            if (!box)
                return int(QDialog::Rejected);
            seen = QStringList{box->Label1->text(), box->Label2->text(), box->lblversion->text(),
                               box->Label4->text(), box->OKButton->text()}
                       .join(QLatin1Char('|'));
            box->OKButton->click();
            return box->result();
        });
        w.About1->trigger();
        QCOMPARE(script.History.size(), size_t(1));
        QCOMPARE(script.History[0].text, QStringLiteral("About Quenvale 7400 Viewer"));
        QCOMPARE(seen, QStringLiteral("Quenvale|Quenvale 7400 Viewer|QV7400-VW 1.00|"
                                      "for use with 7400 software version 5.xx|Ok"));
        QCOMPARE(about.result(), int(QDialog::Accepted));
        QCOMPARE(QString::fromLatin1(QvPartNumber), about.lblversion->text());
        QCOMPARE(about.Label1->font().pixelSize(), 24);
    }

    void helpOpensTheFileAtItsAnchors()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("quenvale7400.html"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<html></html>");
        file.close();

        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TFrmMain w;
        QList<QUrl> opened;
        w.HelpFile = THelpFile(path, [&](const QUrl &url) { opened << url; return true; });
        w.Index1->trigger();
        w.Contents1->trigger();
        QCOMPARE(opened.size(), 2);
        QCOMPARE(opened[0].fragment(), QStringLiteral("index"));
        QCOMPARE(opened[1].fragment(), QStringLiteral("contents"));
        QCOMPARE(opened[0].toLocalFile(), QFileInfo(path).absoluteFilePath());
        QVERIFY(script.Messages().isEmpty());
    }

    void helpSaysSoWhenTheFileIsMissingOrCannotBeShown()
    {
        QTemporaryDir dir;
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TFrmMain w;
        int calls = 0;
        const QString missing = dir.filePath(QStringLiteral("quenvale7400.html"));
        w.HelpFile = THelpFile(missing, [&](const QUrl &) { ++calls; return true; });
        w.Index1->trigger();
        QCOMPARE(calls, 0);
        QCOMPARE(script.Messages(),
                 QStringList{QStringLiteral("The help file %1 was not found.").arg(QDir::toNativeSeparators(missing))});

        QFile file(missing);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        script.Clear();
        w.HelpFile = THelpFile(missing, [](const QUrl &) { return false; });
        w.Contents1->trigger();
        QCOMPARE(script.Messages().size(), 1);
        QVERIFY(script.Messages()[0].contains(QLatin1String("could not be opened")));
    }

    void theProgramsHelpFileHasBothAnchors()
    {
        QFile file(QStringLiteral(QV_SOURCE_DIR "/resources/help.html"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray html = file.readAll();
        QVERIFY(html.contains("id=\"contents\""));
        QVERIFY(html.contains("id=\"index\""));
    }

    void everyPictureIsDrawn()
    {
        const QList<QIcon> images = BuildImageList();
        QCOMPARE(images.size(), int(imgCount));
        QVERIFY(imgCount > 10);
        for (const QIcon &icon : images) {
            const QImage image = icon.pixmap(32, 32).toImage();
            int painted = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    painted += qAlpha(image.pixel(x, y)) > 0;
            QVERIFY(painted > 60);
        }
    }
};

QV_TEST_MAIN(TestAboutHelp)
} // namespace test_about_help
#include "test_about_help.moc"
