#include "glyphfind.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr int64_t LastCodePoint = 0x10FFFF;

// A hexadecimal code of one to six digits, or none.
std::optional<int64_t> CodePoint(std::string_view text)
{
    if (text.empty() || text.size() > 6)
        return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + digit;
    }
    return value;
}

std::string_view Trimmed(std::string_view s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool HoldsIgnoringCase(std::string_view name, std::string_view query)
{
    const auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
    return std::search(name.begin(), name.end(), query.begin(), query.end(),
                       [&](char a, char b) { return lower(a) == lower(b); }) != name.end();
}

} // namespace

std::vector<TUnicodeBlock> ParseUnicodeBlocks(std::string_view text)
{
    std::vector<TUnicodeBlock> blocks;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        line = Trimmed(line.substr(0, line.find('#')));
        const size_t dots = line.find("..");
        const size_t semicolon = line.find(';');
        if (dots == std::string_view::npos || semicolon == std::string_view::npos || semicolon < dots)
            continue;
        const auto first = CodePoint(Trimmed(line.substr(0, dots)));
        const auto last = CodePoint(Trimmed(line.substr(dots + 2, semicolon - dots - 2)));
        const std::string_view name = Trimmed(line.substr(semicolon + 1));
        if (!first || !last || *first > *last || *last > LastCodePoint || name.empty())
            continue;
        blocks.push_back({*first, *last, std::string(name)});
    }
    std::sort(blocks.begin(), blocks.end(), [](const auto &a, const auto &b) { return a.First < b.First; });
    // A block overlapping the one before it cannot be told apart from it: dropped.
    std::vector<TUnicodeBlock> kept;
    for (TUnicodeBlock &b : blocks)
        if (kept.empty() || b.First > kept.back().Last)
            kept.push_back(std::move(b));
    return kept;
}

const TUnicodeBlock *BlockOf(const std::vector<TUnicodeBlock> &blocks, int64_t code)
{
    const auto after = std::upper_bound(blocks.begin(), blocks.end(), code,
                                        [](int64_t c, const TUnicodeBlock &b) { return c < b.First; });
    if (after == blocks.begin())
        return nullptr;
    const TUnicodeBlock &b = *(after - 1);
    return code <= b.Last ? &b : nullptr;
}

std::optional<size_t> FirstGlyphInBlock(const TBDFFont &font, const TUnicodeBlock &block)
{
    for (size_t i = 0; i < font.Chars.size(); ++i) {
        const int64_t code = font.Chars[i].Encoding;
        if (code >= block.First && code <= block.Last)
            return i;
    }
    return std::nullopt;
}

std::optional<size_t> FindGlyphByName(size_t count, const TGlyphNames &names, std::string_view query, size_t after)
{
    if (!names || query.empty() || count == 0)
        return std::nullopt;
    const size_t start = after < count ? after + 1 : 0;
    const auto find = [&](const std::function<bool(std::string_view)> &matches) -> std::optional<size_t> {
        for (size_t n = 0; n < count; ++n) {
            const size_t i = (start + n) % count;
            const std::string name = names(i);
            if (!name.empty() && matches(name))
                return i;
        }
        return std::nullopt;
    };
    if (auto exact = find([&](std::string_view name) { return name == query; }))
        return exact;
    return find([&](std::string_view name) { return HoldsIgnoringCase(name, query); });
}
