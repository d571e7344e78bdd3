#include "staticlists/listfiles/ansi_case.h"

namespace tamber::ansi {

namespace {

// Pairs outside the two regular blocks (A-Z and 0xC0-0xDE).
constexpr unsigned char kUpperOdd[] = {0x8A, 0x8C, 0x8E, 0x9F};
constexpr unsigned char kLowerOdd[] = {0x9A, 0x9C, 0x9E, 0xFF};

} // namespace

char Lower(char c) {
    auto u = static_cast<unsigned char>(c);
    if (u >= 'A' && u <= 'Z') return static_cast<char>(u + 32);
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return static_cast<char>(u + 32);
    for (int i = 0; i < 4; ++i)
        if (u == kUpperOdd[i]) return static_cast<char>(kLowerOdd[i]);
    return c;
}

char Upper(char c) {
    auto u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z') return static_cast<char>(u - 32);
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 32);
    for (int i = 0; i < 4; ++i)
        if (u == kLowerOdd[i]) return static_cast<char>(kUpperOdd[i]);
    return c;
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = Lower(c);
    return out;
}

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = Upper(c);
    return out;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

} // namespace tamber::ansi
