#include "widgets/TitleBarPanel.h"

#include "widgets/ButtonKeys.h"

#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

TitleBarPanel::TitleBarPanel(const QColor &normal, const QColor &hover, QWidget *parent)
    : QAbstractButton(parent)
    , m_normal(normal)
    , m_hover(hover)
{
    setAttribute(Qt::WA_Hover);
    // Reached with Tab; a click with the mouse leaves the focus where it is.
    setFocusPolicy(Qt::TabFocus);
}

void TitleBarPanel::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    update();
}

void TitleBarPanel::setCaption(const QString &caption, int pixelSize)
{
    m_caption = caption;
    m_captionFont = QFont(QStringLiteral("Arial"));
    m_captionFont.setPixelSize(pixelSize);
    m_captionFont.setBold(true);
    update();
}

void TitleBarPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect area = rect();
    painter.fillRect(area, currentColor());
    if (!m_picture.isNull()) {
        const QSize size = m_picture.deviceIndependentSize().toSize();
        QRect place(QPoint(0, 0), size);
        place.moveCenter(area.center());
        painter.drawPixmap(place, m_picture);
    }
    if (!m_caption.isEmpty()) {
        painter.setFont(m_captionFont);
        painter.setPen(Qt::white);
        painter.drawText(area, Qt::AlignCenter, m_caption);
    }
    if (hasFocus()) {
        // White reads on the bar's colour and on both hover colours.
        painter.setPen(QPen(Qt::white, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(area).adjusted(2, 2, -2, -2));
    }
}

void TitleBarPanel::enterEvent(QEnterEvent *event)
{
    m_hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void TitleBarPanel::leaveEvent(QEvent *event)
{
    m_hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void TitleBarPanel::mousePressEvent(QMouseEvent *event)
{
    // Only the left button clicks; no button pressed here drags the window.
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QAbstractButton::mousePressEvent(event);
}

void TitleBarPanel::keyPressEvent(QKeyEvent *event)
{
    if (!ButtonKeys::enterPresses(*this, *event))
        QAbstractButton::keyPressEvent(event);
}
