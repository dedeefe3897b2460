#include "ui/Unitsetting.h"

TFormSetting::TFormSetting(QWidget *parent)
    : QDialog(parent)
{
}
