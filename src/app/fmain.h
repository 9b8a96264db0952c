// The main window. It owns the models (open fonts, project) and composes the
// two pages. The compiler page is a widget of its own (compiler/compilerpage.h);
// the font page's handlers still live here, in the folder of their area:
//   app/fmain.cpp                   composition, menus, start-up and closing
//   app/fmain_fontlist.cpp          the font list and whole-font commands
//   editor/fmain_glyph.cpp          glyph editor: grids, painting, side panel, undo
//   chartable/fmain_chartable.cpp   character table, character commands, font header
//   import/fmain_import.cpp         the TrueType and picture imports
// The open fonts (app/openfonts.h) and the project (compiler/projectmodel.h) are
// models the views listen to; child processes and folders come from platform/.
#pragma once

#include "appstate.h"
#include "editor/gridgeometry.h"
#include "platform/folders.h"

#include <QImage>
#include <QMainWindow>

#include <functional>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPainter;
class QSplitter;
class QTabWidget;
class QToolBar;
class QToolButton;
class TCharTable;
class TLatticeGrid;
class TPixelGrid;
class TStatusPanel;

class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormMain(QWidget *parent = nullptr);
    ~TFormMain() override;

    TAppState State;
    // The second page, "КОМПИЛЯТОР GDR".
    class TCompilerPage *CompilerPage = nullptr;

    // Command-line arguments after the program name; read at the first activation.
    std::vector<std::string> Arguments;
    // The small dialogs, created after the main window.
    struct TDialogs *Dialogs = nullptr;

    // Controls, named as in the window layout.
    QTabWidget *PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr;
    QWidget *TabSheet2 = nullptr;
    QToolBar *ToolBar1 = nullptr;
    QToolButton *ToolButton19 = nullptr, *ToolButton1 = nullptr, *ToolButton2 = nullptr, *ToolButton25 = nullptr,
                *ToolButton3 = nullptr, *ToolButton15 = nullptr, *ToolButton17 = nullptr;
    QSplitter *Splitter1 = nullptr;
    QListWidget *ListBox1 = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    class TEditorScrollArea *EditorScroll = nullptr;
    QWidget *EditorArea = nullptr;
    TLatticeGrid *RxDrawGridBG = nullptr;
    TLatticeGrid *RxDrawGrid = nullptr;
    TPixelGrid *RxDrawGrid1 = nullptr;
    QWidget *Panel7 = nullptr;
    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr, *Edit4 = nullptr, *Edit5 = nullptr,
              *Edit13 = nullptr, *Edit19 = nullptr;
    QToolButton *SpeedButton10 = nullptr, *SpeedButton19 = nullptr, *SpeedButton11 = nullptr,
                *SpeedButton15 = nullptr, *SpeedButton12 = nullptr, *SpeedButton16 = nullptr,
                *SpeedButton13 = nullptr, *SpeedButton17 = nullptr, *SpeedButton14 = nullptr,
                *SpeedButton18 = nullptr, *SpeedButton24 = nullptr, *SpeedButton23 = nullptr,
                *SpeedButton26 = nullptr, *SpeedButton25 = nullptr, *SpeedButton20 = nullptr,
                *SpeedButton22 = nullptr;
    QWidget *Panel3 = nullptr;
    QWidget *Panel12 = nullptr;
    QLineEdit *Edit6 = nullptr, *Edit7 = nullptr, *Edit8 = nullptr, *Edit9 = nullptr, *Edit10 = nullptr,
              *Edit11 = nullptr;
    QToolButton *SpeedButton1 = nullptr, *SpeedButton2 = nullptr, *SpeedButton3 = nullptr, *SpeedButton4 = nullptr,
                *SpeedButton5 = nullptr, *SpeedButton6 = nullptr, *SpeedButton7 = nullptr, *SpeedButton8 = nullptr;
    QToolBar *ToolBar5 = nullptr;
    QToolButton *ToolButton16 = nullptr, *ToolButton21 = nullptr, *ToolButton22 = nullptr, *ToolButton24 = nullptr,
                *ToolButton18 = nullptr, *ToolButton23 = nullptr, *ToolButton26 = nullptr;
    TCharTable *RxDrawGrid2 = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QAction *Addchar1 = nullptr, *Copychar1 = nullptr, *Pastechar1 = nullptr, *Deletechar1 = nullptr,
            *Undoedit2 = nullptr, *Pastespecial1 = nullptr, *Undoedit1 = nullptr;
    TStatusPanel *StatusPanel = nullptr;
    QAction *Open1 = nullptr, *Save1 = nullptr, *QuickSave1 = nullptr, *Moveup1 = nullptr, *Movedown1 = nullptr,
            *About1 = nullptr;

    // Start-up and closing.
    void FormActivate();
    // Asks the closing questions; true when the window may close.
    bool FormClose();

    // Menu commands.
    void Open1Click();
    void Save1Click();
    void Moveup1Click();
    void Movedown1Click();
    void About1Click();

    // Font list.
    void ToolButton1Click();
    void ToolButton19Click();
    void ToolButton3Click();
    void ToolButton2Click();
    void ToolButton25Click();
    void ListBox1Click();
    // Opens the given files as the open command does after its dialog.
    void OpenFonts(const QStringList &paths);

    // Character table.
    void RxDrawGrid2Click();
    void RxDrawGrid2MouseDown(TTableCell cell);
    void RxDrawGrid2MouseUp(TTableCell cell);

    // Glyph editor.
    void RxDrawGrid1MouseDown(QPoint offset, TPaintAction action);
    void RxDrawGrid1MouseMove(QPoint offset, TPaintAction action);
    // Side panel: box size, offsets and widths of the selection block.
    void SpeedButton11Click();
    void SpeedButton15Click();
    void SpeedButton12Click();
    void SpeedButton16Click();
    void SpeedButton13Click();
    void SpeedButton17Click();
    void SpeedButton14Click();
    void SpeedButton18Click();
    void SpeedButton24Click();
    void SpeedButton23Click();
    void SpeedButton26Click();
    void SpeedButton25Click();
    void Edit5Change(const QString &text);
    // Code and rotations of the current glyph.
    void SpeedButton10Click();
    void SpeedButton19Click();
    void Edit13Change(const QString &text);
    void SpeedButton20Click();
    void SpeedButton22Click();
    // Undo and renumbering.
    void ToolButton23Click();
    void ToolButton26Click();

    // Character commands; tag 1 makes the paste keep the copied codes.
    void ToolButton16Click();
    void ToolButton18Click();
    void ToolButton21Click();
    void ToolButton22Click(int tag);
    // Font header.
    void Edit6Change(const QString &text);
    void Edit7Change(const QString &text);
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void SpeedButton5Click();
    void SpeedButton6Click();
    void SpeedButton7Click();
    void SpeedButton8Click();

    // Imports.
    void ToolButton15Click();
    void ToolButton17Click();

    // The program's own folder (tests name another): the converter and its map
    // are looked for there first.
    std::string ProgramFolder;
    std::string ProgramFolderNow() const { return ProgramFolder.empty() ? ExecutableFolder() : ProgramFolder; }

    // The frame grid takes the current font's box (at least 1 x 1).
    void SizeFrameGrid(int columns, int rows);
    // Repaints the table and the glyph grid.
    void RepaintViews();
    void SetStatus(const std::string &text, uint32_t colour);

    // The zoom: cell size of the three grids, 4 to 32 pixels, 12 by default.
    void SetZoom(int cellSize);
    int ZoomCellSize = GlyphCellSize;
    // Makes the first glyph with this code current and shows it; the selection
    // stays. A code no glyph has is said in the status line.
    void GoToCode(const QString &hexCode);
    QLineEdit *EditGoTo = nullptr;
    QAction *ZoomIn1 = nullptr, *ZoomOut1 = nullptr, *ZoomReset1 = nullptr, *GoTo1 = nullptr;
    // Shows whether the font of a row holds unsaved changes.
    void RefreshFontRow(int row);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;

private:
    void CreateMenus();
    QWidget *CreateFontPage();
    QWidget *CreateGlyphEditor();
    QWidget *CreateSidePanel();
    QWidget *CreateLowerArea();
    QWidget *CreateHeaderPanel();
    void ConnectGlyphEditor();
    void ConnectCharTable();
    void ConnectHeaderPanel();
    // One side-panel step: op on each glyph of the block, the field shows the
    // current glyph's new value, then the load step refreshes the editor.
    void MetricCommand(const std::function<void(TBDFChar &)> &op, QLineEdit *field, int32_t TBDFChar::*shown);
    // A metric command that adds delta to one field, wrapping like a 32-bit integer.
    void MetricStep(int32_t TBDFChar::*member, int delta, QLineEdit *field);
    // One font-header step: change, show in field, refresh the font when the box size changed.
    // Offsets step by delta without bound; the box size steps up, or down but not below 1.
    void HeaderStep(int32_t TBDFFont::*member, int delta, QLineEdit *field);
    // Editor side of the load step: grid size and place, fields, caption.
    void LoadCurrentCharIntoEditor();
    void ShowEmptyGlyph();
    // No font is current: an empty editor and header.
    void ShowNoFont();
    // Places the grids in the editor area and sizes it (see LayOutEditor).
    void LayOutEditorGrids();
    void SelectFontRow(int row);
    // Makes the font list's rows again from the open fonts.
    void RebuildFontRows();
    // The move commands: the selected row of the page's list one up (-1) or down (+1).
    void MoveSelection(int direction);
    void RestorePlacement();
    void SavePlacement();
    // The folder the save dialog starts in for this font.
    QString SaveFolderFor(const TProjectRecord &slot) const;

    // Where the pixel grid stands relative to the frame grid.
    TGridOffset PixelGridOffsetNow;
    // Where BDF fonts were last opened or saved; the file dialogs start there.
    QString LastBdfFolder;
    QString LastTtfFolder;

    bool Activated = false;
};

// The status line's one panel: its text drawn in the status colour.
class TStatusPanel : public QWidget {
    Q_OBJECT
public:
    explicit TStatusPanel(QWidget *parent = nullptr);
    void setStatus(const QString &text, uint32_t colour);
    QString text() const { return Text; }
    QColor colour() const { return Colour; }

    // Draws the text in the status colour from the panel's top-left corner.
    void StatusBar1DrawPanel(QPainter &painter);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString Text;
    QColor Colour = Qt::black;
};

// 0x00BBGGRR to a colour.
QColor StatusQColor(uint32_t colour);
