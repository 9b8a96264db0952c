#include "fmain.h"

#include "compiler/compilerpage.h"
#include "dialogs.h"
#include "editor/gridgeometry.h"
#include "errorhandler.h"
#include "fontlist.h"
#include "bdf/paths.h"
#include "fontpage.h"
#include "platform/textconv.h"
#include "prompts.h"
#include "uikit.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QMenuBar>
#include <QMimeData>
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
    setAcceptDrops(true);
    qApp->installEventFilter(this);
    RefreshRecentMenu();
    resize(755, 618);
    if (QScreen *screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    RestorePlacement();
}

TFormMain::~TFormMain()
{
    qApp->removeEventFilter(this);
}

void TFormMain::CreateMenus()
{
    File1 = menuBar()->addMenu(QStringLiteral("Файл"));
    QMenu *file = File1;
    Open1 = file->addAction(QStringLiteral("Открыть"), QKeySequence(Qt::CTRL | Qt::Key_O), this, &TFormMain::Open1Click);
    Save1 = file->addAction(QStringLiteral("Сохранить"), QKeySequence(Qt::CTRL | Qt::Key_S), this, &TFormMain::Save1Click);
    QuickSave1 = file->addAction(QStringLiteral("Быстро сохраните все шрифты"), QKeySequence(Qt::CTRL | Qt::Key_Q), this,
                                 [this] { FontPage->ToolButton25Click(); });
    RecentStart = file->addSeparator();
    RecentEnd = file->addSeparator();
    RemoveMissing1 = file->addAction(QStringLiteral("Убрать недоступные"), this, [this] {
        ChangeRecentFiles([](TRecentFiles &list) { RemoveUnavailableFiles(list); });
    });
    ClearRecent1 = file->addAction(QStringLiteral("Очистить список"), this,
                                   [this] { ChangeRecentFiles([](TRecentFiles &list) { list.clear(); }); });
    file->setToolTipsVisible(true);
    // Files come and go while the program runs: each showing looks again.
    connect(file, &QMenu::aboutToShow, this, &TFormMain::RefreshRecentMenu);
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
    File1->insertActions(RecentStart, FontPage->FileActions());
    EditMenu->addSeparator();
    EditMenu->addActions(FontPage->EditActions());
    EditMenu->addSeparator();
    EditMenu->addActions({GoTo1, ZoomIn1, ZoomOut1, ZoomReset1});
    // "Вид": the guides over the glyph editor, before the about command.
    auto *view = new QMenu(QStringLiteral("Вид"), this);
    view->addActions(FontPage->ViewActions());
    menuBar()->insertMenu(About1, view);
    connect(FontPage, &TFontPage::fontFileOpened, this, [this](const std::string &path) {
        ChangeRecentFiles([&](TRecentFiles &list) { AddRecentFile(list, TRecentKind::Font, path); });
    });
    connect(CompilerPage, &TCompilerPage::projectFileUsed, this, [this](const std::string &path) {
        ChangeRecentFiles([&](TRecentFiles &list) { AddRecentFile(list, TRecentKind::Project, path); });
    });
}

void TFormMain::ChangeRecentFiles(const std::function<void(TRecentFiles &)> &change)
{
    {
        // Read again each time: another window of the program may have changed the list.
        QSettings settings;
        TRecentFiles list = ReadRecentFiles(settings);
        change(list);
        WriteRecentFiles(settings, list);
    }
    RefreshRecentMenu();
}

void TFormMain::RefreshRecentMenu()
{
    // Later, not now: the entry being chosen may be what asked for the refresh.
    for (QAction *action : RecentActions) {
        File1->removeAction(action);
        action->deleteLater();
    }
    RecentActions.clear();
    QSettings settings;
    const TRecentFiles list = ReadRecentFiles(settings);
    bool anyMissing = false;
    for (size_t i = 0; i < list.size(); ++i) {
        const TRecentFile &file = list[i];
        const bool available = RecentFileAvailable(file);
        anyMissing = anyMissing || !available;
        const QString number = i + 1 < 10 ? QStringLiteral("&%1").arg(i + 1) : QStringLiteral("1&0");
        QString name = PathToQ(FileNameOnly(file.Path));
        name.replace('&', QStringLiteral("&&"));
        QString folder = File1->fontMetrics().elidedText(PathToQ(FolderOf(file.Path)), Qt::ElideMiddle, 320);
        folder.replace('&', QStringLiteral("&&"));
        auto *action = new QAction(number + ' ' + name + QStringLiteral("  (") + folder + ')', File1);
        action->setIcon(file.Kind == TRecentKind::Font ? ThemeIcon("font-x-generic", QStyle::SP_FileIcon)
                                                       : QApplication::windowIcon());
        action->setToolTip(PathToQ(file.Path) + (available ? QString() : QStringLiteral(" (not found)")));
        action->setEnabled(available);
        connect(action, &QAction::triggered, this, [this, file] { OpenRecentFile(file); });
        File1->insertAction(RecentEnd, action);
        RecentActions.push_back(action);
    }
    // An empty list takes no room in the menu.
    for (QAction *action : {RecentStart, RecentEnd, RemoveMissing1, ClearRecent1})
        action->setVisible(!list.empty());
    RemoveMissing1->setEnabled(anyMissing);
}

void TFormMain::OpenRecentFile(const TRecentFile &file)
{
    if (file.Kind == TRecentKind::Font) {
        PageControl1->setCurrentWidget(FontPage);
        FontPage->OpenFonts({PathToQ(file.Path)});
    } else if (CompilerPage->OpenProjectFile(file.Path)) {
        PageControl1->setCurrentWidget(CompilerPage);
    }
}

bool TFormMain::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return QMainWindow::eventFilter(watched, event);
    auto *widget = qobject_cast<QWidget *>(watched);
    // Enter and move events are drop events too.
    auto *drop = static_cast<QDropEvent *>(event);
    if (!widget || widget->window() != this || !drop->mimeData() || !drop->mimeData()->hasUrls())
        return QMainWindow::eventFilter(watched, event);
    drop->acceptProposedAction();
    if (type == QEvent::Drop) {
        // Opened after the drop has ended: the questions and dialogs that follow
        // must not hold the program the files were dragged from.
        const QList<QUrl> urls = drop->mimeData()->urls();
        QMetaObject::invokeMethod(this, [this, urls] { OpenDroppedFiles(urls); }, Qt::QueuedConnection);
    }
    return true;
}

void TFormMain::OpenDroppedFiles(const QList<QUrl> &urls)
{
    std::vector<std::string> paths;
    std::string refused;
    auto add = [](std::string &list, const std::string &name) { list += (list.empty() ? "" : ", ") + name; };
    for (const QUrl &url : urls) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths.push_back(PathFromQ(url.toLocalFile()));
        else
            add(refused, PathFromQ(url.toDisplayString()));
    }
    const TDroppedFiles dropped = SortDroppedFiles(paths);
    for (const std::string &path : dropped.Refused)
        add(refused, FileNameOnly(path));
    std::string extraProjects;
    for (const std::string &path : dropped.ExtraProjects)
        add(extraProjects, FileNameOnly(path));

    std::vector<std::pair<std::string, uint32_t>> said;
    DropSaid = &said;
    // Each file goes on when another failed: they have nothing to do with each other.
    auto step = [](const std::function<void()> &run) {
        try {
            run();
        } catch (...) {
            Prompts().showError(CurrentErrorText());
        }
    };
    if (!dropped.Project.empty())
        step([&] {
            if (CompilerPage->OpenProjectFile(dropped.Project))
                PageControl1->setCurrentWidget(CompilerPage);
        });
    if (!dropped.Fonts.empty() || !dropped.TrueType.empty() || !dropped.Pictures.empty())
        PageControl1->setCurrentWidget(FontPage);
    if (!dropped.Fonts.empty())
        step([&] {
            QStringList fonts;
            for (const std::string &path : dropped.Fonts)
                fonts << PathToQ(path);
            FontPage->OpenFonts(fonts);
        });
    for (const std::string &path : dropped.TrueType)
        step([&] { FontPage->ImportTrueType(PathToQ(path)); });
    for (const std::string &path : dropped.Pictures)
        step([&] { FontPage->ImportPicture(PathToQ(path)); });
    DropSaid = nullptr;

    std::string text;
    uint32_t colour = 0;
    auto say = [&](const std::string &part, uint32_t partColour) {
        text += (text.empty() ? "" : "; ") + part;
        colour = partColour ? partColour : colour;
    };
    for (const auto &[part, partColour] : said)
        say(part, partColour);
    if (!extraProjects.empty())
        say(extraProjects + " not opened: one project at a time", 0x0000FF);
    if (!refused.empty())
        say(refused + " not opened: only .bdf fonts, .bitloom projects, and .ttf, .otf and .bmp files to import can "
                      "be dropped",
            0x0000FF);
    if (!text.empty())
        SetStatus(text, colour);
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
    if (DropSaid)
        DropSaid->emplace_back(text, colour);
    StatusPanel->setStatus(BytesToText(text), colour);
}
