#include "projectmodel.h"

#include "bdf/fileio.h"
#include "bdf/paths.h"
#include "model/fileerror.h"

TTypeface *TProject::TypefaceAt(int row)
{
    return row >= 0 && row < static_cast<int>(Typefaces.size()) ? &Typefaces[static_cast<size_t>(row)] : nullptr;
}

TOpenedProject TProject::open(const std::string &path)
{
    // Everything is read before anything changes.
    TOpenedProject opened = OpenProjectFile(path);
    const TProjectFile &file = opened.File;
    ProjectModified = false;
    CollectionUid = file.CollectionUid;
    KPixelAspectRatio = file.KPixelAspectRatio;
    Debug = file.Debug;
    ProjectFileName = FullPath(path);
    ProjectFontTexts = file.FontFiles;
    Typefaces = file.Typefaces;
    return opened;
}

void TProject::save(const std::string &path, const std::vector<TProjectRecord> &fonts)
{
    TProjectFile project;
    std::vector<std::string> fontPaths;
    for (const TProjectRecord &slot : fonts)
        fontPaths.push_back(slot.FileName);
    project.FontFiles = ::ProjectFontTexts(fontPaths, ProjectFontTexts, ProjectFileName, path);
    project.CollectionUid = CollectionUid;
    project.KPixelAspectRatio = KPixelAspectRatio;
    project.Typefaces = Typefaces;
    try {
        // The whole new file is made in memory from the old one and written in one
        // checked step: a failed save leaves the old file as it was.
        std::string existing;
        if (PathExists(path)) {
            const TByteBuffer bytes = ReadFileBytes(path);
            existing.assign(bytes.data(), bytes.size());
        }
        WriteFileAtomically(path, UpdateProject(existing, project));
    } catch (const TFileError &e) {
        throw TFileError::WithMessage("Unable to write to " + path + ": " + e.reason(), path, e.reason());
    }
    ProjectModified = false;
    // Later saves over the same file keep the texts it now holds.
    if (SameFile(path, ProjectFileName))
        ProjectFontTexts = project.FontFiles;
}

void TProject::startNew()
{
    TTypeface fresh;
    fresh.Name = "tf_1";
    Typefaces = {fresh};
}
