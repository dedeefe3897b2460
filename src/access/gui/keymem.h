#pragma once

#include <QDialog>
#include <QByteArray>
#include <QString>

// The window that shows what a keystroke recorder would have logged.
class TFormKeyMem : public QDialog
{
    Q_OBJECT

public:
    explicit TFormKeyMem(QWidget *parent = nullptr);

    int FTop = 0;
};
