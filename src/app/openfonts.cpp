#include "openfonts.h"

#include "bdf/bdfwriter.h"

#include <algorithm>

void TOpenFonts::setCurrentIndex(int row)
{
    if (row < -1 || row >= static_cast<int>(Slots.size()))
        row = -1;
    if (row == Current)
        return;
    Current = row;
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
    emit fontsChanged();
    if (hadCurrent)
        emit currentChanged(-1);
}

void TOpenFonts::append(TProjectRecord slot)
{
    Slots.push_back(std::move(slot));
    emit fontsChanged();
}

void TOpenFonts::replaceAll(TSlots list)
{
    Slots = std::move(list);
    listChanged();
}

void TOpenFonts::remove(int row)
{
    if (row < 0 || row >= static_cast<int>(Slots.size()))
        return;
    Slots.erase(Slots.begin() + row);
    listChanged();
}

void TOpenFonts::markModified(int row)
{
    if (row < 0 || row >= static_cast<int>(Slots.size()) || Slots[static_cast<size_t>(row)].Modified)
        return;
    Slots[static_cast<size_t>(row)].Modified = true;
    emit modifiedChanged(row);
}

void TOpenFonts::save(int row, const std::string &path)
{
    if (row < 0 || row >= static_cast<int>(Slots.size()))
        return;
    TProjectRecord &slot = Slots[static_cast<size_t>(row)];
    const bool was = slot.Modified;
    SaveBDF(path, slot);
    if (was != slot.Modified)
        emit modifiedChanged(row);
}

bool TOpenFonts::anyModified() const
{
    return std::any_of(Slots.begin(), Slots.end(), [](const TProjectRecord &s) { return s.Modified; });
}
