#pragma once
// Letter case of single characters of the ANSI code page (1252), as the run time's LCase and
// UCase change them: ASCII letters and the accented Latin letters. Lists, names and index
// letters are all kept in this code page.
#include <string>
#include <string_view>

namespace tamber::ansi {

char Lower(char c);
char Upper(char c);
std::string Lower(std::string_view text);
std::string Upper(std::string_view text);
// Equal without regard to case.
bool EqualNoCase(std::string_view a, std::string_view b);

} // namespace tamber::ansi
