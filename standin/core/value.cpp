#include "core/value.h"

#include <cerrno>
#include <cstdlib>

namespace tamber::standin {

void Raise(long code, std::string description) {
    throw AutomationError{AutomationError::Kind::kException, code, std::move(description)};
}

namespace {
[[noreturn]] void Mismatch() {
    throw AutomationError{AutomationError::Kind::kTypeMismatch, 0, "Type mismatch"};
}
} // namespace

bool IsNumber(const Value& v) {
    return std::holds_alternative<Short>(v) || std::holds_alternative<long>(v);
}

long ToLong(const Value& v) {
    if (auto* s = std::get_if<Short>(&v)) return s->v;
    if (auto* l = std::get_if<long>(&v)) return *l;
    if (auto* b = std::get_if<bool>(&v)) return *b ? -1 : 0;
    if (auto* t = std::get_if<std::string>(&v)) {
        // VB converts numeric text; blanks around the number are allowed.
        const char* begin = t->c_str();
        while (*begin == ' ')
            ++begin;
        if (!*begin) Mismatch();
        char* end = nullptr;
        errno = 0;
        long n = std::strtol(begin, &end, 10);
        while (*end == ' ')
            ++end;
        if (*end || errno == ERANGE) Mismatch();
        return n;
    }
    if (std::holds_alternative<std::monostate>(v)) return 0;
    Mismatch();
}

std::string ToText(const Value& v) {
    if (auto* t = std::get_if<std::string>(&v)) return *t;
    if (auto* s = std::get_if<Short>(&v)) return std::to_string(s->v);
    if (auto* l = std::get_if<long>(&v)) return std::to_string(*l);
    if (auto* b = std::get_if<bool>(&v)) return *b ? "True" : "False";
    if (std::holds_alternative<std::monostate>(v)) return "";
    Mismatch();
}

} // namespace tamber::standin
