#include "app/dialogs.h"
#include "import/fcapture.h"
#include "import/fttf.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

class TstDialogs : public QObject {
    Q_OBJECT
private slots:
    void createdWithTheirCaptions();
    void textDialogKeys();
    void fontPickerDoubleClick();
    void aboutBox();
};

void TstDialogs::createdWithTheirCaptions()
{
    QWidget owner;
    TDialogs d = CreateDialogs(&owner);
    QCOMPARE(d.FormAdd->windowTitle(), QString("Редактировать текст"));
    QCOMPARE(d.FormTTF->windowTitle(), QString("TTF"));
    QCOMPARE(d.FormCapture->windowTitle(), QString("Импортный символ(символы) из образа"));
    QCOMPARE(d.AboutBox->windowTitle(), QString("о проге"));
    QCOMPARE(d.FormAddFont->windowTitle(), QString("Добавить шрифт"));
    // Created in this order, so the owner's children list them so.
    const QObjectList kids = owner.children();
    QCOMPARE(kids.indexOf(d.FormAdd) < kids.indexOf(d.FormTTF), true);
    QCOMPARE(kids.indexOf(d.AboutBox) < kids.indexOf(d.FormAddFont), true);
    QVERIFY(!d.FormAdd->isVisible());
}

void TstDialogs::textDialogKeys()
{
    TFormAdd dialog;
    dialog.Edit1->setText("Arial");
    dialog.open();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.Edit1->setFocus();
    QTest::keyClick(dialog.Edit1, Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    dialog.open();
    QTest::keyClick(dialog.Edit1, Qt::Key_Escape);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    // It keeps what was entered between uses.
    QCOMPARE(dialog.Edit1->text(), QString("Arial"));
}

void TstDialogs::fontPickerDoubleClick()
{
    TFormAddFont dialog;
    dialog.ListBox1->addItems({"one", "two"});
    dialog.open();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QListWidgetItem *two = dialog.ListBox1->item(1);
    const QPoint at = dialog.ListBox1->visualItemRect(two).center();
    QTest::mouseClick(dialog.ListBox1->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(dialog.ListBox1->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.ListBox1->currentRow(), 1);
}

void TstDialogs::aboutBox()
{
    QTemporaryDir dir;
    const QString exe = dir.filePath("exe");
    QFile f(exe);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    const QDate date(2024, 3, 9);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(date.startOfDay().addSecs(3600), QFileDevice::FileModificationTime));
    f.close();
    QCOMPARE(VersionLine(exe), "Версия: 1.03 (" + QLocale::system().toString(date, QLocale::ShortFormat) + ")");

    TAboutBox box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QVERIFY(box.Version->text().startsWith("Версия: 1.03 ("));
    QVERIFY(!box.Link->font().underline());
    QMouseEvent over(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(box.Link, &over);
    QVERIFY(box.Link->font().underline());
    QApplication::sendEvent(box.Link->parentWidget(), &over);
    QVERIFY(!box.Link->font().underline());
}

QTEST_MAIN(TstDialogs)
#include "tst_dialogs.moc"
