#include "ui/pagefooter.h"

#include "ui/printfont.h"

#include <QFontMetrics>
#include <QLocale>
#include <QPainter>

QString PageNumberText(int page, int pages) { return QStringLiteral("Page %1 of %2").arg(page).arg(pages); }

TPageFooter::TPageFooter(const QDateTime &printed, int pages)
    : Printed(QStringLiteral("Printed ") + QLocale().toString(printed, QLocale::ShortFormat)), Pages(pages)
{
}

void TPageFooter::Draw(QPainter &painter, const QRect &pageRect, int page) const
{
    painter.save();
    const QFont font = ReportFont();
    painter.setFont(font);
    painter.setPen(Qt::black);
    const int height = QFontMetrics(font, painter.device()).height();
    const QRect line(pageRect.left(), pageRect.bottom() + 1 - height, pageRect.width(), height);
    painter.drawText(line, Qt::AlignLeft | Qt::AlignTop, Printed);
    painter.drawText(line, Qt::AlignRight | Qt::AlignTop, PageNumberText(page, Pages));
    painter.restore();
}
