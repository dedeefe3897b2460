#pragma once

#include <QColor>
#include <QLabel>

// A label that behaves like a link: coloured, underlined, the hand pointer
// while the mouse is over it, and clicked() on a left click. Given a focus
// policy, Enter and Space click it too, and it shows a frame in its colour
// while it has the focus.
class LinkLabel : public QLabel
{
    Q_OBJECT

public:
    explicit LinkLabel(QWidget *parent = nullptr);
    LinkLabel(const QString &text, QWidget *parent = nullptr);

    void setLinkColor(const QColor &color);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_pressed = false;
};
