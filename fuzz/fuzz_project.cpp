// libFuzzer target for the project file. Whatever the input, as an existing
// project file:
// - a text the reader refuses (a broken section line) is refused by a save into it too;
// - saving what was read gives a file that reads back to the same project, and
//   saving again what that file reads gives the same bytes;
// - saving a changed project gives a file that reads back to exactly that project;
// - both saves keep every line the program does not own, byte for byte and in order.
// Which lines a save owns is modelled here plainly from the file rules, apart
// from the editor's own code.
#include "compiler/project.h"
#include "model/fileerror.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string Fold(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

struct TLine {
    std::string_view Text, Break;
};

std::vector<TLine> Lines(std::string_view text)
{
    std::vector<TLine> lines;
    while (!text.empty()) {
        const size_t end = std::min(text.find_first_of("\r\n"), text.size());
        size_t next = end;
        if (end < text.size())
            next += text.substr(end, 2) == "\r\n" ? 2 : 1;
        lines.push_back({text.substr(0, end), text.substr(end, next - end)});
        text.remove_prefix(next);
    }
    return lines;
}

bool Reserved(std::string_view folded)
{
    return folded == "fontfiles" || folded == "typefaces" || folded == "common";
}

// The typeface sections a save of project writes (folded names).
std::vector<std::string> TypefaceSections(const TProjectFile &project)
{
    std::vector<std::string> names;
    for (const TTypeface &t : project.Typefaces)
        if (!t.Name.empty() && Trim(t.Name) == t.Name && t.Name.find(']') == std::string::npos &&
            !Reserved(Fold(t.Name)))
            names.push_back(Fold(t.Name));
    return names;
}

// Whether saving project owns the line: a key of a section it rewrites whole, a
// key it writes into Common, or the head of a list section it leaves out.
bool Owned(std::string_view section, std::string_view line, const TProjectFile &project)
{
    const std::string_view rest = Trim(line);
    if (rest.empty() || rest[0] == ';' || rest[0] == '#')
        return false;
    if (rest[0] == '[') {
        const std::string name = Fold(Trim(rest.substr(1, rest.find(']') - 1)));
        return (name == "fontfiles" && project.FontFiles.empty()) || (name == "typefaces" && project.Typefaces.empty());
    }
    const size_t equals = rest.find('=');
    if (equals == std::string_view::npos || equals == 0)
        return false;
    const std::string key = Fold(Trim(rest.substr(0, equals)));
    if (section == "common")
        return key == "collectionuid" || key == "kpixelaspectratio";
    if (section == "fontfiles" || section == "typefaces")
        return true;
    for (const std::string &name : TypefaceSections(project))
        if (name == section)
            return true;
    return false;
}

[[noreturn]] void Fail(const char *what, std::string_view input, std::string_view output)
{
    std::fprintf(stderr, "%s\n--- input ---\n%.*s\n--- output ---\n%.*s\n", what, static_cast<int>(input.size()),
                 input.data(), static_cast<int>(output.size()), output.data());
    std::abort();
}

// Every line of input that saving project does not own stands in output in the same order, as it was.
void CheckKept(std::string_view input, std::string_view output, const TProjectFile &project)
{
    constexpr std::string_view Mark = "\xEF\xBB\xBF";
    const bool marked = input.substr(0, 3) == Mark;
    if (marked != (output.substr(0, 3) == Mark))
        Fail("byte-order mark not kept", input, output);
    if (marked) {
        input.remove_prefix(3);
        output.remove_prefix(3);
    }
    const std::vector<TLine> out = Lines(output);
    size_t at = 0;
    std::string section;
    for (const TLine &line : Lines(input)) {
        const std::string_view rest = Trim(line.Text);
        if (!rest.empty() && rest[0] == '[')
            section = Fold(Trim(rest.substr(1, rest.find(']') - 1)));
        if (Owned(section, line.Text, project))
            continue;
        // A last line without a break gets one when keys follow it, and a bare CR
        // becomes CR LF where a dropped line stood before a line starting with LF.
        while (at < out.size() &&
               !(out[at].Text == line.Text && (out[at].Break == line.Break || line.Break.empty() ||
                                               (line.Break == "\r" && out[at].Break == "\r\n"))))
            ++at;
        if (at == out.size())
            Fail("a line the save does not own was lost", input, output);
        ++at;
    }
}

bool Equal(const TProjectFile &a, const TProjectFile &b)
{
    if (a.FontFiles != b.FontFiles || a.CollectionUid != b.CollectionUid ||
        a.KPixelAspectRatio != b.KPixelAspectRatio || a.Debug != b.Debug || a.Typefaces.size() != b.Typefaces.size())
        return false;
    for (size_t i = 0; i < a.Typefaces.size(); ++i) {
        // Typefaces named after a list section read that section's keys, which saves rewrite.
        const std::string name = Fold(a.Typefaces[i].Name);
        if (name == "fontfiles" || name == "typefaces") {
            if (a.Typefaces[i].Name != b.Typefaces[i].Name)
                return false;
        } else if (!(a.Typefaces[i] == b.Typefaces[i])) {
            return false;
        }
    }
    return true;
}

TProjectFile Parse(std::string_view text, std::string_view input)
{
    try {
        return ParseProject(text);
    } catch (const TFileError &) {
        Fail("a saved file is refused", input, text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    TProjectFile read;
    try {
        read = ParseProject(input);
    } catch (const TFileError &) {
        if (input.find('\0') != std::string_view::npos)
            return 0;
        try {
            UpdateProject(input, read);
        } catch (const TFileError &) {
            return 0;
        }
        Fail("a save takes a text the reader refuses", input, {});
    }
    // A file holding a NUL (no project: it cannot be opened) is replaced whole.
    if (input.find('\0') != std::string_view::npos) {
        const std::string whole = UpdateProject(input, read);
        if (whole != UpdateProject({}, read))
            Fail("a file holding a NUL is not replaced whole", input, whole);
        return 0;
    }

    const std::string once = UpdateProject(input, read);
    if (!LooksLikeProject(once))
        Fail("a saved file is no project", input, once);
    const TProjectFile back = Parse(once, input);
    if (!Equal(back, read))
        Fail("the saved project reads back otherwise", input, once);
    const std::string twice = UpdateProject(once, back);
    if (twice != once)
        Fail("saving again changes the file", once, twice);
    CheckKept(input, once, read);

    // A changed project: one typeface fewer, one more, other fonts and numbers.
    TProjectFile changed = read;
    changed.CollectionUid ^= 0x55;
    changed.FontFiles.push_back("/x/added.bdf");
    if (!changed.Typefaces.empty())
        changed.Typefaces.erase(changed.Typefaces.begin());
    TTypeface added;
    added.Name = "Added";
    added.Type = "Serif";
    added.Comments = " two\nlines\t";
    added.FontFiles = {"F"};
    added.FontBoundingBox4 = -3;
    changed.Typefaces.push_back(added);
    const std::string saved = UpdateProject(input, changed);
    const TProjectFile reread = Parse(saved, input);
    // Names equal ignoring letter case share one section and read back alike.
    bool distinct = true;
    for (size_t i = 0; i < changed.Typefaces.size(); ++i)
        for (size_t j = 0; j < i; ++j)
            distinct = distinct && Fold(changed.Typefaces[i].Name) != Fold(changed.Typefaces[j].Name);
    if (distinct && !Equal(reread, changed))
        Fail("a changed project reads back otherwise", input, saved);
    if (UpdateProject(saved, reread) != saved)
        Fail("saving a changed project again changes the file", input, saved);
    CheckKept(input, saved, changed);
    return 0;
}
