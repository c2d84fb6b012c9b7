#pragma once
// The footer of every printed page, on the page's last line, which the
// printouts' own lines never reach: when the job was printed at the left and
// "Page n of m" at the right, in the report font.

#include <QDateTime>
#include <QString>

class QPainter;
class QRect;

QString PageNumberText(int page, int pages);

class TPageFooter {
public:
    TPageFooter(const QDateTime &printed, int pages);
    // Draws the footer of page (from 1) at the bottom of the page's rectangle.
    void Draw(QPainter &painter, const QRect &pageRect, int page) const;

private:
    QString Printed;
    int Pages;
};
