#include "project.h"

#include "bdf/fontformat.h"

#include "bdf/bdfreader.h"
#include "bdf/fileio.h"
#include "bdf/paths.h"
#include "model/fileerror.h"
#include "model/textfuncs.h"

#define SI_CONVERT_ICU
#include <SimpleIni.h>

#include <algorithm>
#include <unordered_map>


namespace {

constexpr const char *FontFilesSection = "FontFiles";
constexpr const char *CommonSection = "Common";
constexpr const char *TypefacesSection = "Typefaces";
constexpr const char *EscapedKey = "CommentsEscaped";

// Letter case folded as the INI file's names compare: ASCII letters only.
char Fold(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Fold(a[i]) != Fold(b[i]))
            return false;
    return true;
}

std::string Folded(std::string_view name)
{
    std::string folded(name);
    for (char &c : folded)
        c = Fold(c);
    return folded;
}

bool IsEntryKey(const char *key)
{
    return ParseIniInt(key, -1) != -1;
}

class TIni {
public:
    TIni() : Ini(false, false, false)
    {
        Ini.SetSpaces(false);
    }
    void load(std::string_view text)
    {
        if (!text.empty() && Ini.LoadData(text.data(), text.size()) < 0)
            Ini.Reset();
    }
    std::string value(const char *section, const char *key, const char *def) const
    {
        return Ini.GetValue(section, key, def);
    }
    int32_t integer(const char *section, const char *key) const
    {
        const char *v = Ini.GetValue(section, key, nullptr);
        return v ? ParseIniInt(v, 0) : 0;
    }
    // Values of the section's entry keys, in the order they stand in the file.
    std::vector<std::string> entries(const char *section, const char *def) const
    {
        CSimpleIniA::TNamesDepend keys;
        Ini.GetAllKeys(section, keys);
        keys.sort(CSimpleIniA::Entry::LoadOrder());
        std::vector<std::string> out;
        for (const auto &key : keys)
            if (IsEntryKey(key.pItem))
                out.emplace_back(Ini.GetValue(section, key.pItem, def));
        return out;
    }

private:
    CSimpleIniA Ini;
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// One line of project text as SimpleIni reads it. Its reader is line based
// for every line it accepts: blanks and tabs at either end of a line, a name
// or a value do not count, a line whose first other character is ";" or "#" is
// a comment, "[" opens a section up to the first "]" (the rest of the line does
// not count), a line with "=" after at least one character is a key, and every
// other line is skipped. Only a UTF-8 byte-order mark at the very start of the
// text is taken off.
enum class TLineKind { Blank, Comment, Section, Key, Other, Broken };

struct TIniLine {
    // The line's bytes, byte-order mark included, and its own line break
    // (CR LF, CR, LF, or nothing on a last line without one).
    std::string_view Text;
    std::string_view Break;
    TLineKind Kind = TLineKind::Other;
    // A section's or a key's name, as the reader compares it.
    std::string_view Name;
};

// Kind is Broken for a line SimpleIni would misread: a section line without
// its "]" (the reader then files the following keys under a name made of
// several lines), or one behind a byte-order mark the reader does not take off.
TLineKind Classify(std::string_view content, std::string_view &name)
{
    std::string_view rest = content;
    while (!rest.empty() && IsBlank(rest.front()))
        rest.remove_prefix(1);
    if (rest.empty())
        return TLineKind::Blank;
    if (rest.front() == ';' || rest.front() == '#')
        return TLineKind::Comment;
    if (rest.substr(0, ByteOrderMark.size()) == ByteOrderMark) {
        const std::string_view after = TrimBlanks(rest.substr(ByteOrderMark.size()));
        if (!after.empty() && after.front() == '[')
            return TLineKind::Broken;
    }
    if (rest.front() == '[') {
        const size_t close = rest.find(']');
        if (close == std::string_view::npos)
            return TLineKind::Broken;
        name = TrimBlanks(rest.substr(1, close - 1));
        return TLineKind::Section;
    }
    const size_t equals = rest.find('=');
    if (equals == std::string_view::npos || equals == 0)
        return TLineKind::Other;
    name = TrimBlanks(rest.substr(0, equals));
    return TLineKind::Key;
}

// The lines of text up to its first NUL byte, where SimpleIni stops reading.
std::vector<TIniLine> SplitLines(std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    std::vector<TIniLine> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        size_t breakSize = 0;
        if (end == std::string_view::npos)
            end = text.size();
        else
            breakSize = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1;
        TIniLine line;
        line.Text = text.substr(pos, end - pos);
        line.Break = text.substr(end, breakSize);
        std::string_view content = line.Text;
        if (pos == 0 && content.substr(0, ByteOrderMark.size()) == ByteOrderMark)
            content.remove_prefix(ByteOrderMark.size());
        line.Kind = Classify(content, line.Name);
        lines.push_back(line);
        pos = end + breakSize;
    }
    return lines;
}

std::string Quoted(std::string_view text)
{
    std::string q;
    q.reserve(text.size() + 2);
    q.append(1, '"').append(text).append(1, '"');
    return q;
}

// A broken section line is reported, never read or saved in some reshaped form.
void RefuseBrokenLines(const std::vector<TIniLine> &lines)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].Kind != TLineKind::Broken)
            continue;
        const std::string line = "line " + std::to_string(i + 1);
        std::string shown(lines[i].Text.substr(0, 80));
        const bool mark = shown.find(ByteOrderMark) != std::string::npos;
        const std::string reason = mark ? line + " holds a byte-order mark before its section " + Quoted(shown)
                                        : line + " opens a section without closing it with \"]\": " + Quoted(shown);
        throw TFileError::WithMessage("The project file has a broken section line: " + reason, std::string(), reason);
    }
}

// What a save writes into one section the program owns, and which of its keys
// are the program's.
struct TOwnedSection {
    std::string Name;
    // Names of the keys the program owns; empty: every key of the section.
    std::vector<std::string_view> OwnedKeys;
    std::vector<std::pair<std::string, std::string>> Keys;
    // A list section without entries is left out.
    bool DropWhenEmpty = false;

    bool owns(std::string_view key) const
    {
        if (OwnedKeys.empty())
            return true;
        for (std::string_view owned : OwnedKeys)
            if (SameIgnoringCase(owned, key))
                return true;
        return false;
    }
    bool dropped() const { return DropWhenEmpty && Keys.empty(); }
};

// A value line holds neither a line break (nor a NUL, where reading stops), and
// the reader takes blanks off its ends: such values are refused, not changed.
void CheckValue(std::string_view what, std::string_view value)
{
    std::string problem;
    if (value.find_first_of("\r\n") != std::string_view::npos)
        problem = "holds a line break";
    else if (value.find('\0') != std::string_view::npos)
        problem = "holds a NUL byte";
    else if (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back())))
        problem = "begins or ends with a blank";
    else
        return;
    const std::string reason = std::string(what) + " " + Quoted(value) + " " + problem +
                               ", which a project file cannot keep";
    throw TFileError::WithMessage(reason, std::string(), reason);
}

// Whether a typeface's name can head a section of its own that reads back under that name.
bool HoldsOwnSection(const std::string &name)
{
    return !name.empty() && !TypefaceNameProblem({}, name);
}

TOwnedSection TypefaceSection(const TTypeface &t)
{
    TOwnedSection own;
    own.Name = t.Name;
    CheckValue("The type", t.Type);
    own.Keys.emplace_back("Type", t.Type);
    const TStoredComment comment = StoreComment(t.Comments);
    CheckValue("The comment", comment.Value);
    own.Keys.emplace_back("Comments", comment.Value);
    if (comment.Escaped)
        own.Keys.emplace_back(EscapedKey, "1");
    own.Keys.emplace_back("FontBoundingBox1", std::to_string(t.FontBoundingBox1));
    own.Keys.emplace_back("FontBoundingBox2", std::to_string(t.FontBoundingBox2));
    own.Keys.emplace_back("FontBoundingBox3", std::to_string(t.FontBoundingBox3));
    own.Keys.emplace_back("FontBoundingBox4", std::to_string(t.FontBoundingBox4));
    for (size_t j = 0; j < t.FontFiles.size(); ++j) {
        CheckValue("The font name", t.FontFiles[j]);
        own.Keys.emplace_back(std::to_string(j + 1), t.FontFiles[j]);
    }
    return own;
}

// The sections a save writes, and where each stands in that list by its folded name.
std::vector<TOwnedSection> OwnedSections(const TProjectFile &project, std::unordered_map<std::string, size_t> &index)
{
    TOwnedSection fonts{FontFilesSection, {}, {}, true};
    for (size_t i = 0; i < project.FontFiles.size(); ++i) {
        CheckValue("The font path", project.FontFiles[i]);
        fonts.Keys.emplace_back(std::to_string(i + 1), project.FontFiles[i]);
    }
    TOwnedSection common{CommonSection,
                         {"CollectionUid", "KPixelAspectRatio"},
                         {{"CollectionUid", std::to_string(project.CollectionUid)},
                          {"KPixelAspectRatio", std::to_string(project.KPixelAspectRatio)}},
                         false};
    TOwnedSection list{TypefacesSection, {}, {}, true};
    std::vector<TOwnedSection> sections;
    for (size_t i = 0; i < project.Typefaces.size(); ++i) {
        const TTypeface &t = project.Typefaces[i];
        CheckValue("The typeface name", t.Name);
        list.Keys.emplace_back(std::to_string(i + 1), t.Name);
        // A name that cannot head its own section (one read from a hand-made
        // file) gets none: its section would be another's.
        if (HoldsOwnSection(t.Name))
            sections.push_back(TypefaceSection(t));
    }
    sections.insert(sections.begin(), {std::move(fonts), std::move(common), std::move(list)});
    std::vector<TOwnedSection> unique;
    for (TOwnedSection &section : sections) {
        // Names equal ignoring letter case share a section: the last one's values are written.
        const auto [same, fresh] = index.emplace(Folded(section.Name), unique.size());
        if (fresh)
            unique.push_back(std::move(section));
        else
            unique[same->second].Keys = std::move(section.Keys);
    }
    return unique;
}

void AppendKeys(std::string &out, const TOwnedSection &section)
{
    for (const auto &[key, value] : section.Keys)
        out.append(key).append(1, '=').append(value).append("\r\n");
}

bool EndsWithBlankLine(std::string_view text)
{
    if (text.empty() || (text.back() != '\n' && text.back() != '\r'))
        return false;
    text.remove_suffix(text.size() >= 2 && text.substr(text.size() - 2) == "\r\n" ? 2 : 1);
    const size_t lineStart = text.find_last_of("\r\n");
    const std::string_view last = lineStart == std::string_view::npos ? text : text.substr(lineStart + 1);
    return TrimBlanks(last).empty();
}

} // namespace

int32_t ParseIniInt(std::string_view text, int32_t def)
{
    // "x1F" is hexadecimal to ParseIntDef but not to an INI file.
    std::string_view body = text;
    if (!body.empty() && (body[0] == '-' || body[0] == '+'))
        body.remove_prefix(1);
    if (!body.empty() && (body[0] == 'x' || body[0] == 'X'))
        return def;
    return ParseIntDef(text, def);
}

TStoredComment StoreComment(std::string_view comment)
{
    // The file takes blanks off a value's ends, so a comment with some there is escaped as well.
    const bool blankEnds = !comment.empty() && (IsBlank(comment.front()) || IsBlank(comment.back()));
    if (comment.find_first_of("\r\n") == std::string_view::npos && !blankEnds)
        return {std::string(comment), false};
    TStoredComment stored{{}, true};
    for (char c : comment) {
        switch (c) {
        case '\\':
            stored.Value += "\\\\";
            break;
        case '\n':
            stored.Value += "\\n";
            break;
        case '\r':
            stored.Value += "\\r";
            break;
        default:
            stored.Value.push_back(c);
        }
    }
    auto escapeBlank = [&](size_t at) {
        if (IsBlank(stored.Value[at]))
            stored.Value.replace(at, 1, stored.Value[at] == ' ' ? "\\s" : "\\t");
    };
    if (!stored.Value.empty())
        escapeBlank(stored.Value.size() - 1);
    if (!stored.Value.empty())
        escapeBlank(0);
    return stored;
}

std::string LoadComment(std::string_view value, bool escaped)
{
    if (!escaped)
        return std::string(value);
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out.push_back(value[i]);
            continue;
        }
        switch (value[++i]) {
        case 'n':
            out.push_back('\n');
            break;
        case 'r':
            out.push_back('\r');
            break;
        case 's':
            out.push_back(' ');
            break;
        case 't':
            out.push_back('\t');
            break;
        default:
            out.push_back(value[i]);
        }
    }
    return out;
}

bool LooksLikeProject(std::string_view text)
{
    if (text.empty())
        return true;
    if (text.find('\0') != std::string_view::npos)
        return false;
    // A broken section line still marks a project, one that is then refused with the line named.
    for (const TIniLine &line : SplitLines(text))
        if ((line.Kind == TLineKind::Section && !line.Name.empty()) || line.Kind == TLineKind::Broken)
            return true;
    return false;
}

TProjectFile ParseProject(std::string_view text)
{
    RefuseBrokenLines(SplitLines(text));
    TIni ini;
    ini.load(text);
    TProjectFile p;
    p.FontFiles = ini.entries(FontFilesSection, "");
    p.CollectionUid = ini.integer(CommonSection, "CollectionUid");
    p.KPixelAspectRatio = ini.integer(CommonSection, "KPixelAspectRatio");
    p.Debug = ini.integer(CommonSection, "Debug");
    for (std::string &name : ini.entries(TypefacesSection, "?")) {
        TTypeface t;
        t.Name = std::move(name);
        const char *s = t.Name.c_str();
        t.Type = ini.value(s, "Type", "?");
        t.Comments = LoadComment(ini.value(s, "Comments", ""), ini.integer(s, EscapedKey) != 0);
        t.FontBoundingBox1 = ini.integer(s, "FontBoundingBox1");
        t.FontBoundingBox2 = ini.integer(s, "FontBoundingBox2");
        t.FontBoundingBox3 = ini.integer(s, "FontBoundingBox3");
        t.FontBoundingBox4 = ini.integer(s, "FontBoundingBox4");
        t.FontFiles = ini.entries(s, "?");
        p.Typefaces.push_back(std::move(t));
    }
    return p;
}

std::string UpdateProject(std::string_view existing, const TProjectFile &project)
{
    // SimpleIni reads nothing past a NUL: such a file holds nothing a save could keep readable.
    if (existing.find('\0') != std::string_view::npos)
        existing = {};
    const std::vector<TIniLine> lines = SplitLines(existing);
    RefuseBrokenLines(lines);
    std::unordered_map<std::string, size_t> index;
    const std::vector<TOwnedSection> owned = OwnedSections(project, index);

    // Where each owned section's keys go: in place of its first owned key; with
    // none, after the last key (or the head) of the section's first stretch;
    // a section the file does not have is added at its end.
    struct TPlace {
        ptrdiff_t FirstHead = -1, FirstOwnedKey = -1, LastKeyOfFirstStretch = -1;
    };
    std::vector<TPlace> places(owned.size());
    std::vector<bool> drop(lines.size(), false);
    ptrdiff_t current = -1;
    bool firstStretch = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const TIniLine &line = lines[i];
        const auto at = static_cast<ptrdiff_t>(i);
        if (line.Kind == TLineKind::Section) {
            const auto found = index.find(Folded(line.Name));
            current = found == index.end() ? -1 : static_cast<ptrdiff_t>(found->second);
            if (current < 0)
                continue;
            firstStretch = places[current].FirstHead < 0;
            if (firstStretch)
                places[current].FirstHead = at;
            drop[i] = owned[current].dropped();
        } else if (line.Kind == TLineKind::Key && current >= 0) {
            TPlace &place = places[current];
            if (owned[current].owns(line.Name)) {
                drop[i] = true;
                if (place.FirstOwnedKey < 0)
                    place.FirstOwnedKey = at;
            } else if (firstStretch) {
                place.LastKeyOfFirstStretch = at;
            }
        }
    }
    std::vector<ptrdiff_t> replaceAt(lines.size(), -1), insertAfter(lines.size(), -1);
    std::vector<size_t> added;
    for (size_t s = 0; s < owned.size(); ++s) {
        const TPlace &place = places[s];
        if (owned[s].dropped())
            continue;
        if (place.FirstOwnedKey >= 0)
            replaceAt[place.FirstOwnedKey] = static_cast<ptrdiff_t>(s);
        else if (place.FirstHead >= 0)
            insertAfter[std::max(place.LastKeyOfFirstStretch, place.FirstHead)] = static_cast<ptrdiff_t>(s);
        else
            added.push_back(s);
    }

    std::string out;
    out.reserve(existing.size() + 64 * owned.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const TIniLine &line = lines[i];
        if (drop[i]) {
            // The file's own byte-order mark stays at its start.
            if (i == 0 && line.Text.substr(0, ByteOrderMark.size()) == ByteOrderMark)
                out.append(ByteOrderMark);
            if (replaceAt[i] >= 0)
                AppendKeys(out, owned[replaceAt[i]]);
            continue;
        }
        // A byte-order mark counts only at the very start: a line with one must not come first.
        if (out.empty() && i > 0 && line.Text.substr(0, ByteOrderMark.size()) == ByteOrderMark)
            out.append("\r\n");
        // Where a dropped line stood between a line ending in a bare CR and one
        // starting with LF, the two would make one CR LF and a line would vanish.
        if (!out.empty() && out.back() == '\r' && (line.Text.empty() ? line.Break : line.Text).substr(0, 1) == "\n")
            out.push_back('\n');
        out.append(line.Text);
        if (insertAfter[i] >= 0) {
            out.append(line.Break.empty() ? std::string_view("\r\n") : line.Break);
            AppendKeys(out, owned[insertAfter[i]]);
        } else {
            out.append(line.Break);
        }
    }
    for (size_t s : added) {
        if (!out.empty() && out.back() != '\n' && out.back() != '\r')
            out.append("\r\n");
        if (!out.empty() && !EndsWithBlankLine(out))
            out.append("\r\n");
        out.append(1, '[').append(owned[s].Name).append("]\r\n");
        AppendKeys(out, owned[s]);
    }
    return out;
}

std::optional<std::string> TypefaceNameProblem(const std::vector<TTypeface> &typefaces, std::string_view name,
                                               int self)
{
    if (name.find(']') != std::string_view::npos)
        return "A typeface name cannot hold \"]\".";
    if (name.find_first_of("\r\n") != std::string_view::npos)
        return "A typeface name cannot hold a line break.";
    // The file takes blanks off section names and values, so "Bold " would read back as "Bold".
    if (!name.empty() && (IsBlank(name.front()) || IsBlank(name.back())))
        return "A typeface name cannot begin or end with a blank.";
    for (const char *reserved : {CommonSection, TypefacesSection, FontFilesSection})
        if (SameIgnoringCase(name, reserved))
            return Quoted(name).append(" is a name the project file uses for itself.");
    for (size_t i = 0; i < typefaces.size(); ++i)
        if (static_cast<int>(i) != self && SameIgnoringCase(typefaces[i].Name, name))
            return std::string("A typeface named ").append(Quoted(typefaces[i].Name)).append(" is already in the project.");
    return std::nullopt;
}

std::string TypefacePicturePath(const std::string &projectFileName, const std::string &typefaceName)
{
    const std::string folder = FolderOf(projectFileName);
    const size_t dot = typefaceName.find_last_of('.');
    const std::string stem = dot == std::string::npos ? typefaceName : typefaceName.substr(0, dot);
    return folder + "/" + stem + ".jpg";
}

std::optional<std::string> ResolveFontPath(const std::string &stored, const std::string &projectFileName)
{
    if (stored.empty())
        return std::nullopt;
    if (stored[0] == '/')
        return IsRegularFile(stored) ? std::optional(FullPath(stored)) : std::nullopt;
    for (const std::string &candidate : {FolderOf(AbsolutePath(projectFileName)) + "/" + stored, stored})
        if (IsRegularFile(candidate))
            return FullPath(candidate);
    return std::nullopt;
}

namespace {

// fontPath relative to folder when it lies in or below it; the folders are
// compared with their links resolved, so a project reached through a link still
// gets relative paths.
std::optional<std::string> PathBelow(const std::string &fontPath, const std::string &folder)
{
    const std::string absolute = AbsolutePath(fontPath);
    const std::string fontFolder = CanonicalFolder(FolderOf(absolute));
    std::string base = CanonicalFolder(folder);
    if (base != "/")
        base.push_back('/');
    const std::string name = absolute.substr(absolute.find_last_of('/') + 1);
    if ((fontFolder + "/").compare(0, base.size(), base) != 0)
        return std::nullopt;
    const std::string below = fontFolder.size() + 1 > base.size() ? fontFolder.substr(base.size()) + "/" : "";
    return below + name;
}

} // namespace

std::vector<std::string> ProjectFontTexts(const std::vector<std::string> &fontPaths,
                                          const std::vector<std::string> &readTexts, const std::string &readFrom,
                                          const std::string &target)
{
    const std::string folder = FolderOf(AbsolutePath(target));
    const bool sameProject = !readFrom.empty() && SameFile(readFrom, target);
    std::vector<std::string> out;
    out.reserve(fontPaths.size());
    for (const std::string &path : fontPaths) {
        std::optional<std::string> text;
        if (sameProject)
            for (const std::string &read : readTexts)
                if (!read.empty() && SameFile(read[0] == '/' ? read : folder + "/" + read, path)) {
                    text = read;
                    break;
                }
        if (!text)
            text = PathBelow(path, folder);
        out.push_back(text ? *text : AbsolutePath(path));
    }
    return out;
}

std::optional<int> MoveTarget(int index, int count, int direction)
{
    const int target = index + direction;
    if (index < 0 || index >= count || target < 0 || target >= count)
        return std::nullopt;
    return target;
}

TOpenedProject OpenProjectFile(const std::string &path)
{
    TOpenedProject opened;
    std::string text;
    if (PathExists(path)) {
        const TByteBuffer bytes = ReadFileBytes(path);
        text.assign(bytes.data(), bytes.size());
    }
    if (!LooksLikeProject(text))
        throw TFileError::WithMessage("\"" + path + "\" is not a Bitloom project", path, "not a Bitloom project");
    try {
        opened.File = ParseProject(text);
    } catch (const TFileError &e) {
        throw TFileError::WithMessage("Cannot open \"" + path + "\": " + e.reason(), path, e.reason());
    }
    for (const std::string &stored : opened.File.FontFiles) {
        const std::optional<std::string> found = ResolveFontPath(stored, path);
        if (!found) {
            const std::string beside = stored.empty() || stored[0] == '/' ? stored : FolderOf(path) + "/" + stored;
            opened.Problems.push_back(stored + (PathExists(beside) ? ": not a regular file" : ": not found"));
            continue;
        }
        TProjectRecord slot;
        TFontReadReport report;
        try {
            report = OpenFont(*found, slot.Font, {opened.File.Debug});
        } catch (const TFileError &e) {
            opened.Problems.push_back(e.what());
            continue;
        }
        if (std::string warning = FontWarningText(*found, slot.Font, report); !warning.empty())
            opened.Warnings.push_back(std::move(warning));
        slot.FileName = *found;
        slot.Kind = report.Kind;
        opened.Fonts.push_back(std::move(slot));
    }
    return opened;
}
