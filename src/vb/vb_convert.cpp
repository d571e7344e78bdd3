#include "vb/vb_convert.h"

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "common/vb_error.h"

namespace tamber::vb {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int DigitValue(char c, int base) {
    int v = IsDigit(c)               ? c - '0'
            : (c >= 'a' && c <= 'f') ? c - 'a' + 10
            : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                     : 99;
    return v < base ? v : -1;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// "&H.." / "&O.." (all of s): the digits' value, at most 32 bits, and how many digits.
std::optional<std::pair<std::uint64_t, std::size_t>> ParseRadix(std::string_view s) {
    if (s.size() < 3 || s[0] != '&') return std::nullopt;
    char kind = static_cast<char>(s[1] | 0x20);
    int base = kind == 'h' ? 16 : kind == 'o' ? 8 : 0;
    if (!base) return std::nullopt;
    std::uint64_t v = 0;
    for (char c : s.substr(2)) {
        int d = DigitValue(c, base);
        if (d < 0) return std::nullopt;
        v = v * base + d;
        if (v > 0xFFFFFFFFull) return std::nullopt;
    }
    return std::make_pair(v, s.size() - 2);
}

// The decimal forms: sign (leading, trailing or parentheses), "$", thousands commas,
// decimal point, exponent with E or D.
std::optional<double> ParseDecimal(std::string_view s) {
    bool negative = false, signSeen = false;
    if (!s.empty() && s.front() == '(' && s.back() == ')') {
        negative = signSeen = true;
        s = s.substr(1, s.size() - 2);
    }
    auto takeSign = [&](bool leading) {
        if (s.empty() || signSeen) return;
        char c = leading ? s.front() : s.back();
        if (c != '+' && c != '-') return;
        negative = c == '-';
        signSeen = true;
        if (leading)
            s.remove_prefix(1);
        else
            s.remove_suffix(1);
    };
    auto takeCurrency = [&](bool leading) {
        if (!s.empty() && (leading ? s.front() : s.back()) == '$') {
            if (leading)
                s.remove_prefix(1);
            else
                s.remove_suffix(1);
        }
    };
    takeSign(true);
    takeCurrency(true);
    takeSign(true);
    takeSign(false);
    takeCurrency(false);
    std::string clean;
    std::size_t i = 0;
    bool digits = false;
    for (; i < s.size() && (IsDigit(s[i]) || (s[i] == ',' && digits)); ++i) {
        if (s[i] != ',') {
            clean += s[i];
            digits = true;
        }
    }
    if (i < s.size() && s[i] == '.') {
        clean += s[i++];
        for (; i < s.size() && IsDigit(s[i]); ++i) {
            clean += s[i];
            digits = true;
        }
    }
    if (!digits) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        clean += 'e';
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) clean += s[i++];
        bool expDigits = false;
        for (; i < s.size() && IsDigit(s[i]); ++i) {
            clean += s[i];
            expDigits = true;
        }
        if (!expDigits) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    double v = std::strtod(clean.c_str(), nullptr);
    if (std::isinf(v)) return std::nullopt;
    return negative ? -v : v;
}

[[noreturn]] void Overflow() {
    throw VbError(err::kOverflow, "Overflow");
}
[[noreturn]] void Mismatch() {
    throw VbError(err::kTypeMismatch, "Type mismatch");
}

double RoundHalfEven(double v) {
    // nearbyint honours the rounding mode; the default mode rounds halves to even.
    int mode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    double r = std::nearbyint(v);
    std::fesetround(mode);
    return r;
}

} // namespace

std::optional<double> ToNumber(std::string_view text) {
    std::string_view s = Trim(text);
    if (auto radix = ParseRadix(s))
        return static_cast<double>(
            static_cast<std::int32_t>(static_cast<std::uint32_t>(radix->first)));
    return ParseDecimal(s);
}

bool IsNumeric(std::string_view text) {
    return ToNumber(text).has_value();
}

std::int32_t CLng(double value) {
    double r = RoundHalfEven(value);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) Overflow();
    return static_cast<std::int32_t>(r);
}

std::int16_t CInt(double value) {
    double r = RoundHalfEven(value);
    if (!(r >= -32768.0 && r <= 32767.0)) Overflow();
    return static_cast<std::int16_t>(r);
}

std::int32_t CLng(std::string_view text) {
    std::optional<double> v = ToNumber(text);
    if (!v) Mismatch();
    return CLng(*v);
}

std::int16_t CInt(std::string_view text) {
    std::string_view s = Trim(text);
    // Hexadecimal and octal text of up to 16 bits is a 16-bit pattern: "&HFFFF" is -1.
    if (auto radix = ParseRadix(s); radix && radix->first <= 0xFFFF)
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(radix->first));
    std::optional<double> v = ToNumber(s);
    if (!v) Mismatch();
    return CInt(*v);
}

std::string CStr(std::int64_t value) {
    return std::to_string(value);
}

std::string CStr(double value) {
    if (value == 0) return "0";
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15G", value);
    return buf;
}

double Val(std::string_view text) {
    std::string s;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n') s += c;
    if (s.size() >= 2 && s[0] == '&') {
        char kind = static_cast<char>(s[1] | 0x20);
        int base = kind == 'h' ? 16 : kind == 'o' ? 8 : 0;
        if (base) {
            std::uint64_t v = 0;
            std::size_t n = 0;
            for (std::size_t i = 2; i < s.size() && DigitValue(s[i], base) >= 0; ++i, ++n) {
                v = v * base + DigitValue(s[i], base);
                if (v > 0xFFFFFFFFull) Overflow();
            }
            // Like a literal: up to 16 bits it is an Integer, else a Long.
            if (v <= 0xFFFF && (base == 16 ? n <= 4 : n <= 6))
                return static_cast<std::int16_t>(static_cast<std::uint16_t>(v));
            return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
        }
    }
    std::size_t i = 0;
    std::string clean;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) clean += s[i++];
    std::size_t mantissa = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i, ++mantissa)
        clean += s[i];
    if (i < s.size() && s[i] == '.') {
        clean += s[i++];
        for (; i < s.size() && IsDigit(s[i]); ++i, ++mantissa)
            clean += s[i];
    }
    if (mantissa == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        std::string exp = "e";
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exp += s[j++];
        std::size_t start = j;
        for (; j < s.size() && IsDigit(s[j]); ++j)
            exp += s[j];
        if (j > start) clean += exp;
    }
    double v = std::strtod(clean.c_str(), nullptr);
    if (std::isinf(v)) Overflow();
    return v == 0 ? 0.0 : v;
}

} // namespace tamber::vb
