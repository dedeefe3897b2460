#pragma once

#include <QColor>
#include <QIcon>
#include <QToolButton>

// A flat button: no frame of its own until the mouse is over it, a picture
// and/or a caption, and a hint shown as a tool tip. The background belongs to
// whatever lies beneath (a gradient, a bevelled panel). Space and Enter press
// it; with the keyboard focus it shows a frame in its caption's colour, which
// reads on what lies beneath as the caption does. A button that shows its
// picture only is named by its hint for screen readers; one with a caption by
// the caption.
class FlatButton : public QToolButton
{
    Q_OBJECT

public:
    explicit FlatButton(QWidget *parent = nullptr);
    FlatButton(const QIcon &picture, const QString &hint, QWidget *parent = nullptr);

    void setHint(const QString &hint);
    QString hint() const { return toolTip(); }
    void setTextColor(const QColor &color);
    QColor textColor() const { return m_textColor; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QColor m_textColor = Qt::black;
    bool m_hovered = false;
};
