#include "app/ownerdrawnpanel.h"

#include <QPainter>

TOwnerDrawnPanel::TOwnerDrawnPanel(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumHeight(fontMetrics().height() + 4);
}

void TOwnerDrawnPanel::SetText(const QString &text)
{
    if (text == PanelText)
        return;
    PanelText = text;
    setToolTip(text);
    update();
}

void TOwnerDrawnPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (OnDrawPanel)
        OnDrawPanel(painter, rect());
    else
        painter.fillRect(rect(), palette().button());
}
