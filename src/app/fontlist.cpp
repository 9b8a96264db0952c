#include "fontlist.h"

#include <algorithm>
#include <cctype>
#include <ctime>

std::string FontListCaption(const TProjectRecord &slot)
{
    return slot.Font.FontName + " (" + FileNameOnly(slot.FileName) + ")";
}

TQuickSave PlanQuickSave(const std::vector<TProjectRecord> &fonts)
{
    TQuickSave plan;
    std::vector<bool> done(fonts.size(), false);
    for (size_t i = 0; i < fonts.size(); ++i) {
        if (done[i])
            continue;
        std::vector<size_t> copies;
        for (size_t j = i; j < fonts.size(); ++j)
            if (!done[j] && (j == i || SameFile(fonts[j].FileName, fonts[i].FileName))) {
                copies.push_back(j);
                done[j] = true;
            }
        std::vector<size_t> changed;
        for (size_t c : copies)
            if (fonts[c].Modified)
                changed.push_back(c);
        if (changed.size() > 1)
            plan.Clashes.push_back(fonts[i].FileName);
        else
            plan.Rows.push_back(static_cast<int>(changed.empty() ? i : changed.front()));
    }
    std::sort(plan.Rows.begin(), plan.Rows.end());
    return plan;
}

uint32_t TickCount()
{
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

TProjectRecord NewFontSlot(uint32_t uid)
{
    TProjectRecord slot;
    slot.FileName = "bitloom.bdf";
    slot.Font.FontName = "bitloom";
    slot.Font.FBBWidth = 12;
    slot.Font.FBBHeight = 12;
    slot.Font.Uid = uid;
    TBDFChar ch;
    ch.BBXWidth = 12;
    ch.BBXHeight = 12;
    ch.Bitmap.assign(static_cast<size_t>(slot.Font.FBBHeight), 0);
    slot.Font.Chars.push_back(std::move(ch));
    return slot;
}

int MoveUpIndex(int current)
{
    return current > 0 ? current - 1 : current;
}

int MoveDownIndex(int current, int count)
{
    return current + 1 < count ? current + 1 : current;
}

std::string StartupProjectArgument(const std::vector<std::string> &args)
{
    if (args.empty())
        return {};
    const std::string &arg = args.front();
    const std::string ext = ".bitloom";
    if (arg.size() <= ext.size() || arg.compare(arg.size() - ext.size(), ext.size(), ext) != 0)
        return {};
    // Anything there is taken: a folder or FIFO is then refused with a message, not ignored.
    if (!PathExists(arg))
        return {};
    return arg;
}

TDroppedKind DroppedFileKind(const std::string &path)
{
    const std::string name = FileNameOnly(path);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return TDroppedKind::Other;
    std::string ext = name.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    // A compressed font is told by the extension before ".gz".
    if (ext == "gz") {
        const size_t inner = name.rfind('.', dot - 1);
        if (inner != std::string::npos && inner != 0)
            ext = name.substr(inner + 1, dot - inner - 1);
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        return ext == "bdf" || ext == "pcf" || ext == "psf" || ext == "psfu" || ext == "hex" ? TDroppedKind::Font
                                                                                               : TDroppedKind::Other;
    }
    if (ext == "bdf" || ext == "pcf" || ext == "psf" || ext == "psfu" || ext == "hex")
        return TDroppedKind::Font;
    if (ext == "bitloom")
        return TDroppedKind::Project;
    if (ext == "ttf" || ext == "otf")
        return TDroppedKind::TrueType;
    if (ext == "bmp")
        return TDroppedKind::Picture;
    return TDroppedKind::Other;
}

TDroppedFiles SortDroppedFiles(const std::vector<std::string> &paths)
{
    TDroppedFiles sorted;
    for (const std::string &path : paths) {
        switch (DroppedFileKind(path)) {
        case TDroppedKind::Font:
            sorted.Fonts.push_back(path);
            break;
        case TDroppedKind::Project:
            if (sorted.Project.empty())
                sorted.Project = path;
            else
                sorted.ExtraProjects.push_back(path);
            break;
        case TDroppedKind::TrueType:
            sorted.TrueType.push_back(path);
            break;
        case TDroppedKind::Picture:
            sorted.Pictures.push_back(path);
            break;
        case TDroppedKind::Other:
            sorted.Refused.push_back(path);
            break;
        }
    }
    return sorted;
}

std::string GlyphCount(size_t count)
{
    return std::to_string(count) + (count == 1 ? " glyph" : " glyphs");
}
