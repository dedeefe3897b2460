#include "widgets/TitleBarPanel.h"

#include <QEnterEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

TitleBarPanel::TitleBarPanel(const QColor &normal, const QColor &hover, QWidget *parent)
    : QWidget(parent)
    , m_normal(normal)
    , m_hover(hover)
{
    setAttribute(Qt::WA_Hover);
}

QLabel *TitleBarPanel::setPicture(const QPixmap &picture)
{
    if (m_content == nullptr)
        m_content = new QLabel(this);
    m_content->setPixmap(picture);
    m_content->setAlignment(Qt::AlignCenter);
    // Clicks on the picture are clicks on the panel.
    m_content->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_content->setGeometry(rect());
    return m_content;
}

void TitleBarPanel::setCaption(const QString &caption, int pixelSize)
{
    if (m_content == nullptr)
        m_content = new QLabel(this);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    m_content->setFont(font);
    m_content->setText(caption);
    m_content->setAlignment(Qt::AlignCenter);
    QPalette colours = m_content->palette();
    colours.setColor(QPalette::WindowText, Qt::white);
    m_content->setPalette(colours);
    m_content->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_content->setGeometry(rect());
}

void TitleBarPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), currentColor());
}

void TitleBarPanel::enterEvent(QEnterEvent *event)
{
    m_hovered = true;
    update();
    QWidget::enterEvent(event);
}

void TitleBarPanel::leaveEvent(QEvent *event)
{
    m_hovered = false;
    update();
    QWidget::leaveEvent(event);
}

void TitleBarPanel::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void TitleBarPanel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        Q_EMIT clicked();
}

void TitleBarPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_content != nullptr)
        m_content->setGeometry(rect());
}
