#include "widgets/GradientWidget.h"

#include <QPainter>

#include <algorithm>

GradientWidget::GradientWidget(QWidget *parent)
    : QWidget(parent)
{
}

GradientWidget::GradientWidget(const QColor &start, const QColor &end, int steps, QWidget *parent)
    : QWidget(parent)
    , m_start(start)
    , m_end(end)
    , m_steps(std::max(1, steps))
{
}

void GradientWidget::setColors(const QColor &start, const QColor &end)
{
    if (start == m_start && end == m_end)
        return;
    m_start = start;
    m_end = end;
    update();
}

void GradientWidget::setSteps(int steps)
{
    m_steps = std::max(1, steps);
    update();
}

QColor GradientWidget::bandColor(const QColor &start, const QColor &end, int steps, int index)
{
    if (steps <= 1)
        return start;
    const int last = steps - 1;
    index = std::clamp(index, 0, last);
    const auto mix = [&](int a, int b) { return a + (b - a) * index / last; };
    return QColor(mix(start.red(), end.red()), mix(start.green(), end.green()),
                  mix(start.blue(), end.blue()));
}

void GradientWidget::paintGradient(QPainter &painter, const QRect &rect, const QColor &start,
                                   const QColor &end, int steps)
{
    if (rect.isEmpty())
        return;
    steps = std::max(1, steps);
    const int height = rect.height();
    // Each band covers an equal share of the height; the bands' edges are
    // computed from the whole height so that no row is left unpainted.
    for (int i = 0; i < steps; ++i) {
        const int top = rect.top() + height * i / steps;
        const int bottom = rect.top() + height * (i + 1) / steps;
        if (bottom <= top)
            continue;
        painter.fillRect(QRect(rect.left(), top, rect.width(), bottom - top),
                         bandColor(start, end, steps, i));
    }
}

void GradientWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintGradient(painter, rect(), m_start, m_end, m_steps);
}
