#pragma once
// A run-time error as the automation layer and the run time raise it: a number and a
// description. Procedures catch it at their boundary and report it with the standard message.
#include <stdexcept>
#include <string>

namespace tamber {

class VbError : public std::runtime_error {
  public:
    VbError(long number, std::string description)
        : std::runtime_error(description), number_(number), description_(std::move(description)) {}
    long number() const { return number_; }
    const std::string& description() const { return description_; }

  private:
    long number_;
    std::string description_;
};

// Run-time error numbers the system raises itself (the values VB uses for the same conditions).
namespace err {
constexpr long kInvalidProcedureCall = 5;
constexpr long kOverflow = 6;
constexpr long kOutOfMemory = 7;
constexpr long kSubscriptOutOfRange = 9;
constexpr long kObjectNotSet = 91;
constexpr long kTypeMismatch = 13;
constexpr long kFileNotFound = 53;
constexpr long kFileAlreadyOpen = 55;
constexpr long kFileAlreadyExists = 58;
constexpr long kDiskFull = 61;
constexpr long kBadFileName = 52;
constexpr long kPermissionDenied = 70;
constexpr long kPathNotFound = 76;
constexpr long kObjectRequired = 424;
constexpr long kCantCreateObject = 429;
constexpr long kAutomationError = 440;
} // namespace err

} // namespace tamber
