#include "access/gui/UnitPassInfo.h"

TFormPassInfo::TFormPassInfo(QWidget *parent)
    : QDialog(parent)
{
}
