#include "prompts.h"

#include "dialogs.h"
#include "import/fcapture.h"
#include "import/fttf.h"

#include <QApplication>
#include <QFileDialog>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>

namespace {

TPrompts *Installed = nullptr;
const TDialogs *Dialogs = nullptr;

// The dialog the start-up made, or a fresh one owned by holder.
template <class T>
T *DialogOr(T *made, std::unique_ptr<T> &holder)
{
    if (made)
        return made;
    holder = std::make_unique<T>(QApplication::activeWindow());
    return holder.get();
}

QWidget *Parent()
{
    return QApplication::activeWindow();
}

QFileDialog *MakeDialog(const TFileDialogSetup &setup, QFileDialog::AcceptMode mode)
{
    auto *dialog = new QFileDialog(Parent());
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    SetUpFileDialog(*dialog, setup, mode == QFileDialog::AcceptSave);
    return dialog;
}

} // namespace

TPrompts &Prompts()
{
    static TWidgetPrompts widgets;
    return Installed ? *Installed : widgets;
}

void SetPrompts(TPrompts *prompts)
{
    Installed = prompts;
}

QStringList QtNameFilters(const QString &filter)
{
    const QStringList parts = filter.split('|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString &p : patterns)
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*");
        // "Bitmaps (*.bmp)" already names its patterns.
        out << (parts[i].endsWith(')') ? parts[i] : parts[i] + " (" + patterns.join(' ') + ")");
    }
    return out;
}

void SetUpFileDialog(QFileDialog &dialog, const TFileDialogSetup &setup, bool save)
{
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setNameFilters(QtNameFilters(setup.Filter));
    if (!setup.Directory.isEmpty())
        dialog.setDirectory(setup.Directory);
    if (save) {
        dialog.setDefaultSuffix(setup.DefaultSuffix);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !setup.ConfirmOverwrite);
    } else {
        dialog.setDefaultSuffix(QString());
        dialog.setFileMode(setup.MultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    }
}

bool TWidgetPrompts::askYesNo(const QString &text, TAskIcon icon, TAskDefault defaultButton)
{
    QMessageBox box(icon == TAskIcon::Warning ? QMessageBox::Warning : QMessageBox::Question,
                    QApplication::applicationDisplayName(), text, QMessageBox::Yes | QMessageBox::No, Parent());
    box.setDefaultButton(defaultButton == TAskDefault::No ? QMessageBox::No : QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QStringList TWidgetPrompts::openFileNames(const TFileDialogSetup &setup)
{
    std::unique_ptr<QFileDialog> dialog(MakeDialog(setup, QFileDialog::AcceptOpen));
    return dialog->exec() == QDialog::Accepted ? dialog->selectedFiles() : QStringList();
}

QString TWidgetPrompts::saveFileName(const TFileDialogSetup &setup, const QString &proposedName)
{
    std::unique_ptr<QFileDialog> dialog(MakeDialog(setup, QFileDialog::AcceptSave));
    dialog->selectFile(proposedName);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return {};
    return dialog->selectedFiles().first();
}

QString TWidgetPrompts::chooseFolder(const QString &caption, const QString &directory)
{
    return QFileDialog::getExistingDirectory(Parent(), caption, directory);
}

void TWidgetPrompts::showError(const QString &text)
{
    QMessageBox::critical(Parent(), QApplication::applicationDisplayName(), text);
}

void TWidgetPrompts::showWarning(const QString &text)
{
    QMessageBox::warning(Parent(), QApplication::applicationDisplayName(), text);
}

std::optional<std::vector<TBDFProperty>> TWidgetPrompts::askProperties(const std::vector<TBDFProperty> &rows)
{
    TFormProperties dialog(Parent());
    dialog.setRows(rows);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.rows();
}

void SetPromptDialogs(const TDialogs *dialogs)
{
    Dialogs = dialogs;
}

std::optional<QString> TWidgetPrompts::askText(const QString &text)
{
    std::unique_ptr<TFormAdd> own;
    TFormAdd *dialog = DialogOr(Dialogs ? Dialogs->FormAdd : nullptr, own);
    dialog->Edit1->setText(text);
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog->Edit1->text();
}

std::optional<QString> TWidgetPrompts::pickItem(const QStringList &items)
{
    std::unique_ptr<TFormAddFont> own;
    TFormAddFont *dialog = DialogOr(Dialogs ? Dialogs->FormAddFont : nullptr, own);
    dialog->ListBox1->clear();
    dialog->ListBox1->addItems(items);
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    const QListWidgetItem *item = dialog->ListBox1->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

bool TWidgetPrompts::askTrueTypeOptions(TTrueTypeOptions &options)
{
    std::unique_ptr<TFormTTF> own;
    TFormTTF *dialog = DialogOr(Dialogs ? Dialogs->FormTTF : nullptr, own);
    dialog->Edit1->setFocus();
    if (dialog->exec() != QDialog::Accepted)
        return false;
    options.SizeText = dialog->Edit1->text().toStdString();
    options.Style = dialog->ComboBox1->currentIndex();
    return true;
}

bool TWidgetPrompts::askCaptureGrid(const QImage &picture, TCaptureOptions &options)
{
    std::unique_ptr<TFormCapture> own;
    TFormCapture *dialog = DialogOr(Dialogs ? Dialogs->FormCapture : nullptr, own);
    dialog->Image1->setPixmap(QPixmap::fromImage(picture));
    dialog->Image1->resize(picture.size());
    const bool ok = dialog->exec() == QDialog::Accepted;
    dialog->Image1->clear();
    if (!ok)
        return false;
    options.Columns = dialog->Edit1->text().toStdString();
    options.Rows = dialog->Edit2->text().toStdString();
    options.GridWidth = dialog->Edit3->text().toStdString();
    return true;
}
