#include "ui/UnitTool.h"

TFormUtil::TFormUtil(QWidget *parent)
    : QDialog(parent)
{
}
