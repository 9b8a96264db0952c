// The small dialogs: they hold no logic of their own; callers fill and read them.
#pragma once

#include "model/keptdata.h"

#include <QDialog>

#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

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

// "Свойства шрифта": the property block as a table of name, value and whether
// the value is a string (written in quotes) or an integer. OK is enabled only
// while every row can be written; the label under the table says why not.
class TFormProperties : public QDialog {
    Q_OBJECT
public:
    explicit TFormProperties(QWidget *parent = nullptr);
    void setRows(const std::vector<TBDFProperty> &rows);
    // The rows as shown, as bytes: text that was not changed gives the bytes it was filled from.
    std::vector<TBDFProperty> rows() const;
    QTableWidget *Table = nullptr;
    QPushButton *ButtonAdd = nullptr;
    QPushButton *ButtonDelete = nullptr;
    QPushButton *ButtonOk = nullptr;
    QLabel *Problem = nullptr;

private:
    void AddRow(const TBDFProperty &row);
    void Check();
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
