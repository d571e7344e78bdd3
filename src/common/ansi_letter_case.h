#pragma once
// Letter case in the ANSI code page (1252), the one table every case-blind comparison uses:
// profile section and key names, list-box order and type-ahead, list names and [Index]
// letters. The platform changes case through Unicode, so a pair counts when both letters
// are in the code page:
//   A-Z and a-z; 0xC0-0xDE and 0xE0-0xFE; and the four capitals outside that block,
//   0x8A/0x9A (S caron), 0x8C/0x9C (OE ligature), 0x8E/0x9E (Z caron), 0x9F/0xFF (Y diaeresis).
// Not pairs: 0xD7/0xF7 (multiplication and division signs), 0xDF (sharp s, no capital here),
// 0xB5 (micro sign) and 0x83 (f hook), whose capitals lie outside the code page.
#include <array>

namespace tamber::ansi {

namespace detail {
constexpr std::array<unsigned char, 256> MakeCase(bool lower) {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[c] = static_cast<unsigned char>(c);
    auto pair = [&](int upper, int low) {
        t[lower ? upper : low] = static_cast<unsigned char>(lower ? low : upper);
    };
    for (int c = 'A'; c <= 'Z'; ++c)
        pair(c, c + 32);
    for (int c = 0xC0; c <= 0xDE; ++c)
        if (c != 0xD7) pair(c, c + 32);
    pair(0x8A, 0x9A);
    pair(0x8C, 0x9C);
    pair(0x8E, 0x9E);
    pair(0x9F, 0xFF);
    return t;
}
inline constexpr auto kLower = MakeCase(true);
inline constexpr auto kUpper = MakeCase(false);
} // namespace detail

inline char Lower(char c) {
    return static_cast<char>(detail::kLower[static_cast<unsigned char>(c)]);
}
inline char Upper(char c) {
    return static_cast<char>(detail::kUpper[static_cast<unsigned char>(c)]);
}

} // namespace tamber::ansi
