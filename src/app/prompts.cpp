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

QFileDialog *MakeDialog(const TFileDialogSpec &spec, QFileDialog::AcceptMode mode)
{
    auto *dialog = new QFileDialog(Parent());
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog->setAcceptMode(mode);
    dialog->setNameFilters(QtNameFilters(spec.Filter));
    dialog->setDefaultSuffix(spec.DefaultSuffix);
    if (mode == QFileDialog::AcceptOpen)
        dialog->setFileMode(spec.MultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    else
        dialog->setOption(QFileDialog::DontConfirmOverwrite, !spec.ConfirmOverwrite);
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

QStringList TWidgetPrompts::openFileNames(const TFileDialogSpec &spec)
{
    std::unique_ptr<QFileDialog> dialog(MakeDialog(spec, QFileDialog::AcceptOpen));
    return dialog->exec() == QDialog::Accepted ? dialog->selectedFiles() : QStringList();
}

QString TWidgetPrompts::saveFileName(const TFileDialogSpec &spec, const QString &proposedName)
{
    std::unique_ptr<QFileDialog> dialog(MakeDialog(spec, QFileDialog::AcceptSave));
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
