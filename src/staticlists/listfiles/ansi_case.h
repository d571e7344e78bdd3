#pragma once
// Letter case of single characters of the ANSI code page (1252), as the run time's LCase and
// UCase change them: ASCII letters and the accented Latin letters. Lists, names and index
// letters are all kept in this code page.
#include <array>
#include <string>
#include <string_view>

namespace tamber::ansi {

namespace detail {
// Both directions as tables: list saves look up the case of every item's first letter.
constexpr std::array<unsigned char, 256> MakeCase(bool lower) {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[c] = static_cast<unsigned char>(c);
    // Capitals: A-Z, 0xC0-0xDE but the multiplication sign, and four outside those blocks.
    constexpr unsigned char kUpperOdd[] = {0x8A, 0x8C, 0x8E, 0x9F};
    constexpr unsigned char kLowerOdd[] = {0x9A, 0x9C, 0x9E, 0xFF};
    for (int c = 'A'; c <= 'Z'; ++c)
        t[lower ? c : c + 32] = static_cast<unsigned char>(lower ? c + 32 : c);
    for (int c = 0xC0; c <= 0xDE; ++c)
        if (c != 0xD7) t[lower ? c : c + 32] = static_cast<unsigned char>(lower ? c + 32 : c);
    for (int i = 0; i < 4; ++i)
        t[lower ? kUpperOdd[i] : kLowerOdd[i]] = lower ? kLowerOdd[i] : kUpperOdd[i];
    return t;
}
} // namespace detail

inline char Lower(char c) {
    static constexpr auto kLower = detail::MakeCase(true);
    return static_cast<char>(kLower[static_cast<unsigned char>(c)]);
}
inline char Upper(char c) {
    static constexpr auto kUpper = detail::MakeCase(false);
    return static_cast<char>(kUpper[static_cast<unsigned char>(c)]);
}
std::string Lower(std::string_view text);
std::string Upper(std::string_view text);
// Equal without regard to case.
bool EqualNoCase(std::string_view a, std::string_view b);

} // namespace tamber::ansi
