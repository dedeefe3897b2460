#include "widgets/GradientProgressBar.h"

#include "widgets/GradientWidget.h"

#include <algorithm>
#include <cmath>

GradientProgressBar::GradientProgressBar(QWidget *parent)
    : RoundedPanel(parent)
{
    setGradient(Qt::white, QColor(147, 147, 147), 20);
    setCornerEllipse(QSize(10, 10));
    setBevel(Bevel::None);
    m_strip =
        new GradientWidget(styleStartColor(InitialStyle), styleEndColor(InitialStyle), 20, this);
    m_strip->setObjectName(QStringLiteral("Balken"));
    placeStrip();
}

int GradientProgressBar::barWidth(int percent, int panelWidth)
{
    const float factor = static_cast<float>(panelWidth) / 100.0f;
    const float product = static_cast<float>(percent) * factor;
    // nearbyint rounds in the current mode, which is to nearest, ties to even.
    return static_cast<int>(std::nearbyint(product));
}

QColor GradientProgressBar::styleStartColor(int style)
{
    switch (style) {
    case DecryptStyle:
        return QColor(191, 255, 223);
    case InitialStyle:
        return QColor(213, 213, 255);
    default:
        return QColor(255, 217, 255);
    }
}

QColor GradientProgressBar::styleEndColor(int style)
{
    switch (style) {
    case DecryptStyle:
        return QColor(0, 63, 125);
    case InitialStyle:
        return QColor(0, 55, 111);
    default:
        return QColor(94, 0, 47);
    }
}

int GradientProgressBar::setProgress(int percent, int style)
{
    m_percent = std::clamp(percent, 0, 100);
    m_style = style;
    m_started = true;
    m_strip->setColors(styleStartColor(style), styleEndColor(style));
    placeStrip();
    m_strip->repaint();
    repaint();
    return m_strip->width();
}

void GradientProgressBar::resizeEvent(QResizeEvent *event)
{
    RoundedPanel::resizeEvent(event);
    placeStrip();
}

void GradientProgressBar::placeStrip()
{
    // The strip is 4 pixels lower than the frame (16 in a frame of 20) and
    // starts at its left edge; the frame's rounded shape clips its ends.
    const int stripHeight = std::max(1, height() - 4);
    // Before the first call the strip is one pixel wide.
    const int width = m_started ? barWidth(m_percent, this->width()) : 1;
    m_strip->setGeometry(0, (height() - stripHeight) / 2, width, stripHeight);
    m_strip->setVisible(width > 0);
}
