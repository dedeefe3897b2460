#pragma once

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

    bool MyReset = false; // "Ja"/"Yes" was chosen; cleared when shown
    int MyLanguage = 0;

    QLabel *Label1 = nullptr; // the explanation
    QLabel *Label3 = nullptr; // the question
    QPushButton *BitBtn1 = nullptr; // "Ja"/"Yes", the default button
    QPushButton *BitBtn2 = nullptr; // "Nein"/"No", the cancel button

    void ApplyLanguage();

public Q_SLOTS:
    void BitBtn1Click();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent *event) override;
};
