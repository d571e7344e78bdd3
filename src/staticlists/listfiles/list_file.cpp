#include "staticlists/listfiles/list_file.h"

#include <algorithm>
#include <span>

#include "staticlists/listfiles/ansi_case.h"
#include "vb/vb_convert.h"

namespace tamber::listfile {

std::string IndexLetter(std::string_view entry) {
    if (entry.empty()) return {};
    return std::string(1, ansi::Lower(entry.front()));
}

std::vector<RunStart> RunStarts(const std::vector<std::string>& entries) {
    std::vector<RunStart> runs;
    bool any = false;
    char previous = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].empty()) continue;
        char letter = ansi::Lower(entries[i].front());
        if (any && letter == previous) continue;
        runs.push_back({std::string(1, letter), static_cast<std::int32_t>(i + 1)});
        any = true;
        previous = letter;
    }
    return runs;
}

namespace {

void StageIndex(ProfileWriter& out, std::size_t count, const std::vector<RunStart>& runs) {
    out.Write(kIndex, kCount, std::to_string(count));
    for (const RunStart& run : runs)
        out.Write(kIndex, run.letter, std::to_string(run.number));
}

} // namespace

void StageEntries(ProfileWriter& out, const std::vector<std::string>& entries) {
    // Runs of non-empty entries go as numbered runs; an empty entry has no key.
    std::vector<std::string_view> views(entries.begin(), entries.end());
    const std::span<const std::string_view> all = views;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= all.size(); ++i) {
        if (i < all.size() && !all[i].empty()) continue;
        if (i > start) out.WriteNumbered(kItems, start + 1, all.subspan(start, i - start));
        start = i + 1;
    }
    StageIndex(out, entries.size(), RunStarts(entries));
}

void StageSortedEntries(ProfileWriter& out, const std::vector<std::string_view>& entries) {
    if (!entries.empty()) out.WriteNumbered(kItems, 1, entries);
    // The entries of each first character lie together: where each such group ends is found
    // by halving instead of reading every entry.
    std::vector<RunStart> runs;
    for (auto at = entries.begin(); at != entries.end();) {
        const auto first = static_cast<unsigned char>(at->front());
        const char letter = ansi::Lower(at->front());
        if (runs.empty() || runs.back().letter.front() != letter)
            runs.push_back(
                {std::string(1, letter), static_cast<std::int32_t>(at - entries.begin() + 1)});
        at = std::partition_point(at, entries.end(), [first](std::string_view e) {
            return static_cast<unsigned char>(e.front()) <= first;
        });
    }
    StageIndex(out, entries.size(), runs);
}

void StageReplacement(ProfileWriter& out, const std::string& file,
                      const std::vector<std::string>& entries) {
    for (const char* section : {kItems, kIndex})
        if (auto keys = IniLib::Extract_Keys(section, file))
            for (const std::string& key : *keys)
                out.DeleteKey(section, key);
    StageEntries(out, entries);
}

std::int32_t Count(const std::string& file) {
    std::string count = IniLib::GetKeyValue(kIndex, kCount, "", "", "", file);
    return count.empty() ? 0 : vb::CLng(count);
}

std::string Entry(const std::string& file, std::int32_t n) {
    return IniLib::GetKeyValue(kItems, std::to_string(n), "", "", "", file);
}

std::optional<std::int32_t> RunStartOf(const std::string& file, char ch) {
    std::string start =
        IniLib::GetKeyValue(kIndex, std::string(1, ansi::Lower(ch)), "", "", "", file);
    if (start.empty() || !vb::IsNumeric(start)) return std::nullopt;
    return vb::CLng(start);
}

std::vector<std::string> ReadByLastKey(const std::string& file) {
    std::vector<std::string> entries;
    auto keys = IniLib::Extract_Keys(kItems, file);
    if (!keys || keys->empty()) return entries;
    std::int32_t last = vb::CLng(keys->back());
    entries.reserve(last > 0 ? static_cast<std::size_t>(last) : 0);
    for (std::int32_t i = 1; i <= last; ++i)
        entries.push_back(Entry(file, i));
    return entries;
}

} // namespace tamber::listfile
