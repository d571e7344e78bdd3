#pragma once
// Several values held in one ACT! field, joined by the locale's list separator and kept in
// ascending character-code order when a value is added.
#include <optional>
#include <string>

namespace tamber {

// The field's first value: the text before the first separator (all of it when none).
std::string FirstValue(const std::string& field, const std::string& separator);

// The field's text after adding value: nullopt when value already is one of the field's
// values (exact, case-sensitive); otherwise value inserted before the first value that sorts
// after it, or appended, with no leading separator when the field was empty.
std::optional<std::string> WithValueAdded(const std::string& field, const std::string& value,
                                          const std::string& separator);

} // namespace tamber
