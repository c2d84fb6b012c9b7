// File > Print Settings into a PDF file, read back: each line where the report puts it, over pages.
#include "app/frmmain.h"
#include "settings/editor.h"
#include "settings/settingsreport.h"
#include "ui/prompts.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

static const QRegularExpression TrailingSpaces(QStringLiteral(" +$"));   // pdftotext drops them

class TestPrintSettings : public QObject {
    Q_OBJECT
private slots:
    void printsTheReportToPdf()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QTemporaryDir dir;
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        QString pdf = dir.filePath(QStringLiteral("no-such-folder/report.pdf"));
        double left = 0;   // of the printable area, in points
        script.WhilePrinterShown = [&](QPrinter &printer) {
            printer.setOutputFileName(pdf);
            printer.setPageLayout(
                QPageLayout(QPageSize(QPageSize::A5), QPageLayout::Landscape, QMarginsF(20, 30, 20, 30)));
            left = printer.pageLayout().paintRect(QPageLayout::Point).left();
        };
        TFrmMain w;
        w.EditModel.PrintFormat = QString(100, u'#');   // wider than the page
        w.SettingsEditor->FillSettingsPages();
        w.SettingsEditor->EdtFS1->setText(QStringLiteral("5000"));   // typed, not yet taken
        script.PrinterAnswers = {false, true, true};                 // cancelled, failing, printed
        w.Print1->trigger();
        w.Print1->trigger();
        QCOMPARE(script.Messages(), QStringList{QStringLiteral("The print job could not be started.")});
        pdf = dir.filePath(QStringLiteral("report.pdf"));
        w.Print1->trigger();

        // Read at the font's own pitch, columns come back exactly where printed.
        const double pitch =
            QFontMetricsF(w.SettingsEditor->MemoHeader->font()).horizontalAdvance(u'0') * 72 / w.logicalDpiX();
        QProcess reader;
        reader.start(QStringLiteral("pdftotext"), {"-layout", "-fixed", QString::number(pitch), pdf, "-"});
        QVERIFY(reader.waitForFinished());
        const QString text = QString::fromUtf8(reader.readAllStandardOutput());
        QVERIFY(text.count(u'\f') >= 2);
        QCOMPARE(text.count(u'#'), 100);
        const QStringList printed = text.split(u'\n');
        QStringList report;
        BuildSettingsReport(report, w.EditModel, QStringLiteral("0.0000"), QStringLiteral("2.0000"));
        QVERIFY(report.contains(QStringLiteral("  Max1 = 5000, e1 = 1")));
        qsizetype row = 0;
        for (const QString &line : std::as_const(report)) {
            const QString expected = QString(QString(qRound(left / pitch) + 5, u' ') + line).remove(TrailingSpaces);
            if (expected.isEmpty() || line.contains(u'#'))
                continue;
            while (row < printed.size() && printed.at(row) != expected)
                ++row;
            QVERIFY2(row < printed.size(), qPrintable(expected));
        }
    }
};

QTEST_MAIN(TestPrintSettings)
#include "test_printsettings.moc"
