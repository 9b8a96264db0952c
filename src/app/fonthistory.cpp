#include "fonthistory.h"

#include <algorithm>

TFontHeader HeaderOf(const TBDFFont &font)
{
    return {font.FontName, font.Uid, font.FBBWidth, font.FBBHeight, font.FBBXOff, font.FBBYOff, font.Properties};
}

void SetHeader(TBDFFont &font, const TFontHeader &header)
{
    font.FontName = header.FontName;
    font.Uid = header.Uid;
    font.FBBWidth = header.FBBWidth;
    font.FBBHeight = header.FBBHeight;
    font.FBBXOff = header.FBBXOff;
    font.FBBYOff = header.FBBYOff;
    font.Properties = header.Properties;
}

TFontStack::TFontStack(QObject *parent) : QUndoStack(parent)
{
    setUndoLimit(HistoryLimit);
}

size_t TFontStack::keptBytes() const
{
    size_t bytes = 0;
    for (int i = 0; i < count(); ++i)
        bytes += static_cast<const TFontEdit *>(command(i))->keptBytes();
    return bytes;
}

TFontEdit::TFontEdit(TFontStack &stack, const TEditStep &step, const TEditPlace &place)
    : QUndoCommand(step.Text), Stack(stack), MergeId(step.MergeId), MergeKey(step.MergeKey), Place(place),
      First(std::max(step.First, 0)), End(std::max(step.End, First))
{
    if (step.Header)
        HeaderBefore.emplace();
}

void TFontEdit::recordBefore(const TBDFFont &font)
{
    SizeBefore = font.Chars.size();
    First = std::min<int>(First, static_cast<int>(SizeBefore));
    End = std::min<int>(End, static_cast<int>(SizeBefore));
    Before.assign(font.Chars.begin() + First, font.Chars.begin() + End);
    if (HeaderBefore)
        HeaderBefore = HeaderOf(font);
}

bool TFontEdit::recordAfter(const TBDFFont &font)
{
    const int64_t grown = static_cast<int64_t>(font.Chars.size()) - static_cast<int64_t>(SizeBefore);
    const int end = static_cast<int>(std::clamp<int64_t>(End + grown, First, static_cast<int64_t>(font.Chars.size())));
    After.assign(font.Chars.begin() + First, font.Chars.begin() + end);
    if (HeaderBefore)
        HeaderAfter = HeaderOf(font);
    if (MergeId == -1) {
        // Only what changed is kept: glyphs equal at either end of the run are dropped.
        size_t head = 0;
        while (head < Before.size() && head < After.size() && Before[head] == After[head])
            ++head;
        size_t tail = 0;
        while (tail < Before.size() - head && tail < After.size() - head &&
               Before[Before.size() - 1 - tail] == After[After.size() - 1 - tail])
            ++tail;
        Before.erase(Before.end() - static_cast<std::ptrdiff_t>(tail), Before.end());
        After.erase(After.end() - static_cast<std::ptrdiff_t>(tail), After.end());
        Before.erase(Before.begin(), Before.begin() + static_cast<std::ptrdiff_t>(head));
        After.erase(After.begin(), After.begin() + static_cast<std::ptrdiff_t>(head));
        First += static_cast<int>(head);
        Before.shrink_to_fit();
        After.shrink_to_fit();
    }
    return Before != After || HeaderBefore != HeaderAfter;
}

void TFontEdit::Apply(const std::vector<TBDFChar> &with, size_t count, const std::optional<TFontHeader> &header)
{
    TGlyphList &chars = Stack.Font->Chars;
    const size_t common = std::min(count, with.size());
    const auto at = chars.begin() + First;
    std::copy(with.begin(), with.begin() + static_cast<std::ptrdiff_t>(common), at);
    if (count > common)
        chars.erase(at + static_cast<std::ptrdiff_t>(common), at + static_cast<std::ptrdiff_t>(count));
    else
        chars.insert(at + static_cast<std::ptrdiff_t>(common), with.begin() + static_cast<std::ptrdiff_t>(common),
                     with.end());
    if (header)
        SetHeader(*Stack.Font, *header);
    emit Stack.stepped(Place);
}

void TFontEdit::undo()
{
    Apply(Before, After.size(), HeaderBefore);
}

void TFontEdit::redo()
{
    if (Done) {
        Done = false;
        return;
    }
    Apply(After, Before.size(), HeaderAfter);
}

bool TFontEdit::mergeWith(const QUndoCommand *other)
{
    const auto *next = static_cast<const TFontEdit *>(other);
    // Merged steps cover the same run of the same length, so the later one's
    // result is the merged step's result.
    if (next->MergeKey != MergeKey || next->First != First || next->Before.size() != After.size() ||
        next->After.size() != After.size() || next->HeaderBefore.has_value() != HeaderBefore.has_value())
        return false;
    After = next->After;
    HeaderAfter = next->HeaderAfter;
    return true;
}

size_t TFontEdit::keptBytes() const
{
    size_t bytes = sizeof(*this);
    for (const std::vector<TBDFChar> *run : {&Before, &After}) {
        bytes += run->capacity() * sizeof(TBDFChar);
        for (const TBDFChar &c : *run)
            bytes += c.Bitmap.size() > TGlyphRows::InlineRows ? c.Bitmap.size() * sizeof(uint64_t) : 0;
    }
    return bytes;
}
