#pragma once

#include <QColor>
#include <QWidget>

// A round indicator lamp: lit in its "on" colour, dark maroon when off.
class KeyLamp : public QWidget
{
    Q_OBJECT

public:
    explicit KeyLamp(QWidget *parent = nullptr);

    void setStatus(bool on);
    bool status() const { return m_on; }
    QColor currentColor() const { return m_on ? m_onColor : m_offColor; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_on = true;
    QColor m_onColor = QColor(0, 255, 0);
    QColor m_offColor = QColor(128, 0, 0);
};
