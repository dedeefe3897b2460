#pragma once

#include "core/Prompter.h"

#include <QList>

class QWidget;

// Every message box and message dialog of the program goes through here.
// Tests queue the answers that the next boxes give (nothing is shown then)
// and read back what would have been shown.
class MessageBox
{
public:
    static MessageAnswer show(QWidget *parent, const Message &message);

    // Shortcuts for the runtime's standard dialogs (German title and buttons).
    static MessageAnswer warning(QWidget *parent, const QString &text);
    static MessageAnswer error(QWidget *parent, const QString &text);
    static MessageAnswer information(QWidget *parent, const QString &text);
    static MessageAnswer confirm(QWidget *parent, const QString &text); // Yes/No
    // An information with a list too long for a box (the skipped files of a
    // run): the heading above the lines in a read-only field that scrolls.
    // Recorded for tests as one information whose text is the heading and
    // the lines, one a line.
    static MessageAnswer informationList(QWidget *parent, const QString &heading,
                                         const QStringList &lines);

    // Test hook: while answers are queued, or while answering is switched on,
    // no box is shown; each message is recorded and answered from the queue,
    // else with Ok / Yes.
    static void setNextAnswers(const QList<MessageAnswer> &answers);
    static void setAutoAnswer(bool enabled);
    static QList<Message> shownMessages();
    static QStringList shownTexts();
    static void clearHistory();

private:
    static MessageAnswer execReal(QWidget *parent, const Message &message);
    static void execList(QWidget *parent, const QString &heading, const QStringList &lines);
};

// A Prompter that shows real boxes through the seam above.
class WidgetPrompter : public Prompter
{
public:
    explicit WidgetPrompter(QWidget *parent);
    MessageAnswer ask(const Message &message) override;

private:
    QWidget *m_parent;
};
