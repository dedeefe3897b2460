#include "ui/UnitFile.h"

TFormDateien::TFormDateien(QWidget *parent)
    : QDialog(parent)
{
}
