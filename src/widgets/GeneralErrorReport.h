#pragma once

#include <QString>

#include <exception>
#include <utility>

// The general error report: an error that no operation handles ends the event
// in which it happened and is shown in a message box with its text; the
// program goes on.
namespace GeneralErrorReport {

// Shows the text in a box with the caption "Velmora2", an error icon and OK.
void show(const QString &text);

// Runs a handler; an error that leaves it is shown and swallowed. Returns
// false when one was.
template <typename Handler> bool guard(Handler &&handler)
{
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (const std::exception &error) {
        show(QString::fromUtf8(error.what()));
    } catch (...) {
        show(QStringLiteral("Unknown error"));
    }
    return false;
}

} // namespace GeneralErrorReport
