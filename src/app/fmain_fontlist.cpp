// The font list and the commands on whole fonts.
#include "fmain.h"

#include "bdf/bdfreader.h"
#include "bdf/bdfwriter.h"
#include "bdf/paths.h"
#include "chartable/chartablewidget.h"
#include "editor/glyphgrids.h"
#include "model/textfuncs.h"
#include "fontlist.h"
#include "prompts.h"
#include "platform/textconv.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QTabWidget>

void TFormMain::RebuildFontRows()
{
    // Rows are made without running the selection handler; the model's current row is kept.
    QSignalBlocker block(ListBox1);
    ListBox1->clear();
    for (size_t row = 0; row < State.Fonts.size(); ++row) {
        auto *item = new QListWidgetItem(BytesToText(FontListCaption(State.Fonts[row])));
        item->setSizeHint(QSize(0, 16));
        ListBox1->addItem(item);
        // Rows of fonts whose names start alike differ only at the end: the row is
        // elided in the middle, and the whole path is one hover away.
        RefreshFontRow(static_cast<int>(row));
    }
    ListBox1->setCurrentRow(State.Fonts.currentIndex());
}

void TFormMain::RefreshFontRow(int row)
{
    QListWidgetItem *item = ListBox1->item(row);
    if (!item || row >= static_cast<int>(State.Fonts.size()))
        return;
    const TProjectRecord &slot = State.Fonts[static_cast<size_t>(row)];
    // Unsaved fonts stand out in italics, so "BDF fonts not saved" is never a surprise.
    QFont f = ListBox1->font();
    f.setItalic(slot.Modified);
    item->setFont(f);
    item->setForeground(slot.Modified ? QBrush(QColor(160, 0, 0)) : ListBox1->palette().brush(QPalette::Text));
    item->setToolTip(PathToQ(slot.FileName) + (slot.Modified ? QStringLiteral(" (unsaved changes)") : QString()));
}

void TFormMain::SelectFontRow(int row)
{
    {
        // The program's own selection runs the handler once, explicitly.
        QSignalBlocker block(ListBox1);
        ListBox1->setCurrentRow(row);
    }
    State.Fonts.setCurrentIndex(ListBox1->currentRow());
    ListBox1Click();
}

void TFormMain::ListBox1Click()
{
    TProjectRecord *slot = State.CurrentSlot();
    if (!slot)
        return;
    const TBDFFont &font = slot->Font;
    SizeFrameGrid(font.FBBWidth, font.FBBHeight);
    RxDrawGrid2Click();
    Edit6->setText(BytesToText(font.FontName));
    // A long name shows from its start.
    Edit6->setCursorPosition(0);
    Edit7->setText(QString::fromStdString(FormatUid(font.Uid)));
    Edit8->setText(QString::number(font.FBBWidth));
    Edit9->setText(QString::number(font.FBBXOff));
    Edit10->setText(QString::number(font.FBBHeight));
    Edit11->setText(QString::number(font.FBBYOff));
    RepaintViews();
    if (PageControl1->currentIndex() == 0)
        RxDrawGrid2->setFocus();
}

void TFormMain::OpenFonts(const QStringList &paths)
{
    for (const QString &path : paths) {
        // Named once and for all: later saves go to this file wherever the program is.
        const std::string file = FullPath(PathFromQ(path));
        // Read into a slot of its own first: a file that cannot be read (or holds
        // no font) leaves no slot behind, so the list and the fonts stay parallel.
        TProjectRecord slot;
        TBDFReadReport report = OpenBDF(file, slot.Font, {State.Project.Debug});
        slot.FileName = file;
        LastBdfFolder = QFileInfo(path).absolutePath();
        State.Fonts.append(std::move(slot));
        const TProjectRecord &added = State.Fonts.back();
        SizeFrameGrid(added.Font.FBBWidth, added.Font.FBBHeight);
        const std::string warning = ReadWarningText(file, added.Font, report);
        if (!warning.empty())
            Prompts().showWarning(BytesToText(warning));
    }
    if (ListBox1->count() > 0)
        SelectFontRow(ListBox1->count() - 1);
}

void TFormMain::ToolButton1Click()
{
    TFileDialogSetup setup{QStringLiteral("bdf fonts|*.bdf|All files|*.*"), QStringLiteral("bdf"), true, false,
                           LastBdfFolder};
    const QStringList paths = Prompts().openFileNames(setup);
    if (!paths.isEmpty())
        OpenFonts(paths);
}

void TFormMain::ToolButton19Click()
{
    State.Fonts.append(NewFontSlot(TickCount()));
    SizeFrameGrid(12, 12);
    SelectFontRow(ListBox1->count() - 1);
}

void TFormMain::ToolButton3Click()
{
    if (State.Fonts.empty() || !State.CurrentSlot())
        return;
    if (!Prompts().askYesNo(QStringLiteral("Are you sure?"), TAskIcon::Warning, TAskDefault::No))
        return;
    State.Fonts.remove(State.Fonts.currentIndex());
    if (ListBox1->count() > 0)
        SelectFontRow(0);
    else
        ShowNoFont();
}

void TFormMain::ShowNoFont()
{
    ShowEmptyGlyph();
    // No font is current: the header shows none, not the last one's.
    for (QLineEdit *field : {Edit6, Edit7, Edit8, Edit9, Edit10, Edit11})
        field->clear();
    RepaintViews();
}

QString TFormMain::SaveFolderFor(const TProjectRecord &slot) const
{
    // A font read from a file is saved beside it; a new font where fonts were last opened or saved.
    if (slot.FileName.find('/') != std::string::npos)
        return QFileInfo(PathToQ(slot.FileName)).absolutePath();
    return LastBdfFolder;
}

void TFormMain::ToolButton2Click()
{
    TProjectRecord *slot = State.CurrentSlot();
    if (!slot)
        return;
    TFileDialogSetup setup{QStringLiteral("bdf font|*.bdf"), QStringLiteral("bdf"), false, true, SaveFolderFor(*slot)};
    const QString path = Prompts().saveFileName(setup, PathToQ(FileNameOnly(slot->FileName)));
    if (path.isEmpty())
        return;
    State.Fonts.save(State.Fonts.currentIndex(), PathFromQ(path));
    LastBdfFolder = QFileInfo(path).absolutePath();
    SetStatus("Saved " + PathFromQ(path), 0);
}

void TFormMain::ToolButton25Click()
{
    std::string saved;
    const TQuickSave plan = PlanQuickSave(State.Fonts.all());
    for (int row : plan.Rows) {
        State.Fonts.save(row, State.Fonts[size_t(row)].FileName);
        saved += (saved.empty() ? "" : ", ") + State.Fonts[size_t(row)].FileName;
    }
    if (!saved.empty())
        SetStatus("Saved " + saved, 0);
    if (!plan.Clashes.empty()) {
        QStringList files;
        for (const std::string &file : plan.Clashes)
            files << PathToQ(file);
        Prompts().showError(QStringLiteral("These files are open more than once with unsaved changes in more than one "
                                           "copy, so they were not saved; save all but one copy under other names:\n") +
                            files.join('\n'));
    }
}
