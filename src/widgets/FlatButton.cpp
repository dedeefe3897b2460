#include "widgets/FlatButton.h"

#include "widgets/ButtonKeys.h"

#include <QEnterEvent>
#include <QKeyEvent>
#include <QPainter>

FlatButton::FlatButton(QWidget *parent)
    : QToolButton(parent)
{
    setAutoRaise(true);
    setFocusPolicy(Qt::TabFocus);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
}

FlatButton::FlatButton(const QIcon &picture, const QString &hint, QWidget *parent)
    : FlatButton(parent)
{
    setIcon(picture);
    setHint(hint);
}

void FlatButton::setHint(const QString &hint)
{
    setToolTip(hint);
    const bool captionShown = !text().isEmpty() && toolButtonStyle() != Qt::ToolButtonIconOnly;
    if (!captionShown)
        setAccessibleName(hint);
}

void FlatButton::keyPressEvent(QKeyEvent *event)
{
    if (!ButtonKeys::enterPresses(*this, *event))
        QToolButton::keyPressEvent(event);
}

void FlatButton::setTextColor(const QColor &color)
{
    m_textColor = color;
    update();
}

void FlatButton::enterEvent(QEnterEvent *event)
{
    m_hovered = true;
    update();
    QToolButton::enterEvent(event);
}

void FlatButton::leaveEvent(QEvent *event)
{
    m_hovered = false;
    update();
    QToolButton::leaveEvent(event);
}

void FlatButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect area = rect();
    const bool down = isDown() || isChecked();
    const bool enabled = isEnabled();

    if (enabled && (down || m_hovered)) {
        painter.fillRect(area.adjusted(1, 1, -1, -1),
                         down ? QColor(0, 0, 0, 28) : QColor(255, 255, 255, 70));
        const QColor light(255, 255, 255);
        const QColor dark(110, 110, 120);
        painter.setPen(down ? dark : light);
        painter.drawLine(area.topLeft(), area.topRight());
        painter.drawLine(area.topLeft(), area.bottomLeft());
        painter.setPen(down ? light : dark);
        painter.drawLine(area.bottomLeft(), area.bottomRight());
        painter.drawLine(area.topRight(), area.bottomRight());
    }
    const int shift = down ? 1 : 0;
    const QRect content = area.adjusted(3 + shift, 3 + shift, -3 + shift, -3 + shift);
    const bool showIcon = !icon().isNull() && toolButtonStyle() != Qt::ToolButtonTextOnly;
    const bool showText = !text().isEmpty() && toolButtonStyle() != Qt::ToolButtonIconOnly;
    const QIcon::Mode mode = enabled ? QIcon::Normal : QIcon::Disabled;
    const QSize iconArea = iconSize();

    painter.setFont(font());
    painter.setPen(enabled ? m_textColor : QColor(150, 150, 150));
    if (showIcon && !showText) {
        icon().paint(&painter, content, Qt::AlignCenter, mode);
    } else if (showText && !showIcon) {
        painter.drawText(content, Qt::AlignCenter | Qt::TextShowMnemonic, text());
    } else if (showIcon && showText) {
        const int textWidth = painter.fontMetrics().horizontalAdvance(text());
        if (toolButtonStyle() == Qt::ToolButtonTextUnderIcon) {
            const int textHeight = painter.fontMetrics().height();
            const int top =
                content.top() + (content.height() - iconArea.height() - textHeight - 2) / 2;
            icon().paint(&painter, QRect(content.left(), top, content.width(), iconArea.height()),
                         Qt::AlignCenter, mode);
            painter.drawText(
                QRect(content.left(), top + iconArea.height() + 2, content.width(), textHeight),
                Qt::AlignCenter | Qt::TextShowMnemonic, text());
        } else {
            const int total = iconArea.width() + 6 + textWidth;
            const int left = content.left() + (content.width() - total) / 2;
            icon().paint(&painter, QRect(left, content.top(), iconArea.width(), content.height()),
                         Qt::AlignCenter, mode);
            painter.drawText(
                QRect(left + iconArea.width() + 6, content.top(), textWidth + 2, content.height()),
                Qt::AlignVCenter | Qt::AlignLeft | Qt::TextShowMnemonic, text());
        }
    }

    // Drawn last, so that no picture covers it: two pixels wide, one pixel
    // inside the edge.
    if (hasFocus() && enabled) {
        painter.setPen(QPen(m_textColor, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(area).adjusted(2, 2, -2, -2));
    }
}
