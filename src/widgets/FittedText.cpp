#include "widgets/FittedText.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>

namespace FittedText {

namespace {

// The frame as the field itself describes it to its style.
QStyleOptionFrame frameOf(const QLineEdit *field)
{
    QStyleOptionFrame frame;
    frame.initFrom(field);
    frame.rect = field->contentsRect();
    frame.lineWidth = field->hasFrame()
                          ? field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, field)
                          : 0;
    frame.midLineWidth = 0;
    frame.state |= QStyle::State_Sunken;
    if (field->isReadOnly())
        frame.state |= QStyle::State_ReadOnly;
    frame.features = QStyleOptionFrame::None;
    return frame;
}

// A line edit keeps two pixels free on either side of its text.
constexpr int FieldTextMargin = 2;
// and one column for the cursor after the last character.
constexpr int CursorWidth = 1;

} // namespace

int lineEditRoom(const QLineEdit *field)
{
    const QStyleOptionFrame frame = frameOf(field);
    const QRect contents = field->style()
                               ->subElementRect(QStyle::SE_LineEditContents, &frame, field)
                               .marginsRemoved(field->textMargins());
    return contents.width() - 2 * FieldTextMargin - CursorWidth;
}

void fitFieldFont(QLineEdit *field, const QFont &font, const QString &text, int smallestPixels)
{
    const QStyleOptionFrame frame = frameOf(field);
    const QChar mask(
        field->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, &frame, field));
    const QString masked(text.size(), mask);
    const int room = lineEditRoom(field);
    QFont fitted = font;
    if (fitted.pixelSize() <= 0)
        fitted.setPixelSize(QFontInfo(font).pixelSize());
    const auto fits = [&](const QFont &candidate) {
        const QFontMetrics metrics(candidate);
        return std::max(metrics.horizontalAdvance(text), metrics.horizontalAdvance(masked)) <= room;
    };
    while (fitted.pixelSize() > smallestPixels && !fits(fitted))
        fitted.setPixelSize(fitted.pixelSize() - 1);
    field->setFont(fitted);
}

QString forLabel(const QLabel *label, const std::function<QString(const QString &)> &compose,
                 const QString &part)
{
    const QRect room = label->contentsRect();
    const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
    const QFontMetrics metrics = label->fontMetrics();
    const auto fits = [&](const QString &text) {
        return room.contains(metrics.boundingRect(room, flags, text));
    };
    QString text = compose(part);
    const int step = std::max(1, metrics.averageCharWidth());
    for (int width = metrics.horizontalAdvance(part) - step; !fits(text) && width > 0;
         width -= step)
        text = compose(metrics.elidedText(part, Qt::ElideMiddle, width));
    return text;
}

} // namespace FittedText
