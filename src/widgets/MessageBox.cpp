#include "widgets/MessageBox.h"

#include <QAbstractButton>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

namespace {

struct TestHook
{
    bool autoAnswer = false;
    QList<MessageAnswer> answers;
    QList<Message> history;
};

TestHook &hook()
{
    static TestHook instance;
    return instance;
}

QMessageBox::Icon iconOf(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

MessageAnswer defaultAnswer(const Message &message)
{
    return message.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
}

} // namespace

MessageAnswer MessageBox::show(QWidget *parent, const Message &message)
{
    TestHook &test = hook();
    if (test.autoAnswer || !test.answers.isEmpty()) {
        test.history.append(message);
        return test.answers.isEmpty() ? defaultAnswer(message) : test.answers.takeFirst();
    }
    return execReal(parent, message);
}

MessageAnswer MessageBox::execReal(QWidget *parent, const Message &message)
{
    QMessageBox box(iconOf(message.icon), message.caption, message.text, QMessageBox::NoButton,
                    parent);
    // Dialogs carry the runtime's German button texts in both languages;
    // captioned boxes carry the platform's own.
    const bool german = message.style == MessageStyle::Dialog;
    QPushButton *ok = nullptr;
    QPushButton *yes = nullptr;
    QPushButton *no = nullptr;
    QPushButton *cancel = nullptr;
    switch (message.buttons) {
    case MessageButtons::Ok:
        ok = box.addButton(QMessageBox::Ok);
        break;
    case MessageButtons::YesNo:
        yes = box.addButton(QMessageBox::Yes);
        no = box.addButton(QMessageBox::No);
        if (german) {
            yes->setText(QStringLiteral("&Ja"));
            no->setText(QStringLiteral("&Nein"));
        }
        break;
    case MessageButtons::OkCancel:
        ok = box.addButton(QMessageBox::Ok);
        cancel = box.addButton(QMessageBox::Cancel);
        if (german)
            cancel->setText(QStringLiteral("Abbrechen"));
        break;
    }
    if (ok)
        ok->setText(QStringLiteral("OK"));
    // The icon tells the kind of message; a screen reader hears it by the
    // runtime's German title of that kind, as the dialogs show it.
    for (QLabel *label : box.findChildren<QLabel *>()) {
        if (!label->pixmap().isNull())
            label->setAccessibleName(Message::dialogTitle(message.icon));
    }
    // Enter on a question that destroys something changes nothing.
    if (message.destructive && (no != nullptr || cancel != nullptr))
        box.setDefaultButton(no != nullptr ? no : cancel);
    box.exec();
    const QAbstractButton *clicked = box.clickedButton();
    if (clicked != nullptr && clicked == yes)
        return MessageAnswer::Yes;
    if (clicked != nullptr && clicked == ok)
        return MessageAnswer::Ok;
    if (message.buttons == MessageButtons::YesNo)
        return MessageAnswer::No;
    return message.buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
}

MessageAnswer MessageBox::warning(QWidget *parent, const QString &text)
{
    return show(parent, Message::dialog(MessageIcon::Warning, text));
}

MessageAnswer MessageBox::error(QWidget *parent, const QString &text)
{
    return show(parent, Message::dialog(MessageIcon::Error, text));
}

MessageAnswer MessageBox::information(QWidget *parent, const QString &text)
{
    return show(parent, Message::dialog(MessageIcon::Information, text));
}

MessageAnswer MessageBox::confirm(QWidget *parent, const QString &text)
{
    return show(parent, Message::dialog(MessageIcon::Question, text, MessageButtons::YesNo));
}

MessageAnswer MessageBox::informationList(QWidget *parent, const QString &heading,
                                          const QStringList &lines)
{
    const Message message = Message::dialog(
        MessageIcon::Information, heading + QLatin1Char('\n') + lines.join(QLatin1Char('\n')));
    TestHook &test = hook();
    if (test.autoAnswer || !test.answers.isEmpty()) {
        test.history.append(message);
        return test.answers.isEmpty() ? MessageAnswer::Ok : test.answers.takeFirst();
    }
    execList(parent, heading, lines);
    return MessageAnswer::Ok;
}

void MessageBox::execList(QWidget *parent, const QString &heading, const QStringList &lines)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(Message::dialogTitle(MessageIcon::Information));
    auto *layout = new QVBoxLayout(&dialog);
    auto *caption = new QLabel(heading, &dialog);
    caption->setWordWrap(true);
    layout->addWidget(caption);
    auto *field = new QPlainTextEdit(lines.join(QLatin1Char('\n')), &dialog);
    field->setReadOnly(true);
    field->setLineWrapMode(QPlainTextEdit::NoWrap);
    field->setAccessibleName(heading);
    field->setMinimumSize(520, 260);
    layout->addWidget(field);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    buttons->button(QDialogButtonBox::Ok)->setFocus();
    dialog.exec();
}

void MessageBox::setNextAnswers(const QList<MessageAnswer> &answers)
{
    hook().answers = answers;
}

void MessageBox::setAutoAnswer(bool enabled)
{
    hook().autoAnswer = enabled;
}

QList<Message> MessageBox::shownMessages()
{
    return hook().history;
}

QStringList MessageBox::shownTexts()
{
    QStringList texts;
    for (const Message &message : hook().history)
        texts.append(message.text);
    return texts;
}

void MessageBox::clearHistory()
{
    hook().history.clear();
    hook().answers.clear();
}

WidgetPrompter::WidgetPrompter(QWidget *parent)
    : m_parent(parent)
{
}

MessageAnswer WidgetPrompter::ask(const Message &message)
{
    return MessageBox::show(m_parent, message);
}
