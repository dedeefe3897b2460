#pragma once

#include "widgets/RoundedPanel.h"

class GradientWidget;

// The progress bar of the file windows: a rounded frame panel with a light
// gradient, and inside it, aligned left, the strip (object name "Balken") whose width is
// the progress. The strip's colours depend on the run (style):
//   1 decrypt run, 2 the colours before the first call, 3 and any other
//   value the encrypt run (and every other action).
class GradientProgressBar : public RoundedPanel
{
    Q_OBJECT

public:
    enum Style { DecryptStyle = 1, InitialStyle = 2, EncryptStyle = 3 };

    explicit GradientProgressBar(QWidget *parent = nullptr);

    // Clamps percent to 0..100, sizes and colours the strip and repaints it at
    // once. Returns the strip's new width. Does not process pending events;
    // a window's ShowProgress does that after calling this.
    int setProgress(int percent, int style = EncryptStyle);

    int percent() const { return m_percent; }
    int style() const { return m_style; }
    GradientWidget *strip() const { return m_strip; }

    // percent x (panel width / 100): the factor in single precision, the
    // product rounded to the nearest integer with halves to the even one.
    static int barWidth(int percent, int panelWidth);
    // Start (top) and end (bottom) colour of the strip for a style.
    static QColor styleStartColor(int style);
    static QColor styleEndColor(int style);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeStrip();

    GradientWidget *m_strip = nullptr;
    int m_percent = 0;
    int m_style = InitialStyle;
    bool m_started = false;
};
