#include "listwindow/list/field_values.h"

#include <vector>

namespace tamber {
namespace {

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    if (separator.empty()) return {text};
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos;) {
        parts.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
    parts.push_back(text.substr(start));
    return parts;
}

} // namespace

std::string FirstValue(const std::string& field, const std::string& separator) {
    if (separator.empty()) return field;
    return field.substr(0, field.find(separator));
}

std::optional<std::string> WithValueAdded(const std::string& field, const std::string& value,
                                          const std::string& separator) {
    // Without a separator a field holds one value: the chosen one replaces it.
    if (separator.empty()) return field == value ? std::nullopt : std::optional(value);
    std::vector<std::string> parts = Split(field, separator);
    for (const std::string& part : parts)
        if (part == value) return std::nullopt;
    std::string added;
    if (separator.empty() || field.find(separator) == std::string::npos) {
        added = field < value ? field + separator + value : value + separator + field;
    } else {
        std::size_t k = 0;
        while (k < parts.size() && !(parts[k] > value))
            ++k;
        parts.insert(parts.begin() + static_cast<std::ptrdiff_t>(k), value);
        for (std::size_t i = 0; i < parts.size(); ++i)
            added += (i ? separator : std::string()) + parts[i];
    }
    if (!separator.empty() && added.starts_with(separator)) added.erase(0, separator.size());
    return added;
}

} // namespace tamber
