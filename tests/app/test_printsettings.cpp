// File > Print Settings and Print Preview into PDF files, read back word by word with their places: each
// line on the page, row and column where the font's own line height and pitch put it, whatever the font.
#include "app/frmmain.h"
#include "settings/editor.h"
#include "settings/settingsprint.h"
#include "support/testmain.h"
#include "ui/lineprinter.h"
#include "ui/pagefooter.h"
#include "ui/scriptedprompts.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

// A namespace of its own: the folder's test files are compiled together.
namespace test_printsettings {

namespace {
struct TPageGrid {   // where the printer puts rows and columns, in points
    double Left = 0, Top = 0, RowHeight = 1, Pitch = 1, Width = 0;
    int RowsPerPage = 0;
};

QString Placed(int page, int row, int column, const QString &word)
{
    const QChar zero(u'0');   // sorted as text, in reading order
    return QStringLiteral("%1/%2/%3:%4").arg(page, 2, 10, zero).arg(row, 3, 10, zero).arg(column, 3, 10, zero)
        .arg(word);
}

// "page/row/column:word" of every word; rows at or below RowsPerPage are the footer's.
QStringList PlacedWords(const QString &pdf, const TPageGrid &grid)
{
    QProcess reader;
    reader.start(QStringLiteral("pdftotext"), {"-bbox", pdf, "-"});
    reader.waitForFinished();
    static const QRegularExpression word(
        QStringLiteral(R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)"[^>]*>([^<]*)<)re"));
    QStringList words;
    int page = -1;
    for (auto m = word.globalMatch(QString::fromUtf8(reader.readAllStandardOutput())); m.hasNext();) {
        const QRegularExpressionMatch w = m.next();
        if (w.captured(0).startsWith(QStringLiteral("<page")) && ++page >= 0)
            continue;
        const QString text =
            w.captured(3).replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&amp;", "&");
        words << Placed(page, qRound((w.captured(2).toDouble() - grid.Top) / grid.RowHeight),
                        qRound((w.captured(1).toDouble() - grid.Left) / grid.Pitch), text);
    }
    words.sort();
    return words;
}

// The same for rows expected one after the other from the top of the first page.
QStringList ExpectedWords(const QStringList &rows, const TPageGrid &grid)
{
    static const QRegularExpression word(QStringLiteral("\\S+"));
    QStringList words;
    for (int r = 0; r < rows.size(); ++r)
        for (auto m = word.globalMatch(rows.at(r)); m.hasNext();) {
            const QRegularExpressionMatch w = m.next();
            words << Placed(r / grid.RowsPerPage, r % grid.RowsPerPage, int(w.capturedStart()), w.captured());
        }
    return words;
}

QStringList BodyOrFooter(const QStringList &words, bool footer, const TPageGrid &grid)
{
    QStringList part;
    for (const QString &w : words)
        if ((w.section(u'/', 1, 1).toInt() >= grid.RowsPerPage) == footer)
            part << w;
    return part;
}
} // namespace

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
        TPageGrid grid;
        QPageRanges range;
        const QPrinter *kept = nullptr;   // one printer for the run: the dialog offers what was chosen last
        TFrmMain w;
        script.WhilePrinterShown = [&](QPrinter &printer) {
            QVERIFY(!kept || (kept == &printer && printer.pageLayout().orientation() == QPageLayout::Landscape));
            kept = &printer;
            printer.setOutputFileName(pdf);
            printer.setPageLayout(
                QPageLayout(QPageSize(QPageSize::A5), QPageLayout::Landscape, QMarginsF(20, 30, 20, 30)));
            printer.setPrintRange(range.isEmpty() ? QPrinter::AllPages : QPrinter::PageRange);
            printer.setPageRanges(range);
            const QFont font = w.SettingsEditor->MemoHeader->font();
            const double toPoints = 72.0 / printer.resolution();
            const int rowHeight = QFontMetrics(font, &printer).height();
            grid = {printer.pageLayout().paintRect(QPageLayout::Point).left(),
                    printer.pageLayout().paintRect(QPageLayout::Point).top(), rowHeight * toPoints,
                    QFontMetricsF(font, &printer).horizontalAdvance(u'#') * toPoints, printer.width() * toPoints,
                    printer.height() / rowHeight - 1};
        };
        w.EditModel.PrintFormat = QString(100, u'#');   // wider than the page
        w.SettingsEditor->FillSettingsPages();
        w.SettingsEditor->EdtFS1->setText(QStringLiteral("5000"));   // typed, not yet taken
        script.PrinterAnswers = {false, true, true, true};           // cancelled, failing, printed, page 2
        w.Print1->trigger();
        w.Print1->trigger();
        QCOMPARE(script.Messages(), QStringList{QStringLiteral("The print job could not be started.")});
        pdf = dir.filePath(QStringLiteral("report.pdf"));
        w.Print1->trigger();
        const QStringList printed = PlacedWords(pdf, grid);

        // Three empty rows, then each report line five columns in; the long line goes on in the next rows.
        QStringList rows(3);
        // Nothing read from an instrument: its direct signals are not known.
        const QStringList lines = SettingsPrintoutLines(w.EditModel, QString(), QString());
        QVERIFY(lines.contains(QStringLiteral("       Max1 = 5000, e1 = 1")));
        const qsizetype perRow = qFloor(grid.Width / grid.Pitch + 0.01);
        for (QString line : lines.mid(3))
            for (rows << line.left(perRow); line.size() > perRow; rows << line.left(perRow))
                line.remove(0, perRow);
        const QStringList expected = ExpectedWords(rows, grid);
        const int pages = expected.last().section(u'/', 0, 0).toInt() + 1;
        QVERIFY(pages >= 2);
        QCOMPARE(BodyOrFooter(printed, false, grid), expected);
        for (int page = 1; page <= pages; ++page) {   // below the lines: "Page n of m"
            QStringList footer;
            const QRegularExpression onPage(Placed(page - 1, 0, 0, {}).left(3));
            for (const QString &word : BodyOrFooter(printed, true, grid).filter(onPage))
                footer << word.section(u':', 1);
            QVERIFY2(footer.join(u' ').endsWith(PageNumberText(page, pages)), qPrintable(footer.join(u' ')));
        }

        // Only the chosen page; the preview draws what Print prints.
        range.addRange(2, 2);
        w.Print1->trigger();
        QStringList second = expected.filter(QRegularExpression(QStringLiteral("^01/")));
        second.replaceInStrings(QRegularExpression(QStringLiteral("^01/")), QStringLiteral("00/"));
        QCOMPARE(BodyOrFooter(PlacedWords(pdf, grid), false, grid), second);
        w.PrintPreview1->trigger();
        QCOMPARE(script.History.back().type, TScriptedPrompts::Shown::Preview);
        QCOMPARE(BodyOrFooter(PlacedWords(pdf, grid), false, grid), expected);
    }

    void aPageThatCannotBeBegunStopsTheJob()
    {
        struct TNoNewPage : QPrinter {
            bool newPage() override { return false; }
        } printer;
        QTemporaryDir dir;
        printer.setOutputFileName(dir.filePath(QStringLiteral("stopped.pdf")));
        QString error;
        QVERIFY(!PrintLines(printer, QFont(), QStringList(500, QStringLiteral("line")), &error));
        QCOMPARE(error, QStringLiteral("The printer stopped in the middle of the print job."));
    }
};

QV_TEST_MAIN(TestPrintSettings)
} // namespace test_printsettings
#include "test_printsettings.moc"
