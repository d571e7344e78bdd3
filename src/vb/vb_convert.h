#pragma once
// The run time's conversions between text and numbers, with its rules: blanks around a
// number, signs, decimal point, exponent and "&H"/"&O" prefixes are accepted; rounding to an
// integer goes half to even; too large a number is VbError 6 (Overflow) and text that is not
// a number is VbError 13 (Type mismatch). The decimal separator is ".".
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tamber::vb {

// True when text converts to a number in the US English locale: "12", " -1.5e3 ", "1D2",
// "&HFF", "&O17", "1,000", "$5", "5-", "(5)". Empty text, "True" and "False" are not.
bool IsNumeric(std::string_view text);

// The number text converts to, or nullopt when it is not numeric.
std::optional<double> ToNumber(std::string_view text);

// Round half to even to a 32-bit (CLng) or 16-bit (CInt) integer.
std::int32_t CLng(std::string_view text);
std::int16_t CInt(std::string_view text);
std::int32_t CLng(double value);
std::int16_t CInt(double value);

// Text of a number as the run time writes it: integers plainly, "-" before negatives, no
// leading blank; doubles with up to 15 significant digits ("0.5", "1E+20", "1.5E-07").
std::string CStr(std::int64_t value);
std::string CStr(double value);

// Val: the number at the start of text (blanks, tabs and line feeds inside are skipped;
// stops at the first character that cannot continue it); 0 when there is none. A number
// beyond the double range is VbError 6.
double Val(std::string_view text);

} // namespace tamber::vb
