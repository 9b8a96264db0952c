// The history of one open font: each edit is one undoable step that keeps only
// the glyphs it changed (a run of positions, as they were and as they became)
// and, for header edits, the header fields, never a copy of the font.
#pragma once

#include "chartable/selection.h"
#include "model/bdfmodel.h"

#include <QString>
#include <QUndoCommand>
#include <QUndoStack>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// Steps a font keeps; older ones are dropped first.
constexpr int HistoryLimit = 500;

// Where the editor stood when a step was made: undo and redo go back there.
struct TEditPlace {
    int CharIndex = 0;
    TCharSelection Selection;
};

// The header fields the editor changes, and the property block.
struct TFontHeader {
    std::string FontName;
    double Uid = 0;
    int32_t FBBWidth = 0;
    int32_t FBBHeight = 0;
    int32_t FBBXOff = 0;
    int32_t FBBYOff = 0;
    std::vector<TBDFProperty> Properties;
    bool operator==(const TFontHeader &) const = default;
};
TFontHeader HeaderOf(const TBDFFont &font);
void SetHeader(TBDFFont &font, const TFontHeader &header);

// What one edit is: its name in the history, the glyph positions [First, End)
// it may change (positions past the font are clipped; glyphs inserted or removed
// inside the run are found from the change of the glyph count), whether it
// changes the header, and how consecutive edits merge (typing into one field,
// the presses and drags of one paint stroke): edits with the same MergeId other
// than -1 and the same MergeKey become one step.
struct TEditStep {
    QString Text;
    int First = 0;
    int End = 0;
    bool Header = false;
    int MergeId = -1;
    uint64_t MergeKey = 0;
};

// A font's history. Font points at the font the steps apply to; the open-fonts
// model keeps it current as its slots move.
class TFontStack : public QUndoStack {
    Q_OBJECT
public:
    explicit TFontStack(QObject *parent = nullptr);
    TBDFFont *Font = nullptr;
    // Bytes the steps keep (glyph records and their rows).
    size_t keptBytes() const;

signals:
    // A step was undone or redone; the editor goes back to where it was made.
    void stepped(const TEditPlace &place);
};

// One step.
class TFontEdit : public QUndoCommand {
public:
    TFontEdit(TFontStack &stack, const TEditStep &step, const TEditPlace &place);
    // Takes what the step's run and header hold before the change...
    void recordBefore(const TBDFFont &font);
    // ...and after it; false when nothing changed.
    bool recordAfter(const TBDFFont &font);

    void undo() override;
    void redo() override;
    int id() const override { return MergeId; }
    bool mergeWith(const QUndoCommand *other) override;
    size_t keptBytes() const;

private:
    // Puts with in place of count glyphs from First.
    void Apply(const std::vector<TBDFChar> &with, size_t count, const std::optional<TFontHeader> &header);

    TFontStack &Stack;
    int MergeId;
    uint64_t MergeKey;
    TEditPlace Place;
    int First;
    int End;
    size_t SizeBefore = 0;
    std::vector<TBDFChar> Before, After;
    std::optional<TFontHeader> HeaderBefore, HeaderAfter;
    // The change was made before the step was pushed: the push's redo does nothing.
    bool Done = true;
};
