#pragma once

#include <QColor>
#include <QIcon>
#include <QToolButton>

// A flat button: no frame of its own until the mouse is over it, a picture
// and/or a caption, and a hint shown as a tool tip. The background belongs to
// whatever lies beneath (a gradient, a bevelled panel).
class FlatButton : public QToolButton
{
    Q_OBJECT

public:
    explicit FlatButton(QWidget *parent = nullptr);
    FlatButton(const QIcon &picture, const QString &hint, QWidget *parent = nullptr);

    void setHint(const QString &hint) { setToolTip(hint); }
    QString hint() const { return toolTip(); }
    void setTextColor(const QColor &color);
    QColor textColor() const { return m_textColor; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QColor m_textColor = Qt::black;
    bool m_hovered = false;
};
