// Text to numbers and words, with the exact rules every reader and field shares.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Digit value of each byte, -1 for bytes that are not hexadecimal digits.
inline constexpr auto HexDigitTable = [] {
    std::array<int8_t, 256> t{};
    for (auto &v : t)
        v = -1;
    for (int c = '0'; c <= '9'; ++c)
        t[c] = static_cast<int8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c)
        t[c] = static_cast<int8_t>(c - 'A' + 10);
    for (int c = 'a'; c <= 'f'; ++c)
        t[c] = static_cast<int8_t>(c - 'a' + 10);
    return t;
}();

inline int HexDigitValue(char c)
{
    return HexDigitTable[static_cast<unsigned char>(c)];
}

// Removes leading and trailing spaces (code 32 only; tabs stay).
std::string_view TrimSpaces(std::string_view text);

// The n-th word (from 1) of text, words separated by runs of delimiter characters,
// leading delimiters skipped. Empty when text has fewer than n words.
std::string_view ExtractWord(int n, std::string_view text, std::string_view delimiters);

// The signed 32-bit value of text, or def when text is not valid. Valid: optional
// leading spaces, an optional sign, then decimal digits within the int32 range, or a
// hexadecimal number after "$", "x", "X", "0x" or "0X" with at most 8 significant
// digits whose 32-bit pattern is used as is ("$FFFFFFFF" is -1). Nothing may follow.
int32_t ParseIntDef(std::string_view text, int32_t def);

// ParseIntDef("$" + text, 0), or ParseIntDef(text, 0) when text holds a "$".
int32_t HexToInt(std::string_view text);

// Like ParseIntDef, but a plain decimal from 2147483648 to 4294967295 is accepted
// too, so a Uid taken from an unsigned tick count survives being written and read.
double ParseUidDef(std::string_view text, double def);

// text made only of hexadecimal digits with at most maxDigits significant ones
// (leading zeros do not count): its value; anything else: nullopt.
std::optional<uint64_t> ParseHexDigits(std::string_view text, int maxDigits);

// Upper-case hexadecimal, left-padded with zeros to at least minDigits; never cut.
std::string FormatHex(uint64_t value, int minDigits);

// Appends FormatHex(value, minDigits) to out (a std::string or any buffer with
// append(count, char) and append(string_view)).
template <class Out>
void AppendHex(Out &out, uint64_t value, int minDigits)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    int significant = 1;
    while (significant < 16 && (value >> (4 * significant)) != 0)
        ++significant;
    if (minDigits > significant)
        out.append(static_cast<size_t>(minDigits - significant), '0');
    char buf[16];
    for (int i = significant - 1; i >= 0; --i) {
        buf[i] = digits[value & 0xF];
        value >>= 4;
    }
    out.append(std::string_view(buf, static_cast<size_t>(significant)));
}

// A whole number as "%1.0f" writes it: no decimals, no grouping, "-" for negatives.
std::string FormatUid(double uid);
