#include "TextFit.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QVariant>

namespace TextFit {

namespace {

// Where the field paints its cursor once it has been painted with it there
// (painting decides how far the text is scrolled).
int cursorLeftAt(QLineEdit *field, int position)
{
    field->setCursorPosition(position);
    field->grab();
    return field->inputMethodQuery(Qt::ImCursorRectangle).toRect().left();
}

} // namespace

bool showsWhole(QLineEdit *field)
{
    const int before = field->cursorPosition();
    const int start = cursorLeftAt(field, 0);
    const int end = cursorLeftAt(field, int(field->text().size()));
    cursorLeftAt(field, before);
    const int textWidth = field->fontMetrics().horizontalAdvance(field->displayText());
    return end - start >= textWidth - 1;
}

bool showsWhole(const QLabel *label)
{
    const QRect room = label->contentsRect();
    const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
    const QRect needed = label->fontMetrics().boundingRect(room, flags, label->text());
    return room.contains(needed);
}

} // namespace TextFit
