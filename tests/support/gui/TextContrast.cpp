#include "TextContrast.h"

#include "widgets/FlatButton.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegion>
#include <QStyle>
#include <QStyleOption>
#include <QToolButton>

#include <cmath>
#include <functional>
#include <limits>

namespace TextContrast {

namespace {

double linear(int channel)
{
    const double value = channel / 255.0;
    return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &colour)
{
    return 0.2126 * linear(colour.red()) + 0.7152 * linear(colour.green()) +
           0.0722 * linear(colour.blue());
}

// One text of the window, where its glyphs may lie (window coordinates),
// named for the failure message.
struct Area
{
    QString where;
    QRegion region;
};

struct TextPart
{
    QWidget *widget = nullptr;
    QList<Area> areas;
};

QString nameOf(const QWidget *widget, const QString &text)
{
    const QString name = widget->objectName().isEmpty()
                             ? QString::fromLatin1(widget->metaObject()->className())
                             : widget->objectName();
    return name + QStringLiteral(" \"") + text + QLatin1Char('"');
}

QPoint originIn(const QWidget *widget, const QWidget *window)
{
    return widget->mapTo(window, QPoint(0, 0));
}

// What of the widget is on screen, without its child widgets (which have
// texts of their own).
QRegion ownArea(const QWidget *widget, const QWidget *window)
{
    QRegion area = widget->visibleRegion();
    for (const QObject *child : widget->children()) {
        const auto *inner = qobject_cast<const QWidget *>(child);
        if (inner != nullptr && !inner->isWindow() && inner->isVisible())
            area -= inner->geometry();
    }
    return area.translated(originIn(widget, window));
}

// Where a check box or radio button puts its text (its mark is painted in
// text colours too); the whole widget for the others.
QRegion labelArea(const QWidget *widget, const QWidget *window)
{
    QRect area = widget->rect();
    const bool checkBox = qobject_cast<const QCheckBox *>(widget) != nullptr;
    if (checkBox || qobject_cast<const QRadioButton *>(widget) != nullptr) {
        QStyleOptionButton option;
        option.initFrom(widget);
        option.text = static_cast<const QAbstractButton *>(widget)->text();
        area = widget->style()->subElementRect(checkBox ? QStyle::SE_CheckBoxContents
                                                        : QStyle::SE_RadioButtonContents,
                                               &option, widget);
    }
    return QRegion(area.translated(originIn(widget, window)));
}

// The text a widget shows, or an empty text when it shows none (a picture
// label, a button with a picture only).
QString shownText(const QWidget *widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget)) {
        const auto *tool = qobject_cast<const QToolButton *>(button);
        if (tool != nullptr && tool->toolButtonStyle() == Qt::ToolButtonIconOnly)
            return QString();
        return button->text();
    }
    if (const auto *field = qobject_cast<const QLineEdit *>(widget))
        return field->displayText();
    if (const auto *group = qobject_cast<const QGroupBox *>(widget))
        return group->title();
    return QString();
}

QList<TextPart> textPartsOf(QWidget *window)
{
    QList<TextPart> parts;
    const QList<QWidget *> widgets = window->findChildren<QWidget *>();
    for (QWidget *widget : widgets) {
        if (widget->window() != window || !widget->isVisibleTo(window) || !widget->isEnabled())
            continue;
        TextPart part{widget, {}};
        if (auto *list = qobject_cast<QListWidget *>(widget)) {
            const QRegion viewport =
                list->viewport()->visibleRegion().translated(originIn(list->viewport(), window));
            const QPoint origin = originIn(list->viewport(), window);
            for (int row = 0; row < list->count(); ++row) {
                const QString text = list->item(row)->text();
                const QRegion item =
                    QRegion(list->visualItemRect(list->item(row)).translated(origin)) & viewport;
                if (!text.trimmed().isEmpty() && !item.isEmpty())
                    part.areas.append({nameOf(list, text), item});
            }
        } else if (auto *editor = qobject_cast<QPlainTextEdit *>(widget)) {
            if (!editor->toPlainText().isEmpty())
                part.areas.append({nameOf(editor, editor->toPlainText()),
                                   editor->viewport()->visibleRegion().translated(
                                       originIn(editor->viewport(), window))});
        } else if (const QString text = shownText(widget); !text.isEmpty()) {
            part.areas.append(
                {nameOf(widget, text), ownArea(widget, window) & labelArea(widget, window)});
        }
        if (!part.areas.isEmpty())
            parts.append(part);
    }
    return parts;
}

// Paints the widget's texts in no colour at all, so that nothing else of
// the picture moves; returns how to undo it.
std::function<void()> hideText(QWidget *widget)
{
    if (auto *flat = qobject_cast<FlatButton *>(widget)) {
        const QColor colour = flat->textColor();
        flat->setTextColor(Qt::transparent);
        return [flat, colour] { flat->setTextColor(colour); };
    }
    const bool ownPalette = widget->testAttribute(Qt::WA_SetPalette);
    const QPalette before = widget->palette();
    QPalette hidden = before;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        for (const QPalette::ColorRole role :
             {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::HighlightedText,
              QPalette::BrightText, QPalette::Link})
            hidden.setColor(group, role, Qt::transparent);
    widget->setPalette(hidden);
    return [widget, ownPalette, before] { widget->setPalette(ownPalette ? before : QPalette()); };
}

QImage pictureOf(QWidget *window)
{
    return window->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

Reading readArea(const QImage &painted, const QImage &blanked, const Area &area)
{
    Reading reading;
    reading.where = area.where;
    QList<QPoint> glyphs;
    for (const QRect &rect : area.region) {
        const QRect inside = rect & painted.rect();
        for (int y = inside.top(); y <= inside.bottom(); ++y) {
            for (int x = inside.left(); x <= inside.right(); ++x) {
                if (painted.pixel(x, y) != blanked.pixel(x, y))
                    glyphs.append(QPoint(x, y));
            }
        }
    }
    if (glyphs.isEmpty())
        return reading; // the text is painted in the colour behind it
    // The text's colour: the glyph pixel that stands out most from what lies
    // behind it (anti-aliased edges are mixtures).
    double strongest = 0.0;
    for (const QPoint &p : glyphs) {
        const double r = ratio(QColor(painted.pixel(p)), QColor(blanked.pixel(p)));
        if (r > strongest) {
            strongest = r;
            reading.text = QColor(painted.pixel(p));
        }
    }
    // Against the least favourable background pixel under the text.
    reading.ratio = std::numeric_limits<double>::max();
    for (const QPoint &p : glyphs) {
        const double r = ratio(reading.text, QColor(blanked.pixel(p)));
        if (r < reading.ratio) {
            reading.ratio = r;
            reading.background = QColor(blanked.pixel(p));
        }
    }
    return reading;
}

} // namespace

double ratio(const QColor &first, const QColor &second)
{
    const double a = luminance(first);
    const double b = luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QList<Reading> readWindow(QWidget *window)
{
    // A focus frame or a text cursor would vanish with the text and count as
    // glyphs.
    if (QWidget *focused = window->focusWidget())
        focused->clearFocus();
    const QImage painted = pictureOf(window);
    QList<Reading> readings;
    for (const TextPart &part : textPartsOf(window)) {
        const std::function<void()> undo = hideText(part.widget);
        const QImage blanked = pictureOf(window);
        undo();
        for (const Area &area : part.areas)
            readings.append(readArea(painted, blanked, area));
    }
    return readings;
}

} // namespace TextContrast
