#pragma once
// The values that cross the stand-in's automation boundary, independent of OLE's VARIANT:
// the Win32 layer converts VARIANTs to Values on the way in and back on the way out.
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace tamber::standin {

class AutoObject;

// Integers keep their width so that results go back as VT_I2 or VT_I4, as a caller expects.
struct Short {
    short v;
    bool operator==(const Short&) const = default;
};

using Value =
    std::variant<std::monostate, bool, Short, long, std::string, std::shared_ptr<AutoObject>>;
using Args = std::vector<Value>;

// A failed call: an OLE scode and the text given to the caller in EXCEPINFO. Argument faults
// are reported as the dispatch errors OLE defines instead of an exception.
struct AutomationError {
    enum class Kind { kException, kBadParamCount, kTypeMismatch, kMemberNotFound };
    Kind kind;
    long scode;
    std::string description;
};

// HRESULTs the stand-in raises in EXCEPINFO; FACILITY_ITF codes of its own.
namespace scode {
constexpr long kNoDatabase = static_cast<long>(0x80040201);      // no database is open
constexpr long kNotAttached = static_cast<long>(0x80040202);     // database object not attached
constexpr long kNoCurrentRecord = static_cast<long>(0x80040203); // cursor before/after the records
constexpr long kNotFound = static_cast<long>(0x80040204);        // unknown field, view or command
constexpr long kInvalidArgument = static_cast<long>(0x80070057); // E_INVALIDARG
} // namespace scode

[[noreturn]] void Raise(long code, std::string description);

// VB-style coercions of arguments; a value that cannot be converted is a type mismatch.
long ToLong(const Value& v);
std::string ToText(const Value& v);
bool IsNumber(const Value& v);

// Journal text of a value: strings quoted with inner quotes doubled, objects as <Kind>.
std::string Describe(const Value& v);

} // namespace tamber::standin
