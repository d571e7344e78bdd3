#pragma once
// Text order of sorted list and combo boxes: the platform's case-insensitive word sort for the
// ANSI (Western) code page. Symbols sort before digits, digits before letters, accented letters
// with their base letter, the ligatures ae and oe as their two letters; hyphens and apostrophes
// count only when all else is equal. Case follows the one code page table
// (common/ansi_letter_case.h).
#include <string_view>

namespace tamber::forms {

// <0, 0 or >0 as a sorts before, with or after b.
int CompareListText(std::string_view a, std::string_view b);

// Whether text starts with prefix, ignoring case (type-ahead and FindString matching).
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EqualsNoCase(std::string_view a, std::string_view b);

} // namespace tamber::forms
