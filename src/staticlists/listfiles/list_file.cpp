#include "staticlists/listfiles/list_file.h"

#include <algorithm>
#include <charconv>
#include <span>

#include "common/vb_error.h"
#include "ini/ini_document.h"
#include "ini/ini_engine.h"
#include "inilib/inilib.h"
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

// A key of one of these would read back as a comment, a section, no name or another blank's.
bool HasIndexKey(char letter) {
    return letter != ';' && letter != '[' && letter != '=' && letter != '\t' && letter != '\v';
}

void StageIndex(ProfileWriter& out, std::size_t count, const std::vector<RunStart>& runs) {
    out.Write(kIndex, kCount, std::to_string(count));
    for (const RunStart& run : runs)
        if (HasIndexKey(run.letter.front()))
            out.Write(kIndex, run.letter, std::to_string(run.number));
}

// The reader trims blanks around a value and strips one pair of matching quotes: a value
// it would change goes in double quotes, which it strips again.
bool NeedsQuotes(std::string_view entry) {
    return !entry.empty() && (ini::IsFileBlank(entry.front()) || ini::IsFileBlank(entry.back()) ||
                              ini::Unquote(entry).size() != entry.size());
}

// The entries as written; quoted copies are kept in `quoted`.
std::vector<std::string_view> AsStored(std::span<const std::string_view> entries,
                                       std::vector<std::string>& quoted) {
    std::vector<std::string_view> stored(entries.begin(), entries.end());
    quoted.reserve(
        static_cast<std::size_t>(std::count_if(entries.begin(), entries.end(), NeedsQuotes)));
    for (std::string_view& entry : stored)
        if (NeedsQuotes(entry)) entry = quoted.emplace_back("\"" + std::string(entry) + "\"");
    return stored;
}

} // namespace

void StageEntries(ProfileWriter& out, const std::vector<std::string>& entries) {
    // Runs of non-empty entries go as numbered runs; an empty entry has no key.
    const std::vector<std::string_view> views(entries.begin(), entries.end());
    std::vector<std::string> quoted;
    const std::vector<std::string_view> stored = AsStored(views, quoted);
    const std::span<const std::string_view> all = stored;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= all.size(); ++i) {
        if (i < all.size() && !all[i].empty()) continue;
        if (i > start) out.WriteNumbered(kItems, start + 1, all.subspan(start, i - start));
        start = i + 1;
    }
    StageIndex(out, entries.size(), RunStarts(entries));
}

void StageSortedEntries(ProfileWriter& out, const std::vector<std::string_view>& entries) {
    std::vector<std::string> quoted;
    if (!entries.empty()) out.WriteNumbered(kItems, 1, AsStored(entries, quoted));
    std::vector<RunStart> runs;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const char letter = ansi::Lower(entries[i].front());
        if (runs.empty() || runs.back().letter.front() != letter)
            runs.push_back({std::string(1, letter), static_cast<std::int32_t>(i + 1)});
    }
    StageIndex(out, entries.size(), runs);
}

void StageReplacement(ProfileWriter& out, const std::vector<std::string>& entries) {
    // Whole sections: an enumeration of the keys would stop at an empty name.
    out.DeleteSection(kItems);
    out.DeleteSection(kIndex);
    StageEntries(out, entries);
}

// Entries by number up to kTabled are looked up in a table; any above, in the document.
constexpr std::uint32_t kTabled = 1 << 16;

struct ListReader::Items {
    explicit Items(std::shared_ptr<const ini::Document> parsed) : doc(std::move(parsed)) {
        bool ended = false;
        doc->ForEachKey(kItems, [&](std::string_view name, std::string_view value) {
            // The key list a caller enumerates ends at the first empty name.
            ended = ended || name.empty();
            if (!ended) lastKey = name;
            // The first key spelled as the plain decimal number wins, as in a look-up.
            std::uint32_t n = 0;
            auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), n);
            if (error != std::errc() || end != name.data() + name.size() || name[0] == '0' ||
                n > kTabled)
                return;
            if (byNumber.size() < n) byNumber.resize(n);
            if (!byNumber[n - 1].data()) byNumber[n - 1] = ini::Unquote(value);
        });
    }
    std::shared_ptr<const ini::Document> doc;
    std::vector<std::string_view> byNumber; // entry n at n - 1; no data where there is no key
    std::string_view lastKey;               // "" for none
};

ListReader::ListReader(const std::string& file) : file_(file) {
    ReadAgain();
}

ListReader::~ListReader() = default;

void ListReader::ReadAgain() {
    std::shared_ptr<const ini::Document> doc =
        file_.empty() ? std::make_shared<const ini::Document>() : ini::Profiles().Parse(file_);
    if (items_ && items_->doc == doc) return;
    items_ = std::make_unique<const Items>(std::move(doc));
    byNumber_ = items_->byNumber;
}

namespace {

std::optional<std::int32_t> Number(std::optional<std::string_view> value) {
    if (!value) return std::nullopt;
    std::string_view text = ini::Unquote(*value);
    if (text.empty() || !vb::IsNumeric(text)) return std::nullopt;
    try {
        return vb::CLng(text);
    } catch (const VbError&) {
        return std::nullopt; // beyond a long
    }
}

} // namespace

std::int32_t ListReader::Count() const {
    return Number(items_->doc->FindValue(kIndex, kCount)).value_or(0);
}

// Numbers up to kTabled not in the table have no key.
std::string_view ListReader::EntryNotTabled(std::int32_t n) const {
    if (n >= 1 && static_cast<std::uint32_t>(n) <= kTabled) return {};
    return ini::Unquote(items_->doc->FindValue(kItems, std::to_string(n)).value_or(""));
}

std::optional<std::int32_t> ListReader::RunStartOf(char ch) const {
    const char letter = ansi::Lower(ch);
    if (!HasIndexKey(letter)) {
        const std::int32_t count = Count();
        for (std::int32_t n = 1; n <= count; ++n) {
            const std::string_view entry = Entry(n);
            if (!entry.empty() && ansi::Lower(entry.front()) == letter) return n;
        }
        return std::nullopt;
    }
    // Names lose their spaces as in any look-up: a space looks up the empty name.
    return Number(items_->doc->FindValue(kIndex, ini::TrimSpaces(std::string_view(&letter, 1))));
}

std::optional<std::int32_t> ListReader::FirstStartingWith(std::string_view prefix) const {
    const std::int32_t count = Count();
    // Up to the table's end every entry is in it; a damaged Count far beyond any key would
    // otherwise make every key press look up a billion names.
    const std::int32_t last = static_cast<std::uint32_t>(count) <= kTabled
                                  ? std::min(count, static_cast<std::int32_t>(byNumber_.size()))
                                  : count;
    for (std::int32_t n = 1; n <= last; ++n) {
        const std::string_view entry = Entry(n);
        if (entry.size() >= prefix.size() &&
            ansi::EqualNoCase(entry.substr(0, prefix.size()), prefix))
            return n;
    }
    return std::nullopt;
}

std::vector<std::string> ReadByLastKey(const std::string& file) {
    ListReader reader(file);
    std::vector<std::string> entries;
    if (reader.items_->lastKey.empty()) return entries;
    // Keys written out of order: the highest number counts, not only the last key's.
    const std::int32_t last = std::max(vb::CLng(reader.items_->lastKey),
                                       static_cast<std::int32_t>(reader.byNumber_.size()));
    entries.reserve(last > 0 ? static_cast<std::size_t>(last) : 0);
    for (std::int32_t i = 1; i <= last; ++i)
        entries.emplace_back(reader.Entry(i));
    return entries;
}

} // namespace tamber::listfile
