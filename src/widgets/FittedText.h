#pragma once

#include <QString>

#include <functional>

class QFont;
class QLabel;
class QLineEdit;

// Texts made to fit the control that shows them, measured with its font and
// its style's margins, so that nothing is cut at the control's edge.
namespace FittedText {

// The width a line edit's text may take before the field scrolls it.
int lineEditRoom(const QLineEdit *field);

// Gives the field the largest pixel size of font, down to smallestPixels, at
// which text fits whole both as it is and masked; a field whose mask can be
// switched keeps one size in both modes.
void fitFieldFont(QLineEdit *field, const QFont &font, const QString &text, int smallestPixels);

// The text that compose builds around part (a file name) for the label:
// whole when it fits the label, wrapped where the label wraps; otherwise
// with the middle of part left out, as little as needed.
QString forLabel(const QLabel *label, const std::function<QString(const QString &)> &compose,
                 const QString &part);

} // namespace FittedText
