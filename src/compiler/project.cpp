#include "project.h"

#include "bdf/bdfreader.h"
#include "bdf/fileio.h"
#include "bdf/paths.h"
#include "model/fileerror.h"
#include "model/textfuncs.h"

#define SI_CONVERT_ICU
#include <SimpleIni.h>

#include <sys/stat.h>

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
    // Removes every key of the section but keeps the section where it stands.
    void empty(const char *section)
    {
        CSimpleIniA::TNamesDepend keys;
        Ini.GetAllKeys(section, keys);
        std::vector<std::string> names;
        for (const auto &key : keys)
            names.emplace_back(key.pItem);
        for (const std::string &name : names)
            Ini.Delete(section, name.c_str(), false);
    }
    void set(const char *section, const char *key, const std::string &value)
    {
        Ini.SetValue(section, key, value.c_str());
    }
    // A section left without keys is not written.
    void dropIfEmpty(const char *section)
    {
        if (Ini.GetSectionSize(section) <= 0)
            Ini.Delete(section, nullptr);
    }
    std::string text() const
    {
        std::string out;
        Ini.Save(out);
        std::string crlf;
        crlf.reserve(out.size() + out.size() / 16);
        for (char c : out) {
            if (c == '\n')
                crlf.push_back('\r');
            crlf.push_back(c);
        }
        return crlf;
    }

private:
    CSimpleIniA Ini;
};

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
    if (comment.find_first_of("\r\n") == std::string_view::npos)
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
    // The file trims values: blanks at either end are escaped too.
    if (!stored.Value.empty() && stored.Value.front() == ' ')
        stored.Value.replace(0, 1, "\\s");
    if (!stored.Value.empty() && stored.Value.back() == ' ')
        stored.Value.replace(stored.Value.size() - 1, 1, "\\s");
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
    CSimpleIniA ini(false, false, false);
    if (ini.LoadData(text.data(), text.size()) < 0)
        return false;
    CSimpleIniA::TNamesDepend sections;
    ini.GetAllSections(sections);
    for (const auto &section : sections)
        if (section.pItem && *section.pItem)
            return true;
    return false;
}

TProjectFile ParseProject(std::string_view text)
{
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
    TIni ini;
    ini.load(existing);
    ini.empty(FontFilesSection);
    for (size_t i = 0; i < project.FontFiles.size(); ++i)
        ini.set(FontFilesSection, std::to_string(i + 1).c_str(), project.FontFiles[i]);
    ini.dropIfEmpty(FontFilesSection);

    ini.set(CommonSection, "CollectionUid", std::to_string(project.CollectionUid));
    ini.set(CommonSection, "KPixelAspectRatio", std::to_string(project.KPixelAspectRatio));

    ini.empty(TypefacesSection);
    for (size_t i = 0; i < project.Typefaces.size(); ++i) {
        const TTypeface &t = project.Typefaces[i];
        const char *s = t.Name.c_str();
        ini.empty(s);
        ini.set(TypefacesSection, std::to_string(i + 1).c_str(), t.Name);
        ini.set(s, "Type", t.Type);
        const TStoredComment comment = StoreComment(t.Comments);
        ini.set(s, "Comments", comment.Value);
        if (comment.Escaped)
            ini.set(s, EscapedKey, "1");
        ini.set(s, "FontBoundingBox1", std::to_string(t.FontBoundingBox1));
        ini.set(s, "FontBoundingBox2", std::to_string(t.FontBoundingBox2));
        ini.set(s, "FontBoundingBox3", std::to_string(t.FontBoundingBox3));
        ini.set(s, "FontBoundingBox4", std::to_string(t.FontBoundingBox4));
        for (size_t j = 0; j < t.FontFiles.size(); ++j)
            ini.set(s, std::to_string(j + 1).c_str(), t.FontFiles[j]);
    }
    ini.dropIfEmpty(TypefacesSection);
    return ini.text();
}

std::optional<std::string> TypefaceNameProblem(const std::vector<TTypeface> &typefaces, std::string_view name,
                                               int self)
{
    if (name.find(']') != std::string_view::npos)
        return "A typeface name cannot hold \"]\".";
    if (name.find_first_of("\r\n") != std::string_view::npos)
        return "A typeface name cannot hold a line break.";
    auto quoted = [](std::string_view text) {
        std::string q;
        q.reserve(text.size() + 2);
        q.append(1, '"').append(text).append(1, '"');
        return q;
    };
    for (const char *reserved : {CommonSection, TypefacesSection, FontFilesSection})
        if (SameIgnoringCase(name, reserved))
            return quoted(name).append(" is a name the project file uses for itself.");
    for (size_t i = 0; i < typefaces.size(); ++i)
        if (static_cast<int>(i) != self && SameIgnoringCase(typefaces[i].Name, name))
            return std::string("A typeface named ").append(quoted(typefaces[i].Name)).append(" is already in the project.");
    return std::nullopt;
}

std::string TypefacePicturePath(const std::string &projectFileName, const std::string &typefaceName)
{
    const size_t slash = projectFileName.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : projectFileName.substr(0, slash);
    const size_t dot = typefaceName.find_last_of('.');
    const std::string stem = dot == std::string::npos ? typefaceName : typefaceName.substr(0, dot);
    return folder + "/" + stem + ".jpg";
}

namespace {

bool IsRegularFile(const std::string &path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

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
    struct stat st {};
    std::string text;
    if (::stat(path.c_str(), &st) == 0) {
        const TByteBuffer bytes = ReadFileBytes(path);
        text.assign(bytes.data(), bytes.size());
    }
    if (!LooksLikeProject(text))
        throw TFileError::WithMessage("\"" + path + "\" is not a Bitloom project", path, "not a Bitloom project");
    opened.File = ParseProject(text);
    for (const std::string &stored : opened.File.FontFiles) {
        const std::optional<std::string> found = ResolveFontPath(stored, path);
        if (!found) {
            opened.Problems.push_back(stored + ": not found");
            continue;
        }
        TProjectRecord slot;
        try {
            OpenBDF(*found, slot.Font, {opened.File.Debug});
        } catch (const TFileError &e) {
            opened.Problems.push_back(e.what());
            continue;
        }
        slot.FileName = *found;
        opened.Fonts.push_back(std::move(slot));
    }
    return opened;
}
