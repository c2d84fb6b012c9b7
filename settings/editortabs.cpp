#include "settings/editortabs.h"

#include <QPainter>
#include <QStyleOptionTab>
#include <QStylePainter>

TSetpointTabBar::TSetpointTabBar(QWidget *parent) : QTabBar(parent)
{
    for (int tab = 1; tab <= 4; ++tab)
        addTab(QString::asprintf("%2d", tab));
}

void TSetpointTabBar::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    for (int tab = 0; tab < count(); ++tab) {
        QStyleOptionTab option;
        initStyleOption(&option, tab);
        option.text.clear();   // drawn below in the setpoint's own look
        painter.drawControl(QStyle::CE_TabBarTab, option);
        DrawTabText(painter, tab);
    }
}

void TSetpointTabBar::DrawTabText(QPainter &painter, int tab)
{
    const bool used = IsUsed && IsUsed(tab);
    QFont font = this->font();
    font.setBold(used);
    font.setItalic(!used);
    painter.setFont(font);
    painter.setPen(used ? QColor(0, 0, 128) : QColor(Qt::black));
    const bool selected = tab == currentIndex();
    const QRect rect = tabRect(tab);
    const int left = rect.left() + (used ? 2 : 0) + (selected ? 2 : 0) + 4;
    const int top = rect.top() + (selected ? 5 : 3);
    painter.drawText(QRect(left, top, rect.width() - 4, rect.height() - 3), Qt::AlignLeft | Qt::AlignTop, tabText(tab));
}
