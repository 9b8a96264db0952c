// TrueType import options.
#pragma once

#include <QDialog>

class TFormTTF : public QDialog {
    Q_OBJECT
public:
    explicit TFormTTF(QWidget *parent = nullptr);
};
