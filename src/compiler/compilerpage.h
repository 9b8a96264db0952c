// The compiler page: the project's typefaces with their panel and picture, the
// project file commands, the compile and the preview. It works on the open
// fonts and the project, and tells the window what to show through signals.
#pragma once

#include "app/openfonts.h"
#include "platform/folders.h"
#include "projectmodel.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QToolBar;
class QToolButton;

class TCompilerPage : public QWidget {
    Q_OBJECT
public:
    TCompilerPage(TOpenFonts &fonts, TProject &project, QWidget *parent = nullptr);

    // Where the compiler and converter are looked for first: the executable's
    // folder, unless set here (tests set it).
    std::string ProgramFolder;
    // Where fonts were last opened; a project never opened or saved has its dialogs start there.
    std::function<QString()> FontFolder;

    // Project commands.
    void ToolButton20Click();
    void ToolButton4Click();
    // Saves the project through its save dialog; true when it was saved.
    bool ToolButton5Click();
    // Reads a project file: its typefaces, numbers and fonts replace the current ones.
    void OpenBitloom(const std::string &path);
    // Opens the project file at path as the open command does after its dialog,
    // asking first about unsaved fonts and an unsaved project; false when the
    // user kept them.
    bool OpenProjectFile(const std::string &path);
    // Writes the project into the file at path, updating what is there; throws
    // TFileError ("Unable to write to ...") and keeps the modified flag on failure.
    void SaveProject(const std::string &path);
    void NewProject();

    // Typefaces: the selected row's panel, its type, comment, and the list's tool bars.
    void ListBox2Click();
    void ComboBox1Change(int index);
    void Memo2Change();
    void ToolButton7Click();
    void ToolButton8Click();
    void ToolButton9Click();
    void ToolButton10Click();
    void ToolButton11Click();
    void ToolButton12Click();
    void ToolButton13Click();
    void ToolButton14Click();
    // The menu's move commands on this page: the typeface selection one row up (-1) or down (+1).
    void StepTypefaceSelection(int direction);

    // Compile and preview.
    void ToolButton6Click();
    void Edit12Change(const QString &text);
    void SpeedButton9Click();
    const QImage &previewImage() const { return PreviewImage; }

signals:
    // The status line's text and colour (0x00BBGGRR).
    void statusChanged(const std::string &text, uint32_t colour);
    void titleChanged(const QString &title);
    // A project replaced the open fonts; the font page shows the last of them.
    void fontsReplaced();
    // The project file at path was opened or saved.
    void projectFileUsed(const std::string &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateControls();
    void ConnectControls();
    // A placement field's text into the selected typeface.
    void PlacementChange(int32_t TTypeface::*member, const QString &text);
    // Swaps the selected typeface with its neighbour (direction -1 or +1).
    void MoveTypeface(int direction);
    // Shows the typeface's picture, or collapses the picture panel when it has none.
    void ShowTypefacePicture(const TTypeface &typeface);
    // Asks before unsaved fonts or an unsaved project are replaced; true to go on.
    bool MayReplaceFonts();
    bool MayReplaceProject();
    // Both questions an open asks, fonts first.
    bool MayOpenProject() { return MayReplaceFonts() && MayReplaceProject(); }
    // The selected typeface when one of its font entries is selected (entry
    // receives the entry's index); null otherwise.
    TTypeface *SelectedFontEntry(int &entry);
    // Empties the typeface panel: no typeface is selected.
    void ClearTypefacePanel();
    // Empties what the panel shows of one typeface: comment, picture, font entries.
    void ClearTypefaceContents();
    // The window's title names the project file at path.
    void ShowProjectInTitle(const std::string &path);
    // The folder the project dialogs start in.
    QString ProjectDialogFolder() const;

    TOpenFonts &Fonts;
    TProject &Project;

    // The left tool bar: new, open, save project, compile.
    QToolButton *ToolButton20 = nullptr, *ToolButton4 = nullptr, *ToolButton5 = nullptr, *ToolButton6 = nullptr;
    // The typeface list, its type box and the four placement fields X, Y, Xoff, Yoff.
    QListWidget *ListBox2 = nullptr;
    QComboBox *ComboBox1 = nullptr;
    QLabel *Label10 = nullptr;
    QLineEdit *Edit15 = nullptr, *Edit16 = nullptr, *Edit17 = nullptr, *Edit18 = nullptr;
    // Add, rename, delete, move up, move down a typeface.
    QToolBar *ToolBar3 = nullptr;
    QToolButton *ToolButton7 = nullptr, *ToolButton8 = nullptr, *ToolButton9 = nullptr, *ToolButton10 = nullptr,
                *ToolButton11 = nullptr;
    // The selected typeface's fonts, its picture panel and picture, its comment.
    QListWidget *ListBox3 = nullptr;
    QWidget *Panel14 = nullptr;
    QLabel *Image2 = nullptr;
    QPlainTextEdit *Memo2 = nullptr;
    // Add, edit, delete a font entry.
    QToolBar *ToolBar4 = nullptr;
    QToolButton *ToolButton12 = nullptr, *ToolButton13 = nullptr, *ToolButton14 = nullptr;
    // The preview's sample text, its clear button and the picture drawn from it.
    QLineEdit *Edit12 = nullptr;
    QToolButton *SpeedButton9 = nullptr;
    QLabel *Image1 = nullptr;
    // The compiler's log.
    QPlainTextEdit *Memo1 = nullptr;

    // The preview picture and the sample text's length after its last change.
    QImage PreviewImage;
    int PreviewLength = 0;
    // Whether the typeface panel was filled by the row change of the click under way.
    bool PanelFilledThisClick = false;
    // Where projects were last opened or saved; a new project's dialogs start there.
    QString LastProjectFolder;
};
