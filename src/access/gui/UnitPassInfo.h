#pragma once

#include <QDialog>
#include <QByteArray>
#include <QString>

// The confirmation of a password reset.
class TFormPassInfo : public QDialog
{
    Q_OBJECT

public:
    explicit TFormPassInfo(QWidget *parent = nullptr);

    bool MyReset = false;
    int MyLanguage = 0;
};
