#pragma once

#include <QColor>
#include <QWidget>

class QLabel;

// A panel of a drawn title bar (icon, minimise, close): its own colour while
// the mouse is over any part of it, the title bar's colour otherwise; a left
// click anywhere on it is clicked().
class TitleBarPanel : public QWidget
{
    Q_OBJECT

public:
    TitleBarPanel(const QColor &normal, const QColor &hover, QWidget *parent = nullptr);

    // A white caption ("-", "X") centred on the panel.
    void setCaption(const QString &caption, int pixelSize);
    // A picture centred on the panel.
    QLabel *setPicture(const QPixmap &picture);

    QColor currentColor() const { return m_hovered ? m_hover : m_normal; }
    bool isHovered() const { return m_hovered; }

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QColor m_normal;
    QColor m_hover;
    bool m_hovered = false;
    bool m_pressed = false;
    QLabel *m_content = nullptr;
};
