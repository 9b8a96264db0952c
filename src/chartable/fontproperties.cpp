#include "fontproperties.h"

#include "model/textfuncs.h"

#include <charconv>
#include <cstdint>
#include <optional>

namespace {

bool IsUid(const TBDFProperty &property) { return property.Name == "Uid" && !property.Quoted; }

// text as "-" and decimal digits; nothing when it is not that or passes 64 bits.
std::optional<int64_t> DecimalInteger(std::string_view text)
{
    const std::string_view digits = !text.empty() && text.front() == '-' ? text.substr(1) : text;
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

std::vector<TBDFProperty> PropertiesForEditing(const TBDFFont &font)
{
    std::vector<TBDFProperty> rows = font.Properties;
    for (TBDFProperty &row : rows)
        if (IsUid(row))
            row.Value = FormatUid(font.Uid);
    return rows;
}

std::string PropertyProblem(const TBDFProperty &property)
{
    if (property.Name.empty())
        return "A property needs a name.";
    for (unsigned char c : property.Name)
        if (c <= ' ' || c == '"' || c == 0x7F)
            return "The name \"" + property.Name + "\" must be one word, without blanks or quotes.";
    if (const std::string_view keyword = KeywordStartingName(property.Name); !keyword.empty())
        return "The name \"" + property.Name + "\" begins with the keyword " + std::string(keyword) +
               ", which BDF readers take for the file's structure.";
    if (property.Quoted) {
        if (property.Value.find_first_of("\r\n") != std::string::npos)
            return "The value of " + property.Name + " must fit on one line.";
        return {};
    }
    const std::optional<int64_t> value = DecimalInteger(property.Value);
    const int64_t most = IsUid(property) ? int64_t{UINT32_MAX} : int64_t{INT32_MAX};
    const bool fits = value && *value >= int64_t{INT32_MIN} && *value <= most;
    if (!fits)
        return "The value of " + property.Name + " is not an integer: a value without quotes takes only digits, "
               "with \"-\" before a negative one, from -2147483648 to 2147483647; mark it as a string to write text.";
    return {};
}

std::string PropertiesProblem(const std::vector<TBDFProperty> &properties)
{
    for (size_t i = 0; i < properties.size(); ++i)
        if (std::string problem = PropertyProblem(properties[i]); !problem.empty())
            return "Row " + std::to_string(i + 1) + ": " + problem;
    return {};
}

void SetProperties(TBDFFont &font, std::vector<TBDFProperty> properties)
{
    for (const TBDFProperty &row : properties)
        if (IsUid(row))
            font.Uid = ParseUidDef(row.Value, font.Uid);
    font.Properties = std::move(properties);
}
