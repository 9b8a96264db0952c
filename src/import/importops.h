// The two imports' own arithmetic: the TrueType converter's command line, and
// cutting a picture of a character chart into glyphs. No widgets.
#pragma once

#include "editor/pixelops.h"

#include "platform/childprocess.h"
#include "platform/folders.h"
#include "model/bdfmodel.h"

#include <QImage>

#include <optional>
#include <string>
#include <vector>

// The options the TrueType dialog gathers: the size field's text and whether
// "Bold" is the chosen style.
struct TTrueTypeOptions {
    std::string SizeText = "9";
    // -1 when no style is selected, 0 "Normal", 1 "Bold".
    int Style = 0;
};

// The converter's size: the size text read as an integer, 9 when it is not one.
int32_t ConverterSize(const std::string &sizeText);

// The converter's command line as one text, exactly as the import describes it:
// folder + "/TTF2BDF.EXE -r 100 -m gdr.map " + ["-w bold "] + "-p " + size +
// " -o \"" + output + "\" \"" + input + "\"".
std::string ConverterCommandLine(const std::string &programFolder, const TTrueTypeOptions &options,
                                 const std::string &output, const std::string &input);

// The same pieces as an argument list for starting the converter without a
// shell, so paths with blanks, quotes or "$" reach it unchanged.
std::vector<std::string> ConverterArguments(const TTrueTypeOptions &options, const std::string &output,
                                            const std::string &input);

// The converter to run: TTF2BDF.EXE in the program's folder when it is there
// and executable, otherwise otf2bdf found on the PATH (it takes the same
// options); nothing when neither exists.
std::optional<std::string> FindConverter(const std::string &programFolder);

// The converter's working folder, where it reads gdr.map: the first of the
// compiler folder named by BITLOOM_COMPILER_DIR, the program's folder and the
// remembered compiler folder that holds the map; the program's folder when none
// does.
std::string ConverterFolder(const std::string &programFolder);

// What to tell when a converter run made no font: its exit status and the last
// lines it printed (standard output, then standard error).
std::string ConverterFailureText(const TRunResult &run);

// The name a TrueType import gives its font: the output's file name without
// folder and extension ("/f/big12.bdf" gives "big12").
std::string ImportedFontName(const std::string &outputPath);

// Why a BMP file cannot be imported, or nothing when its header is sound: not a
// BMP, 0 pixels or more than MaxPictureSide on a side, or pixel data shorter
// than the header promises. Checked before the picture is decoded.
constexpr int MaxBitmapSide = 16384;
std::optional<std::string> BitmapHeaderProblem(std::string_view bytes);

// The grid the picture dialog gathers: column and row counts and the grid width, as typed.
struct TCaptureOptions {
    std::string Columns = "20";
    std::string Rows = "10";
    std::string GridWidth = "1";
};

// Most cells one import makes: a million glyphs is far beyond any chart.
constexpr int64_t MaxCaptureCells = 1000000;
// Most memory the bitmap rows of one import's glyphs may take. A narrow, tall
// picture cut into many columns makes a glyph of the picture's whole height
// per cell: a 64 KB picture can ask for over a hundred gigabytes.
constexpr int64_t MaxCaptureRowBytes = int64_t{256} << 20;

struct TCutResult {
    std::vector<TBDFChar> Glyphs;
    // Glyphs wider than a row holds: they keep their leftmost 64 columns.
    int CutWide = 0;
    // More than MaxCaptureCells cells were asked for: nothing was cut.
    bool TooMany = false;
    // Set when the glyphs' rows would take more than MaxCaptureRowBytes: what
    // they would take. Nothing was cut.
    int64_t TooBigBytes = 0;
};

// The glyphs cut from a picture, one per cell in reading order: each cell skips
// its first g columns and its last row; a pixel whose red component is below 128
// is ink. A count below 1 (or not a number) cuts nothing; so does a grid of
// more than MaxCaptureCells cells or MaxCaptureRowBytes of rows, checked before
// anything is allocated.
TCutResult CutCells(const QImage &picture, const TCaptureOptions &options);

// The system clipboard's pictures of glyphs.
// Glyphs side by side as a picture: each glyph's box, top-aligned, one cellSize x
// cellSize square per pixel, ink black on white. Glyphs that would take the
// picture past maxWidth pixels are left out; copied receives how many went in.
QImage GlyphsPicture(const std::vector<TBDFChar> &glyphs, int cellSize, int maxWidth, int &copied);
// A picture as glyph pixels, at most maxWidth x maxHeight of them from its top-left:
// dark pixels (below half brightness, or opaque where the picture has transparency) are ink. A picture made of uniform
// cellSize x cellSize squares (what GlyphsPicture makes at that zoom) is read a square per pixel.
TPixelBlock PicturePixels(const QImage &picture, int cellSize, int maxWidth, int maxHeight);
