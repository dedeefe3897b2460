#pragma once

#include <QString>

// What the engine's runs need from a window to talk to the user: one modal
// message at a time, answered by the user. The desktop program shows real
// message boxes; tests answer from a script; the command-line companion
// prints and answers on the terminal.

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, YesNo, OkCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

// A captioned platform message box ("Encrypt", "Velmora", ...) or one of the
// runtime's standard dialogs, whose title names its kind and whose buttons are
// German in both languages ("Warnung", "&Ja", ...).
enum class MessageStyle { Box, Dialog };

struct Message
{
    MessageStyle style = MessageStyle::Box;
    QString caption; // for a dialog: the German title of its kind
    QString text;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    // A question whose Yes or OK destroys or replaces something: its default
    // button (the one Enter presses) is No or Cancel.
    bool destructive = false;

    static Message box(const QString &caption, const QString &text, MessageIcon icon,
                       MessageButtons buttons = MessageButtons::Ok);
    static Message dialog(MessageIcon kind, const QString &text,
                          MessageButtons buttons = MessageButtons::Ok);

    // "Warnung", "Fehler", "Informationen", "Bestätigen".
    static QString dialogTitle(MessageIcon kind);
    // The same question, with No or Cancel as its default button.
    Message asDestructive() const;
    bool operator==(const Message &other) const = default;
};

class Prompter
{
public:
    virtual ~Prompter() = default;
    virtual MessageAnswer ask(const Message &message) = 0;
};
