#include "access/gui/ResetConfirmDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

ResetConfirmDialog::ResetConfirmDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(340, 132);

    Label1 = new QLabel(this);
    Label1->setGeometry(16, 12, 308, 56);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Label3 = new QLabel(this);
    Label3->setGeometry(16, 70, 308, 18);

    BitBtn1 = new QPushButton(this);
    BitBtn1->setGeometry(148, 96, 84, 26);
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(this);
    BitBtn2->setGeometry(240, 96, 84, 26);

    connect(BitBtn1, &QPushButton::clicked, this, &ResetConfirmDialog::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &ResetConfirmDialog::BitBtn2Click);
    ApplyLanguage();
}

void ResetConfirmDialog::ApplyLanguage()
{
    const bool german = MyLanguage == 0;
    setWindowTitle(german ? QStringLiteral("Passwort zurücksetzen") : QStringLiteral("Reset password"));
    Label1->setText(german ? QStringLiteral("Das Programm startet dieses Mal ohne Passwort. Das "
                                            "gespeicherte Passwort bleibt, bis Sie in den "
                                            "Einstellungen ein neues anlegen oder es löschen.")
                           : QStringLiteral("The program starts without the password this time. "
                                            "The stored password stays until you create a new "
                                            "one or delete it in the settings."));
    Label3->setText(german ? QStringLiteral("Jetzt fortfahren?") : QStringLiteral("Continue?"));
    BitBtn1->setText(german ? QStringLiteral("Ja") : QStringLiteral("Yes"));
    BitBtn2->setText(german ? QStringLiteral("Nein") : QStringLiteral("No"));
}

void ResetConfirmDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        MyReset = false;
        ApplyLanguage();
        BitBtn1->setFocus();
    }
}

void ResetConfirmDialog::BitBtn1Click()
{
    MyReset = true;
    accept();
}

void ResetConfirmDialog::BitBtn2Click()
{
    reject();
}
