#include "access/gui/ResetConfirmDialog.h"

#include "widgets/DesignPalette.h"

#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

namespace {

struct ResetTexts
{
    const char *title;
    const char *explanation;
    const char *question;
    const char *yes;
    const char *no;
};

constexpr ResetTexts German{
    "Passwort zurücksetzen",
    "Das Programm startet dieses Mal ohne Passwort. Das gespeicherte Passwort bleibt, bis Sie in "
    "den Einstellungen ein neues anlegen oder es löschen.",
    "Jetzt fortfahren?", "Ja", "Nein"};
constexpr ResetTexts English{
    "Reset password",
    "The program starts without the password this time. The stored password stays until you "
    "create a new one or delete it in the settings.",
    "Continue?", "Yes", "No"};

} // namespace

ResetConfirmDialog::ResetConfirmDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormPassInfo"));
    DesignPalette::applyTo(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(340, 132);

    m_explanation = new QLabel(this);
    m_explanation->setObjectName(QStringLiteral("Label1"));
    m_explanation->setGeometry(16, 12, 308, 56);
    m_explanation->setWordWrap(true);
    m_explanation->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_question = new QLabel(this);
    m_question->setObjectName(QStringLiteral("Label3"));
    m_question->setGeometry(16, 70, 308, 18);

    m_yes = new QPushButton(this);
    m_yes->setObjectName(QStringLiteral("BitBtn1"));
    m_yes->setGeometry(148, 96, 84, 26);
    m_yes->setDefault(true);
    m_no = new QPushButton(this);
    m_no->setObjectName(QStringLiteral("BitBtn2"));
    m_no->setGeometry(240, 96, 84, 26);

    connect(m_yes, &QPushButton::clicked, this, &ResetConfirmDialog::yesClicked);
    connect(m_no, &QPushButton::clicked, this, &ResetConfirmDialog::reject);
    setLanguage(m_language);
}

bool ResetConfirmDialog::confirmReset(Language language)
{
    setLanguage(language);
    exec();
    return m_confirmed;
}

void ResetConfirmDialog::setLanguage(Language language)
{
    m_language = language;
    const ResetTexts &t = language == Language::German ? German : English;
    setWindowTitle(QString::fromUtf8(t.title));
    m_explanation->setText(QString::fromUtf8(t.explanation));
    m_question->setText(QString::fromUtf8(t.question));
    m_yes->setText(QString::fromUtf8(t.yes));
    m_no->setText(QString::fromUtf8(t.no));
}

void ResetConfirmDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        m_confirmed = false;
        m_yes->setFocus();
    }
}

void ResetConfirmDialog::yesClicked()
{
    m_confirmed = true;
    accept();
}
