#include "widgets/RoundedPanel.h"

#include "widgets/GradientWidget.h"

#include <QPainter>
#include <QResizeEvent>

#include <algorithm>

RoundedPanel::RoundedPanel(QWidget *parent)
    : QWidget(parent)
{
}

void RoundedPanel::setColor(const QColor &color)
{
    m_fill = Fill::Solid;
    m_color = color;
    update();
}

void RoundedPanel::setGradient(const QColor &start, const QColor &end, int steps)
{
    m_fill = Fill::Gradient;
    m_color = start;
    m_end = end;
    m_steps = std::max(1, steps);
    update();
}

void RoundedPanel::setTransparent()
{
    m_fill = Fill::None;
    update();
}

void RoundedPanel::setBevel(Bevel bevel)
{
    m_bevel = bevel;
    update();
}

void RoundedPanel::setCornerEllipse(const QSize &ellipse)
{
    m_corner = ellipse;
    applyShape();
    update();
}

QRegion RoundedPanel::roundRectRegion(const QSize &size, const QSize &ellipse)
{
    const QRect whole(QPoint(0, 0), size);
    if (ellipse.isEmpty() || size.isEmpty())
        return QRegion(whole);
    const int ew = std::min(ellipse.width(), size.width());
    const int eh = std::min(ellipse.height(), size.height());
    const int w = size.width();
    const int h = size.height();
    // The body without the four corner squares, then one ellipse per corner.
    QRegion region(QRect(ew / 2, 0, w - 2 * (ew / 2), h));
    region += QRegion(QRect(0, eh / 2, w, h - 2 * (eh / 2)));
    region += QRegion(QRect(0, 0, ew, eh), QRegion::Ellipse);
    region += QRegion(QRect(w - ew, 0, ew, eh), QRegion::Ellipse);
    region += QRegion(QRect(0, h - eh, ew, eh), QRegion::Ellipse);
    region += QRegion(QRect(w - ew, h - eh, ew, eh), QRegion::Ellipse);
    return region;
}

void RoundedPanel::applyShape()
{
    if (m_corner.isEmpty())
        clearMask();
    else
        setMask(roundRectRegion(size(), m_corner));
}

void RoundedPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    applyShape();
}

void RoundedPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect area = rect();
    switch (m_fill) {
    case Fill::Solid:
        painter.fillRect(area, m_color);
        break;
    case Fill::Gradient:
        GradientWidget::paintGradient(painter, area, m_color, m_end, m_steps);
        break;
    case Fill::None:
        break;
    }
    if (m_bevel == Bevel::None)
        return;

    const QColor light = m_bevel == Bevel::Soft ? QColor(255, 255, 255, 160) : QColor(Qt::white);
    const QColor dark = m_bevel == Bevel::Soft ? QColor(0, 0, 0, 60) : QColor(128, 128, 128);
    const QColor topLeft = m_bevel == Bevel::Lowered ? dark : light;
    const QColor bottomRight = m_bevel == Bevel::Lowered ? light : dark;
    const int r = area.right();
    const int b = area.bottom();
    painter.setPen(topLeft);
    painter.drawLine(0, 0, r - 1, 0);
    painter.drawLine(0, 0, 0, b - 1);
    painter.setPen(bottomRight);
    painter.drawLine(0, b, r, b);
    painter.drawLine(r, 0, r, b);
}
