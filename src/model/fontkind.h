// The kinds of font file Bitloom reads, so a font can be saved back in its own.
#pragma once

enum class TFontFormat { BDF, PCF, PSF1, PSF2, Hex };

struct TFontFileKind {
    TFontFormat Format = TFontFormat::BDF;
    bool Gzip = false;
    bool operator==(const TFontFileKind &) const = default;
};
