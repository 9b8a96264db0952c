#include "fmain.h"

#include "compiler/compilerpage.h"
#include "dialogs.h"
#include "editor/gridgeometry.h"
#include "errorhandler.h"
#include "fontlist.h"
#include "fontpage.h"
#include "platform/textconv.h"
#include "prompts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>

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
    FontPage = new TFontPage(Fonts, Project);
    PageControl1->addTab(FontPage, QStringLiteral("BDF редактор"));
    CompilerPage = new TCompilerPage(Fonts, Project);
    PageControl1->addTab(CompilerPage, QStringLiteral("КОМПИЛЯТОР GDR"));
    setCentralWidget(PageControl1);
    StatusPanel = new TStatusPanel(this);
    statusBar()->addWidget(StatusPanel, 1);
    statusBar()->setFixedHeight(19);
    ConnectPages();
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
                                 [this] { FontPage->ToolButton25Click(); });
    QMenu *edit = menuBar()->addMenu(QStringLiteral("Редактирование"));
    Moveup1 = edit->addAction(QStringLiteral("Перемещение вверх"), QKeySequence(Qt::CTRL | Qt::Key_U), this,
                              &TFormMain::Moveup1Click);
    Movedown1 = edit->addAction(QStringLiteral("Перемещение вниз"), QKeySequence(Qt::CTRL | Qt::Key_D), this,
                                &TFormMain::Movedown1Click);
    EditMenu = edit;
    // Zoom of the glyph grids and going to a code; they join the edit menu with the font page's commands.
    ZoomIn1 = new QAction(QStringLiteral("Увеличить"), this);
    ZoomIn1->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    ZoomOut1 = new QAction(QStringLiteral("Уменьшить"), this);
    ZoomOut1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    ZoomReset1 = new QAction(QStringLiteral("Обычный размер"), this);
    ZoomReset1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    GoTo1 = new QAction(QStringLiteral("Перейти к коду"), this);
    GoTo1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    connect(ZoomIn1, &QAction::triggered, this, [this] { FontPage->SetZoom(FontPage->ZoomCellSize() + 2); });
    connect(ZoomOut1, &QAction::triggered, this, [this] { FontPage->SetZoom(FontPage->ZoomCellSize() - 2); });
    connect(ZoomReset1, &QAction::triggered, this, [this] { FontPage->SetZoom(GlyphCellSize); });
    connect(GoTo1, &QAction::triggered, this, [this] {
        PageControl1->setCurrentWidget(FontPage);
        FontPage->FocusGoTo();
    });
    // The menu title is itself the command.
    About1 = menuBar()->addAction(QStringLiteral("О программе"));
    connect(About1, &QAction::triggered, this, &TFormMain::About1Click);
}

void TFormMain::ConnectPages()
{
    connect(FontPage, &TFontPage::statusChanged, this, &TFormMain::SetStatus);
    connect(CompilerPage, &TCompilerPage::statusChanged, this, &TFormMain::SetStatus);
    connect(CompilerPage, &TCompilerPage::titleChanged, this, &QWidget::setWindowTitle);
    connect(CompilerPage, &TCompilerPage::fontsReplaced, FontPage, &TFontPage::ShowLastFont);
    CompilerPage->FontFolder = [this] { return FontPage->BdfFolder(); };
    EditMenu->addSeparator();
    EditMenu->addActions(FontPage->EditActions());
    EditMenu->addSeparator();
    EditMenu->addActions({GoTo1, ZoomIn1, ZoomOut1, ZoomReset1});
    // "Вид": the guides over the glyph editor, before the about command.
    auto *view = new QMenu(QStringLiteral("Вид"), this);
    view->addActions(FontPage->ViewActions());
    menuBar()->insertMenu(About1, view);
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
    if (Project.ProjectModified && Prompts().askYesNo(QStringLiteral("Save Bitloom project?"), TAskIcon::Question,
                                                        TAskDefault::Yes)) {
        // A project the user wanted saved but that was not saved keeps the window open.
        if (!CompilerPage->ToolButton5Click())
            return false;
    }
    if (Fonts.anyModified())
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
    FontPage->SetZoom(settings.value(QStringLiteral("Editor/cellSize"), GlyphCellSize).toInt());
    FontPage->RestoreView(settings);
}

void TFormMain::SavePlacement()
{
    QSettings settings;
    settings.setValue(QStringLiteral("MainWindow/geometry"), saveGeometry());
    settings.setValue(QStringLiteral("Editor/cellSize"), FontPage->ZoomCellSize());
    FontPage->SaveView(settings);
}

void TFormMain::Open1Click()
{
    if (PageControl1->currentWidget() == FontPage)
        FontPage->ToolButton1Click();
    else
        CompilerPage->ToolButton4Click();
}

void TFormMain::Save1Click()
{
    if (PageControl1->currentWidget() == FontPage)
        FontPage->ToolButton2Click();
    else
        CompilerPage->ToolButton5Click();
}

void TFormMain::Moveup1Click()
{
    if (PageControl1->currentWidget() == CompilerPage)
        CompilerPage->StepTypefaceSelection(-1);
    else
        FontPage->StepFontSelection(-1);
}

void TFormMain::Movedown1Click()
{
    if (PageControl1->currentWidget() == CompilerPage)
        CompilerPage->StepTypefaceSelection(+1);
    else
        FontPage->StepFontSelection(+1);
}

void TFormMain::About1Click()
{
    if (Dialogs && Dialogs->AboutBox)
        Dialogs->AboutBox->exec();
}

void TFormMain::SetStatus(const std::string &text, uint32_t colour)
{
    StatusPanel->setStatus(BytesToText(text), colour);
}
