// Helpers for driving the real main window in tests.
#pragma once

#include "app/fmain.h"
#include "app/fontpage.h"
#include "chartable/chartablewidget.h"
#include "editor/glyphgrids.h"
#include "scriptedprompts.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <QFile>
#include <QMouseEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSplitter>
#include <QString>
#include <QToolButton>
#include <QWidget>

// Sends one mouse event with exactly these buttons and keys, through the
// application (so focus and the error handler act as for real input).
inline void SendMouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons,
                      Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons, mods);
    QApplication::sendEvent(w, &e);
}

inline void WriteFile(const QString &path, const QByteArray &text)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(text);
}

// The centre of a character table cell, in table coordinates.
inline QPoint TableCellCentre(int row, int col)
{
    return QPoint(col * 16 + 7, row * 19 + 9);
}

// A font of n 8 x 2 glyphs with codes 0x41.. and a first row equal to the index.
inline QByteArray SmallFont(const QByteArray &name, int n, int fbbHeight = 4)
{
    QByteArray t = "STARTFONT 2.1\nFONT " + name + "\nSIZE 8 75 75\nFONTBOUNDINGBOX 8 " +
                   QByteArray::number(fbbHeight) + " 0 -1\n";
    for (int i = 0; i < n; ++i) {
        t += "STARTCHAR " + QByteArray::number(0x41 + i, 16).rightJustified(4, '0').toUpper() +
             "\nENCODING " + QByteArray::number(0x41 + i) + "\nSWIDTH 500 0\nDWIDTH 8 0\nBBX 8 2 0 0\nBITMAP\n" +
             QByteArray::number(i & 0xFF, 16).rightJustified(2, '0') + "\n81\nENDCHAR\n";
    }
    return t + "ENDFONT\n";
}

// A stand-in TrueType converter beside the program (in folder, which the font
// page takes for the program's): whatever it is given, it writes font as its output.
inline void FakeConverter(TFontPage &page, const QString &folder, const QByteArray &font)
{
    WriteFile(folder + "/made.bdf", font);
    WriteFile(folder + "/TTF2BDF.EXE", "#!/bin/sh\nwhile [ $# -gt 1 ]; do [ \"$1\" = -o ] && out=$2; shift; done\ncp '" +
                                         folder.toUtf8() + "/made.bdf' \"$out\"\n");
    QFile::setPermissions(folder + "/TTF2BDF.EXE", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    page.ProgramFolder = folder.toStdString();
}

// A control of a page, found by the name the window layout gives it (the pages
// keep their controls to themselves).
template <class W>
W *PageControl(QWidget *page, const char *name)
{
    W *w = page->findChild<W *>(QString::fromLatin1(name));
    if (!w)
        qFatal("The page has no control %s", name);
    return w;
}

// The font page's controls, found by their layout names.
struct TFontControls {
    QWidget *Page;
#define BITLOOM_CONTROL(Type, Name) \
    Type *Name() const { return PageControl<Type>(Page, #Name); }
    BITLOOM_CONTROL(QListWidget, ListBox1)
    BITLOOM_CONTROL(QGroupBox, GroupBox1)
    BITLOOM_CONTROL(QSplitter, Splitter1)
    BITLOOM_CONTROL(TEditorScrollArea, EditorScroll)
    BITLOOM_CONTROL(QWidget, EditorArea)
    BITLOOM_CONTROL(TLatticeGrid, RxDrawGridBG)
    BITLOOM_CONTROL(TLatticeGrid, RxDrawGrid)
    BITLOOM_CONTROL(TPixelGrid, RxDrawGrid1)
    BITLOOM_CONTROL(TCharTable, RxDrawGrid2)
    BITLOOM_CONTROL(QMenu, PopupMenu1)
    BITLOOM_CONTROL(QLineEdit, Edit1)
    BITLOOM_CONTROL(QLineEdit, Edit2)
    BITLOOM_CONTROL(QLineEdit, Edit3)
    BITLOOM_CONTROL(QLineEdit, Edit4)
    BITLOOM_CONTROL(QLineEdit, Edit5)
    BITLOOM_CONTROL(QLineEdit, Edit6)
    BITLOOM_CONTROL(QLineEdit, Edit7)
    BITLOOM_CONTROL(QLineEdit, Edit8)
    BITLOOM_CONTROL(QLineEdit, Edit9)
    BITLOOM_CONTROL(QLineEdit, Edit10)
    BITLOOM_CONTROL(QLineEdit, Edit11)
    BITLOOM_CONTROL(QLineEdit, Edit13)
    BITLOOM_CONTROL(QLineEdit, Edit19)
    BITLOOM_CONTROL(QLineEdit, EditGoTo)
    BITLOOM_CONTROL(QToolButton, ToolButton1)
    BITLOOM_CONTROL(QToolButton, ToolButton3)
    BITLOOM_CONTROL(QToolButton, ToolButton16)
    BITLOOM_CONTROL(QToolButton, ToolButton19)
    BITLOOM_CONTROL(QToolButton, ToolButton22)
    BITLOOM_CONTROL(QToolButton, ToolButton23)
    BITLOOM_CONTROL(QToolButton, ToolButton24)
    BITLOOM_CONTROL(QToolButton, ToolButton25)
    BITLOOM_CONTROL(QToolButton, ToolButton26)
    BITLOOM_CONTROL(QToolButton, SpeedButton1)
    BITLOOM_CONTROL(QToolButton, SpeedButton2)
    BITLOOM_CONTROL(QToolButton, SpeedButton5)
    BITLOOM_CONTROL(QToolButton, SpeedButton10)
    BITLOOM_CONTROL(QToolButton, SpeedButton11)
    BITLOOM_CONTROL(QToolButton, SpeedButton12)
    BITLOOM_CONTROL(QToolButton, SpeedButton16)
    BITLOOM_CONTROL(QToolButton, SpeedButton19)
    BITLOOM_CONTROL(QToolButton, SpeedButton20)
    BITLOOM_CONTROL(QToolButton, SpeedButton22)
    BITLOOM_CONTROL(QToolButton, SpeedButton26)
#undef BITLOOM_CONTROL
};

// A fresh, shown and active main window whose questions a script answers, with a
// folder for the test's files. Tear down in reverse: window, then prompts.
struct TWindowFixture {
    std::unique_ptr<QTemporaryDir> Dir;
    std::unique_ptr<TScriptedPrompts> Script;
    std::unique_ptr<TFormMain> Form;

    bool setUp()
    {
        Dir = std::make_unique<QTemporaryDir>();
        Script = std::make_unique<TScriptedPrompts>();
        SetPrompts(Script.get());
        Form = std::make_unique<TFormMain>();
        Form->show();
        Form->activateWindow();
        return QTest::qWaitForWindowActive(Form.get());
    }
    TFontControls Ui() const { return {Form->FontPage}; }
    QString StatusText() const { return Form->StatusPanel->text(); }
    void tearDown()
    {
        Form.reset();
        SetPrompts(nullptr);
    }
};
