#pragma once

#include <QDialog>
#include <QByteArray>
#include <QString>

// The encrypt/decrypt window.
class TFormUtil : public QDialog
{
    Q_OBJECT

public:
    explicit TFormUtil(QWidget *parent = nullptr);

    QString PrivateKey;
    int TLanguage = 0;
    QByteArray Ccode;
    QString InitDrive;
    QString FirstPath;
    QString LoadFile;
};
