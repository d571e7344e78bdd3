#pragma once
// What the user's locale says about lists of values and dates.
#include <cstdint>
#include <optional>
#include <string>

namespace tamber {

// A moment in local time, to the minute.
struct LocalDateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};

class Locale {
  public:
    virtual ~Locale() = default;
    // The system default locale's identifier.
    virtual std::uint32_t SystemDefaultLocale() = 0;
    // Locale information item (12: the list separator) of a locale; "" when there is none.
    virtual std::string LocaleInfo(std::uint32_t locale, int item) = 0;
    // A file time (100 ns units since 1601-01-01 UTC) in local time; nullopt when either
    // conversion fails.
    virtual std::optional<LocalDateTime> ToLocal(std::uint64_t fileTime) = 0;
    // The date as "dddd MMMM d, yyyy" (full weekday and month names, day without leading zero)
    // in the user's language; "" when the date cannot be formatted.
    virtual std::string LongDate(int year, int month, int day) = 0;
};

} // namespace tamber
