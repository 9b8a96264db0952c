// The font page: the list of open fonts, the glyph editor with its side panel,
// the character table with the commands under it, the font header, and the two
// imports. It works on the open fonts and tells the window the status line
// through a signal. Its handlers live beside the widgets of their area:
//   app/fontpage.cpp                 composition, the font list, whole-font commands
//   editor/fontpage_glyph.cpp        glyph editor: grids, painting, side panel, undo
//   chartable/fontpage_table.cpp     character table, character commands, font header
//   import/fontpage_import.cpp       the TrueType and picture imports
//   editor/fontpage_view.cpp         guides over the editor, the text preview under it
//   chartable/fontpage_find.cpp      finding glyphs by Unicode block and by name
#pragma once

#include "chartable/glyphfind.h"
#include "chartable/charops.h"
#include "chartable/selection.h"
#include "compiler/projectmodel.h"
#include "editor/gridgeometry.h"
#include "editor/pixelops.h"
#include "fonthistory.h"
#include "openfonts.h"
#include "platform/folders.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QComboBox;
class QSettings;
class QSpinBox;
class QSplitter;
class QToolBar;
class QToolButton;
class TCharTable;
class TEditorScrollArea;
class TGuideOverlay;
class TLatticeGrid;
class TPixelGrid;
class TTextPreview;
struct TLineMetrics;

// What the page keeps between commands besides its controls.
struct TFontPageState {
    // Row * 32 + column of the character table's current cell.
    int CurrentCharIndex = 0;
    TCharSelection CharSelection;
    // Where a Shift+arrow selection starts: the last cell pressed or moved to without Shift.
    TTableCell SelectionAnchor;
    // Copy of the current glyph taken by the load step; what undo restores.
    TBDFChar UndoChar;
    TCharClipboard CharClipboard;
    // The pixels selected in the glyph grid (empty: none), where the selecting
    // press was, and the copied pixels; both stay when another glyph is shown.
    TPixelRect PixelSelection;
    TGridCell PixelAnchor;
    TPixelBlock PixelClipboard;
};

class TFontPage : public QWidget {
    Q_OBJECT
public:
    // The project is read only for its debug setting, which the font reader takes.
    TFontPage(TOpenFonts &fonts, const TProject &project, QWidget *parent = nullptr);
    ~TFontPage() override;

    const TFontPageState &PageState() const { return State; }

    // Where the TrueType converter and its map are looked for first: the
    // executable's folder, unless set here (tests set it).
    std::string ProgramFolder;
    // Where BDF fonts were last opened or saved; the file dialogs start there.
    const QString &BdfFolder() const { return LastBdfFolder; }

    // Font list and whole-font commands: open, new, save as, quick save all, remove.
    void ToolButton1Click();
    void ToolButton19Click();
    void ToolButton2Click();
    void ToolButton25Click();
    void ToolButton3Click();
    void ListBox1Click();
    // Opens the given files as the open command does after its dialog.
    void OpenFonts(const QStringList &paths);
    // Shows the last open font (after a project replaced them), or none.
    void ShowLastFont();
    // The menu's move commands on this page: the font selection one row up (-1) or down (+1).
    void StepFontSelection(int direction);

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

    // Transforms of the selected pixels, or of every glyph of the table's
    // selection in its own box: shift (wrap: pixels leaving come in at the other
    // side), flip, invert, clear.
    void ShiftGlyphs(TShift direction, bool wrap);
    void FlipGlyphs(bool horizontally);
    void InvertGlyphs();
    void ClearGlyphs();
    // The pixel selection: copy, cut, paste (at the selection, else the box's
    // top-left), clear its pixels, and select nothing.
    void CopyPixelSelection();
    void CutPixelSelection();
    void PastePixelSelection();
    void ClearPixelSelection();
    void SelectNoPixels();
    // The system clipboard: the glyph, or the table selection's glyphs side by
    // side, as a picture at the zoom; a picture pasted into the current glyph.
    void CopyGlyphsAsPicture();
    void PastePicture();

    // Imports: a TrueType font, glyphs from a picture; each asks for its file,
    // then goes on as the command of the same file does.
    void ToolButton15Click();
    void ToolButton17Click();
    // Imports the TrueType font at path: its options and output dialogs follow.
    void ImportTrueType(const QString &path);
    // Imports glyphs from the picture at path into the current font: the grid dialog follows.
    void ImportPicture(const QString &path);

    // The zoom: cell size of the three grids, 4 to 32 pixels, 12 by default.
    void SetZoom(int cellSize);
    int ZoomCellSize() const { return CellSize; }
    // Makes the first glyph with this code current and shows it; the selection
    // stays. A code no glyph has is said in the status line.
    void GoToCode(const QString &hexCode);
    // Puts the keyboard in the go-to field, its text selected.
    void FocusGoTo();

    // The page's commands for the window's edit menu, in menu order, each with
    // its shortcut: the history's steps, the one-glyph undo, the character commands.
    QList<QAction *> EditActions() const;
    // The page's commands for the window's file menu: the export.
    QList<QAction *> FileActions() const;
    // "Экспорт…": the current font to a file the user picks, in the format its
    // name asks for: standard BDF 2.1 for .bdf (what bdftopcf will ignore or what
    // had to be mended is shown after), else PCF, PSF 2 or Unifont hex.
    void ExportFont();
    // "Свойства шрифта…": the property block in a dialog; an accepted change is one step.
    void EditFontProperties();

    // The guides over the pixel grid (baseline, ascent, descent, advance), each a
    // checkable command for the window's menu "Вид".
    QList<QAction *> ViewActions() const;
    // The guides shown and the text preview's text and scale, between runs.
    void RestoreView(const QSettings &settings);
    void SaveView(QSettings &settings) const;
    // Makes the first glyph of the block at this row of the block list current;
    // a font with none there is said in the status line.
    void ComboBlocksChange(int row);
    // Makes the next glyph named (or, failing that, whose name holds) name current.
    void FindGlyphName(const QString &name);

signals:
    // The status line's text and colour (0x00BBGGRR).
    void statusChanged(const std::string &text, uint32_t colour);
    // The user opened the font file at path (from a dialog, a drop, the recent
    // files or as an import's output), not a project's.
    void fontFileOpened(const std::string &path);

private:
    void CreateControls();
    QWidget *CreateGlyphEditor();
    QWidget *CreateSidePanel();
    QWidget *CreateLowerArea();
    QWidget *CreateHeaderPanel();
    void NameControls();
    void ConnectFontList();
    void ConnectGlyphEditor();
    void ConnectCharTable();
    void ConnectHeaderPanel();

    // Steps that merge when repeated: typing into one field, one paint stroke.
    enum TMerge { PaintMerge = 1, TypedSWMerge, TypedCodeMerge, TypedNameMerge, TypedUidMerge };
    // Runs change on the current font as one step of its history (see TOpenFonts::edit).
    bool Edit(const TEditStep &step, const std::function<bool(TBDFFont &)> &change);
    // A step over the glyphs between the selection's first and last cell.
    TEditStep BlockStep(const QString &name) const;
    // Identifies the selection's run, so typing merges only while it stays.
    uint64_t SpanKey() const;
    // A step on the current glyph alone, through op; mergeId makes repeats one step.
    bool EditCurrentGlyph(const QString &name, const std::function<void(TBDFChar &)> &op, int mergeId = -1);
    // The current glyph's code for a step's name.
    QString GlyphCode(int index);
    // After an undo or redo: the editor and the table return to where the step was made.
    void ReturnTo(int row, const TEditPlace &place);
    // Paints the cell under offset; the cell when the font counts it as an edit.
    std::optional<TGridCell> PaintAt(QPoint offset, TPaintAction action);
    void CreateEditActions();
    void CreateGlyphActions();
    // Runs op on the pixel selection of the current glyph when there is one, else
    // on the box of every glyph of the table's selection, as one step.
    void PixelCommand(const QString &name, const std::function<void(TBDFChar &, TPixelRect)> &op);
    void SelectPixelsTo(QPoint offset, bool start);
    void ShowPixelSelection();
    void CreateViewActions();
    QWidget *CreateSampleStrip();
    QWidget *CreateFindPanel();
    // The font's line for the guides and the preview.
    static TLineMetrics FontLine(const TBDFFont &font);
    // The current font's glyph names; none (an empty function) when it keeps none.
    TGlyphNames GlyphNames();
    // The guides follow the font, the glyph and the frame (nothing while they are off).
    void RefreshGuides();
    // A font's glyphs or header changed, or another font became current.
    void FontContentChanged();
    // Makes glyph index current and shows it; the selection stays.
    void ShowGlyphAt(size_t index);

    TProjectRecord *CurrentSlot() { return Fonts.currentSlot(); }
    TBDFFont *CurrentFont() { return Fonts.currentFont(); }
    // The glyph at the current cell of the current font, or null.
    TBDFChar *CurrentChar();
    void SetStatus(const std::string &text, uint32_t colour) { emit statusChanged(text, colour); }

    // One side-panel step: op on each glyph of the block, the field shows the
    // current glyph's new value, then the load step refreshes the editor.
    void MetricCommand(const QString &name, const std::function<void(TBDFChar &)> &op, QLineEdit *field,
                       int32_t TBDFChar::*shown);
    // A metric command that adds delta to one field, wrapping like a 32-bit integer.
    void MetricStep(const QString &name, int32_t TBDFChar::*member, int delta, QLineEdit *field);
    // One font-header step: change, show in field, refresh the font when the box size changed.
    // Offsets step by delta without bound; the box size steps up, or down but not below 1.
    void HeaderStep(const QString &name, int32_t TBDFFont::*member, int delta, QLineEdit *field);
    // The frame grid takes the current font's box (at least 1 x 1).
    void SizeFrameGrid(int columns, int rows);
    // Repaints the table and the glyph grid.
    void RepaintViews();
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
    // Shows whether the font of a row holds unsaved changes.
    void RefreshFontRow(int row);
    // The folder the save dialog starts in for this font.
    QString SaveFolderFor(const TProjectRecord &slot) const;
    // The open dialog's filter: every format Bitloom reads, each alone, all files.
    static const QString FontFileFilter;
    // The save and export dialogs' filter: the formats Bitloom writes.
    static const QString FontSaveFilter;
    // Asks before a save in a format that cannot hold all the font has; false
    // when the user declines. options take what the answer asks for (PSF 2
    // cells padded to the font's box).
    bool AskFormat(const TBDFFont &font, const std::string &path, TFontFileKind kind, TFontWriteOptions &options);

    TOpenFonts &Fonts;
    const TProject &Project;
    TFontPageState State;

    // The page's tool bar: new, open, save as, quick save all, remove, and the two imports.
    QToolBar *ToolBar1 = nullptr;
    QToolButton *ToolButton19 = nullptr, *ToolButton1 = nullptr, *ToolButton2 = nullptr, *ToolButton25 = nullptr,
                *ToolButton3 = nullptr, *ToolButton15 = nullptr, *ToolButton17 = nullptr;
    // Upper half (font list and glyph editor) above the lower (header and table).
    QSplitter *Splitter1 = nullptr;
    // The open fonts, a row each.
    QListWidget *ListBox1 = nullptr;
    // The glyph editor's frame, titled with the current code, and its scrolled area.
    QGroupBox *GroupBox1 = nullptr;
    TEditorScrollArea *EditorScroll = nullptr;
    QWidget *EditorArea = nullptr;
    // Background lattice, the font's box, and the glyph's pixels on top.
    TLatticeGrid *RxDrawGridBG = nullptr;
    TLatticeGrid *RxDrawGrid = nullptr;
    TPixelGrid *RxDrawGrid1 = nullptr;
    // Side panel: the code field (Edit13) between its steps, then the glyph's box
    // X, Y, Xoff, Yoff (Edit1-4), SW (Edit5) and DW (Edit19), each between its down
    // and up steps, then rotate up (SpeedButton22) and left (SpeedButton20).
    QWidget *Panel7 = nullptr;
    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr, *Edit4 = nullptr, *Edit5 = nullptr,
              *Edit13 = nullptr, *Edit19 = nullptr;
    QToolButton *SpeedButton10 = nullptr, *SpeedButton19 = nullptr, *SpeedButton11 = nullptr,
                *SpeedButton15 = nullptr, *SpeedButton12 = nullptr, *SpeedButton16 = nullptr,
                *SpeedButton13 = nullptr, *SpeedButton17 = nullptr, *SpeedButton14 = nullptr,
                *SpeedButton18 = nullptr, *SpeedButton24 = nullptr, *SpeedButton23 = nullptr,
                *SpeedButton26 = nullptr, *SpeedButton25 = nullptr, *SpeedButton20 = nullptr,
                *SpeedButton22 = nullptr;
    // Lower half: the header panel beside the table.
    QWidget *Panel3 = nullptr;
    // Font header: name (Edit6), Uid (Edit7), box width and x offset (Edit8, Edit9),
    // height and y offset (Edit10, Edit11) with their steps SpeedButton1-8.
    QWidget *Panel12 = nullptr;
    QLineEdit *Edit6 = nullptr, *Edit7 = nullptr, *Edit8 = nullptr, *Edit9 = nullptr, *Edit10 = nullptr,
              *Edit11 = nullptr;
    QToolButton *SpeedButton1 = nullptr, *SpeedButton2 = nullptr, *SpeedButton3 = nullptr, *SpeedButton4 = nullptr,
                *SpeedButton5 = nullptr, *SpeedButton6 = nullptr, *SpeedButton7 = nullptr, *SpeedButton8 = nullptr;
    // Character commands: add, copy, paste, paste keeping codes, delete, undo, renumber.
    QToolBar *ToolBar5 = nullptr;
    QToolButton *ToolButton16 = nullptr, *ToolButton21 = nullptr, *ToolButton22 = nullptr, *ToolButton24 = nullptr,
                *ToolButton18 = nullptr, *ToolButton23 = nullptr, *ToolButton26 = nullptr;
    QLineEdit *EditGoTo = nullptr;
    // The character table and its menu.
    TCharTable *RxDrawGrid2 = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QAction *Addchar1 = nullptr, *Copychar1 = nullptr, *Pastechar1 = nullptr, *Deletechar1 = nullptr,
            *Undoedit2 = nullptr, *Pastespecial1 = nullptr;
    // The pixel grid's undo shortcut.
    QAction *Undoedit1 = nullptr;
    // The history's steps back ("Шаг назад") and forward ("Шаг вперёд").
    QAction *UndoStep1 = nullptr, *RedoStep1 = nullptr;
    QAction *ExportFont1 = nullptr, *FontProperties1 = nullptr, *PropertiesSeparator = nullptr;
    // Transforms, the pixel selection's commands and the system clipboard's, in
    // the menu; the transforms and pictures also on the editor's tool bar.
    QToolBar *ToolBar6 = nullptr;
    QAction *ShiftLeft1 = nullptr, *ShiftRight1 = nullptr, *ShiftUp1 = nullptr, *ShiftDown1 = nullptr,
            *WrapLeft1 = nullptr, *WrapRight1 = nullptr, *WrapUp1 = nullptr, *WrapDown1 = nullptr,
            *FlipHorizontally1 = nullptr, *FlipVertically1 = nullptr, *Invert1 = nullptr, *ClearGlyph1 = nullptr,
            *CopyPixels1 = nullptr, *CutPixels1 = nullptr, *PastePixels1 = nullptr, *ClearPixels1 = nullptr,
            *SelectNone1 = nullptr, *CopyPicture1 = nullptr, *PastePicture1 = nullptr, *SelectTool1 = nullptr;
    QList<QAction *> GlyphActions;
    // The guides' layer over the editor grids and their commands.
    TGuideOverlay *GuideOverlay = nullptr;
    QAction *GuideBaseline1 = nullptr, *GuideAscent1 = nullptr, *GuideDescent1 = nullptr, *GuideAdvance1 = nullptr;
    // The text preview under the editor: its text, its scale and the drawing.
    QLineEdit *EditSample = nullptr;
    QSpinBox *SpinSampleScale = nullptr;
    TTextPreview *SampleView = nullptr;
    // Finding glyphs: the Unicode blocks, a glyph name.
    QComboBox *ComboBlocks = nullptr;
    QLineEdit *EditFindName = nullptr;
    std::vector<TUnicodeBlock> Blocks;
    // Counts the paint strokes: the presses and drags of one stroke are one step.
    uint64_t StrokeKey = 0;

    // Where the pixel grid stands relative to the frame grid.
    TGridOffset PixelGridOffsetNow;
    int CellSize = GlyphCellSize;
    QString LastBdfFolder;
    QString LastTtfFolder;
};
