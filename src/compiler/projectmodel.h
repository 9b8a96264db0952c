// The project as a model of its own: typefaces, the store-wide numbers, the file
// it was read from, and whether it holds unsaved changes. The window only asks
// it to open, save or start anew; the compiler page shows what it holds.
#pragma once

#include "project.h"

#include <QObject>

#include <cstdint>
#include <string>
#include <vector>

class TProject : public QObject {
    Q_OBJECT
public:
    explicit TProject(QObject *parent = nullptr) : QObject(parent) {}

    // Mirrored row for row by the typeface list.
    std::vector<TTypeface> Typefaces;
    int32_t CollectionUid = 0;
    int32_t KPixelAspectRatio = 0;
    // The project file read last, as a full path; its folder holds the typeface
    // pictures. A save under another name leaves it as it is.
    std::string ProjectFileName;
    // The font paths as that file wrote them, so that a save over it keeps them.
    std::vector<std::string> ProjectFontTexts;
    // Row trimming of the reader, set by a project; applies to every font read while set.
    int Debug = 0;
    // Changes since the project was read or saved.
    bool ProjectModified = false;

    // The typeface of a list row, or null.
    TTypeface *TypefaceAt(int row);

    // Reads the project at path: its typefaces and numbers replace these, and the
    // fonts it lists come back for the open fonts to take. A file that cannot be
    // read, or is no project, throws TFileError and changes nothing.
    TOpenedProject open(const std::string &path);
    // Writes the project, with fonts as its font list, into the file at path,
    // updating what is there; a failure throws TFileError ("Unable to write to
    // ...") and keeps the unsaved mark.
    void save(const std::string &path, const std::vector<TProjectRecord> &fonts);
    // Replaces the typefaces by one fresh typeface "tf_1"; nothing else changes.
    void startNew();
    void markModified() { ProjectModified = true; }
};
