#include "staticlists/listfiles/list_file.h"

#include <charconv>
#include <span>
#include <type_traits>

#include "staticlists/listfiles/ansi_case.h"
#include "vb/vb_convert.h"

namespace tamber::listfile {

std::string IndexLetter(std::string_view entry) {
    if (entry.empty()) return {};
    return std::string(1, ansi::Lower(entry.front()));
}

namespace {

// Works on owned strings and on views alike: a save stages views into the editor's text.
template <class Entries> std::vector<RunStart> RunStartsOf(const Entries& entries) {
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

template <class Entries> void StageEntriesOf(ProfileWriter& out, const Entries& entries) {
    // Runs of non-empty entries go as numbered runs; an empty entry has no key.
    auto stage = [&out](std::size_t first, std::span<const std::string_view> run) {
        if (!run.empty()) out.WriteNumbered(kItems, first, run);
    };
    std::vector<std::string_view> views;
    std::span<const std::string_view> all;
    if constexpr (std::is_same_v<typename Entries::value_type, std::string_view>) {
        all = entries;
    } else {
        views.assign(entries.begin(), entries.end());
        all = views;
    }
    std::size_t start = 0;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (!all[i].empty()) continue;
        stage(start + 1, all.subspan(start, i - start));
        start = i + 1;
    }
    stage(start + 1, all.subspan(start));
    out.Write(kIndex, kCount, std::to_string(entries.size()));
    for (const RunStart& run : RunStartsOf(entries))
        out.Write(kIndex, run.letter, std::to_string(run.number));
}

} // namespace

std::vector<RunStart> RunStarts(const std::vector<std::string>& entries) {
    return RunStartsOf(entries);
}

void StageEntries(ProfileWriter& out, const std::vector<std::string>& entries) {
    StageEntriesOf(out, entries);
}

void StageEntries(ProfileWriter& out, const std::vector<std::string_view>& entries) {
    StageEntriesOf(out, entries);
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
