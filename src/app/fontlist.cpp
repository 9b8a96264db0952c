#include "fontlist.h"

#include <ctime>

std::string FontListCaption(const TProjectRecord &slot)
{
    return slot.Font.FontName + " (" + FileNameOnly(slot.FileName) + ")";
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
    if (!IsRegularFile(arg))
        return {};
    return arg;
}
