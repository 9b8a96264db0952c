// Every question the program asks goes through TPrompts, so tests can answer
// them without a screen. The window uses TWidgetPrompts.
#pragma once

#include <QString>
#include <QStringList>

#include "import/importops.h"
#include "model/keptdata.h"

#include <optional>
#include <vector>

class QWidget;

// A file dialog's setup: filter as "description|pattern|..." pairs, default
// suffix (without dot; a save dialog adds it to a name typed without one), whether
// an open dialog takes several files, whether saving asks before overwriting,
// and the folder the dialog starts in (empty: the working folder).
struct TFileDialogSetup {
    QString Filter;
    QString DefaultSuffix;
    bool MultiSelect = false;
    bool ConfirmOverwrite = false;
    QString Directory;
};

// How a Yes/No box looks: its icon, and which button Enter presses. A question
// whose Yes throws work away is a warning or has No as its default.
enum class TAskIcon { Question, Warning };
enum class TAskDefault { Yes, No };

class TPrompts {
public:
    virtual ~TPrompts() = default;
    // A Yes/No box; true only for Yes.
    virtual bool askYesNo(const QString &text, TAskIcon icon, TAskDefault defaultButton) = 0;
    // Chosen files, in the dialog's order; empty when cancelled.
    virtual QStringList openFileNames(const TFileDialogSetup &setup) = 0;
    // Chosen path; empty when cancelled. proposedName is offered in the name field.
    virtual QString saveFileName(const TFileDialogSetup &setup, const QString &proposedName) = 0;
    // A folder dialog with caption, starting in directory: the chosen folder, or
    // empty when cancelled.
    virtual QString chooseFolder(const QString &caption, const QString &directory) = 0;
    virtual void showError(const QString &text) = 0;
    virtual void showWarning(const QString &text) = 0;
    // "Редактировать текст" filled with text: the edited text, or nothing when cancelled.
    virtual std::optional<QString> askText(const QString &text) = 0;
    // "Добавить шрифт" listing items: the chosen row's text (empty when no row was
    // selected), or nothing when cancelled.
    virtual std::optional<QString> pickItem(const QStringList &items) = 0;
    // The TrueType options dialog ("TTF"); false when cancelled. The dialog keeps
    // its own values between uses; options receives them.
    virtual bool askTrueTypeOptions(TTrueTypeOptions &options) = 0;
    // The picture dialog showing picture; false when cancelled. options receives the grid.
    virtual bool askCaptureGrid(const QImage &picture, TCaptureOptions &options) = 0;
    // "Свойства шрифта" filled with rows: the rows as the user left them, or nothing when cancelled.
    virtual std::optional<std::vector<TBDFProperty>> askProperties(const std::vector<TBDFProperty> &rows) = 0;
};

// The process-wide prompts; a TWidgetPrompts unless a test installed others.
TPrompts &Prompts();
// Installs prompts (not owned); nullptr restores the widget prompts.
void SetPrompts(TPrompts *prompts);

// Real message boxes and file dialogs, parented to the active window.
class TWidgetPrompts : public TPrompts {
public:
    bool askYesNo(const QString &text, TAskIcon icon, TAskDefault defaultButton) override;
    QStringList openFileNames(const TFileDialogSetup &setup) override;
    QString saveFileName(const TFileDialogSetup &setup, const QString &proposedName) override;
    QString chooseFolder(const QString &caption, const QString &directory) override;
    void showError(const QString &text) override;
    void showWarning(const QString &text) override;
    std::optional<QString> askText(const QString &text) override;
    std::optional<QString> pickItem(const QStringList &items) override;
    bool askTrueTypeOptions(TTrueTypeOptions &options) override;
    bool askCaptureGrid(const QImage &picture, TCaptureOptions &options) override;
    std::optional<std::vector<TBDFProperty>> askProperties(const std::vector<TBDFProperty> &rows) override;
};

struct TDialogs;
// The small dialogs the widget prompts show: created once at start-up and kept
// between uses (without them, each question makes a dialog of its own).
void SetPromptDialogs(const TDialogs *dialogs);

// "bdf fonts|*.bdf|All files|*.*" as Qt's name filters ("bdf fonts (*.bdf)", ...).
// "*.*" becomes "*": on Linux it would hide every name without a dot.
QStringList QtNameFilters(const QString &filter);

class QFileDialog;
// Sets up a dialog as TWidgetPrompts shows it. An open dialog gets no default
// suffix, so a typed name that exists without one opens as typed.
void SetUpFileDialog(QFileDialog &dialog, const TFileDialogSetup &setup, bool save);
