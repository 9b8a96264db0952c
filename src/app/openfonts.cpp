#include "openfonts.h"

#include "bdf/bdfwriter.h"

#include <algorithm>

TOpenFonts::TOpenFonts(QObject *parent) : QObject(parent) {}

// The stacks leave the group before it goes.
TOpenFonts::~TOpenFonts()
{
    Stacks.clear();
}

TFontStack *TOpenFonts::NewStack()
{
    auto *stack = new TFontStack;
    Group.addStack(stack);
    connect(stack, &QUndoStack::cleanChanged, this, [this, stack](bool clean) {
        const int row = RowOf(stack);
        if (row < 0 || Slots[static_cast<size_t>(row)].Modified == !clean)
            return;
        Slots[static_cast<size_t>(row)].Modified = !clean;
        emit modifiedChanged(row);
    });
    connect(stack, &TFontStack::stepped, this, [this, stack](const TEditPlace &place) {
        const int row = RowOf(stack);
        if (row >= 0)
            emit historyStepped(row, place);
    });
    return stack;
}

void TOpenFonts::Relink()
{
    while (Stacks.size() < Slots.size()) {
        Stacks.emplace_back(NewStack());
        // A font read with unsaved changes (a project's, say) starts away from its clean state.
        if (Slots[Stacks.size() - 1].Modified)
            Stacks.back()->resetClean();
    }
    for (size_t row = 0; row < Slots.size(); ++row)
        Stacks[row]->Font = &Slots[row].Font;
    Group.setActiveStack(currentSlot() ? Stacks[static_cast<size_t>(Current)].get() : nullptr);
}

int TOpenFonts::RowOf(const TFontStack *stack) const
{
    for (size_t row = 0; row < Stacks.size() && row < Slots.size(); ++row)
        if (Stacks[row].get() == stack)
            return static_cast<int>(row);
    return -1;
}

TFontStack *TOpenFonts::historyOf(int row)
{
    return row >= 0 && row < static_cast<int>(Stacks.size()) ? Stacks[static_cast<size_t>(row)].get() : nullptr;
}

bool TOpenFonts::edit(int row, const TEditStep &step, const TEditPlace &place,
                      const std::function<bool(TBDFFont &)> &change)
{
    TFontStack *stack = historyOf(row);
    if (!stack)
        return false;
    TBDFFont &font = Slots[static_cast<size_t>(row)].Font;
    auto command = std::make_unique<TFontEdit>(*stack, step, place);
    command->recordBefore(font);
    const bool counts = change(font);
    if (!command->recordAfter(font) && !counts)
        return false;
    stack->push(command.release());
    emit edited(row);
    return true;
}

void TOpenFonts::setCurrentIndex(int row)
{
    if (row < -1 || row >= static_cast<int>(Slots.size()))
        row = -1;
    if (row == Current)
        return;
    Current = row;
    Relink();
    emit currentChanged(row);
}

TProjectRecord *TOpenFonts::currentSlot()
{
    return Current >= 0 && Current < static_cast<int>(Slots.size()) ? &Slots[static_cast<size_t>(Current)] : nullptr;
}

TBDFFont *TOpenFonts::currentFont()
{
    TProjectRecord *slot = currentSlot();
    return slot ? &slot->Font : nullptr;
}

void TOpenFonts::listChanged()
{
    const bool hadCurrent = Current != -1;
    Current = -1;
    Relink();
    emit fontsChanged();
    if (hadCurrent)
        emit currentChanged(-1);
}

void TOpenFonts::append(TProjectRecord slot)
{
    Slots.push_back(std::move(slot));
    Relink();
    emit fontsChanged();
}

void TOpenFonts::replaceAll(TSlots list)
{
    Slots = std::move(list);
    Stacks.clear();
    listChanged();
}

void TOpenFonts::remove(int row)
{
    if (row < 0 || row >= static_cast<int>(Slots.size()))
        return;
    Slots.erase(Slots.begin() + row);
    Stacks.erase(Stacks.begin() + row);
    listChanged();
}

void TOpenFonts::markModified(int row)
{
    if (row < 0 || row >= static_cast<int>(Slots.size()))
        return;
    Stacks[static_cast<size_t>(row)]->resetClean();
    if (Slots[static_cast<size_t>(row)].Modified)
        return;
    Slots[static_cast<size_t>(row)].Modified = true;
    emit modifiedChanged(row);
}

void TOpenFonts::save(int row, const std::string &path, TFontFileKind kind, const TFontWriteOptions &options)
{
    if (row < 0 || row >= static_cast<int>(Slots.size()))
        return;
    TProjectRecord &slot = Slots[static_cast<size_t>(row)];
    const bool was = slot.Modified;
    SaveFont(path, slot, kind, options);
    // Undoing past this point makes the font unsaved again, redoing back to it saved.
    Stacks[static_cast<size_t>(row)]->setClean();
    if (was != slot.Modified)
        emit modifiedChanged(row);
}

bool TOpenFonts::anyModified() const
{
    return std::any_of(Slots.begin(), Slots.end(), [](const TProjectRecord &s) { return s.Modified; });
}
