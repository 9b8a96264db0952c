// The picture import's dialog: the picture, and the grid to cut it by.
// Created once; keeps its three numbers.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;

class TFormCapture : public QDialog {
    Q_OBJECT
public:
    explicit TFormCapture(QWidget *parent = nullptr);
    QScrollArea *ScrollBox1 = nullptr;
    QLabel *Image1 = nullptr;
    QWidget *Panel1 = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr;
    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr;
    QPushButton *BitBtn1 = nullptr;
};
