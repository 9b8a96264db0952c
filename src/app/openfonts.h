// The open fonts as a model of their own: one slot per row of the font list
// (the font, the full path it is saved to, whether it holds unsaved changes)
// and which of them is current. The font list, the compiler page and the close
// questions listen to its signals instead of calling into each other. Each font
// has a history of its edits; its unsaved mark is whether the history stands
// where the font was opened or last saved.
#pragma once

#include "fonthistory.h"
#include "bdf/fontformat.h"
#include "model/bdfmodel.h"

#include <QObject>
#include <QUndoGroup>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TOpenFonts : public QObject {
    Q_OBJECT
public:
    using TSlots = std::vector<TProjectRecord>;

    explicit TOpenFonts(QObject *parent = nullptr);
    ~TOpenFonts() override;

    // The slots, row for row with the font list. A change to a font goes through
    // edit, or (outside the history) is told with markModified.
    const TSlots &all() const { return Slots; }
    TProjectRecord &operator[](size_t row) { return Slots[row]; }
    const TProjectRecord &operator[](size_t row) const { return Slots[row]; }
    size_t size() const { return Slots.size(); }
    bool empty() const { return Slots.empty(); }
    TSlots::iterator begin() { return Slots.begin(); }
    TSlots::iterator end() { return Slots.end(); }
    TSlots::const_iterator begin() const { return Slots.begin(); }
    TSlots::const_iterator end() const { return Slots.end(); }
    TProjectRecord &back() { return Slots.back(); }

    // The current row, -1 when none; a row outside the list counts as none.
    int currentIndex() const { return Current; }
    void setCurrentIndex(int row);
    TProjectRecord *currentSlot();
    TBDFFont *currentFont();

    // Each changes the list and says so; the current row is then none (the
    // caller picks one), except for append, which keeps it.
    void append(TProjectRecord slot);
    void replaceAll(TSlots list);
    void remove(int row);

    // Runs change on the font of row as one step of its history; false (and no
    // step) when nothing changed, unless change returns true: an edit that counts
    // even when it leaves the font as it was.
    bool edit(int row, const TEditStep &step, const TEditPlace &place, const std::function<bool(TBDFFont &)> &change);
    // The histories, the current font's active; a row's own.
    QUndoGroup &history() { return Group; }
    TFontStack *historyOf(int row);

    // The font of a row (or the current one) holds unsaved changes now, whatever
    // its history does until it is saved.
    void markModified(int row);
    void markCurrentModified() { markModified(Current); }
    // Writes the font of a row to path in kind (which then holds its unsaved
    // changes no more); a failure throws TFileError and changes nothing.
    void save(int row, const std::string &path, TFontFileKind kind = {}, const TFontWriteOptions &options = {});
    bool anyModified() const;

signals:
    // Slots were added, removed or replaced.
    void fontsChanged();
    // A row's unsaved mark came or went.
    void modifiedChanged(int row);
    void currentChanged(int row);
    // An edit of a row's font became a step of its history (or joined the last one).
    void edited(int row);
    // A step of a row's history was undone or redone; the editor returns to place.
    void historyStepped(int row, const TEditPlace &place);

private:
    // After a replace or removal: no row is current, and the views are told.
    void listChanged();
    // A history for each slot, each pointing at its slot's font.
    void Relink();
    TFontStack *NewStack();
    int RowOf(const TFontStack *stack) const;

    TSlots Slots;
    std::vector<std::unique_ptr<TFontStack>> Stacks;
    QUndoGroup Group;
    int Current = -1;
};
