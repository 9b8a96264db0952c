// The small dialogs: they hold no logic of their own; callers fill and read them.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// "Редактировать текст": one line of text. Enter accepts, Escape cancels.
class TFormAdd : public QDialog {
    Q_OBJECT
public:
    explicit TFormAdd(QWidget *parent = nullptr);
    QLineEdit *Edit1 = nullptr;
    QPushButton *Button1 = nullptr;

protected:
    bool event(QEvent *event) override;
};

// "Добавить шрифт": pick one row of a list; a double click accepts.
class TFormAddFont : public QDialog {
    Q_OBJECT
public:
    explicit TFormAddFont(QWidget *parent = nullptr);
    QListWidget *ListBox1 = nullptr;
    QPushButton *Button1 = nullptr;
};

// "о проге".
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);
    QLabel *Version = nullptr;
    QLabel *Link = nullptr;
    // The address the link opens.
    static QString WebAddress();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// "Версия: 1.03 (<date of the executable in the short date format>)".
QString VersionLine(const QString &executablePath);

class TFormTTF;
class TFormCapture;

// The five dialogs, created once after the main window, in this order.
struct TDialogs {
    TFormAdd *FormAdd = nullptr;
    TFormTTF *FormTTF = nullptr;
    TFormCapture *FormCapture = nullptr;
    TAboutBox *AboutBox = nullptr;
    TFormAddFont *FormAddFont = nullptr;
};
TDialogs CreateDialogs(QWidget *owner);
