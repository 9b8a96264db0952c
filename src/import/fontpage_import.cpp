// The two imports: a TrueType font through the converter, and glyphs cut from a picture.
#include "app/fontpage.h"

#include "app/busybox.h"
#include "app/fontlist.h"
#include "app/prompts.h"
#include "platform/textconv.h"
#include "bdf/bdfreader.h"
#include "bdf/bdfwriter.h"
#include "bdf/fileio.h"
#include "bdf/paths.h"
#include "chartable/chartablewidget.h"
#include "platform/childprocess.h"
#include "platform/folders.h"
#include "importops.h"
#include "model/fileerror.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QListWidget>

#include <cstdio>

namespace {

// Converters big fonts keep busy for a while; past this the run is given up.
constexpr qint64 ConverterLimitMs = 60000;

// An existing output file moved out of the converter's way, put back unless a
// new font replaced it: a failed conversion never costs the user the old file.
class TSetAside {
public:
    explicit TSetAside(const std::string &path) : Path(path)
    {
        if (!NameTaken(path))
            return;
        for (int i = 0; i < 1000 && Aside.empty(); ++i) {
            const std::string candidate = path + ".before-import-" + std::to_string(i);
            if (!NameTaken(candidate))
                Aside = candidate;
        }
        if (Aside.empty() || std::rename(path.c_str(), Aside.c_str()) != 0)
            throw TFileError("Cannot move aside", path, TFileError::SystemReason(errno));
    }
    ~TSetAside() { restore(); }
    // Puts the old file back now (or drops it when the new one is kept), so it
    // is in place before the user is told anything.
    void restore()
    {
        if (Aside.empty())
            return;
        if (Kept)
            std::remove(Aside.c_str());
        else
            std::rename(Aside.c_str(), Path.c_str());
        Aside.clear();
    }
    TSetAside(const TSetAside &) = delete;
    TSetAside &operator=(const TSetAside &) = delete;
    // The new file is good: the old one can go.
    void keepNew() { Kept = true; }

private:
    std::string Path;
    std::string Aside;
    bool Kept = false;
};

} // namespace

void TFontPage::ToolButton15Click()
{
    const QStringList inputs = Prompts().openFileNames(
        {QStringLiteral("True type font|*.ttf|All files|*.*"), QStringLiteral("ttf"), false, false, LastTtfFolder});
    if (!inputs.isEmpty())
        ImportTrueType(inputs.first());
}

void TFontPage::ImportTrueType(const QString &input)
{
    TTrueTypeOptions options;
    if (!Prompts().askTrueTypeOptions(options))
        return;
    const QString output =
        Prompts().saveFileName({QStringLiteral("bdf font|*.bdf"), QStringLiteral("bdf"), false, true, LastBdfFolder},
                               QFileInfo(input).completeBaseName() + QStringLiteral(".bdf"));
    if (output.isEmpty())
        return;
    LastTtfFolder = QFileInfo(input).absolutePath();
    const std::string folder = ProgramFolderOr(ProgramFolder);
    const std::optional<std::string> converter = FindConverter(folder);
    if (!converter) {
        Prompts().showError(QStringLiteral("No TrueType converter: neither TTF2BDF.EXE in \"") + PathToQ(folder) +
                            QStringLiteral("\" nor otf2bdf on the PATH."));
        return;
    }
    const std::string path = FullPath(PathFromQ(output));
    TSetAside old(path);
    // The output is read only after the converter has ended, so a half-written file is never read.
    TBusyBox busy(this, QStringLiteral("Converting the TrueType font..."), ConverterLimitMs);
    const TRunResult run = RunAndCapture(*converter, ConverterArguments(options, path, PathFromQ(input)),
                                         ConverterFolder(folder), [&] { return busy.keepWaiting(); },
                                         TChildEnvironment::Inherited);
    if (!run.Started) {
        old.restore();
        Prompts().showError(BytesToText(run.StartError));
        return;
    }
    if (run.Cancelled) {
        std::remove(path.c_str());
        old.restore();
        if (busy.timedOut())
            Prompts().showError(QStringLiteral("The TrueType converter did not finish within 60 seconds; no font was added."));
        return;
    }
    if (!NameTaken(path)) {
        old.restore();
        Prompts().showError(BytesToText(ConverterFailureText(run)));
        return;
    }

    // The converter names each glyph by its original code and remaps ENCODING:
    // the first read takes the names, so the font keeps the original codes.
    TProjectRecord slot;
    TBDFReadReport report;
    try {
        report = OpenBDF(path, slot.Font, {Project.Debug, TCodeSource::Names});
    } catch (...) {
        std::remove(path.c_str());
        throw;
    }
    slot.FileName = path;
    slot.Font.FontName = ImportedFontName(path);
    slot.Font.Uid = TickCount();
    SaveBDF(path, slot);
    old.keepNew();
    old.restore();
    OpenBDF(path, slot.Font, {Project.Debug});
    slot.FileName = path;
    LastBdfFolder = QFileInfo(output).absolutePath();
    Fonts.append(std::move(slot));
    // The new row is not selected: the current font stays as it was.
    SetStatus("Imported " + GlyphCount(Fonts.back().Font.Chars.size()) + " from " + FileNameOnly(PathFromQ(input)) +
                  " into " + FileNameOnly(path),
              0);
    emit fontFileOpened(path);
    const std::string warning = ReadWarningText(path, Fonts.back().Font, report);
    if (!warning.empty())
        Prompts().showWarning(BytesToText(warning));
}

void TFontPage::ToolButton17Click()
{
    if (!CurrentFont())
        return;
    const QStringList chosen =
        Prompts().openFileNames({QStringLiteral("Bitmaps (*.bmp)|*.bmp"), QString(), false, false, LastBdfFolder});
    if (!chosen.isEmpty())
        ImportPicture(chosen.first());
}

void TFontPage::ImportPicture(const QString &file)
{
    const std::string path = PathFromQ(file);
    TBDFFont *font = CurrentFont();
    if (!font) {
        SetStatus("No font is open to import " + FileNameOnly(path) + " into", 0x0000FF);
        return;
    }
    const TByteBuffer bytes = ReadFileBytes(path);
    // The header is checked first: a 64-byte file can claim 5000 x 5000 pixels.
    if (const auto problem = BitmapHeaderProblem(bytes.view())) {
        Prompts().showError(QStringLiteral("Cannot import \"") + file + "\": " + QString::fromStdString(*problem));
        return;
    }
    QImage picture;
    if (!picture.loadFromData(reinterpret_cast<const uchar *>(bytes.data()), static_cast<int>(bytes.size()), "BMP")) {
        Prompts().showError(QStringLiteral("Cannot import \"") + file +
                            QStringLiteral("\": the picture could not be decoded."));
        return;
    }
    picture = picture.convertToFormat(QImage::Format_RGB888);
    TCaptureOptions options;
    if (!Prompts().askCaptureGrid(picture, options))
        return;
    TCutResult cut = CutCells(picture, options);
    if (cut.TooMany) {
        Prompts().showError(QStringLiteral("That grid has more than a million cells; nothing was imported."));
        return;
    }
    if (cut.TooBigBytes > 0) {
        constexpr int64_t MiB = int64_t{1} << 20;
        Prompts().showError(QStringLiteral("The glyphs of that grid would need %1 MiB of rows; at most %2 MiB can be "
                                           "imported at once, so nothing was imported.")
                                .arg((cut.TooBigBytes + MiB - 1) / MiB)
                                .arg(MaxCaptureRowBytes / MiB));
        return;
    }
    font = CurrentFont();
    if (!font || cut.Glyphs.empty())
        return;
    // Imported glyphs are work to keep: one step of the history, so closing asks before they are lost.
    const size_t added = cut.Glyphs.size();
    const int end = static_cast<int>(font->Chars.size());
    const QString name = QStringLiteral("Import %1 glyphs from %2").arg(added).arg(QFileInfo(file).fileName());
    Edit({name, end, end}, [&](TBDFFont &f) {
        f.Chars.insert(f.Chars.end(), std::make_move_iterator(cut.Glyphs.begin()),
                       std::make_move_iterator(cut.Glyphs.end()));
        return false;
    });
    RxDrawGrid2->refresh();
    SetStatus("Imported " + GlyphCount(added) + " from " + FileNameOnly(path) + " into " +
                  FileNameOnly(CurrentSlot()->FileName),
              0);
    if (cut.CutWide > 0)
        Prompts().showWarning(QString::number(cut.CutWide) +
                              QStringLiteral(" imported glyphs were wider than 64 pixels and kept only their leftmost "
                                             "64 columns."));
}
