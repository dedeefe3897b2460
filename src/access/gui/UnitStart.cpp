#include "access/gui/UnitStart.h"

TFormPWD::TFormPWD(QWidget *parent)
    : QDialog(parent)
{
}
