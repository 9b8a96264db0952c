#include "fontformat.h"

#include "bdfexport.h"
#include "bdfwriter.h"
#include "fileio.h"
#include "gzipdata.h"
#include "hexfont.h"
#include "model/fileerror.h"
#include "model/textfuncs.h"
#include "paths.h"
#include "pcf.h"
#include "psffont.h"

#include <algorithm>
#include <cmath>
#include <strings.h>

using namespace FontFormatDetail;

namespace {

// Bytes of a file looked at to tell its format: enough for every magic number
// and a few dozen .hex lines, little enough that a BDF file is still read once.
constexpr size_t DetectBytes = 4096;

// What inflated gzip data may grow to, by the format its first bytes show. A
// PSF 1 font is at most 512 glyphs of 255 bytes and a table; the largest PSF 2
// and .hex fonts in use are a few megabytes (a .hex of every code up to 10FFFF
// is 80 MB); BDF text of big CJK fonts reaches a few hundred megabytes.
size_t InflateCap(std::string_view head)
{
    constexpr size_t MiB = size_t{1} << 20;
    const std::optional<TFontFileKind> kind = DetectFontFormat(head, false);
    if (!kind)
        return 1024 * MiB;
    switch (kind->Format) {
    case TFontFormat::PSF1:
        return 2 * MiB;
    case TFontFormat::PSF2:
    case TFontFormat::PCF:
    case TFontFormat::Hex:
        return 256 * MiB;
    case TFontFormat::BDF:
        break;
    }
    return 1024 * MiB;
}

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

bool EndsWithNoCase(const std::string &text, std::string_view suffix)
{
    return text.size() >= suffix.size() &&
           strncasecmp(text.c_str() + text.size() - suffix.size(), suffix.data(), suffix.size()) == 0;
}

// Whether text starts as a BDF font does: STARTFONT after blank and COMMENT lines.
bool StartsAsBDF(std::string_view text)
{
    if (StartsWith(text, "\xEF\xBB\xBF"))
        text.remove_prefix(3);
    while (!text.empty()) {
        const size_t end = std::min(text.find_first_of("\r\n"), text.size());
        const std::string_view line = text.substr(0, end);
        if (StartsWith(line, "STARTFONT"))
            return true;
        if (!StartsWith(line, "COMMENT") && line.find_first_not_of(" \t") != std::string_view::npos)
            return false;
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return false;
}

// Whether every line of text but the last is a .hex glyph, and there is one.
bool LooksLikeHex(std::string_view text, bool complete)
{
    // The last line may be cut by the head, or be a damaged last line that the
    // reader will name; a file of one line is told by it alone.
    const size_t lastBreak = text.rfind('\n', text.size() >= 2 ? text.size() - 2 : 0);
    if (lastBreak != std::string_view::npos)
        text = text.substr(0, lastBreak);
    else if (!complete)
        return false;
    bool any = false;
    while (!text.empty()) {
        const size_t lf = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, lf);
        text.remove_prefix(std::min(lf + 1, text.size()));
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        if (!IsHexLine(line))
            return false;
        any = true;
    }
    return any;
}

// The file's name without its folder, .gz and font extension: the name a font
// read from a format without names takes.
std::string BaseFontName(const std::string &path)
{
    std::string name = FileNameOnly(path);
    for (std::string_view ext : {".gz", ".psfu", ".psf", ".hex", ".pcf", ".bdf"})
        if (EndsWithNoCase(name, ext) && name.size() > ext.size())
            name.resize(name.size() - ext.size());
    return name;
}

TFileError NotReadable(const std::string &path)
{
    return TFileError::WithMessage("\"" + path +
                                       "\" is not a font Bitloom can read (BDF, PCF, PSF 1, PSF 2 or Unifont .hex, "
                                       "any of them gzip-compressed)",
                                   path, "not a font Bitloom can read");
}

// The BDF reader's scan into a font that keeps the caller's header fields where
// the text has none, as OpenBDF does.
TBDFReadReport ParseBDFText(std::string_view text, const std::string &path, TBDFFont &font,
                            const TBDFReadOptions &options)
{
    TBDFFont read = HeaderFieldsOf(font);
    TBDFReadReport report = ParseBDF(text, read, options);
    if (!report.isFont())
        throw NotReadable(path);
    font = std::move(read);
    return report;
}

// Reads bytes known not to be gzip.
void ParsePlain(std::string_view bytes, const std::string &path, TBDFFont &font, const TBDFReadOptions &options,
                TFontReadReport &report)
{
    const std::optional<TFontFileKind> kind = DetectFontFormat(bytes, true);
    report.Kind.Format = kind ? kind->Format : TFontFormat::BDF;
    switch (report.Kind.Format) {
    case TFontFormat::BDF:
        report.Read = ParseBDFText(bytes, path, font, options);
        return;
    case TFontFormat::PCF:
        report.Read = ParsePCF(bytes, path, font);
        return;
    case TFontFormat::PSF1:
    case TFontFormat::PSF2:
        ReadPSF(bytes, path, BaseFontName(path), font, report);
        return;
    case TFontFormat::Hex:
        ReadHex(bytes, path, BaseFontName(path), font);
        return;
    }
}

} // namespace

const char *FormatName(TFontFormat format)
{
    switch (format) {
    case TFontFormat::BDF:
        return "BDF";
    case TFontFormat::PCF:
        return "PCF";
    case TFontFormat::PSF1:
        return "PSF 1";
    case TFontFormat::PSF2:
        return "PSF 2";
    case TFontFormat::Hex:
        return "Unifont .hex";
    }
    return "?";
}

std::optional<TFontFileKind> DetectFontFormat(std::string_view head, bool complete)
{
    const auto *u = reinterpret_cast<const unsigned char *>(head.data());
    if (IsGzipData(head))
        return TFontFileKind{TFontFormat::BDF, true};
    if (StartsWith(head, std::string_view("\x01" "fcp", 4)))
        return TFontFileKind{TFontFormat::PCF, false};
    if (head.size() >= 2 && u[0] == 0x36 && u[1] == 0x04)
        return TFontFileKind{TFontFormat::PSF1, false};
    if (StartsWith(head, "\x72\xb5\x4a\x86"))
        return TFontFileKind{TFontFormat::PSF2, false};
    if (StartsAsBDF(head))
        return TFontFileKind{TFontFormat::BDF, false};
    if (LooksLikeHex(head, complete))
        return TFontFileKind{TFontFormat::Hex, false};
    return std::nullopt;
}

TFontReadReport ParseFont(std::string_view bytes, const std::string &path, TBDFFont &font,
                          const TBDFReadOptions &options)
{
    TFontReadReport report;
    if (IsGzipData(bytes)) {
        const TByteBuffer inflated = InflateGzip(bytes, path, InflateCap);
        // A gzip file inside another is no font file.
        if (IsGzipData(inflated.view()))
            throw NotReadable(path);
        ParsePlain(inflated.view(), path, font, options, report);
        report.Kind.Gzip = true;
        return report;
    }
    ParsePlain(bytes, path, font, options, report);
    return report;
}

TFontReadReport OpenFont(const std::string &path, TBDFFont &font, const TBDFReadOptions &options)
{
    std::optional<TFontFileKind> kind;
    {
        // Refuses folders, devices and FIFOs before reading a byte.
        const TReadableFile file(path);
        char head[DetectBytes];
        const size_t n = file.readAt(0, head, sizeof head);
        kind = DetectFontFormat(std::string_view(head, n), n == file.size());
    }
    if (!kind || (kind->Format == TFontFormat::BDF && !kind->Gzip)) {
        // BDF, or text that may hold STARTCHAR lines further on: the BDF reader
        // takes the file as it always has.
        TFontReadReport report;
        try {
            report.Read = OpenBDF(path, font, options);
        } catch (const TFileError &e) {
            if (e.reason() == TFileError::NotAFont(path).reason())
                throw NotReadable(path);
            throw;
        }
        return report;
    }
    const TByteBuffer bytes = ReadFileBytes(path);
    return ParseFont(bytes.view(), path, font, options);
}

std::string FontWarningText(const std::string &path, const TBDFFont &font, const TFontReadReport &report)
{
    std::string text = ReadWarningText(path, font, report.Read);
    for (const std::string &note : report.Notes) {
        if (!text.empty())
            text += '\n';
        text.append("Font \"").append(font.FontName).append("\" (").append(path).append("): ").append(note);
    }
    return text;
}

TFontFileKind FormatForPath(const std::string &path)
{
    TFontFileKind kind;
    kind.Gzip = EndsWithNoCase(path, ".gz");
    const std::string bare = kind.Gzip ? path.substr(0, path.size() - 3) : path;
    if (EndsWithNoCase(bare, ".pcf"))
        kind.Format = TFontFormat::PCF;
    else if (EndsWithNoCase(bare, ".psf") || EndsWithNoCase(bare, ".psfu"))
        kind.Format = TFontFormat::PSF2;
    else if (EndsWithNoCase(bare, ".hex"))
        kind.Format = TFontFormat::Hex;
    return kind;
}

std::vector<std::string> WhatFormatCannotHold(const TBDFFont &font, TFontFormat format)
{
    std::vector<std::string> out;
    switch (format) {
    case TFontFormat::BDF:
        return out;
    case TFontFormat::PCF: {
        // PCF keeps properties, comments aside, and names; its codes are two bytes.
        const size_t beyond = static_cast<size_t>(std::count_if(
            font.Chars.begin(), font.Chars.end(), [](const TBDFChar &ch) { return ch.Encoding > 0xFFFF; }));
        if (beyond > 0)
            out.push_back("PCF codes stop at FFFF: " + std::to_string(beyond) +
                          (beyond == 1 ? " glyph is" : " glyphs are") + " written but reached by no code.");
        return out;
    }
    case TFontFormat::PSF1:
        out.push_back(std::string("Bitloom cannot write ") + FormatName(format) + " fonts.");
        return out;
    case TFontFormat::PSF2:
        out = PSF2Losses(font);
        break;
    case TFontFormat::Hex:
        out = HexLosses(font);
        break;
    }
    bool names = false;
    for (const TBDFChar &ch : font.Chars)
        names = names || (!IsCodeNameNote(ch.Notes) && !GlyphName(font, ch).empty());
    if (names || !font.HeaderLines.empty())
        out.push_back(std::string(FormatName(format)) +
                      " keeps only glyph pictures and codes: the font's comments and glyph names are left out.");
    return out;
}

TByteBuffer FormatFont(const TBDFFont &font, TFontFileKind kind, const TFontWriteOptions &options)
{
    TByteBuffer bytes;
    switch (kind.Format) {
    case TFontFormat::BDF:
        bytes = FormatBDF(font, TBDFLayout::Kept);
        break;
    case TFontFormat::PSF2:
        bytes = FormatPSF2(font, options);
        break;
    case TFontFormat::Hex:
        bytes = FormatHexFont(font);
        break;
    case TFontFormat::PCF:
        bytes = FormatPCF(font);
        break;
    case TFontFormat::PSF1:
        throw std::invalid_argument(std::string("Bitloom cannot write ") + FormatName(kind.Format) + " fonts");
    }
    return kind.Gzip ? DeflateGzip(bytes.view()) : std::move(bytes);
}

void WriteFont(const std::string &path, const TBDFFont &font, TFontFileKind kind, const TFontWriteOptions &options)
{
    TByteBuffer bytes;
    try {
        bytes = FormatFont(font, kind, options);
    } catch (const TFontFormatError &e) {
        throw TFileError("Cannot write file", path, e.what());
    } catch (const std::invalid_argument &e) {
        throw TFileError("Cannot write file", path, e.what());
    }
    WriteFileAtomically(path, bytes.view());
}

void SaveFont(const std::string &path, TProjectRecord &slot, TFontFileKind kind, const TFontWriteOptions &options)
{
    if (kind == TFontFileKind{}) {
        SaveBDF(path, slot);
    } else {
        WriteFont(path, slot.Font, kind, options);
        slot.Modified = false;
    }
    if (path == slot.FileName)
        slot.Kind = kind;
}

TFontFileKind SaveKindFor(const TProjectRecord &slot, const std::string &path)
{
    if (path != slot.FileName)
        return FormatForPath(path);
    TFontFileKind kind = slot.Kind;
    if (kind.Format == TFontFormat::PSF1)
        kind.Format = TFontFormat::PSF2;
    return kind;
}

std::string ExportFontTo(const std::string &path, const TBDFFont &font, const TFontWriteOptions &options)
{
    const TFontFileKind kind = FormatForPath(path);
    if (kind.Format != TFontFormat::BDF && kind.Format != TFontFormat::PCF) {
        WriteFont(path, font, kind, options);
        return {};
    }
    TBDFExportReport report;
    if (kind.Format == TFontFormat::BDF && !kind.Gzip) {
        ExportBDF(path, font, &report);
    } else {
        TByteBuffer bytes = kind.Format == TFontFormat::PCF ? FormatPCF(font, &report) : FormatExportBDF(font, &report);
        WriteFileAtomically(path, kind.Gzip ? DeflateGzip(bytes.view()).view() : bytes.view());
    }
    return ExportReportText(report);
}

namespace FontFormatDetail {

void SetCellFontHeader(TBDFFont &font, const std::string &name, int32_t width, int32_t height, int32_t descent,
                       bool unicode)
{
    font.StartFont = "2.1";
    font.FontName = name.empty() ? "unnamed" : name;
    font.Size = std::to_string(height) + " 75 75";
    font.FBBWidth = width;
    font.FBBHeight = height;
    font.FBBXOff = 0;
    font.FBBYOff = -descent;
    auto number = [&](const char *key, int64_t value) { font.Properties.push_back({key, std::to_string(value), false}); };
    auto text = [&](const char *key, const char *value) { font.Properties.push_back({key, value, true}); };
    number("FONT_ASCENT", height - descent);
    number("FONT_DESCENT", descent);
    number("PIXEL_SIZE", height);
    number("POINT_SIZE", int64_t{height} * 10);
    number("RESOLUTION_X", 75);
    number("RESOLUTION_Y", 75);
    text("SPACING", "C");
    // Without a table a console font's codes are its glyph places, in no set
    // that X knows: the writer then keeps them as places.
    text("CHARSET_REGISTRY", unicode ? "ISO10646" : "FontSpecific");
    text("CHARSET_ENCODING", unicode ? "1" : "0");
}

TBDFChar CellGlyph(const TBDFFont &font, int32_t code, int32_t width)
{
    TBDFChar ch;
    ch.Encoding = code;
    ch.DWidthX = width;
    ch.SWidthX = static_cast<int32_t>(std::lround(1000.0 * width / std::max(font.FBBHeight, 1)));
    ch.BBXWidth = width;
    ch.BBXHeight = font.FBBHeight;
    ch.BBXXOff = 0;
    ch.BBXYOff = font.FBBYOff;
    return ch;
}

std::string GlyphLabel(const TBDFFont &font, size_t index)
{
    const TBDFChar &ch = font.Chars[index];
    if (std::string name = GlyphName(font, ch); !name.empty())
        return name;
    if (ch.Encoding >= 0)
        return "U+" + FormatHex(static_cast<uint32_t>(ch.Encoding), 4);
    return "glyph " + std::to_string(index + 1);
}

std::string NamedGlyphs(const std::vector<std::string> &glyphs)
{
    std::string text;
    for (size_t i = 0; i < glyphs.size() && i < MaxNamed; ++i)
        text.append(i ? ", " : "").append(glyphs[i]);
    if (glyphs.size() > MaxNamed)
        text.append(" and ").append(std::to_string(glyphs.size() - MaxNamed)).append(" more");
    return text;
}

void Refuse(const std::string &what, const std::vector<std::string> &glyphs)
{
    std::vector<std::string> named(glyphs.begin(), glyphs.begin() + std::min(glyphs.size(), MaxNamed));
    throw TFontFormatError(what + (glyphs.empty() ? "" : ": " + NamedGlyphs(glyphs)) + ".", std::move(named));
}

} // namespace FontFormatDetail
