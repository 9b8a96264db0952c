#include "importops.h"

#include "bdf/paths.h"
#include "model/textfuncs.h"

#include <QFile>
#include <QStandardPaths>

#include <algorithm>
#include <cstring>

int32_t ConverterSize(const std::string &sizeText)
{
    return ParseIntDef(sizeText, 9);
}

std::string ConverterCommandLine(const std::string &programFolder, const TTrueTypeOptions &options,
                                 const std::string &output, const std::string &input)
{
    return programFolder + "/TTF2BDF.EXE -r 100 -m gdr.map " + (options.Style == 1 ? "-w bold " : "") + "-p " +
           std::to_string(ConverterSize(options.SizeText)) + " -o \"" + output + "\" \"" + input + "\"";
}

std::vector<std::string> ConverterArguments(const TTrueTypeOptions &options, const std::string &output,
                                            const std::string &input)
{
    std::vector<std::string> args = {"-r", "100", "-m", "gdr.map"};
    if (options.Style == 1)
        args.insert(args.end(), {"-w", "bold"});
    args.insert(args.end(), {"-p", std::to_string(ConverterSize(options.SizeText)), "-o", output, input});
    return args;
}

std::optional<std::string> FindConverter(const std::string &programFolder)
{
    const std::string own = programFolder + "/TTF2BDF.EXE";
    // One that cannot run is passed over, as a missing one is.
    if (IsExecutableFile(own))
        return own;
    const QString found = QStandardPaths::findExecutable(QStringLiteral("otf2bdf"));
    if (found.isEmpty())
        return std::nullopt;
    return QFile::encodeName(found).toStdString();
}

std::string ConverterFolder(const std::string &programFolder)
{
    const std::string found = FolderHolding(
        {CompilerFolderFromEnvironment(), programFolder, RememberedCompilerFolder()}, ConverterMapFileName);
    return found.empty() ? programFolder : found;
}

std::string ConverterFailureText(const TRunResult &run)
{
    // Converters say what went wrong in their last words.
    constexpr size_t LastLines = 5;
    std::string text = "The TrueType converter made no font (" +
                       (run.Crashed ? std::string("it crashed") : "exit status " + std::to_string(run.ExitCode)) + ")";
    std::vector<std::string> printed;
    for (const std::vector<std::string> *lines : {&run.OutLines, &run.ErrLines})
        printed.insert(printed.end(), lines->end() - std::min(lines->size(), LastLines), lines->end());
    if (printed.empty())
        return text + " and printed nothing.";
    text += ". It printed last:";
    for (const std::string &line : printed)
        text += "\n" + line;
    return text;
}

std::string ImportedFontName(const std::string &outputPath)
{
    std::string name = FileNameOnly(outputPath);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

namespace {

uint32_t Le32(std::string_view b, size_t at)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(b[at + static_cast<size_t>(i)]);
    return v;
}

uint16_t Le16(std::string_view b, size_t at)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8));
}

} // namespace

std::optional<std::string> BitmapHeaderProblem(std::string_view bytes)
{
    // File header (14 bytes), then at least the 12-byte core header.
    if (bytes.size() < 26 || bytes[0] != 'B' || bytes[1] != 'M')
        return "it is not a BMP picture";
    const uint32_t dataOffset = Le32(bytes, 10);
    const uint32_t infoSize = Le32(bytes, 14);
    int64_t width = 0, height = 0;
    uint16_t bits = 0;
    uint32_t compression = 0;
    if (infoSize == 12) {
        width = Le16(bytes, 18);
        height = static_cast<int16_t>(Le16(bytes, 20));
        bits = Le16(bytes, 24);
    } else if (infoSize >= 40 && bytes.size() >= 54) {
        width = static_cast<int32_t>(Le32(bytes, 18));
        height = static_cast<int32_t>(Le32(bytes, 22));
        bits = Le16(bytes, 28);
        compression = Le32(bytes, 30);
    } else {
        return "its header is damaged";
    }
    height = height < 0 ? -height : height;
    if (width <= 0 || height <= 0)
        return "it has no pixels";
    if (width > MaxBitmapSide || height > MaxBitmapSide)
        return "it is " + std::to_string(width) + " x " + std::to_string(height) + " pixels; at most " +
               std::to_string(MaxBitmapSide) + " on a side are taken";
    // Uncompressed rows are padded to 4 bytes; compressed data cannot be sized from the header.
    const bool uncompressed = compression == 0 || compression == 3 || compression == 6;
    if (uncompressed && bits > 0) {
        const int64_t stride = (width * bits + 31) / 32 * 4;
        if (static_cast<int64_t>(dataOffset) + stride * height > static_cast<int64_t>(bytes.size()))
            return "its pixel data is shorter than its header promises";
    }
    if (dataOffset >= bytes.size())
        return "its pixel data is missing";
    return std::nullopt;
}

TCutResult CutCells(const QImage &picture, const TCaptureOptions &options)
{
    TCutResult result;
    const int32_t k = ParseIntDef(options.Columns, 0);
    const int32_t r = ParseIntDef(options.Rows, 0);
    if (k < 1 || r < 1 || picture.isNull())
        return result;
    if (int64_t{k} * r > MaxCaptureCells) {
        result.TooMany = true;
        return result;
    }
    const int64_t cw = picture.width() / k, ch = picture.height() / r;
    const int64_t g = ParseIntDef(options.GridWidth, 1);
    const int64_t glyphWidth = cw - g, glyphHeight = ch - 1;
    const int32_t width = static_cast<int32_t>(std::clamp<int64_t>(glyphWidth, 1, MaxGlyphWidth));
    const int32_t height = static_cast<int32_t>(std::max<int64_t>(glyphHeight, 1));
    // At most a million cells of fewer than 2^31 rows: no overflow.
    const int64_t rowBytes = int64_t{k} * r * height * static_cast<int64_t>(sizeof(uint64_t));
    if (rowBytes > MaxCaptureRowBytes) {
        result.TooBigBytes = rowBytes;
        return result;
    }
    const bool cut = glyphWidth > MaxGlyphWidth;
    const QImage rgb = picture.format() == QImage::Format_RGB888 ? picture : picture.convertToFormat(QImage::Format_RGB888);
    result.Glyphs.reserve(static_cast<size_t>(k) * static_cast<size_t>(r));
    for (int64_t gy = 0; gy < r; ++gy)
        for (int64_t gx = 0; gx < k; ++gx) {
            TBDFChar glyph;
            glyph.BBXWidth = width;
            glyph.BBXHeight = height;
            glyph.Bitmap.assign(static_cast<size_t>(height), 0);
            if (glyphHeight >= 1 && glyphWidth >= 1) {
                for (int64_t y = 0; y < glyphHeight; ++y) {
                    const auto *line = rgb.constScanLine(static_cast<int>(gy * ch + y));
                    for (int64_t x = 0; x < width; ++x) {
                        const int64_t px = gx * cw + g + x;
                        // Left of the picture (a negative grid width) is paper.
                        if (px < 0 || px >= rgb.width())
                            continue;
                        if (line[px * 3] < 128)
                            SetPixel(glyph, static_cast<int>(y), static_cast<int>(x));
                    }
                }
            }
            result.CutWide += cut;
            result.Glyphs.push_back(std::move(glyph));
        }
    return result;
}

QImage GlyphsPicture(const std::vector<TBDFChar> &glyphs, int cellSize, int maxWidth, int &copied)
{
    std::vector<TPixelBlock> blocks;
    int width = 0, height = 0;
    for (const TBDFChar &ch : glyphs) {
        TPixelBlock block = CopyPixels(ch, GlyphBox(ch));
        if (int64_t{width} + int64_t{block.Width} * cellSize > maxWidth ||
            int64_t{block.Height} * cellSize > maxWidth)
            break;
        width += block.Width * cellSize;
        height = std::max(height, block.Height * cellSize);
        blocks.push_back(std::move(block));
    }
    copied = static_cast<int>(blocks.size());
    QImage picture(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    picture.fill(Qt::white);
    int left = 0;
    for (const TPixelBlock &block : blocks) {
        for (int y = 0; y < block.Height; ++y)
            for (int x = 0; x < block.Width; ++x)
                if (block.at(x, y))
                    for (int py = 0; py < cellSize; ++py) {
                        auto *line = reinterpret_cast<QRgb *>(picture.scanLine(y * cellSize + py));
                        std::fill(line + left + x * cellSize, line + left + (x + 1) * cellSize, qRgb(0, 0, 0));
                    }
        left += block.Width * cellSize;
    }
    return picture;
}

namespace {

bool DarkPixel(QRgb c)
{
    return qAlpha(c) >= 128 && qGray(c) < 128;
}

// Whether every cellSize x cellSize square of picture is one colour.
bool MadeOfSquares(const QImage &picture, int cellSize)
{
    if (cellSize <= 1 || picture.width() % cellSize != 0 || picture.height() % cellSize != 0)
        return false;
    for (int y = 0; y < picture.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
        const auto *top = reinterpret_cast<const QRgb *>(picture.constScanLine(y - y % cellSize));
        for (int x = 0; x < picture.width(); ++x)
            if (line[x] != top[x - x % cellSize])
                return false;
    }
    return true;
}

} // namespace

TPixelBlock PicturePixels(const QImage &picture, int cellSize, int maxWidth, int maxHeight)
{
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    const int step = MadeOfSquares(argb, cellSize) ? cellSize : 1;
    TPixelBlock block;
    block.Width = std::max(0, std::min(argb.width() / step, maxWidth));
    block.Height = std::max(0, std::min(argb.height() / step, maxHeight));
    block.Ink.resize(size_t(block.Width) * size_t(block.Height));
    for (int y = 0; y < block.Height; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y * step));
        for (int x = 0; x < block.Width; ++x)
            block.Ink[size_t(y) * size_t(block.Width) + size_t(x)] = DarkPixel(line[x * step]) ? 1 : 0;
    }
    return block;
}
