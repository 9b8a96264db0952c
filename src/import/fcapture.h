// Import of characters from a bitmap picture.
#pragma once

#include <QDialog>

class TFormCapture : public QDialog {
    Q_OBJECT
public:
    explicit TFormCapture(QWidget *parent = nullptr);
};
