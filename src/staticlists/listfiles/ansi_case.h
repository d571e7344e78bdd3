#pragma once
// Letter case of text in the ANSI code page (1252), as the run time's LCase and UCase change
// it, by the shared table of common/ansi_letter_case.h. Lists, names and index letters are
// all kept in this code page.
#include <string>
#include <string_view>

#include "common/ansi_letter_case.h"

namespace tamber::ansi {

std::string Lower(std::string_view text);
std::string Upper(std::string_view text);
// Equal without regard to case.
bool EqualNoCase(std::string_view a, std::string_view b);

} // namespace tamber::ansi
