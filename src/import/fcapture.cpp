#include "fcapture.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

TFormCapture::TFormCapture(QWidget *parent) : QDialog(parent, Qt::Tool)
{
    setWindowTitle(QStringLiteral("Импортный символ(символы) из образа"));
    auto *layout = new QVBoxLayout(this);
    ScrollBox1 = new QScrollArea(this);
    Image1 = new QLabel;
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ScrollBox1->setWidget(Image1);
    layout->addWidget(ScrollBox1, 1);
    Panel1 = new QWidget(this);
    auto *row = new QHBoxLayout(Panel1);
    auto field = [&](QLabel *&label, const QString &caption, QLineEdit *&edit, const QString &value) {
        label = new QLabel(caption, Panel1);
        edit = new QLineEdit(value, Panel1);
        edit->setMaximumWidth(60);
        row->addWidget(label);
        row->addWidget(edit);
    };
    field(Label1, QStringLiteral("Счет Col (X)"), Edit1, QStringLiteral("20"));
    field(Label2, QStringLiteral("Счет Колонки (Y)"), Edit2, QStringLiteral("10"));
    field(Label3, QStringLiteral("Ширина Сетки"), Edit3, QStringLiteral("1"));
    BitBtn1 = new QPushButton(QStringLiteral("Импорт!"), Panel1);
    row->addStretch();
    row->addWidget(BitBtn1);
    layout->addWidget(Panel1);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    resize(640, 480);
}
