#pragma once
// Cache files of group lists: saving a built list, and the date text of a cache file.
#include <cstdint>
#include <string>
#include <vector>

namespace tamber {

class ProgressChannel;
class Locale;

namespace listbuild {

// Replaces the entries stored in file (created when missing) by entries, in one atomic write:
// [Items] keys for the non-empty entries, [Index] "Count" and the first-letter runs. Reports
// the phase on the progress channel ("Total", "Step" = "Saving", "Stage" every 100 entries,
// then "Step" = "End"). The write waits for the lists lock (HoldListsLock), which users of a
// shared settings folder take in turn. False when the file could not be written, or another
// program kept the lock: the message has been shown and the file is as it was.
bool SaveList(const std::string& file, const std::vector<std::string>& entries,
              ProgressChannel& progress);

// "Tuesday March 6, 2007 at 9:05": the file time in local time, the date in the user's
// language, the hour without and the minute with a leading zero. "" when the time cannot be
// converted.
std::string FileDateText(std::uint64_t fileTime, Locale& locale);

} // namespace listbuild
} // namespace tamber
