#include "textfuncs.h"

#include <cstdio>

namespace {

int HexValue(char c)
{
    return HexDigitValue(c);
}

// Parses what follows the optional leading spaces and sign: a decimal magnitude
// up to limit, or a prefixed hexadecimal 32-bit pattern.
struct TMagnitude {
    bool ok = false;
    bool hex = false;
    uint64_t value = 0;
};

TMagnitude ParseMagnitude(std::string_view s, uint64_t decimalLimit)
{
    TMagnitude m;
    size_t i = 0;
    if (!s.empty() && s[0] == '$') {
        i = 1;
        m.hex = true;
    } else if (!s.empty() && (s[0] == 'x' || s[0] == 'X')) {
        i = 1;
        m.hex = true;
    } else if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        i = 2;
        m.hex = true;
    }
    if (m.hex) {
        auto v = ParseHexDigits(s.substr(i), 8);
        if (!v)
            return m;
        m.value = *v;
        m.ok = true;
        return m;
    }
    if (s.empty())
        return m;
    uint64_t value = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return m;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > decimalLimit)
            return m;
    }
    m.value = value;
    m.ok = true;
    return m;
}

// Shared front of ParseIntDef and ParseUidDef: skips spaces, reads the sign.
std::string_view SkipSpacesAndSign(std::string_view text, bool &negative)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    return text.substr(i);
}

} // namespace

std::string_view TrimSpaces(std::string_view text)
{
    size_t b = 0;
    size_t e = text.size();
    while (b < e && text[b] == ' ')
        ++b;
    while (e > b && text[e - 1] == ' ')
        --e;
    return text.substr(b, e - b);
}

std::string_view ExtractWord(int n, std::string_view text, std::string_view delimiters)
{
    if (n < 1)
        return {};
    size_t i = 0;
    for (int k = 1;; ++k) {
        i = text.find_first_not_of(delimiters, i);
        if (i == std::string_view::npos)
            return {};
        size_t end = text.find_first_of(delimiters, i);
        if (end == std::string_view::npos)
            end = text.size();
        if (k == n)
            return text.substr(i, end - i);
        i = end;
    }
}

int32_t ParseIntDef(std::string_view text, int32_t def)
{
    bool negative = false;
    std::string_view rest = SkipSpacesAndSign(text, negative);
    TMagnitude m = ParseMagnitude(rest, negative ? 2147483648ull : 2147483647ull);
    if (!m.ok)
        return def;
    uint32_t pattern = static_cast<uint32_t>(m.value);
    if (negative)
        pattern = 0u - pattern;
    return static_cast<int32_t>(pattern);
}

int32_t HexToInt(std::string_view text)
{
    // Without a "$", "$" + text is valid exactly when text is a bare hexadecimal number.
    if (auto v = ParseHexDigits(text, 8))
        return static_cast<int32_t>(static_cast<uint32_t>(*v));
    if (text.find('$') != std::string_view::npos)
        return ParseIntDef(text, 0);
    return 0;
}

double ParseUidDef(std::string_view text, double def)
{
    bool negative = false;
    std::string_view rest = SkipSpacesAndSign(text, negative);
    TMagnitude m = ParseMagnitude(rest, negative ? 2147483648ull : 4294967295ull);
    if (!m.ok)
        return def;
    if (m.hex)
        return ParseIntDef(text, 0);
    double v = static_cast<double>(m.value);
    // "-0" is zero: a signed zero would be written back as "-0".
    return negative && m.value != 0 ? -v : v;
}

std::optional<uint64_t> ParseHexDigits(std::string_view text, int maxDigits)
{
    if (text.empty())
        return std::nullopt;
    uint64_t value = 0;
    int significant = 0;
    for (char c : text) {
        int d = HexValue(c);
        if (d < 0)
            return std::nullopt;
        if (significant == 0 && d == 0)
            continue;
        if (++significant > maxDigits)
            return std::nullopt;
        value = (value << 4) | static_cast<uint64_t>(d);
    }
    return value;
}

std::string FormatHex(uint64_t value, int minDigits)
{
    std::string s;
    AppendHex(s, value, minDigits);
    return s;
}

std::string FormatUid(double uid)
{
    char buf[64];
    // Adding 0.0 turns a negative zero into zero, which "%1.0f" writes as "0", not "-0".
    std::snprintf(buf, sizeof buf, "%1.0f", uid + 0.0);
    return buf;
}
