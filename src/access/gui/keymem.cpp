#include "access/gui/keymem.h"

TFormKeyMem::TFormKeyMem(QWidget *parent)
    : QDialog(parent)
{
}
