#pragma once

#include "core/Language.h"

#include <QDialog>

class QLabel;
class QPushButton;

// Confirms a password reset: the user has forgotten the password and goes on
// without it for this run.
class ResetConfirmDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ResetConfirmDialog(QWidget *parent = nullptr);

    // Asks modally; true when "Ja"/"Yes" was chosen.
    bool confirmReset(Language language);

    // The texts of a language, without showing the dialog.
    void setLanguage(Language language);
    // The last answer: "Ja"/"Yes" chosen; cleared whenever the dialog is shown.
    bool confirmed() const { return m_confirmed; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void yesClicked();

    Language m_language = Language::German;
    bool m_confirmed = false;
    QLabel *m_explanation = nullptr;
    QLabel *m_question = nullptr;
    QPushButton *m_yes = nullptr; // the default button
    QPushButton *m_no = nullptr;
};
