#include "widgets/KeyLamp.h"

#include <QPainter>
#include <QRadialGradient>

KeyLamp::KeyLamp(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void KeyLamp::setStatus(bool on)
{
    m_on = on;
    update();
}

void KeyLamp::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    const QColor base = currentColor();
    QRadialGradient shine(area.center() - QPointF(area.width() / 5, area.height() / 5),
                          area.width() / 1.6);
    shine.setColorAt(0.0, base.lighter(170));
    shine.setColorAt(1.0, base.darker(120));
    painter.setBrush(shine);
    painter.setPen(QPen(QColor(64, 64, 64), 1.0));
    painter.drawEllipse(area);
}
