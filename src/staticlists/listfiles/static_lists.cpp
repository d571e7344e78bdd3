#include "staticlists/listfiles/static_lists.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/procedure.h"
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
    return Function(
        "Module1", "Get_Existing_Lists",
        [&](Statement& at) -> ExistingLists {
            at();
            std::vector<std::string> names = ListNames();
            if (names.empty()) return std::string(kNoListMarker);
            return names;
        },
        ExistingLists(std::vector<std::string>{}));
}

bool IsNoListMarker(const ExistingLists& lists) {
    const auto* text = std::get_if<std::string>(&lists);
    return text && *text == kNoListMarker;
}

std::string Get_List_string() {
    return Function("frmNew", "Get_List_string", [&](Statement&) {
        std::string all;
        for (const std::string& name : ListNames())
            all += name + "|";
        return all;
    });
}

bool Name_Taken(const std::string& typed, const std::string& currentName) {
    return Function("frmNew", "Name_Taken", [&](Statement& at) {
        // A list may take another capitalisation of its own name.
        if (!currentName.empty() && ansi::EqualNoCase(typed, currentName)) return false;
        at();
        for (const std::string& name : ListNames())
            if (ansi::EqualNoCase(name, typed)) return true;
        return false;
    });
}

std::int16_t ValidateText(std::int16_t KeyAscii, const std::string& Allowed, bool AllowBackspace) {
    return Function("modDataValidation", "ValidateText", [&](Statement& at) -> std::int16_t {
        std::string allowed = ansi::Upper(Allowed);
        if (AllowBackspace) allowed += '\b';
        at();
        if (KeyAscii < 0 || KeyAscii > 255)
            throw VbError(err::kInvalidProcedureCall, "Invalid procedure call or argument");
        char typed = ansi::Upper(static_cast<char>(KeyAscii));
        if (allowed.find(typed) != std::string::npos) return KeyAscii;
        at();
        if (g_beep) g_beep();
        return 0;
    });
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

struct Keyed {
    std::uint64_t head; // the first eight bytes, big-endian, zero-padded
    std::uint32_t at, size;
};

// The line breaks among the 64 bytes at p, one bit each, lowest byte first.
inline std::uint64_t BreakMask(const char* p) {
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    std::uint64_t mask = 0;
    for (int k = 0; k < 4; ++k) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        auto bits = static_cast<std::uint32_t>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))));
        mask |= std::uint64_t{bits} << (16 * k);
    }
    return mask;
#else
    // Every zero byte marked by its top bit, exactly (no borrow from a lower byte).
    auto zeroBytes = [](std::uint64_t w) {
        constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
        return ~(((w & kLow7) + kLow7) | w | kLow7);
    };
    std::uint64_t mask = 0;
    for (int k = 0; k < 8; ++k) {
        std::uint64_t w;
        std::memcpy(&w, p + 8 * k, 8);
        if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
        constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
        std::uint64_t found = zeroBytes(w ^ (kOnes * '\r')) | zeroBytes(w ^ (kOnes * '\n'));
        // The top bits of the eight bytes gathered into one byte, lowest byte lowest.
        mask |= (((found >> 7) * 0x0102040810204080ULL) >> 56) << (8 * k);
    }
    return mask;
#endif
}

// A run's records share their top kShared head bytes (one or two); ranking orders them by the
// next three. Records whose heads agree that far (Settled) are put in order afterwards.
template <int kShared> constexpr unsigned kSettledShift = 40 - 8 * kShared;
template <int kShared> constexpr std::uint64_t Settled(std::uint64_t head) {
    return head >> kSettledShift<kShared>;
}

// Ranks up to kSpan records (m of them) into to[] by the three bytes: each goes after those
// that are less, counted over a fixed span of keys with vector compares, so no branch
// depends on the data. A key is the three bytes and the record's place below them, so no
// two are equal and records equal in the bytes keep their order. True when some are.
template <int kShared, std::size_t kSpan>
bool RankRun(const Keyed* from, std::size_t m, Keyed* to) {
    static_assert(kSpan <= 256);
    // Biased so that signed order is unsigned order; the padding never counts as less.
    alignas(16) std::int32_t keys[kSpan];
    for (std::size_t j = 0; j < kSpan; ++j)
        keys[j] = j < m ? static_cast<std::int32_t>(
                              ((static_cast<std::uint32_t>(Settled<kShared>(from[j].head)) << 8) |
                               static_cast<std::uint32_t>(j)) ^
                              0x80000000u)
                        : INT32_MAX;
    for (std::size_t i = 0; i < m; ++i) {
        std::int32_t before = 0;
#if defined(__SSE2__)
        const __m128i hv = _mm_set1_epi32(keys[i]);
        __m128i acc = _mm_setzero_si128();
        for (std::size_t j = 0; j < kSpan; j += 4)
            acc = _mm_sub_epi32(
                acc,
                _mm_cmpgt_epi32(hv, _mm_load_si128(reinterpret_cast<const __m128i*>(keys + j))));
        acc = _mm_add_epi32(acc, _mm_shuffle_epi32(acc, 0x4E));
        acc = _mm_add_epi32(acc, _mm_shuffle_epi32(acc, 0xB1));
        before = _mm_cvtsi128_si32(acc);
#else
        for (std::size_t j = 0; j < kSpan; ++j)
            before += keys[j] < keys[i];
#endif
        to[before] = from[i];
    }
    bool ties = false;
    for (std::size_t k = 1; k < m; ++k)
        ties |= Settled<kShared>(to[k].head) == Settled<kShared>(to[k - 1].head);
    return ties;
}

// Sorts a run of records sharing their top kShared head bytes into to[]. Small runs (nearly
// all) are ranked over the smallest span that holds them. True when some are not settled.
constexpr std::size_t kLongestRanked = 24;
template <int kShared> bool SortRun(const Keyed* from, std::size_t m, Keyed* to) {
    if (m <= 8) return RankRun<kShared, 8>(from, m, to);
    if (m <= 16) return RankRun<kShared, 16>(from, m, to);
    if (m <= kLongestRanked) return RankRun<kShared, kLongestRanked>(from, m, to);
    std::copy(from, from + m, to);
    std::sort(to, to + m, [](const Keyed& a, const Keyed& b) { return a.head < b.head; });
    for (std::size_t k = 1; k < m; ++k)
        if (Settled<kShared>(to[k].head) == Settled<kShared>(to[k - 1].head)) return true;
    return false;
}

std::vector<std::string_view> SortedViews(std::string_view text) {
    // Every kind of line break ends a line: a lone CR or LF kept inside an item would
    // break its line in the file and lose the rest of the item. Empty lines are dropped, so
    // an item is simply a run of characters that are neither.
    //
    // Equal items are indistinguishable, so any sort by character code orders them exactly
    // as the bubble sort does, without its quadratic time on long lists. Most comparisons
    // are settled by the first eight bytes, read as one big-endian number (zero-padded, so a
    // shorter item that is a prefix never sorts after a longer one).
    if (text.size() > UINT32_MAX) { // beyond any editor text: plainly
        std::vector<std::string_view> items;
        for (std::size_t i = 0, end; i < text.size(); i = end + 1) {
            end = std::min(text.find_first_of("\r\n", i), text.size());
            if (end > i) items.push_back(text.substr(i, end - i));
        }
        std::sort(items.begin(), items.end());
        return items;
    }
    auto itemOf = [text](const Keyed& k) { return text.substr(k.at, k.size); };
    const char* const data = text.data();
    const std::size_t n = text.size();
    // Small and trivial: a room for every possible item costs nothing until filled.
    std::unique_ptr<Keyed[]> keyed(new Keyed[n / 2 + 1]);
    const std::size_t whole = n - n % 64; // breaks are found 64 bytes at a time
    std::uint32_t first[257] = {};        // bucket starts by the top byte, counted first
    std::size_t count = 0;
    auto add = [&](std::size_t start, std::size_t end) {
        const std::size_t size = end - start;
        std::uint64_t head = 0;
        if (start + 8 <= n) {
            std::uint64_t w;
            std::memcpy(&w, data + start, 8);
            if constexpr (std::endian::native == std::endian::little) w = __builtin_bswap64(w);
            head = size < 8 ? w & (~std::uint64_t{0} << (8 * (8 - size))) : w;
        } else {
            unsigned char bytes[8] = {};
            std::memcpy(bytes, data + start, std::min<std::size_t>(size, 8));
            for (unsigned char b : bytes)
                head = (head << 8) | b;
        }
        ++first[(head >> 56) + 1];
        keyed[count++] = {head, static_cast<std::uint32_t>(start),
                          static_cast<std::uint32_t>(size)};
    };
    std::size_t start = 0; // of the line being read
    for (std::size_t i = 0; i < whole; i += 64) {
        for (std::uint64_t mask = BreakMask(data + i); mask; mask &= mask - 1) {
            const std::size_t end = i + static_cast<std::size_t>(std::countr_zero(mask));
            if (end > start) add(start, end);
            start = end + 1;
        }
    }
    for (std::size_t i = whole; i < n; ++i) {
        if (data[i] != '\r' && data[i] != '\n') continue;
        if (i > start) add(start, i);
        start = i + 1;
    }
    if (n > start) add(start, n);
    // Two passes of buckets, by the top byte and then by the next (their counts stay in the
    // fastest cache), leave runs that share both; each is sorted into sorted[] by the next
    // three bytes, and the rare items that share those ordered by the rest of their bytes.
    for (std::size_t b = 0; b < 256; ++b)
        first[b + 1] += first[b];
    std::unique_ptr<Keyed[]> spread(new Keyed[count]), sorted(new Keyed[count]);
    // Each bucket's start moves on as it fills, ending at the next bucket's start.
    for (std::size_t k = 0; k < count; ++k)
        spread[first[keyed[k].head >> 56]++] = keyed[k];
    auto orderTies = [&](std::size_t from, std::size_t to, unsigned shift) {
        for (std::size_t r = from; r < to;) {
            std::size_t e = r + 1;
            while (e < to && sorted[e].head >> shift == sorted[r].head >> shift)
                ++e;
            if (e - r > 1)
                std::sort(
                    sorted.get() + r, sorted.get() + e,
                    [&itemOf](const Keyed& a, const Keyed& c) { return itemOf(a) < itemOf(c); });
            r = e;
        }
    };
    auto sortRun = [&]<int kShared>(const Keyed* from, std::size_t lo, std::size_t hi) {
        if (hi - lo == 1)
            sorted[lo] = from[lo];
        else if (hi > lo && SortRun<kShared>(from + lo, hi - lo, sorted.get() + lo))
            orderTies(lo, hi, kSettledShift<kShared>);
    };
    for (std::size_t b = 0, lo = 0; lo < count; ++b) {
        const std::size_t hi = first[b];
        if (hi - lo <= kLongestRanked) {
            sortRun.operator()<1>(spread.get(), lo, hi);
            lo = hi;
            continue;
        }
        std::uint32_t next[257] = {};
        for (std::size_t k = lo; k < hi; ++k)
            ++next[((spread[k].head >> 48) & 0xFF) + 1];
        next[0] = static_cast<std::uint32_t>(lo);
        for (std::size_t c = 0; c < 256; ++c)
            next[c + 1] += next[c];
        for (std::size_t k = lo; k < hi; ++k)
            keyed[next[(spread[k].head >> 48) & 0xFF]++] = spread[k];
        for (std::size_t c = 0, done = lo; done < hi; ++c) {
            sortRun.operator()<2>(keyed.get(), done, next[c]);
            done = next[c];
        }
        lo = hi;
    }
    std::vector<std::string_view> items;
    items.reserve(count);
    for (std::size_t k = 0; k < count; ++k)
        items.push_back(itemOf(sorted[k]));
    return items;
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
    listfile::StageSortedEntries(out, items);
    return batch.Commit();
}

void RenameList(const std::string& oldName, const std::string& newName) {
    if (oldName == newName) return;
    std::string from = ListPath(oldName), to = ListPath(newName);
    FileSystem& files = Files();
    if (ansi::EqualNoCase(oldName, newName)) {
        // Same file under another capitalisation: copying onto itself and deleting the
        // "old" one would delete the list. A direct rename may keep the old spelling (the
        // target resolves to the file itself), so the file passes through another name.
        const std::string passing = from + ".renaming";
        files.Rename(from, passing, true);
        try {
            files.Rename(passing, to);
        } catch (...) {
            files.Rename(passing, from);
            throw;
        }
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
