#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QPixmap>

// A button of a drawn title bar (icon, minimise, close): its own colour while
// the mouse is over any part of it, the title bar's colour otherwise; a left
// click, Space or Enter is clicked(). Tab reaches it; with the focus it
// shows a white frame. Its caption or picture is drawn, not its name: a
// screen reader hears the accessible name the window gives it.
class TitleBarPanel : public QAbstractButton
{
    Q_OBJECT

public:
    TitleBarPanel(const QColor &normal, const QColor &hover, QWidget *parent = nullptr);

    // A white caption ("-", "X") centred on the panel.
    void setCaption(const QString &caption, int pixelSize);
    QString caption() const { return m_caption; }
    // A picture centred on the panel.
    void setPicture(const QPixmap &picture);

    QColor currentColor() const { return m_hovered ? m_hover : m_normal; }
    bool isHovered() const { return m_hovered; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QColor m_normal;
    QColor m_hover;
    bool m_hovered = false;
    QString m_caption;
    QFont m_captionFont;
    QPixmap m_picture;
};
