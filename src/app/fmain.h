// The main window. It owns the models the pages share (the open fonts, the
// project), composes the two pages, and keeps the menus, the shortcuts, the
// status line, its placement and the closing questions.
//   app/fontpage.h            the font page: font list, glyph editor, table, header, imports
//   compiler/compilerpage.h   the compiler page: typefaces, compile, preview
//   app/openfonts.h           the open fonts; compiler/projectmodel.h the project
// Child processes and folders come from platform/, files and paths from bdf/.
#pragma once

#include "app/openfonts.h"
#include "app/recentfiles.h"
#include "compiler/projectmodel.h"

#include <QColor>
#include <QList>
#include <QMainWindow>
#include <QUrl>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QMenu;
class QPainter;
class QTabWidget;
class TCompilerPage;
class TFontPage;
class TStatusPanel;

class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormMain(QWidget *parent = nullptr);
    ~TFormMain() override;

    // The models both pages work on.
    TOpenFonts Fonts;
    TProject Project;
    // The pages: "BDF редактор" and "КОМПИЛЯТОР GDR".
    TFontPage *FontPage = nullptr;
    TCompilerPage *CompilerPage = nullptr;

    // Command-line arguments after the program name; read at the first activation.
    std::vector<std::string> Arguments;
    // The small dialogs, created after the main window.
    struct TDialogs *Dialogs = nullptr;

    QTabWidget *PageControl1 = nullptr;
    TStatusPanel *StatusPanel = nullptr;
    QAction *Open1 = nullptr, *Save1 = nullptr, *QuickSave1 = nullptr, *Moveup1 = nullptr, *Movedown1 = nullptr,
            *About1 = nullptr;
    // "Файл": its commands, then the recent files, then what tidies that list:
    // drop the entries whose file is gone, or all of them.
    QMenu *File1 = nullptr;
    QAction *RemoveMissing1 = nullptr, *ClearRecent1 = nullptr;
    // Window shortcuts of the font page: zoom of the glyph grids, going to a code.
    QAction *ZoomIn1 = nullptr, *ZoomOut1 = nullptr, *ZoomReset1 = nullptr, *GoTo1 = nullptr;

    // Start-up and closing.
    void FormActivate();
    // Asks the closing questions; true when the window may close.
    bool FormClose();

    // Menu commands; open, save and the moves act on the page shown.
    void Open1Click();
    void Save1Click();
    void Moveup1Click();
    void Movedown1Click();
    void About1Click();

    void SetStatus(const std::string &text, uint32_t colour);

    // Opens files dropped on the window, each by its kind: fonts as the open
    // command, a project as the project's open (asking first), a TrueType font
    // or a picture through its import. One project at a time; anything else is
    // refused. The status line then says what was done and what was refused.
    void OpenDroppedFiles(const QList<QUrl> &urls);
    // Opens a recent entry as the open command of its kind does.
    void OpenRecentFile(const TRecentFile &file);
    // Makes the menu's recent entries from the settings, greying those whose file is gone.
    void RefreshRecentMenu();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    // Files dragged anywhere over the window, also over a field that would
    // take their names as text, are the window's to open.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateMenus();
    // Changes the recent list kept in the settings and shows the result.
    void ChangeRecentFiles(const std::function<void(TRecentFiles &)> &change);
    void ConnectPages();
    void RestorePlacement();
    void SavePlacement();

    // "Редактирование": the moves, then the font page's commands.
    QMenu *EditMenu = nullptr;
    bool Activated = false;
    // The menu's recent entries and the separators around them.
    std::vector<QAction *> RecentActions;
    QAction *RecentStart = nullptr, *RecentEnd = nullptr;
    // While a drop runs, what the pages put in the status line is gathered here.
    std::vector<std::pair<std::string, uint32_t>> *DropSaid = nullptr;
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
