#include "fttf.h"

#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TFormTTF::TFormTTF(QWidget *parent) : QDialog(parent, Qt::Tool)
{
    setWindowTitle(QStringLiteral("TTF"));
    Label2 = new QLabel(QStringLiteral("Размер"), this);
    Edit1 = new QLineEdit(QStringLiteral("9"), this);
    Label1 = new QLabel(QStringLiteral("Стиль"), this);
    ComboBox1 = new QComboBox(this);
    ComboBox1->addItems({QStringLiteral("Normal"), QStringLiteral("Bold")});
    ComboBox1->setCurrentIndex(0);
    Button1 = new QPushButton(QStringLiteral("да"), this);
    auto *grid = new QGridLayout(this);
    grid->addWidget(Label2, 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(Label1, 1, 0);
    grid->addWidget(ComboBox1, 1, 1);
    grid->addWidget(Button1, 2, 1);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    // Enter in the size moves on to the style; Enter in the style accepts.
    Edit1->installEventFilter(this);
    ComboBox1->installEventFilter(this);
    Button1->setAutoDefault(false);
}

bool TFormTTF::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == Edit1)
                ComboBox1->setFocus();
            else
                accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
