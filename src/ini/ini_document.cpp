#include "ini/ini_document.h"

#include "common/ansi_letter_case.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tamber::ini {
namespace {

unsigned char Fold(char c) {
    return static_cast<unsigned char>(ansi::Upper(c));
}

enum : std::uint8_t { kEnd, kCrLf, kLf, kCr };
constexpr std::array<std::string_view, 4> kEols = {"", "\r\n", "\n", "\r"};
constexpr std::size_t kBlock = 64 * 1024;

bool HasLineBreak(std::string_view s) {
    return !s.empty() && (std::memchr(s.data(), '\n', s.size()) != nullptr ||
                          std::memchr(s.data(), '\r', s.size()) != nullptr);
}

// FNV-1a over the folded bytes.
constexpr std::uint32_t kFnvBasis = 2166136261u, kFnvPrime = 16777619u;
std::uint32_t FoldHash(std::string_view name) {
    std::uint32_t h = kFnvBasis;
    for (char c : name) {
        h ^= Fold(c);
        h *= kFnvPrime;
    }
    return h;
}

// Kind, name and value of a line's text.
void Classify(Document::Line& line) {
    std::string_view t = TrimFileBlanks(line.text());
    line.SetName({});
    line.SetValue({});
    if (t.empty()) {
        line.kind = Document::Kind::Blank;
    } else if (t.front() == ';') {
        line.kind = Document::Kind::Comment;
    } else if (t.front() == '[') {
        // The name ends at the first ']'; without one it runs to the end of the line.
        std::string_view inner = t.substr(1);
        inner = inner.substr(0, inner.find(']'));
        line.kind = Document::Kind::Section;
        line.SetName(TrimFileBlanks(inner));
    } else if (auto eq = t.find('='); eq != std::string_view::npos) {
        line.kind = Document::Kind::Key;
        line.SetName(TrimFileBlanks(t.substr(0, eq)));
        line.SetValue(TrimFileBlanks(t.substr(eq + 1)));
        line.hash = FoldHash(line.name());
    } else {
        line.kind = Document::Kind::Other;
    }
}

// Points a line at its bytes in new storage, at to, and moves to past them.
void MoveText(Document::Line& line, const char*& to) {
    line.SetText(std::string_view(to, line.text().size()));
    line.eolFollows = true;
    to += line.text().size() + kEols[line.eol].size();
}

} // namespace

std::string FoldName(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        c = ansi::Upper(c);
    return out;
}

bool NamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Fold(a[i]) != Fold(b[i])) return false;
    return true;
}

std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

Document::Document() {
    Load({});
}

Document::Document(std::string bytes) {
    Load(std::move(bytes));
}

void Document::Load(std::string bytes) {
    base_ = std::move(bytes);
    blocks_.clear();
    free_ = nullptr;
    room_ = 0;
    blockBytes_ = 0;
    lines_.clear();
    lines_.reserve(base_.size() / 24 + 2);
    lines_.emplace_back(); // the head
    const char* p = base_.data();
    const char* end = p + base_.size();
    std::uint32_t last = 0;
    while (p < end) {
        auto* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
        const char* stop = lf ? lf : end;
        auto* cr = static_cast<const char*>(std::memchr(p, '\r', stop - p));
        const char* brk = cr ? cr : lf;
        Line line;
        std::uint8_t eol = kEnd;
        const char* next = end;
        if (brk) {
            if (*brk == '\n') {
                eol = kLf;
                next = brk + 1;
            } else if (brk + 1 < end && brk[1] == '\n') {
                eol = kCrLf;
                next = brk + 2;
            } else {
                eol = kCr;
                next = brk + 1;
            }
        }
        line.SetText(std::string_view(p, (brk ? brk : end) - p));
        line.eol = eol;
        line.eolFollows = true;
        Classify(line);
        line.prev = last;
        auto index = static_cast<std::uint32_t>(lines_.size());
        lines_[last].next = index;
        lines_.push_back(line);
        last = index;
        p = next;
    }
    lines_[last].next = 0;
    lines_[0].prev = last;
    Index();
}

void Document::Index() {
    sections_.clear();
    byName_.clear();
    NoteSectionsChanged();
    Section* current = nullptr;
    for (std::uint32_t i = lines_[0].next; i != 0; i = lines_[i].next) {
        const Line& line = lines_[i];
        if (line.kind == Kind::Section) {
            sections_.push_back(Section{i, i, false, {}});
            auto s = std::prev(sections_.end());
            byName_[FoldName(line.name())].push_back(s);
            current = &*s;
        } else if (line.kind == Kind::Key && current) {
            current->lastKey = i;
        }
    }
}

std::string Document::Serialize() const {
    // One walk: the storage holds every line's text, so its size (and a line end for every
    // line, as not all keep theirs in storage) is room enough, reserved and never zeroed.
    std::string out;
    out.reserve(base_.size() + blockBytes_ + 2 * lines_.size());
    std::size_t count = 0;
    // Lines whose bytes lie one after the other in storage (untouched stretches of the file,
    // keys added together) are copied as one piece.
    const char* run = nullptr;
    std::size_t runSize = 0;
    auto flush = [&] {
        if (runSize) out.append(run, runSize);
        runSize = 0;
    };
    for (std::uint32_t i = lines_[0].next; i != 0; i = lines_[i].next, ++count) {
        const Line& l = lines_[i];
        std::string_view eol = kEols[l.eol];
        const std::string_view text = l.text();
        if (l.eolFollows) {
            if (runSize && run + runSize == text.data()) {
                runSize += text.size() + eol.size();
                continue;
            }
            flush();
            run = text.data();
            runSize = text.size() + eol.size();
            continue;
        }
        flush();
        out.append(text);
        out.append(eol);
    }
    flush();
    liveLines_ = count;
    return out;
}

void Document::Rebase(std::string serialized) {
    // Moved in first: a short string's bytes move with it.
    base_ = std::move(serialized);
    const std::size_t dead = lines_.size() - 1 - std::min(liveLines_, lines_.size() - 1);
    if (dead <= liveLines_ / 8 + 64) {
        // Few unused lines (erased ones whose slots were filled again): only the text moves.
        // The unused ones keep views of released text; nothing reads them before they are
        // filled again or dropped.
        const char* to = base_.data();
        for (std::uint32_t i = lines_[0].next; i != 0; i = lines_[i].next)
            MoveText(lines_[i], to);
        ReleaseBlocks();
        return;
    }
    // Else the lines in use are numbered afresh, in file order: a numbered run stays one
    // entry instead of being parsed again.
    std::vector<std::uint32_t> renumber(lines_.size(), 0);
    std::vector<Line> lines;
    lines.reserve(liveLines_ + 1);
    lines.emplace_back();
    const char* to = base_.data();
    for (std::uint32_t i = lines_[0].next; i != 0; i = lines_[i].next) {
        Line line = lines_[i];
        MoveText(line, to);
        renumber[i] = static_cast<std::uint32_t>(lines.size());
        lines.push_back(line);
    }
    for (std::uint32_t i = 0; i < lines.size(); ++i) {
        lines[i].prev = i == 0 ? static_cast<std::uint32_t>(lines.size() - 1) : i - 1;
        lines[i].next = i + 1 == lines.size() ? 0 : i + 1;
        lines[i].dup = renumber[lines[i].dup];
    }
    for (Section& s : sections_) {
        s.header = renumber[s.header];
        s.lastKey = renumber[s.lastKey];
        for (std::uint32_t& slot : s.keys.slots)
            slot = renumber[slot];
    }
    lines_ = std::move(lines);
    ReleaseBlocks();
}

void Document::ReleaseBlocks() {
    blocks_.clear();
    free_ = nullptr;
    room_ = 0;
    blockBytes_ = 0;
}

bool Document::WorthRebasing(std::size_t serializedSize) const {
    // Slack of a block or two keeps small files from being copied on every write.
    const std::size_t slack = 2 * kBlock;
    return base_.size() + blockBytes_ > 2 * serializedSize + slack ||
           lines_.size() > 2 * liveLines_ + slack / 64;
}

char* Document::Allocate(std::size_t n) {
    if (n > room_) {
        std::size_t size = n > kBlock ? n : kBlock;
        blocks_.emplace_back(size);
        blockBytes_ += blocks_.back().size;
        free_ = blocks_.back().bytes.get();
        room_ = blocks_.back().size;
    }
    char* p = free_;
    free_ += n;
    room_ -= n;
    return p;
}

Document::Line Document::MakeLine(std::string_view a, std::string_view b, std::string_view c,
                                  std::uint8_t eol) {
    std::size_t n = a.size() + b.size() + c.size();
    std::string_view end = kEols[eol];
    char* p = Allocate(n + end.size());
    if (!a.empty()) std::memcpy(p, a.data(), a.size());
    if (!b.empty()) std::memcpy(p + a.size(), b.data(), b.size());
    if (!c.empty()) std::memcpy(p + a.size() + b.size(), c.data(), c.size());
    if (!end.empty()) std::memcpy(p + n, end.data(), end.size());
    Line line;
    line.SetText(std::string_view(p, n));
    line.eol = eol;
    line.eolFollows = true;
    Classify(line);
    return line;
}

std::uint32_t Document::AddLine(std::string_view a, std::string_view b, std::string_view c,
                                std::uint8_t eol) {
    lines_.push_back(MakeLine(a, b, c, eol));
    return static_cast<std::uint32_t>(lines_.size() - 1);
}

bool Document::HasKeys(std::string_view section) const {
    const Section* s = Find(section);
    return s && s->lastKey != s->header;
}

bool Document::AppendLines(std::string_view section, const TextBlock& block,
                           std::string_view lines) {
    Section* s = Find(section);
    if (!s) return false;
    if (lines.empty()) return true;
    blockBytes_ += block.size;
    blocks_.push_back(block);
    // The lines are one entry, the last line end its own, until the section is next
    // searched (Expand): a saved list is mostly written and not read again.
    const auto index = static_cast<std::uint32_t>(lines_.size());
    Line& run = lines_.emplace_back();
    run.SetText(lines.substr(0, lines.size() - 2));
    run.eol = kCrLf;
    run.eolFollows = true;
    run.kind = Kind::Run;
    LinkAfter(s->lastKey, index);
    s->lastKey = index;
    s->runs = true;
    // Built again from the lines when next searched.
    s->indexed = false;
    s->keys = KeyIndex{};
    return true;
}

// Splits the section's runs into their key lines, which keep their bytes where they are.
void Document::Expand(Section& s) const {
    s.runs = false;
    for (std::uint32_t i = lines_[s.header].next; i != 0 && lines_[i].kind != Kind::Section;) {
        if (lines_[i].kind != Kind::Run) {
            i = lines_[i].next;
            continue;
        }
        const Line run = lines_[i];
        const std::string_view text = run.text();
        std::uint32_t prev = run.prev, slot = i;
        for (std::size_t at = 0;;) {
            const auto* cr =
                static_cast<const char*>(std::memchr(text.data() + at, '\r', text.size() - at));
            const std::size_t end = cr ? static_cast<std::size_t>(cr - text.data()) : text.size();
            Line line;
            line.SetText(text.substr(at, end - at));
            line.eol = cr ? std::uint8_t{kCrLf} : run.eol;
            line.eolFollows = cr ? true : run.eolFollows;
            Classify(line);
            line.prev = prev;
            if (slot == 0) {
                slot = static_cast<std::uint32_t>(lines_.size());
                lines_.push_back(line);
            } else {
                lines_[slot] = line;
            }
            lines_[prev].next = slot;
            prev = slot;
            slot = 0;
            if (!cr) break;
            at = end + 2;
        }
        lines_[prev].next = run.next;
        lines_[run.next].prev = prev;
        if (s.lastKey == i) s.lastKey = prev;
        i = run.next;
    }
}

void Document::ReserveKeys(std::string_view section, std::size_t more) {
    Section* s = Find(section);
    if (!s) return;
    EnsureIndex(*s);
    if ((s->keys.count + more) * 2 <= s->keys.slots.size()) return;
    std::size_t size = s->keys.slots.size();
    while ((s->keys.count + more) * 2 > size)
        size *= 2;
    std::vector<std::uint32_t> old(size, 0);
    old.swap(s->keys.slots);
    s->keys.count = 0;
    for (std::uint32_t l : old)
        if (l) Place(s->keys, l);
    lines_.reserve(lines_.size() + more);
}

void Document::LinkAfter(std::uint32_t at, std::uint32_t line) {
    // A line without a line end (the file's last) gains one before anything follows it.
    if (at != 0 && lines_[at].eol == kEnd) {
        lines_[at].eol = kCrLf;
        lines_[at].eolFollows = false;
    }
    std::uint32_t next = lines_[at].next;
    lines_[line].prev = at;
    lines_[line].next = next;
    lines_[at].next = line;
    lines_[next].prev = line;
}

void Document::Unlink(std::uint32_t line) {
    Line& l = lines_[line];
    lines_[l.prev].next = l.next;
    lines_[l.next].prev = l.prev;
}

Document::Section* Document::Find(std::string_view section) const {
    if (memoValid_ && memoName_ == section) return memoSection_;
    auto it = byName_.find(FoldName(section));
    Section* found = (it == byName_.end() || it->second.empty()) ? nullptr : &*it->second.front();
    memoName_.assign(section);
    memoSection_ = found;
    memoValid_ = true;
    return found;
}

void Document::EnsureIndex(Section& s) const {
    if (s.indexed) return;
    if (s.runs) Expand(s);
    std::vector<std::uint32_t> keys;
    for (std::uint32_t i = lines_[s.header].next; i != 0 && lines_[i].kind != Kind::Section;
         i = lines_[i].next)
        if (lines_[i].kind == Kind::Key) keys.push_back(i);
    std::size_t size = 16;
    while (size < keys.size() * 2)
        size *= 2;
    s.keys.slots.assign(size, 0);
    s.keys.count = 0;
    // Last to first, so each name's chain ends up in file order.
    for (auto k = keys.rbegin(); k != keys.rend(); ++k)
        IndexAdd(s.keys, *k, true);
    s.indexed = true;
}

std::uint32_t Document::FindIn(Section& s, std::string_view key) const {
    EnsureIndex(s);
    const std::size_t mask = s.keys.slots.size() - 1;
    const std::uint32_t hash = FoldHash(key);
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        std::uint32_t line = s.keys.slots[at];
        if (line == 0) return 0;
        if (lines_[line].hash == hash && NamesEqual(lines_[line].name(), key)) return line;
    }
}

void Document::Place(KeyIndex& index, std::uint32_t line) const {
    const std::size_t mask = index.slots.size() - 1;
    std::size_t at = lines_[line].hash & mask;
    while (index.slots[at] != 0)
        at = (at + 1) & mask;
    index.slots[at] = line;
    ++index.count;
}

// Adds a key line. A name already present keeps one entry: the new line goes to the front of
// its chain while indexing backwards (first), else to its end (a write adds after every key).
void Document::Grow(KeyIndex& index) const {
    if ((index.count + 1) * 2 <= index.slots.size()) return;
    std::vector<std::uint32_t> old(index.slots.size() * 2, 0);
    old.swap(index.slots);
    index.count = 0;
    for (std::uint32_t l : old)
        if (l) Place(index, l);
}

void Document::IndexAdd(KeyIndex& index, std::uint32_t line, bool first) const {
    Grow(index);
    const std::size_t mask = index.slots.size() - 1;
    Line& added = lines_[line];
    added.dup = 0;
    for (std::size_t at = added.hash & mask;; at = (at + 1) & mask) {
        std::uint32_t& slot = index.slots[at];
        if (slot == 0) {
            slot = line;
            ++index.count;
            return;
        }
        if (lines_[slot].hash != added.hash || !NamesEqual(lines_[slot].name(), added.name()))
            continue;
        if (first) {
            added.dup = slot;
            slot = line;
        } else {
            std::uint32_t tail = slot;
            while (lines_[tail].dup)
                tail = lines_[tail].dup;
            lines_[tail].dup = line;
        }
        return;
    }
}

// Removes the first line of a name: the next of that name takes its place, or the entry goes
// (shifting back the entries that probed past it).
void Document::IndexDropFirst(KeyIndex& index, std::uint32_t line) const {
    const std::size_t mask = index.slots.size() - 1;
    std::size_t at = lines_[line].hash & mask;
    while (index.slots[at] != line) {
        if (index.slots[at] == 0) return;
        at = (at + 1) & mask;
    }
    if (lines_[line].dup) {
        index.slots[at] = lines_[line].dup;
        return;
    }
    index.slots[at] = 0;
    --index.count;
    for (std::size_t hole = at, j = (at + 1) & mask; index.slots[j] != 0; j = (j + 1) & mask) {
        std::size_t home = lines_[index.slots[j]].hash & mask;
        // The entry may move into the hole unless its home lies cyclically in (hole, j].
        bool stays = hole <= j ? (home > hole && home <= j) : (home > hole || home <= j);
        if (stays) continue;
        index.slots[hole] = index.slots[j];
        index.slots[j] = 0;
        hole = j;
    }
}

std::optional<std::string_view> Document::FindValue(std::string_view section,
                                                    std::string_view key) const {
    Section* s = Find(section);
    if (!s) return std::nullopt;
    std::uint32_t line = FindIn(*s, key);
    if (!line) return std::nullopt;
    return lines_[line].value();
}

bool Document::HasSection(std::string_view section) const {
    return Find(section) != nullptr;
}

std::vector<std::string> Document::SectionNames() const {
    std::vector<std::string> names;
    for (const Section& s : sections_)
        names.emplace_back(lines_[s.header].name());
    return names;
}

std::vector<std::string> Document::KeyNames(std::string_view section) const {
    std::vector<std::string> names;
    ForEachKey(section, [&](std::string_view name, std::string_view) { names.emplace_back(name); });
    return names;
}

void Document::Set(std::string_view section, std::string_view key, std::string_view value) {
    // Nothing is escaped: a name or value holding line breaks becomes several lines, and a
    // key name that makes its line a section header starts a section there. Either way the
    // text is parsed again.
    bool reparse = false;
    Section* s = Find(section);
    if (!s) {
        std::uint32_t header = AddLine("[", section, "]", kCrLf);
        LinkAfter(lines_[0].prev, header);
        sections_.push_back(Section{header, header, true, {}});
        sections_.back().keys.slots.assign(16, 0);
        byName_[FoldName(lines_[header].name())].push_back(std::prev(sections_.end()));
        NoteSectionsChanged();
        s = &sections_.back();
        reparse = HasLineBreak(lines_[header].text());
    }
    EnsureIndex(*s);
    Grow(s->keys); // before the probe, so an empty slot it finds stays the one to fill
    const std::size_t mask = s->keys.slots.size() - 1;
    const std::uint32_t hash = FoldHash(key);
    std::size_t at = hash & mask;
    std::uint32_t found = 0;
    for (; s->keys.slots[at] != 0; at = (at + 1) & mask) {
        const Line& l = lines_[s->keys.slots[at]];
        if (l.hash == hash && NamesEqual(l.name(), key)) {
            found = s->keys.slots[at];
            break;
        }
    }
    if (found) {
        // In place, keeping the key's spelling and the line's end.
        Line& line = lines_[found];
        std::uint8_t eol = line.eol == kEnd ? std::uint8_t{kCrLf} : line.eol;
        Line fresh = MakeLine(line.name(), "=", value, eol);
        line.SetText(fresh.text());
        line.SetName(fresh.name()); // the same spelling, now in the line's own text
        line.SetValue(fresh.value());
        line.eol = fresh.eol;
        line.eolFollows = fresh.eolFollows;
        reparse = reparse || HasLineBreak(fresh.value());
    } else {
        std::uint32_t line = AddLine(key, "=", value, kCrLf);
        LinkAfter(s->lastKey, line);
        if (lines_[line].kind == Kind::Key) {
            s->lastKey = line;
            if (lines_[line].name().size() == key.size()) {
                s->keys.slots[at] = line; // the name as given: the empty slot is its place
                ++s->keys.count;
            } else {
                IndexAdd(s->keys, line, false); // "a=b" as a name is the key "a"
            }
        }
        reparse =
            reparse || lines_[line].kind == Kind::Section || HasLineBreak(lines_[line].text());
    }
    if (reparse) Reload();
}

void Document::EraseKey(std::string_view section, std::string_view key) {
    Section* s = Find(section);
    if (!s) return;
    std::uint32_t line = FindIn(*s, key);
    if (!line) return;
    IndexDropFirst(s->keys, line);
    if (line == s->lastKey) {
        // The previous key line of the section, or the header.
        std::uint32_t prev = line;
        do {
            prev = lines_[prev].prev;
        } while (prev != s->header && lines_[prev].kind != Kind::Key);
        s->lastKey = prev;
    }
    Unlink(line);
}

void Document::EraseSection(std::string_view section) {
    auto named = byName_.find(FoldName(section));
    if (named == byName_.end() || named->second.empty()) return;
    SectionIt s = named->second.front();
    named->second.erase(named->second.begin());
    NoteSectionsChanged();
    // Header, keys and other entries go; comments and blank lines stay where they were.
    // Comments and blank lines of the section stay, linked to one another; the rest drop
    // out of the chain without each being unlinked on its own.
    std::uint32_t kept = lines_[s->header].prev;
    std::uint32_t it = lines_[s->header].next;
    for (; it != 0 && lines_[it].kind != Kind::Section; it = lines_[it].next) {
        if (lines_[it].kind != Kind::Comment && lines_[it].kind != Kind::Blank) continue;
        lines_[kept].next = it;
        lines_[it].prev = kept;
        kept = it;
    }
    lines_[kept].next = it;
    lines_[it].prev = kept;
    sections_.erase(s);
}

} // namespace tamber::ini
