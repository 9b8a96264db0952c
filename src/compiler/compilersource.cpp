#include "compilersource.h"

std::optional<TFontBox> TypefaceBox(const TBDFFont &font, const std::vector<TTypeface> &typefaces)
{
    for (const TTypeface &t : typefaces)
        for (const std::string &entry : t.FontFiles)
            if (entry == font.FontName) {
                if (t.FontBoundingBox1 == 0 && t.FontBoundingBox2 == 0 && t.FontBoundingBox3 == 0 &&
                    t.FontBoundingBox4 == 0)
                    return std::nullopt;
                return TFontBox{t.FontBoundingBox1, t.FontBoundingBox2, t.FontBoundingBox3, t.FontBoundingBox4};
            }
    return std::nullopt;
}

std::string WriteCompilerSource(const std::vector<TProjectRecord> &fonts, const std::vector<TTypeface> &typefaces,
                                int32_t collectionUid, int32_t kPixelAspectRatio)
{
    TByteBuffer text;
    for (const TProjectRecord &slot : fonts) {
        const std::optional<TFontBox> box = TypefaceBox(slot.Font, typefaces);
        AppendBDF(slot.Font, text, {}, box ? &*box : nullptr);
    }
    auto line = [&](int indent, std::string_view words) {
        text.append(static_cast<size_t>(indent), ' ');
        text.append(words);
        text.append("\r\n");
    };
    for (const TTypeface &t : typefaces) {
        line(0, "");
        line(0, "Typeface " + t.Name);
        line(6, "Name \"" + t.Name + "\" " + t.Type);
        line(6, "FontBitmaps");
        for (const std::string &entry : t.FontFiles)
            line(6, entry);
        line(6, "EndFontBitmaps");
        line(0, "EndTypeface");
    }
    line(0, "");
    line(0, "FontStoreFile");
    line(8, "CollectionUid " + std::to_string(collectionUid));
    line(8, "KPixelAspectRatio " + std::to_string(kPixelAspectRatio));
    line(8, "CopyrightInfo");
    line(8, "\"Bitloom\"");
    line(8, "EndCopyrightInfo");
    line(8, "Typefaces");
    for (const TTypeface &t : typefaces)
        line(14, t.Name);
    line(9, "EndTypefaces");
    line(0, "EndFontStoreFile");
    return std::string(text.view());
}

bool CompileSucceeded(const std::vector<std::string> &outLines)
{
    return !outLines.empty() && outLines.back() == CompilerSuccessLine;
}
