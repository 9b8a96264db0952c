#include "fmain.h"

#include "chartable/chartablewidget.h"
#include "compiler/compilerpage.h"
#include "dialogs.h"
#include "editor/glyphgrids.h"
#include "errorhandler.h"
#include "fontlist.h"
#include "prompts.h"
#include "platform/textconv.h"
#include "uikit.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

QColor StatusQColor(uint32_t colour)
{
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

TStatusPanel::TStatusPanel(QWidget *parent) : QWidget(parent)
{
    QFont f = font();
    f.setPointSize(8);
    setFont(f);
    setMinimumSize(50, 19);
}

void TStatusPanel::setStatus(const QString &text, uint32_t colour)
{
    Text = text;
    Colour = StatusQColor(colour);
    update();
}

void TStatusPanel::StatusBar1DrawPanel(QPainter &painter)
{
    painter.setPen(Colour);
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop, Text);
}

void TStatusPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    StatusBar1DrawPanel(p);
}

TFormMain::TFormMain(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Редактор шрифтов"));
    CreateMenus();
    PageControl1 = new QTabWidget(this);
    PageControl1->addTab(CreateFontPage(), QStringLiteral("BDF редактор"));
    CompilerPage = new TCompilerPage(State.Fonts, State.Project);
    TabSheet2 = CompilerPage;
    PageControl1->addTab(CompilerPage, QStringLiteral("КОМПИЛЯТОР GDR"));
    setCentralWidget(PageControl1);
    StatusPanel = new TStatusPanel(this);
    statusBar()->addWidget(StatusPanel, 1);
    statusBar()->setFixedHeight(19);
    ConnectGlyphEditor();
    ConnectCharTable();
    ConnectHeaderPanel();
    connect(CompilerPage, &TCompilerPage::statusChanged, this, &TFormMain::SetStatus);
    connect(CompilerPage, &TCompilerPage::titleChanged, this, &QWidget::setWindowTitle);
    connect(CompilerPage, &TCompilerPage::fontsReplaced, this, [this] {
        if (ListBox1->count() > 0)
            SelectFontRow(ListBox1->count() - 1);
        else
            ShowNoFont();
    });
    CompilerPage->FontFolder = [this] { return LastBdfFolder; };
    connect(&State.Fonts, &TOpenFonts::modifiedChanged, this, &TFormMain::RefreshFontRow);
    connect(&State.Fonts, &TOpenFonts::fontsChanged, this, &TFormMain::RebuildFontRows);
    resize(755, 618);
    if (QScreen *screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    RestorePlacement();
}

TFormMain::~TFormMain() = default;

void TFormMain::CreateMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("Файл"));
    Open1 = file->addAction(QStringLiteral("Открыть"), QKeySequence(Qt::CTRL | Qt::Key_O), this, &TFormMain::Open1Click);
    Save1 = file->addAction(QStringLiteral("Сохранить"), QKeySequence(Qt::CTRL | Qt::Key_S), this, &TFormMain::Save1Click);
    QuickSave1 = file->addAction(QStringLiteral("Быстро сохраните все шрифты"), QKeySequence(Qt::CTRL | Qt::Key_Q), this,
                                 &TFormMain::ToolButton25Click);
    QMenu *edit = menuBar()->addMenu(QStringLiteral("Редактирование"));
    Moveup1 = edit->addAction(QStringLiteral("Перемещение вверх"), QKeySequence(Qt::CTRL | Qt::Key_U), this,
                              &TFormMain::Moveup1Click);
    Movedown1 = edit->addAction(QStringLiteral("Перемещение вниз"), QKeySequence(Qt::CTRL | Qt::Key_D), this,
                                &TFormMain::Movedown1Click);
    // Zoom of the glyph grids and going to a code: shortcuts of the window, not menu entries.
    ZoomIn1 = new QAction(QStringLiteral("Увеличить"), this);
    ZoomIn1->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    ZoomOut1 = new QAction(QStringLiteral("Уменьшить"), this);
    ZoomOut1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    ZoomReset1 = new QAction(QStringLiteral("Обычный размер"), this);
    ZoomReset1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    GoTo1 = new QAction(QStringLiteral("Перейти к коду"), this);
    GoTo1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    for (QAction *a : {ZoomIn1, ZoomOut1, ZoomReset1, GoTo1})
        addAction(a);
    connect(ZoomIn1, &QAction::triggered, this, [this] { SetZoom(ZoomCellSize + 2); });
    connect(ZoomOut1, &QAction::triggered, this, [this] { SetZoom(ZoomCellSize - 2); });
    connect(ZoomReset1, &QAction::triggered, this, [this] { SetZoom(GlyphCellSize); });
    connect(GoTo1, &QAction::triggered, this, [this] {
        PageControl1->setCurrentIndex(0);
        EditGoTo->setFocus();
        EditGoTo->selectAll();
    });
    // The menu title is itself the command.
    About1 = menuBar()->addAction(QStringLiteral("О программе"));
    connect(About1, &QAction::triggered, this, &TFormMain::About1Click);
}

QWidget *TFormMain::CreateFontPage()
{
    TabSheet1 = new QWidget;
    auto *layout = new QHBoxLayout(TabSheet1);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ToolBar1 = NewSideToolBar(TabSheet1);
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
    connect(ToolButton19, &QToolButton::clicked, this, &TFormMain::ToolButton19Click);
    connect(ToolButton1, &QToolButton::clicked, this, &TFormMain::ToolButton1Click);
    connect(ToolButton2, &QToolButton::clicked, this, &TFormMain::ToolButton2Click);
    connect(ToolButton25, &QToolButton::clicked, this, &TFormMain::ToolButton25Click);
    connect(ToolButton3, &QToolButton::clicked, this, &TFormMain::ToolButton3Click);
    connect(ToolButton15, &QToolButton::clicked, this, &TFormMain::ToolButton15Click);
    connect(ToolButton17, &QToolButton::clicked, this, &TFormMain::ToolButton17Click);
    layout->addWidget(ToolBar1);

    Splitter1 = new QSplitter(Qt::Vertical, TabSheet1);
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
    upperLayout->addWidget(ListBox1);
    upperLayout->addWidget(CreateGlyphEditor(), 1);

    Splitter1->addWidget(upper);
    Splitter1->addWidget(CreateLowerArea());
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter1->setSizes({360, 188});
    layout->addWidget(Splitter1, 1);

    connect(ListBox1, &QListWidget::currentRowChanged, this, [this](int row) {
        State.Fonts.setCurrentIndex(row);
        ListBox1Click();
    });
    // Every click reloads the clicked font, also on the row already selected (a
    // click that changes the row reloads twice, which changes nothing).
    connect(ListBox1, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        State.Fonts.setCurrentIndex(ListBox1->row(item));
        ListBox1Click();
    });
    return TabSheet1;
}

bool TFormMain::event(QEvent *event)
{
    // The project of the command line is read once, as soon as the window is shown
    // or activated: a window that starts without focus must not stay empty. Read
    // after the show has been handled, so that its questions have a window.
    if ((event->type() == QEvent::WindowActivate || event->type() == QEvent::Show) && !Activated) {
        Activated = true;
        QMetaObject::invokeMethod(this, &TFormMain::FormActivate, Qt::QueuedConnection);
    }
    return QMainWindow::event(event);
}

void TFormMain::FormActivate()
{
    const std::string project = StartupProjectArgument(Arguments);
    if (!project.empty())
        CompilerPage->OpenBitloom(project);
}

bool TFormMain::FormClose()
{
    if (State.Project.ProjectModified && Prompts().askYesNo(QStringLiteral("Save Bitloom project?"), TAskIcon::Question,
                                                        TAskDefault::Yes)) {
        // A project the user wanted saved but that was not saved keeps the window open.
        if (!CompilerPage->ToolButton5Click())
            return false;
    }
    if (State.Fonts.anyModified())
        return Prompts().askYesNo(QStringLiteral("BDF fonts not saved, exit?"), TAskIcon::Question, TAskDefault::No);
    return true;
}

void TFormMain::closeEvent(QCloseEvent *event)
{
    bool mayClose = false;
    try {
        mayClose = FormClose();
    } catch (...) {
        // A failed project save must not let the window go with the work.
        Prompts().showError(CurrentErrorText());
    }
    if (!mayClose) {
        event->ignore();
        return;
    }
    SavePlacement();
    event->accept();
}

void TFormMain::RestorePlacement()
{
    QSettings settings;
    const QByteArray geometry = settings.value(QStringLiteral("MainWindow/geometry")).toByteArray();
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
    SetZoom(settings.value(QStringLiteral("Editor/cellSize"), GlyphCellSize).toInt());
}

void TFormMain::SavePlacement()
{
    QSettings settings;
    settings.setValue(QStringLiteral("MainWindow/geometry"), saveGeometry());
    settings.setValue(QStringLiteral("Editor/cellSize"), ZoomCellSize);
}

void TFormMain::Open1Click()
{
    if (PageControl1->currentIndex() == 0)
        ToolButton1Click();
    else
        CompilerPage->ToolButton4Click();
}

void TFormMain::Save1Click()
{
    if (PageControl1->currentIndex() == 0)
        ToolButton2Click();
    else
        CompilerPage->ToolButton5Click();
}

void TFormMain::Moveup1Click()
{
    MoveSelection(-1);
}

void TFormMain::Movedown1Click()
{
    MoveSelection(+1);
}

void TFormMain::MoveSelection(int direction)
{
    if (PageControl1->currentIndex() == 1)
        CompilerPage->StepTypefaceSelection(direction);
    else
        StepListSelection(*ListBox1, direction);
}

void TFormMain::About1Click()
{
    if (Dialogs && Dialogs->AboutBox)
        Dialogs->AboutBox->exec();
}

void TFormMain::SetStatus(const std::string &text, uint32_t colour)
{
    State.StatusText = text;
    State.StatusColour = colour;
    StatusPanel->setStatus(BytesToText(text), colour);
}

void TFormMain::RepaintViews()
{
    RxDrawGrid1->update();
    RxDrawGrid2->refresh();
}
