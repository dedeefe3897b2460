#pragma once

#include <QColor>
#include <QRegion>
#include <QWidget>

// A panel with an optional rounded shape (a window mask built from corner
// ellipses, so that children are clipped too), a solid or banded gradient
// background and an optional bevel. Used for button frames ("raised bevel",
// "soft bevel"), the progress frame and the about box.
class RoundedPanel : public QWidget
{
    Q_OBJECT

public:
    enum class Bevel { None, Raised, Lowered, Soft };

    explicit RoundedPanel(QWidget *parent = nullptr);

    void setColor(const QColor &color); // solid background
    void setGradient(const QColor &start, const QColor &end, int steps);
    void setTransparent(); // no background of its own
    void setBevel(Bevel bevel);
    // Size of the corner ellipses; an empty size gives square corners.
    void setCornerEllipse(const QSize &ellipse);

    Bevel bevel() const { return m_bevel; }
    QSize cornerEllipse() const { return m_corner; }

    // The region of a rectangle from (0,0) to `size` whose corners are
    // quarters of ellipses of the given size, as a rounded window shape.
    static QRegion roundRectRegion(const QSize &size, const QSize &ellipse);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void applyShape();

    enum class Fill { Solid, Gradient, None };
    Fill m_fill = Fill::Solid;
    QColor m_color = QColor(240, 240, 240);
    QColor m_end;
    int m_steps = 1;
    Bevel m_bevel = Bevel::None;
    QSize m_corner;
};
