// The font compiler's source text and the reading of its output. No widgets.
#pragma once

#include "bdf/bdfwriter.h"
#include "model/bdfmodel.h"
#include "project.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The box a font is written with in the compiler source: the placement of the
// first typeface (in list order, entries in order) that names the font exactly,
// when any of its four values is not 0; otherwise nothing (the font's own box).
std::optional<TFontBox> TypefaceBox(const TBDFFont &font, const std::vector<TTypeface> &typefaces);

// The whole out.gd text: every font's BDF text as it is saved (boxes from
// TypefaceBox), a block per typeface and the font-store block; CR LF after
// every line. Changes nothing.
std::string WriteCompilerSource(const std::vector<TProjectRecord> &fonts, const std::vector<TTypeface> &typefaces,
                                int32_t collectionUid, int32_t kPixelAspectRatio);

// What the compiler prints last on success.
inline constexpr std::string_view CompilerSuccessLine = "out.gdr created";

// Whether the compiler's standard output reports success: its last line is
// exactly CompilerSuccessLine.
bool CompileSucceeded(const std::vector<std::string> &outLines);
