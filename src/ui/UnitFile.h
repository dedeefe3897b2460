#pragma once

#include <QDialog>
#include <QByteArray>
#include <QString>

// The secure delete window.
class TFormDateien : public QDialog
{
    Q_OBJECT

public:
    explicit TFormDateien(QWidget *parent = nullptr);

    int MyLanguage = 0;
};
