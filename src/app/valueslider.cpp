#include "valueslider.h"

#include <QPaintEvent>
#include <QPainter>

ValueSlider::ValueSlider(QWidget *parent) : QScrollBar(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void ValueSlider::paintEvent(QPaintEvent *event)
{
    QScrollBar::paintEvent(event);
    if (!hasFocus())
        return;
    // The styles draw no focus on a scroll bar: a frame in the highlight colour shows it.
    QPainter painter(this);
    QPen pen(palette().color(QPalette::Active, QPalette::Highlight), 2);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.drawRect(rect().adjusted(1, 1, -1, -1));
}
