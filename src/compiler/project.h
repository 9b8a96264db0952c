// The compiler project: typefaces of fonts for the font store, and its INI file.
// Plain data and text, no widgets.
#pragma once

#include "model/bdfmodel.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TTypeface {
    std::string Comments;
    std::string Name;
    // "Proportional", "System" or "Serif" as the user picks; anything read from a file stays as read.
    std::string Type;
    // Font names (the text after "FONT "), not paths.
    std::vector<std::string> FontFiles;
    // Placement replacing the fonts' bounding box in the compiler source.
    int32_t FontBoundingBox1 = 0;
    int32_t FontBoundingBox2 = 0;
    int32_t FontBoundingBox3 = 0;
    int32_t FontBoundingBox4 = 0;

    bool operator==(const TTypeface &) const = default;
};

// What a project file holds.
struct TProjectFile {
    std::vector<std::string> FontFiles;
    int32_t CollectionUid = 0;
    int32_t KPixelAspectRatio = 0;
    // Read only: a file's own Debug key stays in it, and the program never writes one.
    int32_t Debug = 0;
    std::vector<TTypeface> Typefaces;

    bool operator==(const TProjectFile &) const = default;
};

// Reads project text: keys and sections by name regardless of letter case,
// list entries (keys that read as integers other than -1) in file order, the
// defaults of missing keys. Text that is no INI at all reads as an empty project.
// A broken section line ("[" without "]" on its line, or a section line behind
// a byte-order mark that is not the file's first bytes) throws TFileError
// naming the line (and no path): the reader would file the keys after it
// under another section, and a save would make that worse.
TProjectFile ParseProject(std::string_view text);

// Whether text can be a project file: empty, or INI text with at least one
// named section line (a broken one counts, so that the open names it) and no
// NUL byte. A picture or a font opened as a project is not.
bool LooksLikeProject(std::string_view text);

// The project file text after saving project into existing (empty for a new
// file), edited line by line in place. The program owns the FontFiles and
// Typefaces sections and the section of each typeface it saves (every key in
// them), and CollectionUid and KPixelAspectRatio in Common; their keys are
// written where the first of them stood (after the section's last key, or its
// head, when it has none of them; a missing section is added at the end, in
// the order of a new file). Every other line, comments, blank lines and other
// sections and keys, stays byte for byte with its own line break, as does a
// byte-order mark; written lines end in CR LF. A list section with no entries
// is left out (its head goes). The text reads back with ParseProject as
// project, and saving that again gives the same bytes.
// Throws TFileError when existing has a broken section line (see ParseProject),
// or when a value cannot stand on one value line (a line break, a NUL, blanks
// at either end). A typeface whose name cannot head a section of its own (see
// TypefaceNameProblem; only a hand-made file holds one) is listed but gets no
// section. Text holding a NUL byte is no project (SimpleIni reads nothing past
// it) and is replaced whole.
std::string UpdateProject(std::string_view existing, const TProjectFile &project);

// An INI integer: decimal, or hexadecimal after "$", "0x" or "0X"; anything else gives def.
int32_t ParseIniInt(std::string_view text, int32_t def);

// A comment as its value line holds it. A comment without line breaks or
// blanks at its ends is stored as it is; any other has its line breaks, its
// backslashes and the blanks (spaces, tabs) at its ends escaped, and escaped is
// set so that the reader knows which form it has.
struct TStoredComment {
    std::string Value;
    bool Escaped = false;
};
TStoredComment StoreComment(std::string_view comment);
std::string LoadComment(std::string_view value, bool escaped);

// Why a typeface name cannot be used, or nothing when it can. Names become
// section names: a name that equals another typeface's ignoring letter case
// (except the one at index self, when renaming), one of the file's own section
// names, one holding "]" or a line break, or one beginning or ending with a
// blank (a single blank too: the file takes blanks off names) would not survive
// a save and a read.
// An empty name is not judged here (the commands refuse it silently).
std::optional<std::string> TypefaceNameProblem(const std::vector<TTypeface> &typefaces, std::string_view name,
                                               int self = -1);

// Where a typeface's picture is looked for: the project file's folder and the
// name with its extension (from its last dot) replaced by ".jpg". Without a
// project file, the working folder.
std::string TypefacePicturePath(const std::string &projectFileName, const std::string &typefaceName);

// The file a font path of a project names, as an absolute path: an absolute
// path as stored; a relative one beside the project file, or else (for projects
// written relative to the folder they were saved from) from the working folder;
// nothing when no regular file is found.
std::optional<std::string> ResolveFontPath(const std::string &stored, const std::string &projectFileName);

// The path text of each font (fontPaths, any form) in a project file saved at
// target. Saved over the file it was read from (readFrom), a font keeps the text
// that file held for it (readTexts) while that text, read beside target, still
// names the same file; any other font is written relative to target's folder
// when it lies in or below it, and as an absolute path otherwise.
std::vector<std::string> ProjectFontTexts(const std::vector<std::string> &fontPaths,
                                          const std::vector<std::string> &readTexts, const std::string &readFrom,
                                          const std::string &target);

// A project file as opened: its contents, the fonts it lists that could be
// read (FileName as ResolveFontPath found them), and one line per listed font
// that was missing or could not be read.
struct TOpenedProject {
    TProjectFile File;
    std::vector<TProjectRecord> Fonts;
    std::vector<std::string> Problems;
    // What the reader had to say about fonts that did open (a truncated file, cut glyphs).
    std::vector<std::string> Warnings;
};

// Reads the project at path and its fonts (with the project's Debug setting).
// A path that names nothing reads as an empty project; a file that cannot be
// read or is not a project throws TFileError.
TOpenedProject OpenProjectFile(const std::string &path);

// The index a typeface moves to (up: -1, down: +1), or nothing when it cannot move.
std::optional<int> MoveTarget(int index, int count, int direction);
