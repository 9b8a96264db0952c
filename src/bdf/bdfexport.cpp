#include "bdfexport.h"

#include "bdfwriter.h"
#include "fileio.h"
#include "model/textfuncs.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

namespace {

// bdftopcf's rule: an optional sign, then digits only.
bool IsInteger(std::string_view text)
{
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The value of an integer that fits 32 bits, else nullopt.
std::optional<int32_t> ToInt(std::string_view text)
{
    if (!IsInteger(text))
        return std::nullopt;
    if (text.front() == '+')
        text.remove_prefix(1);
    int32_t v = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return v;
}

int32_t Clamp32(double v)
{
    if (!(v == v))
        return 0;
    return static_cast<int32_t>(std::clamp<long long>(std::llround(std::clamp(v, -3e9, 3e9)), INT32_MIN, INT32_MAX));
}

// The 14 fields of an XLFD name ("-foundry-family-...-registry-encoding"), or
// nothing when name is not one.
std::optional<std::vector<std::string_view>> XlfdFields(std::string_view name)
{
    if (name.empty() || name.front() != '-' || std::count(name.begin(), name.end(), '-') != 14)
        return std::nullopt;
    std::vector<std::string_view> fields;
    size_t from = 1;
    for (int i = 0; i < 14; ++i) {
        const size_t to = i == 13 ? name.size() : name.find('-', from);
        fields.push_back(name.substr(from, to - from));
        from = to + 1;
    }
    return fields;
}

// Text fit for one field of an XLFD name, which has no dashes, wildcards,
// commas or quotes.
std::string XlfdField(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        if (c == '-' || c == '?' || c == '*' || c == ',' || c == '"' || static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    return out;
}

// A glyph name both bdftopcf and FreeType read whole: one word of at most 99
// visible bytes (bdftopcf reads at most 99).
bool IsGoodName(std::string_view name)
{
    return !name.empty() && name.size() <= 99 &&
           std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) > 0x20 && c != 0x7F; });
}

bool IsComment(std::string_view line)
{
    return line.substr(0, 7) == "COMMENT" && (line.size() == 7 || line[7] == ' ' || line[7] == '\t');
}

std::string HexName(const char *prefix, uint32_t code, int digits)
{
    std::string name = prefix;
    AppendHex(name, code, digits);
    return name;
}

void Quoted(TByteBuffer &out, std::string_view value)
{
    out.push_back('"');
    for (char c : value) {
        if (c == '"')
            out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

// A property as it is written: a string, or an integer.
struct TOutProperty {
    std::string Name;
    std::string Value;
    bool Integer = false;
};

// The font as it is exported, computed once from the font.
class TExport {
public:
    TExport(const TBDFFont &font, TBDFExportReport &report) : Font(font), Report(report) {}
    void write(TByteBuffer &out);

private:
    const TBDFProperty *property(std::string_view name) const;
    std::optional<int32_t> integerProperty(std::string_view name) const;
    std::optional<int32_t> xlfdInteger(size_t field) const;
    std::string_view xlfdText(size_t field) const;
    void computeMetrics();
    void buildProperties();
    std::string fontName() const;
    void nameGlyphs();
    void findIgnored();
    void writeGlyph(TByteBuffer &out, size_t i);

    const TBDFFont &Font;
    TBDFExportReport &Report;
    std::optional<std::vector<std::string_view>> Xlfd;
    TFontBox Box;
    int32_t Ascent = 0, Descent = 0, Pixel = 0, PointDeci = 0, ResX = 0, ResY = 0;
    std::string Size, Spacing, Registry, Encoding;
    std::vector<TOutProperty> Properties;
    // Where each kept property went among Properties, for the comments between them.
    std::vector<size_t> PropertyAt;
    std::vector<std::string> Names;
};

const TBDFProperty *TExport::property(std::string_view name) const
{
    // The last of several, as bdftopcf and FreeType take it.
    for (auto it = Font.Properties.rbegin(); it != Font.Properties.rend(); ++it)
        if (it->Name == name)
            return &*it;
    return nullptr;
}

std::optional<int32_t> TExport::integerProperty(std::string_view name) const
{
    const TBDFProperty *p = property(name);
    return p && !p->Quoted ? ToInt(p->Value) : std::nullopt;
}

std::optional<int32_t> TExport::xlfdInteger(size_t field) const
{
    return Xlfd ? ToInt((*Xlfd)[field - 1]) : std::nullopt;
}

std::string_view TExport::xlfdText(size_t field) const
{
    if (!Xlfd)
        return {};
    const std::string_view text = (*Xlfd)[field - 1];
    return text == "*" || text == "?" ? std::string_view() : text;
}

void TExport::computeMetrics()
{
    Xlfd = XlfdFields(Font.FontName);
    Box = {Font.FBBWidth, Font.FBBHeight, Font.FBBXOff, Font.FBBYOff};
    if (Box.Width <= 0 || Box.Height <= 0) {
        // The union of the glyphs' boxes.
        int64_t left = 0, bottom = 0, right = 0, top = 0;
        bool any = false;
        for (const TBDFChar &ch : Font.Chars) {
            const int64_t w = std::max(ch.BBXWidth, 0), h = std::max(ch.BBXHeight, 0);
            if (w == 0 || h == 0)
                continue;
            const int64_t l = ch.BBXXOff, b = ch.BBXYOff;
            left = any ? std::min(left, l) : l;
            bottom = any ? std::min(bottom, b) : b;
            right = any ? std::max(right, l + w) : l + w;
            top = any ? std::max(top, b + h) : b + h;
            any = true;
        }
        Box = any ? TFontBox{Clamp32(double(right - left)), Clamp32(double(top - bottom)), Clamp32(double(left)),
                             Clamp32(double(bottom))}
                  : TFontBox{1, 1, 0, 0};
        Report.Changes.push_back("The font's bounding box was empty; the glyphs' union was written.");
    }
    Ascent = integerProperty("FONT_ASCENT").value_or(Clamp32(double(Box.Height) + Box.YOff));
    Descent = integerProperty("FONT_DESCENT").value_or(Clamp32(-double(Box.YOff)));

    // SIZE holds the point size and the two resolutions, all above zero.
    std::optional<double> sizePoints;
    std::optional<int32_t> sizeResX, sizeResY;
    {
        const std::string_view size = TrimSpaces(Font.Size);
        const std::string_view w1 = ExtractWord(1, size, " "), w2 = ExtractWord(2, size, " "),
                               w3 = ExtractWord(3, size, " ");
        double points = 0;
        const auto [end, error] = std::from_chars(w1.data(), w1.data() + w1.size(), points);
        const std::optional<int32_t> x = ToInt(w2), y = ToInt(w3);
        if (error == std::errc() && end == w1.data() + w1.size() && points >= 1 && x && *x >= 1 && y && *y >= 1 &&
            ExtractWord(4, size, " ").empty()) {
            sizePoints = points;
            sizeResX = x;
            sizeResY = y;
        }
    }
    auto positive = [](std::optional<int32_t> v) { return v && *v > 0 ? v : std::nullopt; };
    ResX = positive(integerProperty("RESOLUTION_X")).value_or(positive(xlfdInteger(9)).value_or(sizeResX.value_or(75)));
    ResY = positive(integerProperty("RESOLUTION_Y")).value_or(positive(xlfdInteger(10)).value_or(sizeResY.value_or(75)));
    const int32_t designHeight = std::max(1, Clamp32(double(Ascent) + Descent));
    Pixel = integerProperty("PIXEL_SIZE")
                .value_or(positive(xlfdInteger(7)).value_or(
                    sizePoints && *sizeResY == ResY ? std::max(1, Clamp32(*sizePoints * ResY / 72)) : designHeight));
    PointDeci = integerProperty("POINT_SIZE")
                    .value_or(positive(xlfdInteger(8)).value_or(
                        sizePoints ? Clamp32(*sizePoints * 10) : std::max(10, Clamp32(Pixel * 722.7 / ResY))));
    if (sizePoints) {
        Size = std::string(TrimSpaces(Font.Size));
    } else {
        Size = std::to_string(std::max(1, Clamp32(PointDeci / 10.0))) + " " + std::to_string(ResX) + " " +
               std::to_string(ResY);
        Report.Changes.push_back("SIZE \"" + Font.Size + "\" has no three values above zero; SIZE " + Size +
                                 " was written.");
    }

    if (const TBDFProperty *p = property("SPACING"))
        Spacing = p->Value;
    else if (!xlfdText(11).empty())
        Spacing = std::string(xlfdText(11));
    else {
        // A character cell when every glyph has one advance and stays inside
        // it; monospaced with one advance; else proportional.
        bool same = true, inside = true;
        for (const TBDFChar &ch : Font.Chars) {
            same = same && ch.DWidthX == Font.Chars.front().DWidthX && ch.DWidthY == 0;
            inside = inside && ch.BBXXOff >= 0 && int64_t{ch.BBXXOff} + ch.BBXWidth <= ch.DWidthX &&
                     ch.BBXYOff >= -int64_t{Descent} && int64_t{ch.BBXYOff} + ch.BBXHeight <= Ascent;
        }
        Spacing = same && inside ? "C" : same ? "M" : "P";
    }
    if (const TBDFProperty *p = property("CHARSET_REGISTRY"))
        Registry = p->Value;
    else
        Registry = xlfdText(13).empty() ? "ISO10646" : std::string(xlfdText(13));
    if (const TBDFProperty *p = property("CHARSET_ENCODING"))
        Encoding = p->Value;
    else
        Encoding = xlfdText(14).empty() ? "1" : std::string(xlfdText(14));
}

void TExport::buildProperties()
{
    const std::pair<const char *, int32_t> integers[] = {{"FONT_ASCENT", Ascent},   {"FONT_DESCENT", Descent},
                                                         {"PIXEL_SIZE", Pixel},     {"POINT_SIZE", PointDeci},
                                                         {"RESOLUTION_X", ResX},    {"RESOLUTION_Y", ResY}};
    std::unordered_set<std::string> written;
    std::unordered_set<int32_t> codes;
    for (const TBDFChar &ch : Font.Chars)
        codes.insert(ch.Encoding);
    bool uid = false;
    for (const TBDFProperty &p : Font.Properties) {
        PropertyAt.push_back(Properties.size());
        if (const std::string_view keyword = KeywordStartingName(p.Name); !keyword.empty()) {
            // Only a file from elsewhere (a PCF font) can hold such a name; read back, it would end the block.
            Report.Changes.push_back("Property " + p.Name + " begins with the keyword " + std::string(keyword) +
                                     ", which BDF readers take for the file's structure; it was left out.");
            continue;
        }
        TOutProperty out{p.Name, p.Value, !p.Quoted && IsInteger(p.Value)};
        if (p.Name == "Uid") {
            out = {"Uid", FormatUid(Font.Uid), true};
            uid = true;
        }
        for (const auto &[name, value] : integers) {
            // Readers take these only as 32-bit integers: a string or a bigger
            // number gives way to the value worked out without it.
            if (p.Name == name && !(out.Integer && ToInt(p.Value))) {
                Report.Changes.push_back(p.Name + " \"" + p.Value + "\" is no integer; " + std::to_string(value) +
                                         " was written.");
                out = {name, std::to_string(value), true};
            }
        }
        if (p.Name == "DEFAULT_CHAR" && !(out.Integer && ToInt(p.Value) && codes.count(*ToInt(p.Value)))) {
            Report.Changes.push_back("DEFAULT_CHAR " + p.Value + " names no glyph's code and was left out.");
            continue;
        }
        written.insert(p.Name);
        Properties.push_back(std::move(out));
    }
    for (const auto &[name, value] : integers)
        if (!written.count(name))
            Properties.push_back({name, std::to_string(value), true});
    const std::pair<const char *, const std::string &> strings[] = {
        {"SPACING", Spacing}, {"CHARSET_REGISTRY", Registry}, {"CHARSET_ENCODING", Encoding}};
    for (const auto &[name, value] : strings)
        if (!written.count(name))
            Properties.push_back({name, value, false});
    if (!uid)
        Properties.push_back({"Uid", FormatUid(Font.Uid), true});
}

std::string TExport::fontName() const
{
    if (Xlfd)
        return Font.FontName;
    auto text = [&](const char *name, std::string_view otherwise) {
        const TBDFProperty *p = property(name);
        return XlfdField(p ? std::string_view(p->Value) : otherwise);
    };
    int64_t advances = 0;
    for (const TBDFChar &ch : Font.Chars)
        advances += ch.DWidthX;
    const int32_t average = Font.Chars.empty() ? 0 : Clamp32(10.0 * double(advances) / double(Font.Chars.size()));
    const std::string family = XlfdField(TrimSpaces(Font.FontName));
    std::string fields[] = {text("FOUNDRY", "Bitloom"),
                                  text("FAMILY_NAME", family.empty() ? "Unnamed" : family),
                                  text("WEIGHT_NAME", "Medium"),
                                  text("SLANT", "R"),
                                  text("SETWIDTH_NAME", "Normal"),
                                  text("ADD_STYLE_NAME", ""),
                                  std::to_string(Pixel),
                                  std::to_string(PointDeci),
                                  std::to_string(ResX),
                                  std::to_string(ResY),
                                  XlfdField(Spacing),
                                  std::to_string(integerProperty("AVERAGE_WIDTH").value_or(average)),
                                  XlfdField(Registry),
                                  XlfdField(Encoding)};
    // A reader keeps 255 characters of a FONT line (Bitloom's does), so the
    // longest fields give way until the name fits, and it reads back whole.
    constexpr size_t MaxName = 255;
    for (;;) {
        size_t length = 0;
        for (const std::string &f : fields)
            length += 1 + f.size();
        std::string *longest = std::max_element(std::begin(fields), std::end(fields),
                                                [](const std::string &a, const std::string &b) { return a.size() < b.size(); });
        if (length <= MaxName || longest->size() <= 1)
            break;
        longest->resize(std::max<size_t>(1, longest->size() - std::min(length - MaxName, longest->size() / 2 + 1)));
    }
    std::string name;
    for (const std::string &f : fields)
        name += "-" + f;
    return name;
}

void TExport::nameGlyphs()
{
    const size_t n = Font.Chars.size();
    Names.assign(n, {});
    std::unordered_set<std::string> used;
    // Kept names first, so a name of the font's own is never the one renamed.
    for (size_t i = 0; i < n; ++i) {
        const std::string name = GlyphName(Font, Font.Chars[i]);
        if (IsGoodName(name) && used.insert(std::string(name)).second)
            Names[i] = name;
    }
    for (size_t i = 0; i < n; ++i) {
        if (!Names[i].empty())
            continue;
        const int32_t code = Font.Chars[i].Encoding;
        const std::string base = code < 0         ? "glyph" + std::to_string(i)
                                 : code <= 0xFFFF ? HexName("uni", static_cast<uint32_t>(code), 4)
                                                  : HexName("u", static_cast<uint32_t>(code), 5);
        std::string name = base;
        for (int k = 1; !used.insert(name).second; ++k)
            name = base + "." + std::to_string(k);
        const std::string own = GlyphName(Font, Font.Chars[i]);
        if (!own.empty())
            Report.Changes.push_back("Glyph " + std::to_string(i) + " is named \"" + std::string(own) +
                                     "\" as an earlier glyph is, or by a name a BDF line cannot hold; it was written as " +
                                     name + ".");
        Names[i] = std::move(name);
    }
}

void TExport::findIgnored()
{
    // bdftopcf files each code under the last glyph that has it.
    std::unordered_map<int32_t, size_t> lastOf;
    for (size_t i = 0; i < Font.Chars.size(); ++i)
        if (Font.Chars[i].Encoding >= 0)
            lastOf[Font.Chars[i].Encoding] = i;
    for (size_t i = 0; i < Font.Chars.size(); ++i) {
        const TBDFChar &ch = Font.Chars[i];
        const std::string which = "Glyph " + std::to_string(i) + " (" + Names[i] + ", code " +
                                  std::to_string(ch.Encoding) + ")";
        if (ch.Encoding > 0xFFFF)
            Report.Ignored.push_back(which + ": codes above 65535 are left out by bdftopcf.");
        else if (ch.Encoding >= 0 && lastOf[ch.Encoding] != i)
            Report.Ignored.push_back(which + ": glyph " + std::to_string(lastOf[ch.Encoding]) +
                                     " has the same code, and bdftopcf keeps only that one.");
        else if (ch.Encoding < -1)
            Report.Changes.push_back(which + ": a code below -1 is no code; it was written as unencoded (-1).");
        if (ch.SWidthY != 0 || ch.DWidthY != 0)
            Report.Changes.push_back(which + " advances vertically; bdftopcf refuses a font with such a glyph.");
    }
}

void TExport::writeGlyph(TByteBuffer &out, size_t i)
{
    const TBDFChar &ch = Font.Chars[i];
    const TGlyphNote note = Font.GlyphNotes.get(ch.Notes);
    TKeptCursor lines(note.Lines);
    auto comment = [&](std::string_view line) {
        if (IsComment(line))
            AppendLine(out, line);
    };
    out.append("STARTCHAR ");
    AppendLine(out, Names[i]);
    lines.through(TLinePlace::AfterStartChar, 0, comment);
    if (ch.Encoding >= 0)
        AppendNumbers(out, "ENCODING", {ch.Encoding});
    else if (ch.Encoding == -1 && note.Encoding2 && *note.Encoding2 >= 0)
        AppendNumbers(out, "ENCODING", {-1, *note.Encoding2});
    else
        AppendLine(out, "ENCODING -1");
    lines.through(TLinePlace::AfterEncoding, 0, comment);
    // The scalable width in thousandths of the point size, from the advance in pixels.
    const int32_t swidth = ch.SWidthX != 0 || ch.DWidthX == 0
                               ? ch.SWidthX
                               : Clamp32(double(ch.DWidthX) * 720000.0 / (double(PointDeci) * double(ResX)));
    AppendNumbers(out, "SWIDTH", {swidth, ch.SWidthY});
    lines.through(TLinePlace::AfterSWidth, 0, comment);
    AppendNumbers(out, "DWIDTH", {ch.DWidthX, ch.DWidthY});
    lines.through(TLinePlace::AfterDWidth, 0, comment);
    const int32_t width = std::max(ch.BBXWidth, 0), height = std::max(ch.BBXHeight, 0);
    AppendNumbers(out, "BBX", {width, height, ch.BBXXOff, ch.BBXYOff});
    lines.through(TLinePlace::AfterBBX, 0, comment);
    AppendLine(out, "BITMAP");
    // Exactly the box's rows, each of exactly the width's bytes: rows the
    // glyph lacks are blank, bits outside the width are cleared.
    const int bytes = RowBytes(width);
    const int unused = 8 * bytes - width;
    const uint64_t all = bytes >= 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * bytes)) - 1;
    const uint64_t mask = all & ~((uint64_t{1} << unused) - 1);
    for (int32_t r = 0; r < height; ++r) {
        const uint64_t row = static_cast<size_t>(r) < ch.Bitmap.size() ? ch.Bitmap[static_cast<size_t>(r)] & mask : 0;
        AppendHex(out, row, 2 * bytes);
        out.append("\r\n");
    }
    AppendLine(out, "ENDCHAR");
    lines.rest(comment);
}

void TExport::write(TByteBuffer &out)
{
    computeMetrics();
    buildProperties();
    nameGlyphs();
    findIgnored();
    TKeptCursor lines(Font.HeaderLines.packed());
    size_t dropped = 0;
    auto comment = [&](std::string_view line) {
        if (IsComment(line))
            AppendLine(out, line);
        else
            dropped += !TrimSpaces(line).empty();
    };
    lines.through(TLinePlace::BeforeStartFont, 0, comment);
    AppendLine(out, "STARTFONT 2.1");
    lines.through(TLinePlace::AfterStartFont, 0, comment);
    AppendLine(out, "FONT " + fontName());
    lines.through(TLinePlace::AfterFont, 0, comment);
    AppendLine(out, "SIZE " + Size);
    lines.through(TLinePlace::AfterSize, 0, comment);
    AppendNumbers(out, "FONTBOUNDINGBOX", {Box.Width, Box.Height, Box.XOff, Box.YOff});
    lines.through(TLinePlace::AfterBox, 0, comment);
    AppendNumbers(out, "STARTPROPERTIES", {static_cast<int64_t>(Properties.size())});
    size_t kept = 0;
    for (size_t k = 0; k < Properties.size(); ++k) {
        // Comments before kept property number `kept` go before where it went.
        while (kept < PropertyAt.size() && PropertyAt[kept] <= k)
            lines.through(TLinePlace::InProperties, static_cast<uint32_t>(kept++), comment);
        const TOutProperty &p = Properties[k];
        out.append(p.Name);
        out.push_back(' ');
        if (p.Integer)
            out.append(p.Value);
        else
            Quoted(out, p.Value);
        out.append("\r\n");
    }
    lines.through(TLinePlace::InProperties, UINT32_MAX, comment);
    AppendLine(out, "ENDPROPERTIES");
    lines.through(TLinePlace::AfterProperties, 0, comment);
    AppendNumbers(out, "CHARS", {static_cast<int64_t>(Font.Chars.size())});
    lines.rest(comment);
    size_t droppedInGlyphs = 0;
    for (size_t i = 0; i < Font.Chars.size(); ++i) {
        writeGlyph(out, i);
        const TGlyphNote note = Font.GlyphNotes.get(Font.Chars[i].Notes);
        std::string_view rest = note.Lines;
        for (TKeptLine line; TKeptLines::Next(rest, line);)
            droppedInGlyphs += !IsComment(line.Text) && !TrimSpaces(line.Text).empty();
    }
    AppendLine(out, "ENDFONT");
    if (dropped + droppedInGlyphs > 0)
        Report.Changes.push_back(std::to_string(dropped + droppedInGlyphs) +
                                 " lines that are neither comments nor standard BDF were left out.");
}

} // namespace

TByteBuffer FormatExportBDF(const TBDFFont &font, TBDFExportReport *report)
{
    TBDFExportReport ignored;
    TByteBuffer out;
    size_t estimate = 1024 + font.HeaderLines.packed().size() + font.GlyphNotes.size();
    for (const TBDFChar &ch : font.Chars)
        estimate += 160 + static_cast<size_t>(std::max(ch.BBXHeight, 0)) * 18;
    out.reserve(std::min<size_t>(estimate, size_t{1} << 30));
    TExport(font, report ? *report : ignored).write(out);
    return out;
}

void ExportBDF(const std::string &path, const TBDFFont &font, TBDFExportReport *report)
{
    const TByteBuffer text = FormatExportBDF(font, report);
    WriteFileAtomically(path, text.view());
}

std::string ExportReportText(const TBDFExportReport &report, size_t maxLines)
{
    std::string text;
    auto list = [&](const std::vector<std::string> &lines) {
        for (size_t i = 0; i < lines.size() && i < maxLines; ++i)
            text += lines[i] + "\n";
        if (lines.size() > maxLines)
            text += "... and " + std::to_string(lines.size() - maxLines) + " more.\n";
    };
    if (report.Ignored.size() == 1)
        text += "1 glyph is written but bdftopcf will ignore it:\n";
    else if (!report.Ignored.empty())
        text += std::to_string(report.Ignored.size()) + " glyphs are written but bdftopcf will ignore them:\n";
    list(report.Ignored);
    list(report.Changes);
    return text;
}
