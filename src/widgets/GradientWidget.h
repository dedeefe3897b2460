#pragma once

#include <QColor>
#include <QWidget>

// A vertical colour gradient drawn in a fixed number of bands, from the start
// colour at the top to the end colour at the bottom. Used as the body of the
// windows, as the background of their tool bars and as the progress strip.
// Child widgets may be placed on it.
class GradientWidget : public QWidget
{
    Q_OBJECT

public:
    explicit GradientWidget(QWidget *parent = nullptr);
    GradientWidget(const QColor &start, const QColor &end, int steps, QWidget *parent = nullptr);

    void setColors(const QColor &start, const QColor &end);
    void setSteps(int steps); // at least 1
    QColor startColor() const { return m_start; }
    QColor endColor() const { return m_end; }
    int steps() const { return m_steps; }

    // Colour of band `index` (0 .. steps-1) between start and end.
    static QColor bandColor(const QColor &start, const QColor &end, int steps, int index);
    // Paints the banded gradient over `rect`.
    static void paintGradient(QPainter &painter, const QRect &rect, const QColor &start,
                              const QColor &end, int steps);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_start = QColor(245, 241, 238);
    QColor m_end = QColor(170, 170, 187);
    int m_steps = 200;
};
