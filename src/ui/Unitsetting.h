#pragma once

#include <QDialog>
#include <QByteArray>
#include <QString>

// The settings window.
class TFormSetting : public QDialog
{
    Q_OBJECT

public:
    explicit TFormSetting(QWidget *parent = nullptr);

    int PLanguage = 0;
    QString IniDatei;
    QByteArray Ccode;
    QString InitLF;
    bool CallSelf = false;
};
