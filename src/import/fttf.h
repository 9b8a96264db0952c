// The TrueType import's options: size and style. Created once; keeps its values.
#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TFormTTF : public QDialog {
    Q_OBJECT
public:
    explicit TFormTTF(QWidget *parent = nullptr);
    QLabel *Label2 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *ComboBox1 = nullptr;
    QPushButton *Button1 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
