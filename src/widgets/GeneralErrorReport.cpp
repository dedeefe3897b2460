#include "widgets/GeneralErrorReport.h"

#include "widgets/MessageBox.h"

#include <QApplication>

namespace GeneralErrorReport {

void show(const QString &text)
{
    MessageBox::show(QApplication::activeWindow(),
                     Message::box(QStringLiteral("Velmora2"), text, MessageIcon::Error));
}

} // namespace GeneralErrorReport
