#pragma once

class QLabel;
class QLineEdit;

// Whether a control shows the whole of its text, as it paints it.
namespace TextFit {

// Nothing of the shown text (the mask characters of a masked field) is
// scrolled out of sight: with the cursor at the end the field shows the text
// from its first character, exactly as with the cursor at the start. The
// cursor is put back.
bool showsWhole(QLineEdit *field);

// The text, wrapped where the label wraps, lies inside the label.
bool showsWhole(const QLabel *label);

} // namespace TextFit
