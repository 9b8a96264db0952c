// The glyph editor: the three stacked grids, painting, and the side panel.
#include "app/fontpage.h"

#include "platform/textconv.h"
#include "app/uikit.h"
#include "chartable/chartablewidget.h"
#include "glyphgrids.h"
#include "guideoverlay.h"
#include "glyphops.h"
#include "import/importops.h"
#include "model/textfuncs.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

namespace {

QToolButton *SmallButton(QWidget *parent, const QIcon &icon, int x, int y)
{
    auto *b = new QToolButton(parent);
    b->setIcon(icon);
    b->setIconSize(QSize(10, 10));
    b->setAutoRaise(true);
    b->setGeometry(x, y, 16, 21);
    return b;
}

QLineEdit *Field(QWidget *parent, int x, int y, int width, bool readOnly)
{
    auto *e = new QLineEdit(parent);
    e->setGeometry(x, y, width, 21);
    e->setReadOnly(readOnly);
    e->setAlignment(Qt::AlignRight);
    return e;
}

QString Hex4(int32_t code)
{
    return QString::fromStdString(FormatHex(static_cast<uint32_t>(code), 4));
}

} // namespace

QWidget *TFontPage::CreateGlyphEditor()
{
    GroupBox1 = new QGroupBox(QStringLiteral("Текущий символ:"));
    auto *layout = new QHBoxLayout(GroupBox1);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    // Grids keep their cell size whatever the glyph; the area scrolls when they
    // reach past what the window shows.
    EditorScroll = new TEditorScrollArea(GroupBox1);
    EditorScroll->setFrameShape(QFrame::NoFrame);
    EditorScroll->setFocusPolicy(Qt::NoFocus);
    EditorScroll->setMinimumSize(100, 100);
    EditorArea = new QWidget;
    RxDrawGridBG = new TLatticeGrid(QColor(128, 128, 128), QColor(100, 100, 100), EditorArea);
    RxDrawGrid = new TLatticeGrid(QColor(192, 192, 192), QColor(150, 150, 150), EditorArea);
    RxDrawGrid->setCells(InitialFrameCells, InitialFrameCells);
    RxDrawGrid1 = new TPixelGrid(EditorArea);
    RxDrawGrid1->CurrentChar = [this]() -> const TBDFChar * { return CurrentChar(); };
    GuideOverlay = new TGuideOverlay(EditorArea);
    EditorScroll->setWidget(EditorArea);
    EditorScroll->Resized = [this] { LayOutEditorGrids(); };
    EditorScroll->Zoomed = [this](int notches) { SetZoom(CellSize + 2 * notches); };
    PixelGridOffsetNow = {};
    LayOutEditorGrids();
    // The transforms and the pictures, filled with their commands once they exist.
    ToolBar6 = new QToolBar(GroupBox1);
    ToolBar6->setOrientation(Qt::Vertical);
    ToolBar6->setIconSize(QSize(16, 16));
    layout->addWidget(ToolBar6);
    layout->addWidget(EditorScroll, 1);
    // The side panel scrolls rather than holding the editor's height up, so the
    // splitter below can give the table more room.
    auto *sideScroll = new QScrollArea(GroupBox1);
    sideScroll->setFrameShape(QFrame::NoFrame);
    // A click on a button must leave the focus where it was (the table's shortcuts need it).
    sideScroll->setFocusPolicy(Qt::NoFocus);
    sideScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sideScroll->setWidget(CreateSidePanel());
    sideScroll->setFixedWidth(Panel7->width() + sideScroll->verticalScrollBar()->sizeHint().width());
    layout->addWidget(sideScroll);

    // The editor grids' menu never opens; it only carries the undo shortcut.
    Undoedit1 = new QAction(QStringLiteral("Отмена редактирования"), RxDrawGrid1);
    Undoedit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    Undoedit1->setShortcutContext(Qt::WidgetShortcut);
    RxDrawGrid1->addAction(Undoedit1);
    RxDrawGrid1->setContextMenuPolicy(Qt::PreventContextMenu);
    return GroupBox1;
}

QWidget *TFontPage::CreateSidePanel()
{
    Panel7 = new QWidget;
    const QIcon left = ThemeIcon("go-previous", QStyle::SP_ArrowLeft);
    const QIcon right = ThemeIcon("go-next", QStyle::SP_ArrowRight);
    // Fields wide enough for a full 32-bit code and for widths like 1000.
    const int codeWidth = FieldWidth(*Panel7, QStringLiteral("FFFFFFFF"));
    const int fieldWidth = FieldWidth(*Panel7, QStringLiteral("-00000"));
    SpeedButton10 = SmallButton(Panel7, left, 2, 4);
    Edit13 = Field(Panel7, 20, 4, codeWidth, false);
    SpeedButton19 = SmallButton(Panel7, right, 22 + codeWidth, 4);

    struct TRow {
        const char *label;
        QToolButton **down;
        QLineEdit **field;
        QToolButton **up;
        bool readOnly;
    };
    const TRow rows[] = {
        {"X", &SpeedButton15, &Edit1, &SpeedButton11, true},     {"Y", &SpeedButton16, &Edit2, &SpeedButton12, true},
        {"Xoff", &SpeedButton17, &Edit3, &SpeedButton13, true},  {"Yoff", &SpeedButton18, &Edit4, &SpeedButton14, true},
        {"SW", &SpeedButton23, &Edit5, &SpeedButton24, false},   {"DW", &SpeedButton25, &Edit19, &SpeedButton26, true},
    };
    int y = 28;
    for (const TRow &r : rows) {
        auto *label = new QLabel(QString::fromUtf8(r.label), Panel7);
        label->setGeometry(0, y, 26, 21);
        *r.down = SmallButton(Panel7, left, 26, y);
        *r.field = Field(Panel7, 42, y, fieldWidth, r.readOnly);
        *r.up = SmallButton(Panel7, right, 43 + fieldWidth, y);
        y += 24;
    }
    Panel7->setFixedWidth(std::max(38 + codeWidth, 59 + fieldWidth) + 2);
    SpeedButton22 = new QToolButton(Panel7);
    SpeedButton22->setIcon(ThemeIcon("go-up", QStyle::SP_ArrowUp));
    SpeedButton22->setGeometry(0, y + 6, 33, 34);
    SpeedButton20 = new QToolButton(Panel7);
    SpeedButton20->setIcon(ThemeIcon("go-previous", QStyle::SP_ArrowBack));
    SpeedButton20->setGeometry(0, y + 42, 33, 34);
    Panel7->setFixedHeight(y + 80);
    return Panel7;
}

void TFontPage::ConnectGlyphEditor()
{
    connect(RxDrawGrid1, &TPixelGrid::pressed, this, &TFontPage::RxDrawGrid1MouseDown);
    connect(RxDrawGrid1, &TPixelGrid::dragged, this, &TFontPage::RxDrawGrid1MouseMove);
    const std::pair<QToolButton *, void (TFontPage::*)()> buttons[] = {
        {SpeedButton11, &TFontPage::SpeedButton11Click}, {SpeedButton15, &TFontPage::SpeedButton15Click},
        {SpeedButton12, &TFontPage::SpeedButton12Click}, {SpeedButton16, &TFontPage::SpeedButton16Click},
        {SpeedButton13, &TFontPage::SpeedButton13Click}, {SpeedButton17, &TFontPage::SpeedButton17Click},
        {SpeedButton14, &TFontPage::SpeedButton14Click}, {SpeedButton18, &TFontPage::SpeedButton18Click},
        {SpeedButton24, &TFontPage::SpeedButton24Click}, {SpeedButton23, &TFontPage::SpeedButton23Click},
        {SpeedButton26, &TFontPage::SpeedButton26Click}, {SpeedButton25, &TFontPage::SpeedButton25Click},
        {SpeedButton10, &TFontPage::SpeedButton10Click}, {SpeedButton19, &TFontPage::SpeedButton19Click},
        {SpeedButton20, &TFontPage::SpeedButton20Click}, {SpeedButton22, &TFontPage::SpeedButton22Click},
    };
    for (const auto &[button, handler] : buttons)
        connect(button, &QToolButton::clicked, this, handler);
    // The SW field answers to typing only; the code field to every change.
    connect(Edit5, &QLineEdit::textEdited, this, &TFontPage::Edit5Change);
    connect(Edit13, &QLineEdit::textChanged, this, &TFontPage::Edit13Change);
    connect(Undoedit1, &QAction::triggered, this, &TFontPage::ToolButton23Click);
}

void TFontPage::SizeFrameGrid(int columns, int rows)
{
    RxDrawGrid->setCells(columns, rows);
    LayOutEditorGrids();
}

void TFontPage::LayOutEditorGrids()
{
    const QSize view = EditorScroll->viewport()->size();
    // The font's ascent and descent stay in the area, where their guides are.
    const TLineMetrics line = CurrentFont() ? FontLine(*CurrentFont()) : TLineMetrics{};
    const TEditorLayout l = LayOutEditor(RxDrawGrid->columns(), RxDrawGrid->rows(), PixelGridOffsetNow,
                                         RxDrawGrid1->columns(), RxDrawGrid1->rows(), view.width(), view.height(),
                                         RxDrawGrid->pitch(), line.Ascent - RxDrawGrid->rows(), line.Descent);
    EditorArea->resize(l.Width, l.Height);
    RxDrawGridBG->move(l.BackX, l.BackY);
    RxDrawGridBG->setCells(l.BackColumns, l.BackRows);
    RxDrawGrid->move(l.FrameX, l.FrameY);
    RxDrawGrid1->move(l.GridX, l.GridY);
    RxDrawGrid1->raise();
    // The guides lie over the grids, on the whole area, and move with the frame.
    GuideOverlay->setGeometry(0, 0, l.Width, l.Height);
    GuideOverlay->setFrame({l.FrameX, l.FrameY}, CellSize);
    GuideOverlay->raise();
    RefreshGuides();
}

void TFontPage::SetZoom(int cellSize)
{
    cellSize = ClampCellSize(cellSize);
    const int oldPitch = RxDrawGrid->pitch();
    CellSize = cellSize;
    for (TLatticeGrid *grid : {RxDrawGridBG, RxDrawGrid})
        grid->setCellSize(cellSize);
    RxDrawGrid1->setCellSize(cellSize);
    // The pixel grid keeps its place in cells.
    const int pitch = cellSize + 1;
    PixelGridOffsetNow = {PixelGridOffsetNow.Left / oldPitch * pitch, PixelGridOffsetNow.Top / oldPitch * pitch};
    LayOutEditorGrids();
    EditorScroll->ensureWidgetVisible(RxDrawGrid1, 8, 8);
}

void TFontPage::ShowEmptyGlyph()
{
    RxDrawGrid1->setCells(1, 1);
    PixelGridOffsetNow = {};
    LayOutEditorGrids();
    RxDrawGrid1->update();
}

void TFontPage::LoadCurrentCharIntoEditor()
{
    const TBDFChar *ch = CurrentChar();
    if (!ch) {
        ShowEmptyGlyph();
        return;
    }
    State.UndoChar = *ch;
    RxDrawGrid1->setCells(GridColumns(*ch), GridRows(*ch));
    Edit1->setText(QString::number(ch->BBXWidth));
    Edit2->setText(QString::number(ch->BBXHeight));
    Edit3->setText(QString::number(ch->BBXXOff));
    Edit4->setText(QString::number(ch->BBXYOff));
    Edit5->setText(QString::number(ch->SWidthX));
    Edit19->setText(QString::number(ch->DWidthX));
    // Writing the code field runs its handler, which stores the same code back.
    Edit13->setText(Hex4(ch->Encoding));
    PixelGridOffsetNow = PixelGridOffset(RxDrawGrid->rows(), *ch, RxDrawGrid->pitch());
    LayOutEditorGrids();
    // The glyph the user is about to edit is brought into view.
    EditorScroll->ensureWidgetVisible(RxDrawGrid1, 8, 8);
    RxDrawGrid1->update();
    GroupBox1->setTitle(QStringLiteral("Current char: ") + Hex4(ch->Encoding));
}

void TFontPage::RxDrawGrid1MouseDown(QPoint offset, TPaintAction action)
{
    // Each press starts a stroke: its drags join it as one step of the history.
    ++StrokeKey;
    if (PaintAt(offset, action))
        RxDrawGrid1->update();
}

void TFontPage::RxDrawGrid1MouseMove(QPoint offset, TPaintAction action)
{
    // A drag that began on a missing row still changes the font when it reaches real ones.
    if (const auto cell = PaintAt(offset, action))
        RxDrawGrid1->updateCell(*cell);
}

std::optional<TGridCell> TFontPage::PaintAt(QPoint offset, TPaintAction action)
{
    if (!CurrentChar())
        return std::nullopt;
    auto cell = GridCellAt(offset.x(), offset.y(), RxDrawGrid1->columns(), RxDrawGrid1->rows(), RxDrawGrid1->pitch());
    if (!cell)
        return std::nullopt;
    const int at = State.CurrentCharIndex;
    const int columns = RxDrawGrid1->columns();
    // Every press counts as an edit, whether or not the pixel changed.
    const bool painted = Edit({QStringLiteral("Paint glyph %1").arg(GlyphCode(at)), at, at + 1, false, PaintMerge, StrokeKey},
                              [&](TBDFFont &font) { return ApplyPaint(font.Chars[size_t(at)], *cell, action, columns); });
    if (!painted)
        return std::nullopt;
    RxDrawGrid2->updateCurrentGlyph();
    return cell;
}

void TFontPage::MetricCommand(const QString &name, const std::function<void(TBDFChar &)> &op, QLineEdit *field,
                              int32_t TBDFChar::*shown)
{
    if (!CurrentFont())
        return;
    Edit(BlockStep(name), [&](TBDFFont &font) {
        ApplyToBlock(font, State.CharSelection, op);
        return false;
    });
    if (const TBDFChar *ch = CurrentChar())
        field->setText(QString::number(ch->*shown));
    RxDrawGrid2Click();
    RxDrawGrid2->refresh();
}

void TFontPage::MetricStep(const QString &name, int32_t TBDFChar::*member, int delta, QLineEdit *field)
{
    MetricCommand(name + (delta > 0 ? QStringLiteral(" +1") : QStringLiteral(" -1")),
                  [&](TBDFChar &c) { c.*member = Step(c.*member, delta); }, field, member);
}

void TFontPage::SpeedButton11Click()
{
    MetricCommand(QStringLiteral("Widen"), GrowWidth, Edit1, &TBDFChar::BBXWidth);
}

void TFontPage::SpeedButton15Click()
{
    MetricCommand(QStringLiteral("Narrow"), ShrinkWidth, Edit1, &TBDFChar::BBXWidth);
}

void TFontPage::SpeedButton12Click()
{
    MetricCommand(QStringLiteral("Add a row"), GrowHeight, Edit2, &TBDFChar::BBXHeight);
}

void TFontPage::SpeedButton16Click()
{
    MetricCommand(QStringLiteral("Remove a row"), ShrinkHeight, Edit2, &TBDFChar::BBXHeight);
}

void TFontPage::SpeedButton13Click()
{
    MetricStep(QStringLiteral("Xoff"), &TBDFChar::BBXXOff, 1, Edit3);
}

void TFontPage::SpeedButton17Click()
{
    MetricStep(QStringLiteral("Xoff"), &TBDFChar::BBXXOff, -1, Edit3);
}

void TFontPage::SpeedButton14Click()
{
    MetricStep(QStringLiteral("Yoff"), &TBDFChar::BBXYOff, 1, Edit4);
}

void TFontPage::SpeedButton18Click()
{
    MetricStep(QStringLiteral("Yoff"), &TBDFChar::BBXYOff, -1, Edit4);
}

void TFontPage::SpeedButton24Click()
{
    MetricStep(QStringLiteral("SW"), &TBDFChar::SWidthX, 1, Edit5);
}

void TFontPage::SpeedButton23Click()
{
    MetricStep(QStringLiteral("SW"), &TBDFChar::SWidthX, -1, Edit5);
}

void TFontPage::SpeedButton26Click()
{
    MetricStep(QStringLiteral("DW"), &TBDFChar::DWidthX, 1, Edit19);
}

void TFontPage::SpeedButton25Click()
{
    MetricStep(QStringLiteral("DW"), &TBDFChar::DWidthX, -1, Edit19);
}

void TFontPage::Edit5Change(const QString &text)
{
    if (!CurrentFont())
        return;
    const int32_t value = ParseIntDef(text.toStdString(), 0);
    // Typing into the field is one step while the block stays the same.
    TEditStep step = BlockStep(QStringLiteral("SW %1").arg(value));
    step.MergeId = TypedSWMerge;
    step.MergeKey = SpanKey();
    Edit(step, [&](TBDFFont &font) {
        ApplyToBlock(font, State.CharSelection, [value](TBDFChar &c) { c.SWidthX = value; });
        return false;
    });
}

bool TFontPage::EditCurrentGlyph(const QString &name, const std::function<void(TBDFChar &)> &op, int mergeId)
{
    if (!CurrentChar())
        return false;
    const int at = State.CurrentCharIndex;
    TEditStep step{name, at, at + 1};
    step.MergeId = mergeId;
    step.MergeKey = static_cast<uint64_t>(at);
    return Edit(step, [&](TBDFFont &font) {
        op(font.Chars[size_t(at)]);
        return false;
    });
}

void TFontPage::SpeedButton10Click()
{
    if (TBDFChar *ch = CurrentChar()) {
        EditCurrentGlyph(QStringLiteral("Code down"), CodeDown);
        Edit13->setText(Hex4(ch->Encoding));
    }
}

void TFontPage::SpeedButton19Click()
{
    if (TBDFChar *ch = CurrentChar()) {
        // The step up counts as an edit even when the code stays (at its top).
        const int at = State.CurrentCharIndex;
        Edit({QStringLiteral("Code up"), at, at + 1}, [at](TBDFFont &font) {
            CodeUp(font.Chars[size_t(at)]);
            return true;
        });
        Edit13->setText(Hex4(ch->Encoding));
    }
}

void TFontPage::Edit13Change(const QString &text)
{
    TBDFChar *ch = CurrentChar();
    if (!ch)
        return;
    const int32_t code = HexToInt(text.toStdString());
    EditCurrentGlyph(QStringLiteral("Code %1").arg(Hex4(code)), [code](TBDFChar &c) { c.Encoding = code; },
                     TypedCodeMerge);
    GroupBox1->setTitle(QStringLiteral("Current char: ") + Hex4(code));
}

void TFontPage::SpeedButton20Click()
{
    if (CurrentChar()) {
        EditCurrentGlyph(QStringLiteral("Rotate left"), RotateLeft);
        RxDrawGrid1->update();
        RxDrawGrid2->updateCurrentGlyph();
    }
}

void TFontPage::SpeedButton22Click()
{
    if (CurrentChar()) {
        EditCurrentGlyph(QStringLiteral("Rotate up"), RotateUp);
        RxDrawGrid1->update();
        RxDrawGrid2->updateCurrentGlyph();
    }
}

void TFontPage::ToolButton23Click()
{
    if (State.UndoChar.Bitmap.empty() || !CurrentChar())
        return;
    // Back to the glyph as it was when it was selected, as one step of the history.
    const TBDFChar saved = State.UndoChar;
    EditCurrentGlyph(QStringLiteral("Restore glyph %1").arg(Hex4(saved.Encoding)), [&](TBDFChar &c) { c = saved; });
    RxDrawGrid2Click();
    RxDrawGrid2->refresh();
}

void TFontPage::ToolButton26Click()
{
    if (!CurrentFont())
        return;
    const int count = SpanLast(State.CharSelection) - SpanFirst(State.CharSelection) + 1;
    Edit(BlockStep(QStringLiteral("Renumber %1 glyphs").arg(count)), [this](TBDFFont &font) {
        RenumberCodes(font, State.CharSelection);
        return false;
    });
    RxDrawGrid2Click();
    RxDrawGrid2->refresh();
}

void TFontPage::CreateGlyphActions()
{
    const auto make = [this](QAction *&action, const char *text, const QIcon &icon,
                             const QList<QKeySequence> &keys, auto &&handler) {
        action = new QAction(icon, QString::fromUtf8(text), this);
        action->setShortcuts(keys);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    const auto alt = [](Qt::Key key, bool shift = false) {
        return QList<QKeySequence>{shift ? QKeySequence(Qt::ALT | Qt::SHIFT | key) : QKeySequence(Qt::ALT | key)};
    };
    make(ShiftLeft1, "Сдвиг влево", ThemeIcon("go-previous", QStyle::SP_ArrowLeft), alt(Qt::Key_Left),
         [this] { ShiftGlyphs(TShift::Left, false); });
    make(ShiftRight1, "Сдвиг вправо", ThemeIcon("go-next", QStyle::SP_ArrowRight), alt(Qt::Key_Right),
         [this] { ShiftGlyphs(TShift::Right, false); });
    make(ShiftUp1, "Сдвиг вверх", ThemeIcon("go-up", QStyle::SP_ArrowUp), alt(Qt::Key_Up),
         [this] { ShiftGlyphs(TShift::Up, false); });
    make(ShiftDown1, "Сдвиг вниз", ThemeIcon("go-down", QStyle::SP_ArrowDown), alt(Qt::Key_Down),
         [this] { ShiftGlyphs(TShift::Down, false); });
    make(WrapLeft1, "Сдвиг влево по кругу", QIcon(), alt(Qt::Key_Left, true), [this] { ShiftGlyphs(TShift::Left, true); });
    make(WrapRight1, "Сдвиг вправо по кругу", QIcon(), alt(Qt::Key_Right, true),
         [this] { ShiftGlyphs(TShift::Right, true); });
    make(WrapUp1, "Сдвиг вверх по кругу", QIcon(), alt(Qt::Key_Up, true), [this] { ShiftGlyphs(TShift::Up, true); });
    make(WrapDown1, "Сдвиг вниз по кругу", QIcon(), alt(Qt::Key_Down, true), [this] { ShiftGlyphs(TShift::Down, true); });
    make(FlipHorizontally1, "Отразить по горизонтали", ThemeIcon("object-flip-horizontal", QStyle::SP_ArrowBack),
         alt(Qt::Key_H), [this] { FlipGlyphs(true); });
    make(FlipVertically1, "Отразить по вертикали", ThemeIcon("object-flip-vertical", QStyle::SP_ArrowUp),
         alt(Qt::Key_V), [this] { FlipGlyphs(false); });
    make(Invert1, "Инвертировать", ThemeIcon("edit-select-invert", QStyle::SP_BrowserReload), alt(Qt::Key_I),
         &TFontPage::InvertGlyphs);
    make(ClearGlyph1, "Очистить", ThemeIcon("edit-clear", QStyle::SP_DialogResetButton),
         {QKeySequence(Qt::CTRL | Qt::Key_Delete)}, &TFontPage::ClearGlyphs);
    // The pixel selection's keys belong to the pixel grid, as the glyph keys belong to the table.
    // A tool rather than a modifier: Shift and the left button already paint.
    make(SelectTool1, "Выделение пикселей", ThemeIcon("edit-select", QStyle::SP_DialogYesButton),
         {QKeySequence(Qt::ALT | Qt::Key_S)}, [this](bool on) { RxDrawGrid1->setSelectTool(on); });
    SelectTool1->setCheckable(true);
    make(CopyPixels1, "Копировать пиксели", QIcon(), {QKeySequence(Qt::CTRL | Qt::Key_C)},
         &TFontPage::CopyPixelSelection);
    make(CutPixels1, "Вырезать пиксели", QIcon(), {QKeySequence(Qt::CTRL | Qt::Key_X)}, &TFontPage::CutPixelSelection);
    make(PastePixels1, "Вставить пиксели", QIcon(), {QKeySequence(Qt::CTRL | Qt::Key_V)},
         &TFontPage::PastePixelSelection);
    make(ClearPixels1, "Очистить выделенные пиксели", QIcon(), {QKeySequence(Qt::Key_Delete)},
         &TFontPage::ClearPixelSelection);
    make(SelectNone1, "Снять выделение пикселей", QIcon(), {QKeySequence(Qt::Key_Escape)}, &TFontPage::SelectNoPixels);
    for (QAction *a : {CopyPixels1, CutPixels1, PastePixels1, ClearPixels1, SelectNone1}) {
        a->setShortcutContext(Qt::WidgetShortcut);
        RxDrawGrid1->addAction(a);
    }
    make(CopyPicture1, "Копировать как изображение", ThemeIcon("image-x-generic", QStyle::SP_FileDialogContentsView),
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)}, &TFontPage::CopyGlyphsAsPicture);
    make(PastePicture1, "Вставить изображение", ThemeIcon("insert-image", QStyle::SP_DialogOpenButton),
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V)}, &TFontPage::PastePicture);
    for (QAction *a : {ShiftLeft1, ShiftRight1, ShiftUp1, ShiftDown1, WrapLeft1, WrapRight1, WrapUp1, WrapDown1,
                       FlipHorizontally1, FlipVertically1, Invert1, ClearGlyph1, CopyPicture1, PastePicture1,
                       SelectTool1})
        addAction(a);
    for (QAction *a : {SelectTool1, ShiftLeft1, ShiftRight1, ShiftUp1, ShiftDown1, FlipHorizontally1, FlipVertically1, Invert1,
                       ClearGlyph1, CopyPicture1, PastePicture1})
        ToolBar6->addAction(a);
    const auto separator = [this] {
        auto *s = new QAction(this);
        s->setSeparator(true);
        return s;
    };
    GlyphActions = {separator(), ShiftLeft1, ShiftRight1, ShiftUp1, ShiftDown1, WrapLeft1, WrapRight1, WrapUp1,
                    WrapDown1, FlipHorizontally1, FlipVertically1, Invert1, ClearGlyph1, separator(), SelectTool1, CopyPixels1,
                    CutPixels1, PastePixels1, ClearPixels1, SelectNone1, separator(), CopyPicture1, PastePicture1};
    connect(RxDrawGrid1, &TPixelGrid::selectionPressed, this, [this](QPoint at) { SelectPixelsTo(at, true); });
    connect(RxDrawGrid1, &TPixelGrid::selectionDragged, this, [this](QPoint at) { SelectPixelsTo(at, false); });
}

void TFontPage::SelectPixelsTo(QPoint offset, bool start)
{
    const auto cell = GridCellAt(std::max(offset.x(), 0), std::max(offset.y(), 0), RxDrawGrid1->columns(),
                                 RxDrawGrid1->rows(), RxDrawGrid1->pitch());
    if (!cell)
        return;
    if (start)
        State.PixelAnchor = *cell;
    State.PixelSelection = RectBetween(State.PixelAnchor.Col, State.PixelAnchor.Row, cell->Col, cell->Row);
    ShowPixelSelection();
}

void TFontPage::ShowPixelSelection()
{
    RxDrawGrid1->setSelection(State.PixelSelection);
}

void TFontPage::PixelCommand(const QString &name, const std::function<void(TBDFChar &, TPixelRect)> &op)
{
    if (!CurrentFont())
        return;
    if (!State.PixelSelection.empty() && CurrentChar()) {
        const TPixelRect area = State.PixelSelection;
        EditCurrentGlyph(name + QStringLiteral(" (selected pixels)"), [&](TBDFChar &c) { op(c, area); });
    } else {
        Edit(BlockStep(name), [&](TBDFFont &font) {
            ApplyToBlock(font, State.CharSelection, [&](TBDFChar &c) { op(c, GlyphBox(c)); });
            return false;
        });
    }
    RxDrawGrid1->update();
    RxDrawGrid2->refresh();
}

void TFontPage::ShiftGlyphs(TShift direction, bool wrap)
{
    static const char *const names[] = {"Shift left", "Shift right", "Shift up", "Shift down"};
    PixelCommand(QString::fromLatin1(names[int(direction)]) + (wrap ? QStringLiteral(" around") : QString()),
                 [&](TBDFChar &c, TPixelRect area) { ShiftPixels(c, area, direction, wrap); });
    // Shifted without wrapping, the selection moves with its pixels.
    if (!wrap && !State.PixelSelection.empty()) {
        TPixelRect &sel = State.PixelSelection;
        sel.Left += direction == TShift::Right ? 1 : direction == TShift::Left ? -1 : 0;
        sel.Top += direction == TShift::Down ? 1 : direction == TShift::Up ? -1 : 0;
        if (const TBDFChar *ch = CurrentChar())
            sel = ClipToBox(*ch, sel);
        ShowPixelSelection();
    }
}

void TFontPage::FlipGlyphs(bool horizontally)
{
    if (horizontally)
        PixelCommand(QStringLiteral("Flip horizontally"), FlipHorizontally);
    else
        PixelCommand(QStringLiteral("Flip vertically"), FlipVertically);
}

void TFontPage::InvertGlyphs()
{
    PixelCommand(QStringLiteral("Invert"), InvertPixels);
}

void TFontPage::ClearGlyphs()
{
    PixelCommand(QStringLiteral("Clear"), ClearPixels);
}

void TFontPage::CopyPixelSelection()
{
    if (const TBDFChar *ch = CurrentChar(); ch && !State.PixelSelection.empty())
        State.PixelClipboard = CopyPixels(*ch, State.PixelSelection);
}

void TFontPage::CutPixelSelection()
{
    if (!CurrentChar() || State.PixelSelection.empty())
        return;
    CopyPixelSelection();
    const TPixelRect area = State.PixelSelection;
    EditCurrentGlyph(QStringLiteral("Cut pixels"), [&](TBDFChar &c) { ClearPixels(c, area); });
    RxDrawGrid1->update();
    RxDrawGrid2->updateCurrentGlyph();
}

void TFontPage::PastePixelSelection()
{
    const TBDFChar *ch = CurrentChar();
    if (!ch || State.PixelClipboard.Ink.empty())
        return;
    const TPixelBlock block = State.PixelClipboard;
    const TPixelRect box = GlyphBox(*ch);
    const int left = State.PixelSelection.empty() ? box.Left : State.PixelSelection.Left;
    const int top = State.PixelSelection.empty() ? 0 : State.PixelSelection.Top;
    EditCurrentGlyph(QStringLiteral("Paste pixels"), [&](TBDFChar &c) { PastePixels(c, block, left, top); });
    // The pasted pixels are selected, so the arrows can move them on.
    State.PixelSelection = ClipToBox(*CurrentChar(), {left, top, block.Width, block.Height});
    ShowPixelSelection();
    RxDrawGrid1->update();
    RxDrawGrid2->updateCurrentGlyph();
}

void TFontPage::ClearPixelSelection()
{
    if (!State.PixelSelection.empty())
        ClearGlyphs();
}

void TFontPage::SelectNoPixels()
{
    State.PixelSelection = {};
    ShowPixelSelection();
}

void TFontPage::CopyGlyphsAsPicture()
{
    TBDFFont *font = CurrentFont();
    if (!font || !CurrentChar())
        return;
    std::vector<TBDFChar> glyphs;
    if (SpanFirst(State.CharSelection) != SpanLast(State.CharSelection))
        ApplyToBlock(*font, State.CharSelection, [&](TBDFChar &c) { glyphs.push_back(c); });
    if (glyphs.empty())
        glyphs.push_back(*CurrentChar());
    // Past this width most programs refuse the picture.
    constexpr int MaxPictureWidth = 16384;
    int copied = 0;
    const QImage picture = GlyphsPicture(glyphs, CellSize, MaxPictureWidth, copied);
    QGuiApplication::clipboard()->setImage(picture);
    if (copied < static_cast<int>(glyphs.size()))
        SetStatus("Copied " + std::to_string(copied) + " of " + std::to_string(glyphs.size()) +
                      " glyphs as a picture: more would make it wider than 16384 pixels",
                  0x0000FF);
    else
        SetStatus("Copied " + std::to_string(copied) + (copied == 1 ? " glyph" : " glyphs") + " as a picture", 0);
}

void TFontPage::PastePicture()
{
    const TBDFChar *ch = CurrentChar();
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!ch || !data || !data->hasImage()) {
        if (ch)
            SetStatus("The clipboard holds no picture", 0x0000FF);
        return;
    }
    const QImage picture = qvariant_cast<QImage>(data->imageData());
    const TPixelRect box = GlyphBox(*ch);
    const TPixelBlock block = PicturePixels(picture, CellSize, box.Width, box.Height);
    EditCurrentGlyph(QStringLiteral("Paste picture"), [&](TBDFChar &c) { PastePixels(c, block, box.Left, 0); });
    RxDrawGrid1->update();
    RxDrawGrid2->updateCurrentGlyph();
}
