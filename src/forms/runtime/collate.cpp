#include "forms/runtime/collate.h"

#include <array>
#include <cstdint>

#include "common/ansi_letter_case.h"

namespace tamber::forms {
namespace {

struct Weights {
    uint16_t primary;  // 0: ignored at first level (hyphen, apostrophe)
    uint8_t secondary; // accent
};

unsigned char Lower(unsigned char c) {
    return static_cast<unsigned char>(ansi::Lower(static_cast<char>(c)));
}

// Base letter of the Latin-1 accented letters; accent tells them apart at the second level.
char BaseLetter(unsigned char c, uint8_t& accent) {
    static constexpr std::string_view kFrom =
        "\xE0\xE1\xE2\xE3\xE4\xE5\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF\xF1\xF2\xF3\xF4\xF5\xF6\xF8"
        "\xF9\xFA\xFB\xFC\xFD\xFF\x9A\x9E";
    static constexpr std::string_view kTo = "aaaaaaceeeeiiiinoooooouuuuyysz";
    static_assert(kFrom.size() == kTo.size());
    auto at = kFrom.find(static_cast<char>(Lower(c)));
    if (at == std::string_view::npos) return 0;
    accent = static_cast<uint8_t>(1 + at);
    return kTo[at];
}

// The ligatures sort as their two letters, after those letters written apart.
struct Ligature {
    unsigned char c; // lower case
    char first, second;
};
constexpr Ligature kLigatures[] = {{0xE6, 'a', 'e'}, {0x9C, 'o', 'e'}};
constexpr uint8_t kLigatureAccent = 0xFF;

Weights Weigh(unsigned char c) {
    c = Lower(c);
    if (c == '-' || c == '\'') return {0, 0};
    if (c >= '0' && c <= '9') return {static_cast<uint16_t>(0x200 + c), 0};
    if (c >= 'a' && c <= 'z') return {static_cast<uint16_t>(0x300 + c), 0};
    uint8_t accent = 0;
    if (char base = BaseLetter(c, accent)) return {static_cast<uint16_t>(0x300 + base), accent};
    // Symbols in code order, except the mathematical ones, which follow the others.
    if (c == '+' || c == '<' || c == '=' || c == '>') return {static_cast<uint16_t>(0x1A0 + c), 0};
    return {static_cast<uint16_t>(0x100 + c), 0};
}

// The weights of a text's significant (not ignorable) characters, one after the other.
class WeightCursor {
  public:
    explicit WeightCursor(std::string_view text) : text_(text) {}
    bool Next(Weights& w) {
        if (pending_) {
            w = {static_cast<uint16_t>(0x300 + pending_), 0};
            pending_ = 0;
            return true;
        }
        while (at_ < text_.size()) {
            const unsigned char c = Lower(static_cast<unsigned char>(text_[at_++]));
            for (const Ligature& l : kLigatures) {
                if (c != l.c) continue;
                w = {static_cast<uint16_t>(0x300 + l.first), kLigatureAccent};
                pending_ = l.second;
                return true;
            }
            w = Weigh(c);
            if (w.primary != 0) return true;
        }
        return false;
    }

  private:
    std::string_view text_;
    size_t at_ = 0;
    char pending_ = 0; // the second letter of a ligature
};

// Compares the significant characters by one weight; a longer text that matches throughout
// sorts after a shorter one when `length` is set.
template <class Weight>
int CompareLevel(std::string_view a, std::string_view b, Weight weight, bool length) {
    WeightCursor x(a), y(b);
    Weights u, v;
    for (;;) {
        const bool more = x.Next(u), otherMore = y.Next(v);
        if (!more || !otherMore) return length ? int(more) - int(otherMore) : 0;
        if (int d = int(weight(u)) - int(weight(v))) return d;
    }
}

const ListOrder* installed = nullptr;

} // namespace

int CompareListText(std::string_view a, std::string_view b) {
    return installed ? installed->Compare(a, b) : CompareByTable(a, b);
}

void SetListOrder(const ListOrder* order) {
    installed = order;
}

ScopedListOrder::ScopedListOrder(const ListOrder& order) : saved_(installed) {
    installed = &order;
}

ScopedListOrder::~ScopedListOrder() {
    installed = saved_;
}

int CompareByTable(std::string_view a, std::string_view b) {
    // First level: base letters; second: accents.
    if (int d = CompareLevel(
            a, b, [](Weights w) { return w.primary; }, true))
        return d;
    if (int d = CompareLevel(
            a, b, [](Weights w) { return w.secondary; }, false))
        return d;
    // Last level: fewer ignorable characters first, then the characters themselves.
    auto ignorable = [](std::string_view s) {
        size_t k = 0;
        for (char c : s)
            k += Weigh(static_cast<unsigned char>(c)).primary == 0;
        return k;
    };
    if (size_t x = ignorable(a), y = ignorable(b); x != y) return x < y ? -1 : 1;
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t k = 0; k < n; ++k) {
        int d = int(Lower(a[k])) - int(Lower(b[k]));
        if (d) return d;
    }
    return int(a.size()) - int(b.size());
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (prefix.size() > text.size()) return false;
    return EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t k = 0; k < a.size(); ++k)
        if (Lower(a[k]) != Lower(b[k])) return false;
    return true;
}

} // namespace tamber::forms
