#include "fcapture.h"

TFormCapture::TFormCapture(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Импортный символ(символы) из образа"));
}
