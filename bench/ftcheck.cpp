// Reads two BDF fonts with FreeType and says where FreeType sees them differ:
// the glyphs (bitmap, advance, box), the code of each glyph, and the values of
// FONT_ASCENT, FONT_DESCENT, CHARSET_REGISTRY, CHARSET_ENCODING and PIXEL_SIZE.
//   ftcheck [--by-code] ORIGINAL.bdf EXPORT.bdf
// (any font files FreeType reads, PCF too). With --by-code glyphs are compared
// only through their codes: for a font whose glyphs are in another order, or
// that left out glyphs no code reaches (as a PCF font read back does).
// One of those properties that the original lacks and the export adds (from
// its XLFD name, or worked out) is no difference: it is printed as "added", and
// so is the charmap FreeType picks for an added charset. Exit status 0 when they agree, 1 when they differ (each
// difference on standard output), 2 when FreeType cannot read one of them.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BDF_H

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

std::string Property(FT_Face face, const char *name)
{
    BDF_PropertyRec p{};
    if (FT_Get_BDF_Property(face, name, &p) != 0)
        return "(none)";
    switch (p.type) {
    case BDF_PROPERTY_TYPE_ATOM:
        return p.u.atom ? p.u.atom : "";
    case BDF_PROPERTY_TYPE_INTEGER:
        return std::to_string(p.u.integer);
    case BDF_PROPERTY_TYPE_CARDINAL:
        return std::to_string(p.u.cardinal);
    default:
        return "(no value)";
    }
}

// What FreeType makes of one glyph: its box, advance and the ink of every row.
std::string Glyph(FT_Face face, FT_UInt index)
{
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0)
        return "(cannot load)";
    const FT_GlyphSlot g = face->glyph;
    if (g->format != FT_GLYPH_FORMAT_BITMAP)
        return "(not a bitmap)";
    const FT_Bitmap &b = g->bitmap;
    std::string out = std::to_string(b.width) + "x" + std::to_string(b.rows) + "@" + std::to_string(g->bitmap_left) +
                      "," + std::to_string(g->bitmap_top) + " adv " + std::to_string(g->advance.x) + ":";
    for (unsigned r = 0; r < b.rows; ++r) {
        const unsigned char *row = b.buffer + static_cast<long>(r) * b.pitch;
        for (unsigned x = 0; x < b.width; ++x)
            out += (row[x / 8] & (0x80 >> (x % 8))) ? '#' : '.';
        out += '/';
    }
    return out;
}

struct TFace {
    FT_Face Face = nullptr;
    std::map<FT_ULong, FT_UInt> Codes;
};

bool Open(FT_Library lib, const char *path, TFace &face)
{
    if (FT_New_Face(lib, path, 0, &face.Face) != 0) {
        std::printf("FreeType cannot read %s\n", path);
        return false;
    }
    // FreeType picks a Unicode charmap by itself; the font's own is the first otherwise.
    if (!face.Face->charmap && face.Face->num_charmaps > 0)
        FT_Set_Charmap(face.Face, face.Face->charmaps[0]);
    FT_UInt index = 0;
    for (FT_ULong code = FT_Get_First_Char(face.Face, &index); index != 0;
         code = FT_Get_Next_Char(face.Face, code, &index))
        face.Codes[code] = index;
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    const bool byCode = argc == 4 && std::strcmp(argv[1], "--by-code") == 0;
    if (byCode) {
        ++argv;
        --argc;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: ftcheck [--by-code] ORIGINAL EXPORT\n");
        return 2;
    }
    FT_Library lib;
    if (FT_Init_FreeType(&lib) != 0)
        return 2;
    TFace a, b;
    if (!Open(lib, argv[1], a) || !Open(lib, argv[2], b))
        return 2;
    int differences = 0;
    auto differ = [&](const std::string &what, const std::string &x, const std::string &y) {
        if (x == y)
            return;
        if (++differences <= 10)
            std::printf("%s: %s | %s\n", what.c_str(), x.c_str(), y.c_str());
    };
    bool charsetAdded = false;
    for (const char *name : {"FONT_ASCENT", "FONT_DESCENT", "CHARSET_REGISTRY", "CHARSET_ENCODING", "PIXEL_SIZE"}) {
        const std::string x = Property(a.Face, name), y = Property(b.Face, name);
        if (x == "(none)" && y != x) {
            std::printf("added %s: %s\n", name, y.c_str());
            charsetAdded = charsetAdded || std::strncmp(name, "CHARSET_", 8) == 0;
            continue;
        }
        differ(name, x, y);
    }
    const std::string mapA = std::to_string(a.Face->charmap ? a.Face->charmap->encoding : 0),
                      mapB = std::to_string(b.Face->charmap ? b.Face->charmap->encoding : 0);
    if (charsetAdded && mapA != mapB)
        std::printf("added charmap: %s (was %s)\n", mapB.c_str(), mapA.c_str());
    else
        differ("charmap", mapA, mapB);
    if (!byCode)
        differ("glyphs", std::to_string(a.Face->num_glyphs), std::to_string(b.Face->num_glyphs));
    differ("codes", std::to_string(a.Codes.size()), std::to_string(b.Codes.size()));
    for (const auto &[code, index] : a.Codes) {
        const auto other = b.Codes.find(code);
        if (other == b.Codes.end()) {
            differ("code " + std::to_string(code), "present", "missing");
            continue;
        }
        differ("code " + std::to_string(code), Glyph(a.Face, index), Glyph(b.Face, other->second));
    }
    // Glyphs without a code are reached by index; both fonts hold them in the same order.
    for (FT_Long i = 0; !byCode && i < a.Face->num_glyphs && i < b.Face->num_glyphs; ++i)
        differ("glyph " + std::to_string(i), Glyph(a.Face, static_cast<FT_UInt>(i)),
               Glyph(b.Face, static_cast<FT_UInt>(i)));
    FT_Done_Face(a.Face);
    FT_Done_Face(b.Face);
    FT_Done_FreeType(lib);
    if (differences > 10)
        std::printf("... %d differences in all\n", differences);
    return differences == 0 ? 0 : 1;
}
