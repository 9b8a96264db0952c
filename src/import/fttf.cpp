#include "fttf.h"

TFormTTF::TFormTTF(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("TTF"));
}
