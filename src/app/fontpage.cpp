// The font page's composition, the font list and the commands on whole fonts.
#include "fontpage.h"

#include "bdf/bdfreader.h"
#include "bdf/bdfwriter.h"
#include "bdf/fontformat.h"
#include "bdf/paths.h"
#include "chartable/chartablewidget.h"
#include "editor/glyphgrids.h"
#include "model/textfuncs.h"
#include "fontlist.h"
#include "prompts.h"
#include "platform/textconv.h"
#include "uikit.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QAction>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

TFontPage::TFontPage(TOpenFonts &fonts, const TProject &project, QWidget *parent)
    : QWidget(parent), Fonts(fonts), Project(project)
{
    CreateControls();
    ConnectFontList();
    ConnectGlyphEditor();
    ConnectCharTable();
    ConnectHeaderPanel();
    CreateEditActions();
    CreateGlyphActions();
    CreateViewActions();
    NameControls();
}

TFontPage::~TFontPage() = default;

void TFontPage::CreateControls()
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ToolBar1 = NewSideToolBar(this);
    ToolButton19 = AddToolButton(ToolBar1, ThemeIcon("document-new", QStyle::SP_FileIcon),
                                 QStringLiteral("Новый шрифт BDF"), 33);
    ToolButton1 = AddToolButton(ToolBar1, ThemeIcon("document-open", QStyle::SP_DialogOpenButton),
                                QStringLiteral("Открыть файл"), 33);
    ToolButton2 = AddToolButton(ToolBar1, ThemeIcon("document-save-as", QStyle::SP_DialogSaveButton),
                                QStringLiteral("Сохранить файл как"), 33);
    ToolButton25 = AddToolButton(ToolBar1, ThemeIcon("document-save", QStyle::SP_DriveFDIcon),
                                 QStringLiteral("Быстро сохраните все шрифты"), 33);
    ToolButton3 = AddToolButton(ToolBar1, ThemeIcon("list-remove", QStyle::SP_TrashIcon),
                                QStringLiteral("Удалить текущий шрифт из списка"), 33);
    ToolButton15 = AddToolButton(ToolBar1, ThemeIcon("font-x-generic", QStyle::SP_ComputerIcon), QString(), 33);
    ToolButton17 = AddToolButton(ToolBar1, ThemeIcon("image-x-generic", QStyle::SP_FileDialogContentsView),
                                 QStringLiteral("Импортировать символы из изображения"), 33);
    layout->addWidget(ToolBar1);

    Splitter1 = new QSplitter(Qt::Vertical, this);
    Splitter1->setHandleWidth(6);
    Splitter1->setChildrenCollapsible(false);

    auto *upper = new QWidget(Splitter1);
    auto *upperLayout = new QHBoxLayout(upper);
    upperLayout->setContentsMargins(0, 0, 0, 0);
    upperLayout->setSpacing(2);
    ListBox1 = new QListWidget(upper);
    ListBox1->setFixedWidth(201);
    QFont listFont(QStringLiteral("Arial"));
    listFont.setPixelSize(13);
    ListBox1->setFont(listFont);
    ListBox1->setUniformItemSizes(true);
    ListBox1->setTextElideMode(Qt::ElideMiddle);
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Under the font list, the ways to find a glyph of the current font.
    auto *listColumn = new QVBoxLayout;
    listColumn->setSpacing(2);
    listColumn->addWidget(ListBox1, 1);
    listColumn->addWidget(CreateFindPanel());
    upperLayout->addLayout(listColumn);
    auto *editorColumn = new QVBoxLayout;
    editorColumn->setSpacing(0);
    editorColumn->addWidget(CreateGlyphEditor(), 1);
    editorColumn->addWidget(CreateSampleStrip());
    upperLayout->addLayout(editorColumn, 1);

    Splitter1->addWidget(upper);
    Splitter1->addWidget(CreateLowerArea());
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter1->setSizes({360, 188});
    layout->addWidget(Splitter1, 1);
}

void TFontPage::NameControls()
{
    // Named as in the window layout, so that tests and style sheets find them.
    const std::pair<QObject *, const char *> named[] = {
        {ToolBar1, "ToolBar1"},         {ToolButton19, "ToolButton19"},   {ToolButton1, "ToolButton1"},
        {ToolButton2, "ToolButton2"},   {ToolButton25, "ToolButton25"},   {ToolButton3, "ToolButton3"},
        {ToolButton15, "ToolButton15"}, {ToolButton17, "ToolButton17"},   {Splitter1, "Splitter1"},
        {ListBox1, "ListBox1"},         {GroupBox1, "GroupBox1"},         {EditorScroll, "EditorScroll"},
        {EditorArea, "EditorArea"},     {RxDrawGridBG, "RxDrawGridBG"},   {RxDrawGrid, "RxDrawGrid"},
        {RxDrawGrid1, "RxDrawGrid1"},   {Panel7, "Panel7"},               {Edit1, "Edit1"},
        {Edit2, "Edit2"},               {Edit3, "Edit3"},                 {Edit4, "Edit4"},
        {Edit5, "Edit5"},               {Edit13, "Edit13"},               {Edit19, "Edit19"},
        {SpeedButton10, "SpeedButton10"}, {SpeedButton19, "SpeedButton19"}, {SpeedButton11, "SpeedButton11"},
        {SpeedButton15, "SpeedButton15"}, {SpeedButton12, "SpeedButton12"}, {SpeedButton16, "SpeedButton16"},
        {SpeedButton13, "SpeedButton13"}, {SpeedButton17, "SpeedButton17"}, {SpeedButton14, "SpeedButton14"},
        {SpeedButton18, "SpeedButton18"}, {SpeedButton24, "SpeedButton24"}, {SpeedButton23, "SpeedButton23"},
        {SpeedButton26, "SpeedButton26"}, {SpeedButton25, "SpeedButton25"}, {SpeedButton20, "SpeedButton20"},
        {SpeedButton22, "SpeedButton22"}, {Panel3, "Panel3"},             {Panel12, "Panel12"},
        {Edit6, "Edit6"},               {Edit7, "Edit7"},                 {Edit8, "Edit8"},
        {Edit9, "Edit9"},               {Edit10, "Edit10"},               {Edit11, "Edit11"},
        {SpeedButton1, "SpeedButton1"}, {SpeedButton2, "SpeedButton2"},   {SpeedButton3, "SpeedButton3"},
        {SpeedButton4, "SpeedButton4"}, {SpeedButton5, "SpeedButton5"},   {SpeedButton6, "SpeedButton6"},
        {SpeedButton7, "SpeedButton7"}, {SpeedButton8, "SpeedButton8"},   {ToolBar5, "ToolBar5"},
        {ToolButton16, "ToolButton16"}, {ToolButton21, "ToolButton21"},   {ToolButton22, "ToolButton22"},
        {ToolButton24, "ToolButton24"}, {ToolButton18, "ToolButton18"},   {ToolButton23, "ToolButton23"},
        {ToolButton26, "ToolButton26"}, {EditGoTo, "EditGoTo"},           {RxDrawGrid2, "RxDrawGrid2"},
        {PopupMenu1, "PopupMenu1"},     {Addchar1, "Addchar1"},           {Copychar1, "Copychar1"},
        {Pastechar1, "Pastechar1"},     {Deletechar1, "Deletechar1"},     {Undoedit2, "Undoedit2"},
        {Pastespecial1, "Pastespecial1"}, {Undoedit1, "Undoedit1"},   {UndoStep1, "UndoStep1"},
        {RedoStep1, "RedoStep1"},       {ToolBar6, "ToolBar6"},           {ShiftLeft1, "ShiftLeft1"},
        {ShiftRight1, "ShiftRight1"},   {ShiftUp1, "ShiftUp1"},           {ShiftDown1, "ShiftDown1"},
        {WrapLeft1, "WrapLeft1"},       {WrapRight1, "WrapRight1"},       {WrapUp1, "WrapUp1"},
        {WrapDown1, "WrapDown1"},       {FlipHorizontally1, "FlipHorizontally1"},
        {FlipVertically1, "FlipVertically1"}, {Invert1, "Invert1"},       {ClearGlyph1, "ClearGlyph1"},
        {CopyPixels1, "CopyPixels1"},   {CutPixels1, "CutPixels1"},       {PastePixels1, "PastePixels1"},
        {ClearPixels1, "ClearPixels1"}, {SelectNone1, "SelectNone1"},     {CopyPicture1, "CopyPicture1"},
        {PastePicture1, "PastePicture1"}, {SelectTool1, "SelectTool1"},
    };
    for (const auto &[object, name] : named)
        object->setObjectName(QString::fromLatin1(name));
}

void TFontPage::ConnectFontList()
{
    connect(ToolButton19, &QToolButton::clicked, this, &TFontPage::ToolButton19Click);
    connect(ToolButton1, &QToolButton::clicked, this, &TFontPage::ToolButton1Click);
    connect(ToolButton2, &QToolButton::clicked, this, &TFontPage::ToolButton2Click);
    connect(ToolButton25, &QToolButton::clicked, this, &TFontPage::ToolButton25Click);
    connect(ToolButton3, &QToolButton::clicked, this, &TFontPage::ToolButton3Click);
    connect(ToolButton15, &QToolButton::clicked, this, &TFontPage::ToolButton15Click);
    connect(ToolButton17, &QToolButton::clicked, this, &TFontPage::ToolButton17Click);
    connect(ListBox1, &QListWidget::currentRowChanged, this, [this](int row) {
        Fonts.setCurrentIndex(row);
        ListBox1Click();
    });
    // Every click reloads the clicked font, also on the row already selected (a
    // click that changes the row reloads twice, which changes nothing).
    connect(ListBox1, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        Fonts.setCurrentIndex(ListBox1->row(item));
        ListBox1Click();
    });
    connect(&Fonts, &TOpenFonts::modifiedChanged, this, &TFontPage::RefreshFontRow);
    connect(&Fonts, &TOpenFonts::fontsChanged, this, &TFontPage::RebuildFontRows);
}

void TFontPage::CreateEditActions()
{
    QUndoGroup &history = Fonts.history();
    UndoStep1 = new QAction(ThemeIcon("edit-undo", QStyle::SP_ArrowBack), QStringLiteral("Шаг назад"), this);
    UndoStep1->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z));
    RedoStep1 = new QAction(ThemeIcon("edit-redo", QStyle::SP_ArrowForward), QStringLiteral("Шаг вперёд"), this);
    RedoStep1->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    // The hint names the step that would be undone or redone.
    const auto show = [](QAction *action, bool can, const QString &step) {
        action->setEnabled(can);
        action->setToolTip(can ? action->text() + QStringLiteral(": ") + step : action->text());
    };
    const auto refresh = [this, &history, show] {
        show(UndoStep1, history.canUndo(), history.undoText());
        show(RedoStep1, history.canRedo(), history.redoText());
    };
    for (auto signal : {&QUndoGroup::canUndoChanged, &QUndoGroup::canRedoChanged})
        connect(&history, signal, this, refresh);
    for (auto signal : {&QUndoGroup::undoTextChanged, &QUndoGroup::redoTextChanged})
        connect(&history, signal, this, refresh);
    connect(&history, &QUndoGroup::activeStackChanged, this, refresh);
    refresh();
    connect(UndoStep1, &QAction::triggered, &history, &QUndoGroup::undo);
    connect(RedoStep1, &QAction::triggered, &history, &QUndoGroup::redo);
    connect(&Fonts, &TOpenFonts::historyStepped, this, &TFontPage::ReturnTo);
    ToolBar1->addSeparator();
    for (QAction *step : {UndoStep1, RedoStep1}) {
        ToolBar1->addAction(step);
        addAction(step);
    }
    ExportFont1 = new QAction(QStringLiteral("Экспорт…"), this);
    connect(ExportFont1, &QAction::triggered, this, &TFontPage::ExportFont);
    PropertiesSeparator = new QAction(this);
    PropertiesSeparator->setSeparator(true);
    FontProperties1 = new QAction(QStringLiteral("Свойства шрифта…"), this);
    connect(FontProperties1, &QAction::triggered, this, &TFontPage::EditFontProperties);
}

QList<QAction *> TFontPage::EditActions() const
{
    return QList<QAction *>{UndoStep1, RedoStep1, Undoedit2, Copychar1, Pastechar1, Pastespecial1, Deletechar1, Addchar1} +
           GlyphActions + QList<QAction *>{PropertiesSeparator, FontProperties1};
}

QList<QAction *> TFontPage::FileActions() const
{
    return {ExportFont1};
}

bool TFontPage::Edit(const TEditStep &step, const std::function<bool(TBDFFont &)> &change)
{
    return Fonts.edit(Fonts.currentIndex(), step, {State.CurrentCharIndex, State.CharSelection}, change);
}

TEditStep TFontPage::BlockStep(const QString &name) const
{
    return {name, SpanFirst(State.CharSelection), SpanLast(State.CharSelection) + 1};
}

uint64_t TFontPage::SpanKey() const
{
    return static_cast<uint64_t>(static_cast<uint32_t>(SpanFirst(State.CharSelection))) << 32 |
           static_cast<uint32_t>(SpanLast(State.CharSelection));
}

QString TFontPage::GlyphCode(int index)
{
    const TBDFFont *font = CurrentFont();
    if (!font || index < 0 || index >= static_cast<int>(font->Chars.size()))
        return QString();
    return QString::fromStdString(FormatHex(static_cast<uint32_t>(font->Chars[size_t(index)].Encoding), 4));
}

void TFontPage::ReturnTo(int row, const TEditPlace &place)
{
    if (row != Fonts.currentIndex())
        return;
    State.CharSelection = place.Selection;
    RxDrawGrid2->setCurrentCell({place.CharIndex / TableColumns, place.CharIndex % TableColumns});
    // The header and the glyph are shown again, and the glyph's one-step undo starts from here.
    ListBox1Click();
}

TBDFChar *TFontPage::CurrentChar()
{
    TBDFFont *font = CurrentFont();
    if (!font || State.CurrentCharIndex < 0 || State.CurrentCharIndex >= static_cast<int>(font->Chars.size()))
        return nullptr;
    return &font->Chars[static_cast<size_t>(State.CurrentCharIndex)];
}

void TFontPage::RepaintViews()
{
    RxDrawGrid1->update();
    RxDrawGrid2->refresh();
}

void TFontPage::ShowLastFont()
{
    if (ListBox1->count() > 0)
        SelectFontRow(ListBox1->count() - 1);
    else
        ShowNoFont();
}

void TFontPage::StepFontSelection(int direction)
{
    StepListSelection(*ListBox1, direction);
}

void TFontPage::RebuildFontRows()
{
    // Rows are made without running the selection handler; the model's current row is kept.
    QSignalBlocker block(ListBox1);
    ListBox1->clear();
    for (size_t row = 0; row < Fonts.size(); ++row) {
        auto *item = new QListWidgetItem(BytesToText(FontListCaption(Fonts[row])));
        item->setSizeHint(QSize(0, 16));
        ListBox1->addItem(item);
        // Rows of fonts whose names start alike differ only at the end: the row is
        // elided in the middle, and the whole path is one hover away.
        RefreshFontRow(static_cast<int>(row));
    }
    ListBox1->setCurrentRow(Fonts.currentIndex());
}

void TFontPage::RefreshFontRow(int row)
{
    QListWidgetItem *item = ListBox1->item(row);
    if (!item || row >= static_cast<int>(Fonts.size()))
        return;
    const TProjectRecord &slot = Fonts[static_cast<size_t>(row)];
    // Unsaved fonts stand out in italics, so "BDF fonts not saved" is never a surprise.
    QFont f = ListBox1->font();
    f.setItalic(slot.Modified);
    item->setFont(f);
    item->setForeground(slot.Modified ? QBrush(QColor(160, 0, 0)) : ListBox1->palette().brush(QPalette::Text));
    item->setToolTip(PathToQ(slot.FileName) + (slot.Modified ? QStringLiteral(" (unsaved changes)") : QString()));
}

void TFontPage::SelectFontRow(int row)
{
    {
        // The program's own selection runs the handler once, explicitly.
        QSignalBlocker block(ListBox1);
        ListBox1->setCurrentRow(row);
    }
    Fonts.setCurrentIndex(ListBox1->currentRow());
    ListBox1Click();
}

void TFontPage::ListBox1Click()
{
    TProjectRecord *slot = CurrentSlot();
    if (!slot)
        return;
    const TBDFFont &font = slot->Font;
    SizeFrameGrid(font.FBBWidth, font.FBBHeight);
    RxDrawGrid2Click();
    Edit6->setText(BytesToText(font.FontName));
    // A long name shows from its start.
    Edit6->setCursorPosition(0);
    Edit7->setText(QString::fromStdString(FormatUid(font.Uid)));
    Edit8->setText(QString::number(font.FBBWidth));
    Edit9->setText(QString::number(font.FBBXOff));
    Edit10->setText(QString::number(font.FBBHeight));
    Edit11->setText(QString::number(font.FBBYOff));
    RepaintViews();
    // The table takes the keyboard only while this page is the one shown.
    if (!isHidden())
        RxDrawGrid2->setFocus();
}

void TFontPage::OpenFonts(const QStringList &paths)
{
    std::string opened;
    // Said also when a later file fails: the fonts read before it stay open.
    const auto sayOpened = qScopeGuard([&] {
        if (!opened.empty())
            SetStatus("Opened " + opened, 0);
    });
    for (const QString &path : paths) {
        // Named once and for all: later saves go to this file wherever the program is.
        const std::string file = FullPath(PathFromQ(path));
        // Read into a slot of its own first: a file that cannot be read (or holds
        // no font) leaves no slot behind, so the list and the fonts stay parallel.
        TProjectRecord slot;
        const TFontReadReport report = OpenFont(file, slot.Font, {Project.Debug});
        slot.FileName = file;
        slot.Kind = report.Kind;
        LastBdfFolder = QFileInfo(path).absolutePath();
        Fonts.append(std::move(slot));
        const TProjectRecord &added = Fonts.back();
        SizeFrameGrid(added.Font.FBBWidth, added.Font.FBBHeight);
        opened += (opened.empty() ? "" : ", ") + FileNameOnly(file) + ": " + GlyphCount(added.Font.Chars.size());
        emit fontFileOpened(file);
        const std::string warning = FontWarningText(file, added.Font, report);
        if (!warning.empty())
            Prompts().showWarning(BytesToText(warning));
    }
    if (ListBox1->count() > 0)
        SelectFontRow(ListBox1->count() - 1);
}

void TFontPage::ToolButton1Click()
{
    TFileDialogSetup setup{FontFileFilter, QStringLiteral("bdf"), true, false, LastBdfFolder};
    const QStringList paths = Prompts().openFileNames(setup);
    if (!paths.isEmpty())
        OpenFonts(paths);
}

void TFontPage::ToolButton19Click()
{
    Fonts.append(NewFontSlot(TickCount()));
    SizeFrameGrid(12, 12);
    SelectFontRow(ListBox1->count() - 1);
}

void TFontPage::ToolButton3Click()
{
    if (Fonts.empty() || !CurrentSlot())
        return;
    if (!Prompts().askYesNo(QStringLiteral("Are you sure?"), TAskIcon::Warning, TAskDefault::No))
        return;
    Fonts.remove(Fonts.currentIndex());
    if (ListBox1->count() > 0)
        SelectFontRow(0);
    else
        ShowNoFont();
}

void TFontPage::ShowNoFont()
{
    ShowEmptyGlyph();
    // No font is current: the header shows none, not the last one's.
    for (QLineEdit *field : {Edit6, Edit7, Edit8, Edit9, Edit10, Edit11})
        field->clear();
    RepaintViews();
}

QString TFontPage::SaveFolderFor(const TProjectRecord &slot) const
{
    // A font read from a file is saved beside it; a new font where fonts were last opened or saved.
    if (slot.FileName.find('/') != std::string::npos)
        return QFileInfo(PathToQ(slot.FileName)).absolutePath();
    return LastBdfFolder;
}

const QString TFontPage::FontFileFilter =
    QStringLiteral("Fonts|*.bdf;*.bdf.gz;*.pcf;*.pcf.gz;*.psf;*.psfu;*.psf.gz;*.psfu.gz;*.hex;*.hex.gz|BDF|*.bdf;*.bdf.gz|"
                   "PCF|*.pcf;*.pcf.gz|PSF|*.psf;*.psfu;*.psf.gz;*.psfu.gz|Unifont hex|*.hex;*.hex.gz|All files|*.*");
const QString TFontPage::FontSaveFilter =
    QStringLiteral("bdf font|*.bdf|PCF|*.pcf;*.pcf.gz|PSF|*.psf;*.psfu;*.psf.gz;*.psfu.gz|Unifont hex|*.hex|"
                   "Compressed BDF|*.bdf.gz");

bool TFontPage::AskFormat(const TBDFFont &font, const std::string &path, TFontFileKind kind, TFontWriteOptions &options)
{
    const std::vector<std::string> lost = WhatFormatCannotHold(font, kind.Format);
    if (lost.empty())
        return true;
    if (kind.Format == TFontFormat::Hex) {
        // Glyphs .hex cannot draw are refused whatever the answer: say so rather than ask.
        try {
            FormatFont(font, {kind.Format, false});
        } catch (const TFontFormatError &e) {
            std::string text = "\"";
            text.append(FileNameOnly(path)).append("\" was not written: ").append(e.what());
            Prompts().showError(BytesToText(text));
            return false;
        }
    }
    std::string text = std::string(FormatName(kind.Format)) + " cannot hold all that this font has:\n";
    for (const std::string &line : lost)
        text += "- " + line + "\n";
    text += "\nSave \"" + FileNameOnly(path) + "\" anyway" +
            (kind.Format == TFontFormat::PSF2 ? ", every glyph drawn into one cell of the font's box?" : "?");
    if (!Prompts().askYesNo(BytesToText(text), TAskIcon::Warning, TAskDefault::No))
        return false;
    options.PadToBox = kind.Format == TFontFormat::PSF2;
    return true;
}

void TFontPage::ToolButton2Click()
{
    TProjectRecord *slot = CurrentSlot();
    if (!slot)
        return;
    TFileDialogSetup setup{FontSaveFilter, QStringLiteral("bdf"), false, true, SaveFolderFor(*slot)};
    const QString path = Prompts().saveFileName(setup, PathToQ(FileNameOnly(slot->FileName)));
    if (path.isEmpty())
        return;
    const TFontFileKind kind = SaveKindFor(*slot, PathFromQ(path));
    TFontWriteOptions options;
    if (!AskFormat(slot->Font, PathFromQ(path), kind, options))
        return;
    Fonts.save(Fonts.currentIndex(), PathFromQ(path), kind, options);
    LastBdfFolder = QFileInfo(path).absolutePath();
    SetStatus("Saved " + PathFromQ(path), 0);
}

void TFontPage::ToolButton25Click()
{
    std::string saved;
    const TQuickSave plan = PlanQuickSave(Fonts.all());
    for (int row : plan.Rows) {
        const TProjectRecord &slot = Fonts[size_t(row)];
        const TFontFileKind kind = SaveKindFor(slot, slot.FileName);
        TFontWriteOptions options;
        if (!AskFormat(slot.Font, slot.FileName, kind, options))
            continue;
        Fonts.save(row, slot.FileName, kind, options);
        saved += (saved.empty() ? "" : ", ") + Fonts[size_t(row)].FileName;
    }
    if (!saved.empty())
        SetStatus("Saved " + saved, 0);
    if (!plan.Clashes.empty()) {
        QStringList files;
        for (const std::string &file : plan.Clashes)
            files << PathToQ(file);
        Prompts().showError(QStringLiteral("These files are open more than once with unsaved changes in more than one "
                                           "copy, so they were not saved; save all but one copy under other names:\n") +
                            files.join('\n'));
    }
}
