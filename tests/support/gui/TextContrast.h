#pragma once

#include <QColor>
#include <QList>
#include <QString>

class QWidget;

// How readable the texts of a window are as they are painted: every visible
// text of its labels, buttons, line edits, list entries, text boxes and group
// titles is painted once as it is and once in no colour; the pixels that
// differ are the text's, the second picture shows what lies behind them.
namespace TextContrast {

// The WCAG contrast ratio of two colours, from 1 to 21.
double ratio(const QColor &first, const QColor &second);

struct Reading
{
    QString where;      // object name (or class) and text, for the failure message
    QColor text;        // the strongest glyph pixel
    QColor background;  // the background pixel under the glyphs that is closest to it
    double ratio = 1.0; // 1 when the text left no pixel at all
};

// The readings of a shown window; disabled controls are left out (their
// text is meant to be faint).
QList<Reading> readWindow(QWidget *window);

} // namespace TextContrast
