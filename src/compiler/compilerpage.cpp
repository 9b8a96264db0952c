// The compiler page: the project file and the typefaces of the font store.
#include "compilerpage.h"

#include "app/busybox.h"
#include "app/fontlist.h"
#include "app/prompts.h"
#include "platform/textconv.h"
#include "app/uikit.h"
#include "bdf/bdfreader.h"
#include "bdf/fileio.h"
#include "bdf/paths.h"
#include "compilerun.h"
#include "compilersource.h"
#include "preview.h"
#include "jpegpicture.h"
#include "model/fileerror.h"
#include "model/textfuncs.h"
#include "project.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

namespace {

// The comment box holds at most this many characters.
constexpr int MaxCommentLength = 255;
// The picture panel opens to the picture's height, but no further.
constexpr int MaxPictureHeight = 220;

QToolBar *SmallBar(QWidget *parent)
{
    auto *bar = new QToolBar(parent);
    bar->setIconSize(QSize(16, 16));
    return bar;
}

QLineEdit *PlacementField(QWidget *parent, QGridLayout *grid, int column, const char *label)
{
    grid->addWidget(new QLabel(QString::fromLatin1(label), parent), 0, column);
    auto *e = new QLineEdit(parent);
    e->setMinimumWidth(FieldWidth(*e, QStringLiteral("-0000")));
    e->setMaximumWidth(FieldWidth(*e, QStringLiteral("-0000000")));
    grid->addWidget(e, 1, column);
    return e;
}

QImage ToImage(const TRgbPicture &picture)
{
    QImage image(picture.Width, picture.Height, QImage::Format_RGB888);
    for (int y = 0; y < picture.Height; ++y)
        std::memcpy(image.scanLine(y), picture.Pixels.data() + size_t(y) * size_t(picture.Width) * 3,
                    size_t(picture.Width) * 3);
    return image;
}

// The folder the compile runs in (ResolveCompilerFolder); when none applies, a
// folder the user chooses, checked and remembered for later compiles. Empty
// when the user cancels.
std::string CompilerFolder(const std::string &programFolder)
{
    const std::string found = ResolveCompilerFolder({}, programFolder);
    if (!found.empty())
        return found;
    const QString chosen = Prompts().chooseFolder(QStringLiteral("Folder of fnttran.exe, where compiles run"), QString());
    if (chosen.isEmpty())
        return {};
    const std::string folder = PathFromQ(chosen);
    CheckCompilerFolder(folder);
    RememberCompilerFolder(folder);
    return folder;
}

} // namespace

TCompilerPage::TCompilerPage(TOpenFonts &fonts, TProject &project, QWidget *parent)
    : QWidget(parent), Fonts(fonts), Project(project)
{
    CreateControls();
    ConnectControls();
}

void TCompilerPage::CreateControls()
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto *toolBar2 = NewSideToolBar(this);
    ToolButton20 = AddToolButton(toolBar2, ThemeIcon("document-new", QStyle::SP_FileIcon),
                                 QStringLiteral("Новый проект этой программы"), 33);
    ToolButton4 = AddToolButton(toolBar2, ThemeIcon("document-open", QStyle::SP_DialogOpenButton),
                                QStringLiteral("Открыть файл"), 33);
    ToolButton5 = AddToolButton(toolBar2, ThemeIcon("document-save-as", QStyle::SP_DialogSaveButton),
                                QStringLiteral("Сохранить файл как"), 33);
    ToolButton6 = AddToolButton(toolBar2, ThemeIcon("system-run", QStyle::SP_MediaPlay),
                                QStringLiteral("Сохранить как GDR"), 33);
    layout->addWidget(toolBar2);

    auto *right = new QVBoxLayout;
    auto *top = new QHBoxLayout;

    // First column: the typefaces, their type and placement.
    auto *faces = new QVBoxLayout;
    ListBox2 = new QListWidget(this);
    ListBox2->setMinimumWidth(100);
    faces->addWidget(ListBox2, 1);
    ComboBox1 = new QComboBox(this);
    ComboBox1->addItems({"Proportional", "System", "Serif"});
    faces->addWidget(ComboBox1);
    Label10 = new QLabel(QStringLiteral("расположение:"), this);
    QFont underlined = Label10->font();
    underlined.setUnderline(true);
    Label10->setFont(underlined);
    faces->addWidget(Label10);
    auto *placement = new QGridLayout;
    placement->setHorizontalSpacing(2);
    Edit15 = PlacementField(this, placement, 0, "X");
    Edit16 = PlacementField(this, placement, 1, "Y");
    Edit17 = PlacementField(this, placement, 2, "Xoff");
    Edit18 = PlacementField(this, placement, 3, "Yoff");
    faces->addLayout(placement);
    ToolBar3 = SmallBar(this);
    ToolButton7 = AddToolButton(ToolBar3, ThemeIcon("list-add", QStyle::SP_FileDialogNewFolder),
                                QStringLiteral("Добавить"), 22);
    ToolButton8 = AddToolButton(ToolBar3, ThemeIcon("document-properties", QStyle::SP_FileDialogDetailedView),
                                QStringLiteral("Редактировать"), 22);
    ToolButton9 = AddToolButton(ToolBar3, ThemeIcon("list-remove", QStyle::SP_TrashIcon), QStringLiteral("Удалить"), 22);
    ToolButton10 = AddToolButton(ToolBar3, ThemeIcon("go-up", QStyle::SP_ArrowUp), QStringLiteral("Перемещение вверх"), 22);
    ToolButton11 = AddToolButton(ToolBar3, ThemeIcon("go-down", QStyle::SP_ArrowDown), QStringLiteral("Перемещение вниз"),
                                 22);
    faces->addWidget(ToolBar3);
    top->addLayout(faces, 1);

    // Second column: the typeface's fonts, picture and comment.
    auto *fonts = new QVBoxLayout;
    ListBox3 = new QListWidget(this);
    ListBox3->setMinimumWidth(100);
    fonts->addWidget(ListBox3, 1);
    Panel14 = new QWidget(this);
    Panel14->setFixedHeight(0);
    Image2 = new QLabel(Panel14);
    Image2->move(0, 0);
    fonts->addWidget(Panel14);
    Memo2 = new QPlainTextEdit(this);
    Memo2->setMaximumHeight(80);
    Memo2->setMinimumWidth(100);
    fonts->addWidget(Memo2);
    ToolBar4 = SmallBar(this);
    ToolButton12 = AddToolButton(ToolBar4, ThemeIcon("list-add", QStyle::SP_FileDialogNewFolder),
                                 QStringLiteral("Добавить"), 22);
    ToolButton13 = AddToolButton(ToolBar4, ThemeIcon("document-properties", QStyle::SP_FileDialogDetailedView),
                                 QStringLiteral("Редактировать"), 22);
    ToolButton14 = AddToolButton(ToolBar4, ThemeIcon("list-remove", QStyle::SP_TrashIcon), QStringLiteral("Удалить"), 22);
    fonts->addWidget(ToolBar4);
    top->addLayout(fonts, 1);

    // Top right: the preview of a typed sample.
    auto *preview = new QVBoxLayout;
    auto *sampleRow = new QHBoxLayout;
    sampleRow->addWidget(new QLabel(QStringLiteral("Тип шрифта:"), this));
    sampleRow->addStretch();
    preview->addLayout(sampleRow);
    auto *editRow = new QHBoxLayout;
    Edit12 = new QLineEdit(this);
    editRow->addWidget(Edit12, 1);
    SpeedButton9 = new QToolButton(this);
    SpeedButton9->setIcon(ThemeIcon("edit-clear", QStyle::SP_LineEditClearButton));
    SpeedButton9->setToolTip(QStringLiteral("Удалить текст"));
    SpeedButton9->setAutoRaise(true);
    editRow->addWidget(SpeedButton9);
    preview->addLayout(editRow);
    auto *previewPanel = new QLabel(this);
    previewPanel->setFrameShape(QFrame::Panel);
    previewPanel->setFrameShadow(QFrame::Sunken);
    previewPanel->setAutoFillBackground(true);
    QPalette white = previewPanel->palette();
    white.setColor(QPalette::Window, Qt::white);
    previewPanel->setPalette(white);
    previewPanel->setFixedSize(286, 44);
    Image1 = new QLabel(previewPanel);
    Image1->setGeometry(2, 2, 282, 40);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    preview->addWidget(previewPanel);
    preview->addStretch();
    auto *previewColumn = new QWidget(this);
    previewColumn->setLayout(preview);
    preview->setContentsMargins(0, 0, 0, 0);
    previewColumn->setFixedWidth(previewPanel->width());
    top->addWidget(previewColumn);

    right->addLayout(top, 1);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setFamilies({QStringLiteral("Courier New"), fixed.family()});
    Memo1->setFont(fixed);
    Memo1->setMaximumHeight(120);
    right->addWidget(Memo1);
    layout->addLayout(right, 1);
    // Named as in the window layout, so that tests and style sheets find them.
    const std::pair<QObject *, const char *> named[] = {
        {ToolButton20, "ToolButton20"}, {ToolButton4, "ToolButton4"}, {ToolButton5, "ToolButton5"},
        {ToolButton6, "ToolButton6"},   {ListBox2, "ListBox2"},       {ComboBox1, "ComboBox1"},
        {Edit15, "Edit15"},             {Edit16, "Edit16"},           {Edit17, "Edit17"},
        {Edit18, "Edit18"},             {ToolBar3, "ToolBar3"},       {ToolBar4, "ToolBar4"},
        {ListBox3, "ListBox3"},         {Panel14, "Panel14"},         {Image2, "Image2"},
        {Memo2, "Memo2"},               {Edit12, "Edit12"},           {Image1, "Image1"},
        {Memo1, "Memo1"},
    };
    for (const auto &[object, name] : named)
        object->setObjectName(QString::fromLatin1(name));
}

void TCompilerPage::ConnectControls()
{
    connect(ToolButton20, &QToolButton::clicked, this, &TCompilerPage::ToolButton20Click);
    connect(ToolButton4, &QToolButton::clicked, this, &TCompilerPage::ToolButton4Click);
    connect(ToolButton5, &QToolButton::clicked, this, [this] { ToolButton5Click(); });
    connect(ToolButton6, &QToolButton::clicked, this, &TCompilerPage::ToolButton6Click);
    connect(Edit12, &QLineEdit::textChanged, this, &TCompilerPage::Edit12Change);
    connect(SpeedButton9, &QToolButton::clicked, this, &TCompilerPage::SpeedButton9Click);
    // Every click refills the panel, also on the row already selected; a click that
    // changes the row fills it once, when the row changes.
    connect(ListBox2, &QListWidget::currentRowChanged, this, [this] {
        ListBox2Click();
        PanelFilledThisClick = true;
    });
    connect(ListBox2, &QListWidget::itemClicked, this, [this] {
        if (!PanelFilledThisClick)
            ListBox2Click();
    });
    ListBox2->viewport()->installEventFilter(this);
    connect(ListBox2, &QListWidget::itemDoubleClicked, this, &TCompilerPage::ToolButton8Click);
    connect(ListBox3, &QListWidget::itemDoubleClicked, this, &TCompilerPage::ToolButton13Click);
    // The user's pick only: the panel's own fill never writes the type back.
    connect(ComboBox1, &QComboBox::activated, this, &TCompilerPage::ComboBox1Change);
    const std::pair<QLineEdit *, int32_t TTypeface::*> fields[] = {
        {Edit15, &TTypeface::FontBoundingBox1},
        {Edit16, &TTypeface::FontBoundingBox2},
        {Edit17, &TTypeface::FontBoundingBox3},
        {Edit18, &TTypeface::FontBoundingBox4},
    };
    for (const auto &[field, member] : fields)
        connect(field, &QLineEdit::textChanged, this, [this, member](const QString &t) { PlacementChange(member, t); });
    connect(Memo2, &QPlainTextEdit::textChanged, this, &TCompilerPage::Memo2Change);
    const std::pair<QToolButton *, void (TCompilerPage::*)()> buttons[] = {
        {ToolButton7, &TCompilerPage::ToolButton7Click},   {ToolButton8, &TCompilerPage::ToolButton8Click},
        {ToolButton9, &TCompilerPage::ToolButton9Click},   {ToolButton10, &TCompilerPage::ToolButton10Click},
        {ToolButton11, &TCompilerPage::ToolButton11Click}, {ToolButton12, &TCompilerPage::ToolButton12Click},
        {ToolButton13, &TCompilerPage::ToolButton13Click}, {ToolButton14, &TCompilerPage::ToolButton14Click},
    };
    for (const auto &[button, handler] : buttons)
        connect(button, &QToolButton::clicked, this, handler);
    // A click on either tool bar itself, or into the X field, marks the project.
    for (QObject *o : std::initializer_list<QObject *>{ToolBar3, ToolBar4, Edit15})
        o->installEventFilter(this);
}

bool TCompilerPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress && (watched == ToolBar3 || watched == ToolBar4 || watched == Edit15))
        Project.markModified();
    if (event->type() == QEvent::MouseButtonPress && watched == ListBox2->viewport())
        PanelFilledThisClick = false;
    return QWidget::eventFilter(watched, event);
}

bool TCompilerPage::MayReplaceFonts()
{
    return !Fonts.anyModified() ||
           Prompts().askYesNo(QStringLiteral("BDF fonts not saved, continue?"), TAskIcon::Question, TAskDefault::No);
}

bool TCompilerPage::MayReplaceProject()
{
    return !Project.ProjectModified || Prompts().askYesNo(QStringLiteral("Bitloom project not saved, continue?"),
                                                        TAskIcon::Question, TAskDefault::No);
}

void TCompilerPage::ToolButton20Click()
{
    if (MayReplaceProject())
        NewProject();
}

void TCompilerPage::NewProject()
{
    Project.startNew();
    {
        QSignalBlocker block(ListBox2);
        ListBox2->clear();
        ListBox2->addItem(QStringLiteral("tf_1"));
        ListBox2->setCurrentRow(-1);
    }
    emit titleChanged(QStringLiteral("new"));
    // No typeface is selected: the panel shows none, not the old project's.
    ClearTypefacePanel();
}

void TCompilerPage::ClearTypefaceContents()
{
    {
        QSignalBlocker block(Memo2);
        Memo2->clear();
    }
    Image2->clear();
    Panel14->setFixedHeight(0);
    ListBox3->clear();
}

void TCompilerPage::ClearTypefacePanel()
{
    ClearTypefaceContents();
    for (QLineEdit *field : {Edit15, Edit16, Edit17, Edit18}) {
        QSignalBlocker block(field);
        field->clear();
    }
    ComboBox1->setCurrentIndex(-1);
}

void TCompilerPage::ShowProjectInTitle(const std::string &path)
{
    emit titleChanged(PathToQ(FileNameOnly(path)) + QStringLiteral(" - Редактор шрифтов"));
}

QString TCompilerPage::ProjectDialogFolder() const
{
    // The project's own folder; for a new project, where projects were last opened or saved.
    if (!Project.ProjectFileName.empty())
        return PathToQ(FolderOf(Project.ProjectFileName));
    return LastProjectFolder.isEmpty() && FontFolder ? FontFolder() : LastProjectFolder;
}

void TCompilerPage::ToolButton4Click()
{
    if (!MayOpenProject())
        return;
    const QStringList chosen = Prompts().openFileNames(
        {QStringLiteral("Bitloom Project|*.bitloom|All files|*.*"), QString(), false, false, ProjectDialogFolder()});
    if (!chosen.isEmpty())
        OpenBitloom(PathFromQ(chosen.first()));
}

bool TCompilerPage::OpenProjectFile(const std::string &path)
{
    if (!MayOpenProject())
        return false;
    OpenBitloom(path);
    return true;
}

bool TCompilerPage::ToolButton5Click()
{
    const QString name = Project.ProjectFileName.empty() ? QString() : PathToQ(FileNameOnly(Project.ProjectFileName));
    const QString path = Prompts().saveFileName({QStringLiteral("Bitloom project|*.bitloom|All files|*.*"),
                                                 QStringLiteral("bitloom"), false, true, ProjectDialogFolder()},
                                                name);
    if (path.isEmpty())
        return false;
    SaveProject(PathFromQ(path));
    return true;
}

void TCompilerPage::OpenBitloom(const std::string &path)
{
    // Everything is read before anything changes: a file that exists but cannot
    // be read, or is no project, leaves the project and the fonts as they are.
    TOpenedProject opened = Project.open(path);
    LastProjectFolder = PathToQ(FolderOf(Project.ProjectFileName));
    {
        QSignalBlocker block(ListBox2);
        ListBox2->clear();
        for (const TTypeface &t : Project.Typefaces)
            ListBox2->addItem(BytesToText(t.Name));
    }
    Fonts.replaceAll(std::move(opened.Fonts));
    emit fontsReplaced();
    {
        QSignalBlocker block(ListBox2);
        ListBox2->setCurrentRow(ListBox2->count() > 0 ? 0 : -1);
    }
    ShowProjectInTitle(Project.ProjectFileName);
    // Before the panel is filled, so a warning about the first typeface's picture stays.
    emit statusChanged(path, 0);
    emit projectFileUsed(Project.ProjectFileName);
    ListBox2Click();
    // The user hears of every font left out: the next save drops them from the project.
    if (!opened.Problems.empty()) {
        QStringList lines;
        for (const std::string &problem : opened.Problems)
            lines << BytesToText(problem);
        Prompts().showWarning(
            QStringLiteral("These fonts of the project were not opened; saving the project leaves them out:\n") +
            lines.join('\n'));
    }
    for (const std::string &warning : opened.Warnings)
        Prompts().showWarning(BytesToText(warning));
}

void TCompilerPage::SaveProject(const std::string &path)
{
    Project.save(path, Fonts.all());
    LastProjectFolder = PathToQ(FolderOf(FullPath(path)));
    emit statusChanged("Saved " + path, 0);
    emit projectFileUsed(path);
}

void TCompilerPage::ListBox2Click()
{
    const TTypeface *t = Project.TypefaceAt(ListBox2->currentRow());
    if (!t) {
        ClearTypefacePanel();
        return;
    }
    ClearTypefaceContents();
    for (const std::string &font : t->FontFiles)
        ListBox3->addItem(BytesToText(font));
    ShowTypefacePicture(*t);
    // Read again: showing a picture error may have run other handlers.
    t = Project.TypefaceAt(ListBox2->currentRow());
    if (!t)
        return;
    {
        QSignalBlocker block(Memo2);
        Memo2->setPlainText(BytesToText(t->Comments));
    }
    // The fields store what they show, which is the typeface's own values.
    const TTypeface values = *t;
    Edit15->setText(QString::number(values.FontBoundingBox1));
    Edit16->setText(QString::number(values.FontBoundingBox2));
    Edit17->setText(QString::number(values.FontBoundingBox3));
    Edit18->setText(QString::number(values.FontBoundingBox4));
    const int type = ComboBox1->findText(BytesToText(values.Type), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (type >= 0)
        ComboBox1->setCurrentIndex(type);
}

void TCompilerPage::ShowTypefacePicture(const TTypeface &typeface)
{
    const std::string path = TypefacePicturePath(Project.ProjectFileName, typeface.Name);
    if (!PathExists(path))
        return;
    TRgbPicture picture;
    try {
        const TByteBuffer bytes = ReadFileBytes(path);
        picture = DecodeJpeg(bytes.view());
    } catch (const TFileError &e) {
        picture.Error = e.reason();
    }
    if (!picture.Error.empty()) {
        Prompts().showError(QStringLiteral("Cannot show the picture \"") + PathToQ(path) + "\": " +
                            QString::fromStdString(picture.Error));
        return;
    }
    const QImage image = ToImage(picture);
    Image2->setPixmap(QPixmap::fromImage(image));
    Image2->resize(image.size());
    Panel14->setFixedHeight(std::min(image.height(), MaxPictureHeight));
    // A minor flaw shows what decoded and says what was wrong.
    if (!picture.Warning.empty())
        emit statusChanged("The picture \"" + path + "\" is flawed: " + picture.Warning, 0x0000FF);
}

void TCompilerPage::ComboBox1Change(int index)
{
    TTypeface *t = Project.TypefaceAt(ListBox2->currentRow());
    if (!t || index < 0)
        return;
    const std::string type = ComboBox1->itemText(index).toStdString();
    if (t->Type != type) {
        t->Type = type;
        Project.markModified();
    }
}

void TCompilerPage::PlacementChange(int32_t TTypeface::*member, const QString &text)
{
    TTypeface *t = Project.TypefaceAt(ListBox2->currentRow());
    if (!t)
        return;
    const int32_t value = ParseIntDef(text.toStdString(), 0);
    if (t->*member != value) {
        t->*member = value;
        Project.markModified();
    }
}

void TCompilerPage::Memo2Change()
{
    TTypeface *t = Project.TypefaceAt(ListBox2->currentRow());
    if (!t || !Memo2->hasFocus())
        return;
    QString text = Memo2->toPlainText();
    if (text.size() > MaxCommentLength) {
        text.truncate(MaxCommentLength);
        QSignalBlocker block(Memo2);
        Memo2->setPlainText(text);
        Memo2->moveCursor(QTextCursor::End);
    }
    std::string comment = TextToBytes(text, t->Comments);
    if (comment != t->Comments) {
        t->Comments = std::move(comment);
        Project.markModified();
    }
}

void TCompilerPage::ToolButton7Click()
{
    const std::optional<QString> text = Prompts().askText(QString());
    if (!text || text->isEmpty())
        return;
    const std::string name = TextToBytes(*text, std::string());
    if (const auto problem = TypefaceNameProblem(Project.Typefaces, name)) {
        Prompts().showError(BytesToText(*problem));
        return;
    }
    TTypeface added;
    added.Name = name;
    added.Type = "Proportional";
    Project.Typefaces.push_back(std::move(added));
    {
        QSignalBlocker block(ListBox2);
        ListBox2->addItem(*text);
    }
    Project.markModified();
}

void TCompilerPage::ToolButton8Click()
{
    const int row = ListBox2->currentRow();
    TTypeface *t = Project.TypefaceAt(row);
    if (!t)
        return;
    const std::optional<QString> text = Prompts().askText(BytesToText(t->Name));
    if (!text || text->isEmpty())
        return;
    const std::string name = TextToBytes(*text, t->Name);
    if (const auto problem = TypefaceNameProblem(Project.Typefaces, name, row)) {
        Prompts().showError(BytesToText(*problem));
        return;
    }
    t->Name = name;
    ListBox2->item(row)->setText(BytesToText(name));
    Project.markModified();
}

void TCompilerPage::ToolButton9Click()
{
    const int row = ListBox2->currentRow();
    if (!Project.TypefaceAt(row))
        return;
    if (!Prompts().askYesNo(QStringLiteral("Are you sure?"), TAskIcon::Warning, TAskDefault::No))
        return;
    Project.Typefaces.erase(Project.Typefaces.begin() + row);
    {
        QSignalBlocker block(ListBox2);
        delete ListBox2->takeItem(row);
        ListBox2->setCurrentRow(-1);
    }
    Project.markModified();
    if (ListBox2->count() > 0)
        ListBox2->setCurrentRow(0);
    else
        ClearTypefacePanel();
}

void TCompilerPage::MoveTypeface(int direction)
{
    const int row = ListBox2->currentRow();
    const std::optional<int> target = MoveTarget(row, static_cast<int>(Project.Typefaces.size()), direction);
    if (!target)
        return;
    std::swap(Project.Typefaces[static_cast<size_t>(row)], Project.Typefaces[static_cast<size_t>(*target)]);
    {
        // The panel shows the same typeface before and after: it is not refilled.
        QSignalBlocker block(ListBox2);
        QListWidgetItem *item = ListBox2->takeItem(row);
        ListBox2->insertItem(*target, item);
        ListBox2->setCurrentRow(*target);
    }
    Project.markModified();
}

void TCompilerPage::StepTypefaceSelection(int direction)
{
    StepListSelection(*ListBox2, direction);
}

void TCompilerPage::ToolButton10Click()
{
    MoveTypeface(-1);
}

void TCompilerPage::ToolButton11Click()
{
    MoveTypeface(+1);
}

void TCompilerPage::ToolButton12Click()
{
    TTypeface *t = Project.TypefaceAt(ListBox2->currentRow());
    if (!t)
        return;
    QStringList names;
    std::vector<std::string> bytes;
    for (const TProjectRecord &slot : Fonts) {
        names << BytesToText(slot.Font.FontName);
        bytes.push_back(slot.Font.FontName);
    }
    const std::optional<QString> picked = Prompts().pickItem(names);
    if (!picked || picked->isEmpty())
        return;
    // The entry is the font's own name, byte for byte.
    const qsizetype i = names.indexOf(*picked);
    t = Project.TypefaceAt(ListBox2->currentRow());
    if (!t)
        return;
    t->FontFiles.push_back(i >= 0 ? bytes[size_t(i)] : picked->toStdString());
    ListBox3->addItem(*picked);
    Project.markModified();
}

TTypeface *TCompilerPage::SelectedFontEntry(int &entry)
{
    TTypeface *t = Project.TypefaceAt(ListBox2->currentRow());
    entry = ListBox3->currentRow();
    return t && entry >= 0 && entry < static_cast<int>(t->FontFiles.size()) ? t : nullptr;
}

void TCompilerPage::ToolButton13Click()
{
    int entry = -1;
    TTypeface *t = SelectedFontEntry(entry);
    if (!t)
        return;
    const std::optional<QString> text = Prompts().askText(BytesToText(t->FontFiles[size_t(entry)]));
    if (!text || text->isEmpty())
        return;
    // Looked up again: the dialog ran the event loop.
    t = SelectedFontEntry(entry);
    if (!t)
        return;
    t->FontFiles[size_t(entry)] = TextToBytes(*text, t->FontFiles[size_t(entry)]);
    ListBox3->item(entry)->setText(*text);
    Project.markModified();
}

void TCompilerPage::ToolButton14Click()
{
    int entry = -1;
    TTypeface *t = SelectedFontEntry(entry);
    if (!t)
        return;
    t->FontFiles.erase(t->FontFiles.begin() + entry);
    delete ListBox3->takeItem(entry);
    ListBox3->setCurrentRow(-1);
    Project.markModified();
}

void TCompilerPage::ToolButton6Click()
{
    if (Fonts.empty())
        return;
    const std::string folder = CompilerFolder(ProgramFolderOr(ProgramFolder));
    if (folder.empty())
        return;
    const QString target = Prompts().saveFileName(
        {QStringLiteral("GDR font|*.gdr|All files|*.*"), QStringLiteral("gdr"), false, true, QString()}, QString());
    if (target.isEmpty())
        return;
    // A source that cannot be written stops the compile with the log as it was.
    PrepareCompile(WriteCompilerSource(Fonts.all(), Project.Typefaces, Project.CollectionUid, Project.KPixelAspectRatio),
                   folder);
    Memo1->clear();

    // The window stays painted while the compiler runs, without a time limit.
    TBusyBox busy(this, QStringLiteral("Compiling the font store..."));
    const TCompileResult result = RunCompiler(folder, PathFromQ(target), [&] { return busy.keepWaiting(); });
    QStringList log;
    for (const std::string &line : result.Log)
        log << BytesToText(line);
    Memo1->setPlainText(log.join('\n'));
    // The verdict is on the last lines, however long the log.
    Memo1->moveCursor(QTextCursor::End);
    Memo1->verticalScrollBar()->setValue(Memo1->verticalScrollBar()->maximum());
    emit statusChanged(result.Status, result.Colour);
}

void TCompilerPage::Edit12Change(const QString &text)
{
    const int n = static_cast<int>(text.size());
    if (n == 0) {
        PreviewLength = 0;
        PreviewImage = QImage();
        Image1->clear();
        return;
    }
    if (n < PreviewLength) {
        PreviewLength = n;
        return;
    }
    PreviewLength = n;
    if (ListBox3->count() == 0 || Fonts.empty())
        return;
    const QString fontName = ListBox3->item(0)->text();
    const TBDFFont *font = nullptr;
    for (const TProjectRecord &slot : Fonts)
        if (BytesToText(slot.Font.FontName) == fontName) {
            font = &slot.Font;
            break;
        }
    if (!font)
        return;
    const int32_t code = text.back().unicode();
    const TBDFChar *glyph = nullptr;
    for (const TBDFChar &ch : font->Chars)
        if (ch.Encoding == code) {
            glyph = &ch;
            break;
        }
    if (!glyph)
        return;
    QImage picture = GlyphPicture(*glyph, Qt::black, 4096);
    if (picture.isNull() && glyph->BBXWidth > 0) {
        // No rows to show, but the glyph still takes its width: one white row.
        picture = QImage(std::min(glyph->BBXWidth, MaxGlyphWidth), 1, QImage::Format_RGB32);
        picture.fill(Qt::white);
    }
    const int32_t extra = code == 32 ? font->FBBWidth / 2 : 1;
    SplitBitmap(PreviewImage, picture, font->FBBHeight, extra, glyph->BBXYOff);
    Image1->setPixmap(QPixmap::fromImage(PreviewImage));
}

void TCompilerPage::SpeedButton9Click()
{
    Edit12->clear();
}
