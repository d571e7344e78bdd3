#include "ports/memory/memory_list_window_ports.h"

namespace tamber {

bool MemoryKeyboardHook::Install(std::function<void()> onCtrlKey) {
    if (refuse) return false;
    ++installs;
    handler_ = std::move(onCtrlKey);
    return true;
}

void MemoryKeyboardHook::Remove() {
    if (handler_) ++removals;
    handler_ = nullptr;
}

void MemoryKeyboardHook::Key(bool ctrlDown) {
    if (handler_ && ctrlDown) handler_();
}

namespace {

constexpr std::int64_t kTicksPerMinute = 600000000;

// Days from 1970-01-01 of a proleptic Gregorian date, and back.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

const std::int64_t kEpochDays1601 = DaysFromCivil(1601, 1, 1);

} // namespace

std::uint64_t FileTimeOf(int year, int month, int day, int hour, int minute) {
    std::int64_t minutes =
        (DaysFromCivil(year, month, day) - kEpochDays1601) * 1440 + hour * 60 + minute;
    return static_cast<std::uint64_t>(minutes * kTicksPerMinute);
}

std::optional<LocalDateTime> FixedLocale::ToLocal(std::uint64_t fileTime) {
    if (failConversion) return std::nullopt;
    std::int64_t minutes = static_cast<std::int64_t>(fileTime / kTicksPerMinute) + offsetMinutes;
    LocalDateTime t;
    CivilFromDays(minutes / 1440 + kEpochDays1601, t.year, t.month, t.day);
    t.hour = static_cast<int>(minutes % 1440 / 60);
    t.minute = static_cast<int>(minutes % 60);
    return t;
}

std::string FixedLocale::LongDate(int year, int month, int day) {
    static const char* const kDays[] = {"Thursday", "Friday",  "Saturday", "Sunday",
                                        "Monday",   "Tuesday", "Wednesday"};
    static const char* const kMonths[] = {"January",   "February", "March",    "April",
                                          "May",       "June",     "July",     "August",
                                          "September", "October",  "November", "December"};
    if (month < 1 || month > 12) return {};
    std::int64_t days = DaysFromCivil(year, month, day); // 1970-01-01 was a Thursday
    const char* weekday = kDays[((days % 7) + 7) % 7];
    return std::string(weekday) + " " + kMonths[month - 1] + " " + std::to_string(day) + ", " +
           std::to_string(year);
}

} // namespace tamber
