// The character table, the character commands under it and the font header panel.
#include "app/fontpage.h"

#include "platform/textconv.h"
#include "app/uikit.h"
#include "charops.h"
#include "editor/glyphops.h"
#include "chartablewidget.h"
#include "fontproperties.h"
#include "app/prompts.h"
#include "bdf/fontformat.h"
#include "bdf/paths.h"
#include "model/textfuncs.h"

#include <QAction>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QToolButton *StepButton(QWidget *parent, QStyle::StandardPixmap icon)
{
    auto *b = new QToolButton(parent);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setIconSize(QSize(10, 10));
    b->setAutoRaise(true);
    b->setFixedSize(14, 21);
    return b;
}

QLineEdit *ReadOnlyField(QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setReadOnly(true);
    // Seven digits stay readable.
    e->setFixedWidth(FieldWidth(*e, QStringLiteral("0000000")));
    e->setAlignment(Qt::AlignRight);
    return e;
}

QToolButton *BarButton(QToolBar *bar, const QIcon &icon, const QString &hint)
{
    auto *b = new QToolButton(bar);
    b->setIcon(icon);
    b->setToolTip(hint);
    b->setAutoRaise(true);
    bar->addWidget(b);
    return b;
}

} // namespace

QWidget *TFontPage::CreateLowerArea()
{
    Panel3 = new QWidget;
    // A minimum, not a fixed height, so the splitter above can still move.
    Panel3->setMinimumHeight(188);
    auto *layout = new QHBoxLayout(Panel3);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(CreateHeaderPanel());
    RxDrawGrid2 = new TCharTable(Panel3);
    RxDrawGrid2->CurrentFont = [this]() -> const TBDFFont * { return CurrentFont(); };
    RxDrawGrid2->Selection = &State.CharSelection;
    layout->addWidget(RxDrawGrid2, 0, Qt::AlignTop);
    layout->addWidget(RxDrawGrid2->scrollBar(), 0, Qt::AlignTop);
    layout->addStretch();
    return Panel3;
}

QWidget *TFontPage::CreateHeaderPanel()
{
    Panel12 = new QWidget;
    auto *v = new QVBoxLayout(Panel12);
    v->setContentsMargins(0, 0, 2, 0);
    v->setSpacing(1);
    v->addWidget(new QLabel(QStringLiteral("Шрифтовое имя"), Panel12));
    Edit6 = new QLineEdit(Panel12);
    v->addWidget(Edit6);
    v->addWidget(new QLabel(QStringLiteral("Uid"), Panel12));
    Edit7 = new QLineEdit(Panel12);
    v->addWidget(Edit7);

    auto boxRow = [&](const QString &label, QToolButton *&down1, QLineEdit *&field1, QToolButton *&up1,
                      QToolButton *&down2, QLineEdit *&field2, QToolButton *&up2) {
        auto *h = new QHBoxLayout;
        h->setSpacing(1);
        auto *l = new QLabel(label, Panel12);
        l->setFixedWidth(12);
        h->addWidget(l);
        down1 = StepButton(Panel12, QStyle::SP_ArrowLeft);
        field1 = ReadOnlyField(Panel12);
        up1 = StepButton(Panel12, QStyle::SP_ArrowRight);
        down2 = StepButton(Panel12, QStyle::SP_ArrowLeft);
        field2 = ReadOnlyField(Panel12);
        up2 = StepButton(Panel12, QStyle::SP_ArrowRight);
        for (QWidget *w : std::initializer_list<QWidget *>{down1, field1, up1, down2, field2, up2})
            h->addWidget(w);
        h->addStretch();
        v->addLayout(h);
    };
    boxRow(QStringLiteral("X"), SpeedButton1, Edit8, SpeedButton2, SpeedButton3, Edit9, SpeedButton4);
    boxRow(QStringLiteral("Y"), SpeedButton5, Edit10, SpeedButton6, SpeedButton7, Edit11, SpeedButton8);

    ToolBar5 = new QToolBar(Panel12);
    ToolBar5->setIconSize(QSize(16, 16));
    const QIcon paste = ThemeIcon("edit-paste", QStyle::SP_DialogApplyButton);
    ToolButton16 = BarButton(ToolBar5, ThemeIcon("list-add", QStyle::SP_FileDialogNewFolder),
                             QStringLiteral("Добавить символ"));
    ToolButton21 = BarButton(ToolBar5, ThemeIcon("edit-copy", QStyle::SP_FileLinkIcon), QStringLiteral("Копировать символ"));
    ToolButton22 = BarButton(ToolBar5, paste, QStringLiteral("Вставить символ"));
    ToolButton24 = BarButton(ToolBar5, WithCodeBadge(paste), QStringLiteral("Вставить спец. (с кодом STARTCHAR)"));
    ToolButton18 = BarButton(ToolBar5, ThemeIcon("edit-delete", QStyle::SP_DialogDiscardButton),
                             QStringLiteral("Удалить символ"));
    ToolButton23 = BarButton(ToolBar5, ThemeIcon("edit-undo", QStyle::SP_ArrowBack), QStringLiteral("Отмена"));
    ToolButton26 = BarButton(ToolBar5, ThemeIcon("view-refresh", QStyle::SP_BrowserReload), QStringLiteral("Обновить"));
    v->addWidget(ToolBar5);
    auto *goTo = new QHBoxLayout;
    goTo->addWidget(new QLabel(QStringLiteral("Перейти к коду"), Panel12));
    EditGoTo = new QLineEdit(Panel12);
    EditGoTo->setFixedWidth(FieldWidth(*EditGoTo, QStringLiteral("FFFFFFFF")));
    EditGoTo->setToolTip(QStringLiteral("Ctrl+G"));
    goTo->addWidget(EditGoTo);
    goTo->addStretch();
    v->addLayout(goTo);
    v->addStretch();
    Panel12->setFixedWidth(std::max(200, Panel12->sizeHint().width()));
    return Panel12;
}

void TFontPage::ConnectCharTable()
{
    connect(RxDrawGrid2, &TCharTable::currentCellChanged, this,
            [this](TTableCell cell) { State.CurrentCharIndex = CellIndex(cell.Row, cell.Col); });
    connect(RxDrawGrid2, &TCharTable::leftPressed, this, &TFontPage::RxDrawGrid2MouseDown);
    connect(RxDrawGrid2, &TCharTable::released, this, &TFontPage::RxDrawGrid2Click);
    connect(RxDrawGrid2, &TCharTable::leftReleased, this, &TFontPage::RxDrawGrid2MouseUp);
    // A key moves the selection with the current glyph (Shift extends it), so the
    // commands act on the glyph the editor shows.
    connect(RxDrawGrid2, &TCharTable::movedByKeyboard, this, [this](bool extend) {
        SelectionKeyboardMove(State.CharSelection, State.SelectionAnchor, RxDrawGrid2->currentCell(), extend);
        RxDrawGrid2Click();
        RxDrawGrid2->update();
    });

    PopupMenu1 = new QMenu(RxDrawGrid2);
    auto item = [this](const QString &text, const QKeySequence &key) {
        QAction *a = PopupMenu1->addAction(text);
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WidgetShortcut);
            RxDrawGrid2->addAction(a);
        }
        return a;
    };
    Addchar1 = item(QStringLiteral("Добавить символ"), {});
    Copychar1 = item(QStringLiteral("Копиия символа"), QKeySequence(Qt::CTRL | Qt::Key_C));
    Pastechar1 = item(QStringLiteral("Вставить символ"), QKeySequence(Qt::CTRL | Qt::Key_V));
    Deletechar1 = item(QStringLiteral("Удалить символ"), QKeySequence(Qt::Key_Delete));
    Undoedit2 = item(QStringLiteral("Отмена"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    Pastespecial1 = item(QStringLiteral("Спец. клей"), QKeySequence(Qt::CTRL | Qt::Key_B));
    connect(Addchar1, &QAction::triggered, this, &TFontPage::ToolButton16Click);
    connect(Copychar1, &QAction::triggered, this, &TFontPage::ToolButton21Click);
    connect(Pastechar1, &QAction::triggered, this, [this] { ToolButton22Click(0); });
    connect(Deletechar1, &QAction::triggered, this, &TFontPage::ToolButton18Click);
    connect(Undoedit2, &QAction::triggered, this, &TFontPage::ToolButton23Click);
    connect(Pastespecial1, &QAction::triggered, this, [this] { ToolButton22Click(1); });
    connect(ToolButton16, &QToolButton::clicked, this, &TFontPage::ToolButton16Click);
    connect(ToolButton21, &QToolButton::clicked, this, &TFontPage::ToolButton21Click);
    connect(ToolButton22, &QToolButton::clicked, this, [this] { ToolButton22Click(0); });
    connect(ToolButton24, &QToolButton::clicked, this, [this] { ToolButton22Click(1); });
    connect(ToolButton18, &QToolButton::clicked, this, &TFontPage::ToolButton18Click);
    connect(ToolButton23, &QToolButton::clicked, this, &TFontPage::ToolButton23Click);
    connect(ToolButton26, &QToolButton::clicked, this, &TFontPage::ToolButton26Click);
    RxDrawGrid2->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(RxDrawGrid2, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { PopupMenu1->popup(RxDrawGrid2->mapToGlobal(pos)); });
}

void TFontPage::RxDrawGrid2Click()
{
    if (!CurrentSlot())
        return;
    const TTableCell cell = RxDrawGrid2->currentCell();
    State.CurrentCharIndex = CellIndex(cell.Row, cell.Col);
    LoadCurrentCharIntoEditor();
}

void TFontPage::RxDrawGrid2MouseDown(TTableCell cell)
{
    SelectionMouseDown(State.CharSelection, cell);
    State.SelectionAnchor = cell;
}

void TFontPage::RxDrawGrid2MouseUp(TTableCell cell)
{
    SelectionMouseUp(State.CharSelection, cell);
    RxDrawGrid2->refresh();
}

void TFontPage::ToolButton16Click()
{
    const TBDFFont *font = CurrentFont();
    if (!font)
        return;
    const int at = std::clamp(State.CurrentCharIndex, 0, static_cast<int>(font->Chars.size()));
    Edit({QStringLiteral("Add a glyph"), at, at}, [this](TBDFFont &f) {
        AddChar(f, State.CurrentCharIndex);
        return false;
    });
    RxDrawGrid2->refresh();
}

void TFontPage::ToolButton18Click()
{
    const TBDFFont *font = CurrentFont();
    if (!font)
        return;
    const int size = static_cast<int>(font->Chars.size());
    const int gone = std::max(0, std::min(SpanLast(State.CharSelection) + 1, size) -
                                     std::clamp(SpanFirst(State.CharSelection), 0, size));
    Edit(BlockStep(gone == 1 ? QStringLiteral("Delete a glyph") : QStringLiteral("Delete %1 glyphs").arg(gone)),
         [this](TBDFFont &f) {
             DeleteChars(f, State.CharSelection);
             return false;
         });
    RxDrawGrid2->refresh();
    RxDrawGrid2Click();
}

void TFontPage::ToolButton21Click()
{
    if (const TBDFFont *font = CurrentFont())
        State.CharClipboard = CopyChars(*font, State.CharSelection);
}

void TFontPage::ToolButton22Click(int tag)
{
    if (!CurrentFont() || State.CharClipboard.empty())
        return;
    // The paste writes from the span's first cell over the longer of the span and the clipboard.
    const int first = SpanFirst(State.CharSelection);
    const int span = SpanLast(State.CharSelection) - first + 1;
    const int count = static_cast<int>(State.CharClipboard.size());
    const QString name = tag == 1 ? QStringLiteral("Paste %1 glyphs with their codes") : QStringLiteral("Paste %1 glyphs");
    Edit({name.arg(count), first, first + std::max(span, count)}, [&](TBDFFont &f) {
        PasteChars(f, State.CharSelection, State.CharClipboard, tag == 1);
        return false;
    });
    RxDrawGrid2Click();
    RxDrawGrid2->refresh();
}

void TFontPage::ConnectHeaderPanel()
{
    connect(EditGoTo, &QLineEdit::returnPressed, this, [this] { GoToCode(EditGoTo->text()); });
    // Both fields store what they show, also when the font refresh fills them.
    connect(Edit6, &QLineEdit::textChanged, this, &TFontPage::Edit6Change);
    connect(Edit7, &QLineEdit::textChanged, this, &TFontPage::Edit7Change);
    const std::pair<QToolButton *, void (TFontPage::*)()> buttons[] = {
        {SpeedButton1, &TFontPage::SpeedButton1Click}, {SpeedButton2, &TFontPage::SpeedButton2Click},
        {SpeedButton3, &TFontPage::SpeedButton3Click}, {SpeedButton4, &TFontPage::SpeedButton4Click},
        {SpeedButton5, &TFontPage::SpeedButton5Click}, {SpeedButton6, &TFontPage::SpeedButton6Click},
        {SpeedButton7, &TFontPage::SpeedButton7Click}, {SpeedButton8, &TFontPage::SpeedButton8Click},
    };
    for (const auto &[button, handler] : buttons)
        connect(button, &QToolButton::clicked, this, handler);
}

void TFontPage::Edit6Change(const QString &text)
{
    const TBDFFont *font = CurrentFont();
    if (!font)
        return;
    std::string name = TextToBytes(text, font->FontName);
    // Typing the name is one step.
    Edit({QStringLiteral("Font name"), 0, 0, true, TypedNameMerge}, [&](TBDFFont &f) {
        f.FontName = std::move(name);
        return false;
    });
}

void TFontPage::Edit7Change(const QString &text)
{
    if (!CurrentFont())
        return;
    // The whole unsigned 32-bit range is taken, so a tick-count Uid survives being shown.
    const double uid = ParseUidDef(text.toStdString(), 0);
    Edit({QStringLiteral("Uid"), 0, 0, true, TypedUidMerge}, [uid](TBDFFont &f) {
        f.Uid = uid;
        return false;
    });
}

void TFontPage::HeaderStep(const QString &name, int32_t TBDFFont::*member, int delta, QLineEdit *field)
{
    const TBDFFont *font = CurrentFont();
    if (!font)
        return;
    const bool boxSize = member == &TBDFFont::FBBWidth || member == &TBDFFont::FBBHeight;
    Edit({name + (delta > 0 ? QStringLiteral(" +1") : QStringLiteral(" -1")), 0, 0, true}, [&](TBDFFont &f) {
        int32_t &value = f.*member;
        // The box size does not step below 1; a stored 0 or negative value becomes 1.
        value = boxSize && delta < 0 ? (value > 1 ? value - 1 : 1) : Step(value, delta);
        return false;
    });
    field->setText(QString::number(font->*member));
    if (boxSize)
        ListBox1Click();
}

void TFontPage::SpeedButton1Click()
{
    HeaderStep(QStringLiteral("Box width"), &TBDFFont::FBBWidth, -1, Edit8);
}

void TFontPage::SpeedButton2Click()
{
    HeaderStep(QStringLiteral("Box width"), &TBDFFont::FBBWidth, 1, Edit8);
}

void TFontPage::SpeedButton3Click()
{
    HeaderStep(QStringLiteral("Box x offset"), &TBDFFont::FBBXOff, -1, Edit9);
}

void TFontPage::SpeedButton4Click()
{
    HeaderStep(QStringLiteral("Box x offset"), &TBDFFont::FBBXOff, 1, Edit9);
}

void TFontPage::SpeedButton5Click()
{
    HeaderStep(QStringLiteral("Box height"), &TBDFFont::FBBHeight, -1, Edit10);
}

void TFontPage::SpeedButton6Click()
{
    HeaderStep(QStringLiteral("Box height"), &TBDFFont::FBBHeight, 1, Edit10);
}

void TFontPage::SpeedButton7Click()
{
    HeaderStep(QStringLiteral("Box y offset"), &TBDFFont::FBBYOff, -1, Edit11);
}

void TFontPage::SpeedButton8Click()
{
    HeaderStep(QStringLiteral("Box y offset"), &TBDFFont::FBBYOff, 1, Edit11);
}

void TFontPage::GoToCode(const QString &hexCode)
{
    const TBDFFont *font = CurrentFont();
    if (!font)
        return;
    const int32_t code = HexToInt(hexCode.trimmed().toStdString());
    const std::optional<int> index = FindCode(*font, code);
    if (!index) {
        SetStatus("No glyph has the code " + FormatHex(static_cast<uint32_t>(code), 4), 0x0000FF);
        return;
    }
    ShowGlyphAt(static_cast<size_t>(*index));
}

void TFontPage::ShowGlyphAt(size_t index)
{
    const int at = static_cast<int>(index);
    RxDrawGrid2->setCurrentCell({at / TableColumns, at % TableColumns});
    RxDrawGrid2Click();
    RxDrawGrid2->refresh();
}

void TFontPage::FocusGoTo()
{
    EditGoTo->setFocus();
    EditGoTo->selectAll();
}

void TFontPage::ExportFont()
{
    const TProjectRecord *slot = CurrentSlot();
    if (!slot)
        return;
    TFileDialogSetup setup{FontSaveFilter, QStringLiteral("bdf"), false, true, SaveFolderFor(*slot)};
    // The file's own name without its extensions: "6x13.pcf.gz" offers "6x13.bdf".
    const QString proposed = QFileInfo(PathToQ(FileNameOnly(slot->FileName))).baseName() + QStringLiteral(".bdf");
    const QString path = Prompts().saveFileName(setup, proposed);
    if (path.isEmpty())
        return;
    TFontWriteOptions options;
    if (!AskFormat(slot->Font, PathFromQ(path), FormatForPath(PathFromQ(path)), options))
        return;
    const std::string told = ExportFontTo(PathFromQ(path), slot->Font, options);
    LastBdfFolder = QFileInfo(path).absolutePath();
    SetStatus("Exported " + PathFromQ(path), 0);
    if (!told.empty())
        Prompts().showWarning(BytesToText(told));
}

void TFontPage::EditFontProperties()
{
    const TBDFFont *font = CurrentFont();
    if (!font)
        return;
    std::optional<std::vector<TBDFProperty>> rows = Prompts().askProperties(PropertiesForEditing(*font));
    if (!rows)
        return;
    // The dialog checks as the user types; rows from elsewhere are checked here too.
    if (const std::string problem = PropertiesProblem(*rows); !problem.empty()) {
        Prompts().showError(BytesToText(problem));
        return;
    }
    Edit({QStringLiteral("Font properties"), 0, 0, true}, [&](TBDFFont &f) {
        SetProperties(f, std::move(*rows));
        return false;
    });
    ListBox1Click();
}
