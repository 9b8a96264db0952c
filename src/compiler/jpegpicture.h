// Typeface pictures: JPEG files decoded with libjpeg-turbo.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Pictures larger than this on a side are refused before any pixel is decoded:
// a JPEG header of a few hundred bytes can announce 65500 x 65500 pixels.
constexpr int MaxPictureSide = 4096;

struct TRgbPicture {
    int Width = 0;
    int Height = 0;
    // Width * Height * 3 bytes, rows top first, R G B.
    std::vector<uint8_t> Pixels;
    // Empty when the picture was decoded; otherwise why not (the decoder's own words where it had some).
    std::string Error;
    // The decoder's warning about a minor flaw (such as data that ends early)
    // when the picture was decoded all the same, the decoder filling in what was missing.
    std::string Warning;
};

// Decodes JPEG bytes. Never throws for content: a file that is not a readable
// JPEG, or announces 0 pixels or more than MaxPictureSide on a side, gives Error;
// a flaw the decoder only warns about gives the pixels and Warning.
TRgbPicture DecodeJpeg(std::string_view bytes);
