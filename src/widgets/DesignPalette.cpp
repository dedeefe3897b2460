#include "widgets/DesignPalette.h"

#include <QWidget>

namespace DesignPalette {

QPalette palette()
{
    const QColor face(240, 240, 240);
    // Button and window colour; the bevel shades follow from them.
    QPalette colours(face, face);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::WindowText, Qt::black);
        colours.setColor(group, QPalette::Text, Qt::black);
        colours.setColor(group, QPalette::ButtonText, Qt::black);
        colours.setColor(group, QPalette::Base, Qt::white);
        colours.setColor(group, QPalette::AlternateBase, QColor(245, 245, 245));
        colours.setColor(group, QPalette::BrightText, Qt::white);
        // White on it reaches a contrast of 5.5:1.
        colours.setColor(group, QPalette::Highlight, QColor(0, 102, 204));
        colours.setColor(group, QPalette::HighlightedText, Qt::white);
        colours.setColor(group, QPalette::PlaceholderText, QColor(110, 110, 110));
        colours.setColor(group, QPalette::Link, QColor(0, 0, 238));
        colours.setColor(group, QPalette::LinkVisited, QColor(85, 26, 139));
        colours.setColor(group, QPalette::ToolTipBase, QColor(255, 255, 225));
        colours.setColor(group, QPalette::ToolTipText, Qt::black);
    }
    colours.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 120));
    colours.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 120));
    colours.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 120));
    colours.setColor(QPalette::Disabled, QPalette::Base, face);
    colours.setColor(QPalette::Disabled, QPalette::Highlight, QColor(145, 145, 145));
    colours.setColor(QPalette::Disabled, QPalette::HighlightedText, Qt::white);
    colours.setColor(QPalette::Disabled, QPalette::PlaceholderText, QColor(120, 120, 120));
    colours.setColor(QPalette::Disabled, QPalette::ToolTipBase, QColor(255, 255, 225));
    colours.setColor(QPalette::Disabled, QPalette::ToolTipText, Qt::black);

    // Each role counts as set, so that nothing of the desktop's scheme is
    // mixed in where the list above leaves a role to the constructor.
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto g = static_cast<QPalette::ColorGroup>(group);
            const auto r = static_cast<QPalette::ColorRole>(role);
            if (r != QPalette::NoRole)
                colours.setBrush(g, r, colours.brush(g, r));
        }
    }
    return colours;
}

void applyTo(QWidget *window)
{
    window->setPalette(palette());
}

} // namespace DesignPalette
