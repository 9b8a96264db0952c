#include "prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {

TPrompts *Installed = nullptr;

QWidget *Parent()
{
    return QApplication::activeWindow();
}

QFileDialog *MakeDialog(const TFileDialogSetup &setup, QFileDialog::AcceptMode mode)
{
    auto *dialog = new QFileDialog(Parent());
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog->setAcceptMode(mode);
    dialog->setNameFilters(QtNameFilters(setup.Filter));
    dialog->setDefaultSuffix(setup.DefaultSuffix);
    if (mode == QFileDialog::AcceptOpen)
        dialog->setFileMode(setup.MultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    else
        dialog->setOption(QFileDialog::DontConfirmOverwrite, !setup.ConfirmOverwrite);
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
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        out << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
    return out;
}

bool TWidgetPrompts::askYesNo(const QString &text)
{
    return QMessageBox::question(Parent(), QApplication::applicationDisplayName(), text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
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
