#include "staticlists/listfiles/static_lists.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>

#include "common/error_report.h"
#include "common/vb_error.h"
#include "ports/dialogs.h"
#include "ports/file_system.h"
#include "ports/platform.h"
#include "startup/module1/module1.h"
#include "staticlists/listfiles/ansi_case.h"
#include "staticlists/listfiles/list_file.h"

namespace tamber::staticlists {

namespace {

BeepHook g_beep = nullptr;

constexpr std::string_view kExtension = ".lst";

FileSystem& Files() {
    if (!Sys().files) throw VbError(err::kObjectRequired, "Object required");
    return *Sys().files;
}

std::vector<std::string> ListNames() {
    std::vector<std::string> names;
    for (const std::string& file : Files().ListFiles(M().SettingsDir, "*.lst"))
        names.push_back(file.size() >= 4 ? file.substr(0, file.size() - 4) : std::string());
    return names;
}

} // namespace

std::string ListPath(const std::string& name) {
    return M().SettingsDir + name + std::string(kExtension);
}

ExistingLists Get_Existing_Lists() {
    int line = 0;
    try {
        line = 1;
        std::vector<std::string> names = ListNames();
        line = 2;
        if (names.empty()) return std::string(kNoListMarker);
        return names;
    } catch (...) {
        ReportError("Module1", "Function", "Get_Existing_Lists", line);
        return std::vector<std::string>{};
    }
}

bool IsNoListMarker(const ExistingLists& lists) {
    const auto* text = std::get_if<std::string>(&lists);
    return text && *text == kNoListMarker;
}

std::string Get_List_string() {
    int line = 0;
    try {
        line = 1;
        std::string all;
        for (const std::string& name : ListNames())
            all += name + "|";
        return all;
    } catch (...) {
        ReportError("frmNew", "Function", "Get_List_string", line);
        return {};
    }
}

bool Name_Taken(const std::string& typed, const std::string& currentName) {
    int line = 0;
    try {
        line = 1;
        // A list may take another capitalisation of its own name.
        if (!currentName.empty() && ansi::EqualNoCase(typed, currentName)) return false;
        line = 2;
        for (const std::string& name : ListNames())
            if (ansi::EqualNoCase(name, typed)) return true;
        return false;
    } catch (...) {
        ReportError("frmNew", "Function", "Name_Taken", line);
        return false;
    }
}

std::int16_t ValidateText(std::int16_t KeyAscii, const std::string& Allowed, bool AllowBackspace) {
    int line = 0;
    try {
        line = 1;
        std::string allowed = ansi::Upper(Allowed);
        line = 2;
        if (AllowBackspace) allowed += '\b';
        line = 3;
        if (KeyAscii < 0 || KeyAscii > 255)
            throw VbError(err::kInvalidProcedureCall, "Invalid procedure call or argument");
        char typed = ansi::Upper(static_cast<char>(KeyAscii));
        line = 4;
        if (allowed.find(typed) != std::string::npos) return KeyAscii;
        line = 5;
        if (g_beep) g_beep();
        return 0;
    } catch (...) {
        ReportError("modDataValidation", "Function", "ValidateText", line);
        return 0;
    }
}

void SetBeepHook(BeepHook hook) {
    g_beep = hook;
}

void BubbleSort(std::vector<std::string>& items, std::optional<std::int32_t> LastIndex,
                bool Descending) {
    std::int32_t last = LastIndex ? *LastIndex : static_cast<std::int32_t>(items.size()) - 1;
    if (last >= static_cast<std::int32_t>(items.size()))
        throw VbError(err::kSubscriptOutOfRange, "Subscript out of range");
    const std::int32_t first = 0;
    std::int32_t bound = last - 1;
    for (;;) {
        std::int32_t lastExchange = 0;
        for (std::int32_t i = first; i <= bound; ++i) {
            if ((items[i] > items[i + 1]) != Descending) {
                std::swap(items[i], items[i + 1]);
                lastExchange = i;
            }
        }
        if (lastExchange == 0) break;
        bound = lastExchange - 1;
    }
}

std::string ListNameProblem(const std::string& name) {
    if (name.empty()) return "Please type a name for the list.";
    for (char c : name) {
        if (std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
            return std::string("A list name cannot contain the character ") + c +
                   " (none of \\ / : * ? \" < > | can be used in a file name).";
        if (static_cast<unsigned char>(c) < 32)
            return "A list name cannot contain tabs, line breaks or other control characters.";
    }
    if (name.back() == ' ' || name.back() == '.')
        return "A list name cannot end with a space or a period.";
    // Device names stay reserved whatever extension follows them ("CON.txt").
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    stem = ansi::Upper(stem);
    static constexpr std::array<std::string_view, 4> kDevices = {"CON", "PRN", "AUX", "NUL"};
    bool reserved = std::find(kDevices.begin(), kDevices.end(), stem) != kDevices.end();
    if (stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
        stem[3] >= '1' && stem[3] <= '9')
        reserved = true;
    if (reserved)
        return "\"" + name.substr(0, stem.size()) +
               "\" is a device name reserved by Windows and cannot be used as a list name.";
    return {};
}

bool CheckListName(const std::string& name) {
    std::string problem = ListNameProblem(name);
    if (problem.empty()) return true;
    AppDialogs().MsgBox(problem, mb::kExclamation, AppTitle());
    return false;
}

std::vector<std::string> ReadList(const std::string& file) {
    return listfile::ReadByLastKey(file);
}

std::string ReadListText(const std::string& file) {
    std::string text;
    for (const std::string& item : ReadList(file))
        text += item + "\r\n";
    return text;
}

namespace {

std::vector<std::string_view> SortedViews(std::string_view text) {
    // Every kind of line break ends a line: a lone CR or LF kept inside an item would
    // break its line in the file and lose the rest of the item. Empty lines are dropped, so
    // an item is simply a run of characters that are neither.
    //
    // Equal items are indistinguishable, so any sort by character code orders them exactly
    // as the bubble sort does, without its quadratic time on long lists. Most comparisons
    // are settled by the first eight bytes, read as one big-endian number (zero-padded, so a
    // shorter item that is a prefix never sorts after a longer one); the items are first
    // spread into buckets by the top two of those bytes.
    if (text.size() > UINT32_MAX) { // beyond any editor text: plainly
        std::vector<std::string_view> items;
        for (std::size_t i = 0, end; i < text.size(); i = end + 1) {
            end = std::min(text.find_first_of("\r\n", i), text.size());
            if (end > i) items.push_back(text.substr(i, end - i));
        }
        std::sort(items.begin(), items.end());
        return items;
    }
    // Small and trivial: a room for every possible item costs nothing until filled, and
    // the moves of the sort stay in cache.
    struct Keyed {
        std::uint64_t head;
        std::uint32_t at, size;
    };
    auto itemOf = [text](const Keyed& k) { return text.substr(k.at, k.size); };
    std::unique_ptr<Keyed[]> keyed(new Keyed[text.size() / 2 + 1]);
    std::size_t count = 0;
    const char* const data = text.data();
    const std::size_t n = text.size();
    // Eight bytes at a time: a byte of the word is CR or LF when XOR with it leaves zero.
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL, kHighs = 0x8080808080808080ULL;
    auto zeroBytes = [](std::uint64_t x) { return (x - kOnes) & ~x & kHighs; };
    auto load = [data](std::size_t at) {
        std::uint64_t w;
        std::memcpy(&w, data + at, 8);
        return w;
    };
    auto isBreak = [data](std::size_t at) { return data[at] == '\r' || data[at] == '\n'; };
    std::size_t i = 0;
    while (i < n) {
        while (i < n && isBreak(i))
            ++i;
        if (i == n) break;
        const std::size_t start = i;
        for (;;) {
            if (i + 8 > n) {
                while (i < n && !isBreak(i))
                    ++i;
                break;
            }
            std::uint64_t w = load(i);
            // Lowest found byte first, in memory order on a little-endian machine; the
            // bytes of a big-endian one are searched one by one.
            std::uint64_t found = zeroBytes(w ^ (kOnes * '\r')) | zeroBytes(w ^ (kOnes * '\n'));
            if constexpr (std::endian::native == std::endian::little) {
                if (found) {
                    i += static_cast<std::size_t>(std::countr_zero(found)) / 8;
                    break;
                }
                i += 8;
            } else {
                std::size_t stop = i + 8;
                while (i < stop && !isBreak(i))
                    ++i;
                if (i < stop) break;
            }
        }
        std::string_view item(data + start, i - start);
        std::uint64_t head = 0;
        if constexpr (std::endian::native == std::endian::little) {
            if (start + 8 <= n) {
                head = __builtin_bswap64(load(start));
                if (item.size() < 8) head &= ~std::uint64_t{0} << (8 * (8 - item.size()));
                keyed[count++] = {head, static_cast<std::uint32_t>(start),
                                  static_cast<std::uint32_t>(item.size())};
                continue;
            }
        }
        unsigned char bytes[8] = {};
        std::memcpy(bytes, item.data(), std::min<std::size_t>(item.size(), 8));
        for (unsigned char b : bytes)
            head = (head << 8) | b;
        keyed[count++] = {head, static_cast<std::uint32_t>(start),
                          static_cast<std::uint32_t>(item.size())};
    }
    constexpr std::size_t kBuckets = 1 << 16;
    auto bucket = [](const Keyed& k) { return static_cast<std::size_t>(k.head >> 48); };
    std::vector<std::uint32_t> first(kBuckets + 1, 0);
    for (std::size_t k = 0; k < count; ++k)
        ++first[bucket(keyed[k]) + 1];
    for (std::size_t b = 0; b < kBuckets; ++b)
        first[b + 1] += first[b];
    std::unique_ptr<Keyed[]> spread(new Keyed[count]);
    {
        std::vector<std::uint32_t> next(first.begin(), first.end() - 1);
        for (std::size_t k = 0; k < count; ++k)
            spread[next[bucket(keyed[k])]++] = keyed[k];
    }
    keyed.reset();
    // In bucket order the items need moving only within their bucket (a dozen items or so):
    // one insertion pass by head, which never crosses into a lower bucket, then the rare
    // items whose heads are equal ordered by the rest of their bytes.
    bool ties = false;
    for (std::size_t j = 1; j < count; ++j) {
        const Keyed x = spread[j];
        std::size_t k = j;
        for (; k > 0 && spread[k - 1].head >= x.head; --k) {
            if (spread[k - 1].head == x.head) {
                ties = true;
                break;
            }
            spread[k] = spread[k - 1];
        }
        spread[k] = x;
    }
    for (std::size_t r = 0; ties && r < count;) {
        std::size_t e = r + 1;
        while (e < count && spread[e].head == spread[r].head)
            ++e;
        if (e - r > 1)
            std::sort(spread.get() + r, spread.get() + e,
                      [&itemOf](const Keyed& a, const Keyed& c) { return itemOf(a) < itemOf(c); });
        r = e;
    }
    std::vector<std::string_view> sorted(count);
    for (std::size_t k = 0; k < count; ++k)
        sorted[k] = itemOf(spread[k]);
    return sorted;
}

} // namespace

std::vector<std::string> SortedItems(std::string_view text) {
    std::vector<std::string_view> sorted = SortedViews(text);
    return std::vector<std::string>(sorted.begin(), sorted.end());
}

void StageSave(listfile::ProfileWriter& out, const std::vector<std::string>& items) {
    out.DeleteSection(listfile::kItems);
    listfile::StageEntries(out, items);
}

bool SaveList(const std::string& file, std::string_view text) {
    // Views into text: each item is copied once, into the file's new bytes.
    std::vector<std::string_view> items = SortedViews(text);
    if (items.size() > static_cast<std::size_t>(kMaxItems)) {
        AppDialogs().MsgBox("This list has " + std::to_string(items.size()) +
                                " items, but a list can hold at most " + std::to_string(kMaxItems) +
                                " items. "
                                "Remove some items and save again; nothing was saved.",
                            mb::kExclamation, AppTitle());
        return false;
    }
    IniLib::Batch batch(file);
    listfile::BatchWriter out(batch);
    out.DeleteSection(listfile::kItems); // as StageSave does
    listfile::StageEntries(out, items);
    return batch.Commit();
}

void RenameList(const std::string& oldName, const std::string& newName) {
    if (oldName == newName) return;
    std::string from = ListPath(oldName), to = ListPath(newName);
    FileSystem& files = Files();
    if (ansi::EqualNoCase(oldName, newName)) {
        // Same file under another capitalisation: copying onto itself and deleting the
        // "old" one would delete the list.
        files.Rename(from, to, true);
        return;
    }
    std::optional<std::string> bytes = files.ReadAll(from);
    if (!bytes) throw VbError(err::kFileNotFound, "File not found");
    files.WriteAll(to, *bytes);
    files.Remove(from);
}

void DeleteList(const std::string& name) {
    Files().Remove(ListPath(name));
}

} // namespace tamber::staticlists
