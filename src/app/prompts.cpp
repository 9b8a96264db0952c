#include "prompts.h"

#include "dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>

namespace {

TPrompts *Installed = nullptr;
TFormAdd *TextDialog = nullptr;
TFormAddFont *PickDialog = nullptr;

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
        out << parts[i] + " (" + patterns.join(' ') + ")";
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

void TWidgetPrompts::showError(const QString &text)
{
    QMessageBox::critical(Parent(), QApplication::applicationDisplayName(), text);
}

void TWidgetPrompts::showWarning(const QString &text)
{
    QMessageBox::warning(Parent(), QApplication::applicationDisplayName(), text);
}

void SetPromptDialogs(TFormAdd *formAdd, TFormAddFont *formAddFont)
{
    TextDialog = formAdd;
    PickDialog = formAddFont;
}

std::optional<QString> TWidgetPrompts::askText(const QString &text)
{
    std::unique_ptr<TFormAdd> own;
    TFormAdd *dialog = TextDialog;
    if (!dialog) {
        own = std::make_unique<TFormAdd>(Parent());
        dialog = own.get();
    }
    dialog->Edit1->setText(text);
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog->Edit1->text();
}

std::optional<QString> TWidgetPrompts::pickItem(const QStringList &items)
{
    std::unique_ptr<TFormAddFont> own;
    TFormAddFont *dialog = PickDialog;
    if (!dialog) {
        own = std::make_unique<TFormAddFont>(Parent());
        dialog = own.get();
    }
    dialog->ListBox1->clear();
    dialog->ListBox1->addItems(items);
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    const QListWidgetItem *item = dialog->ListBox1->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}
