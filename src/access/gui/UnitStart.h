#pragma once

#include <QDialog>
#include <QByteArray>
#include <QString>

// The password prompt with its keystroke decoys.
class TFormPWD : public QDialog
{
    Q_OBJECT

public:
    explicit TFormPWD(QWidget *parent = nullptr);

    QString PWD;
    QString CheckPass;
    int Lang = 0;
    bool NurTest = false;
    bool PassReset = false;
};
