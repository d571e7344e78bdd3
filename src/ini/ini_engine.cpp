#include "ini/ini_engine.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>

#include "common/vb_error.h"
#include "ini/ini_document.h"
#include "ports/platform.h"

namespace tamber::ini {

struct Engine::Cached {
    FileStamp stamp;
    Document doc;
    explicit Cached(std::string bytes) : doc(std::move(bytes)) {}
};

namespace {

// Cache key: the path as the platform compares it (case and separator blind).
std::string PathKey(const std::string& file) {
    std::string key = FoldName(file);
    std::replace(key.begin(), key.end(), '/', '\\');
    return key;
}

const Document& EmptyDocument() {
    static const Document empty;
    return empty;
}

// A NUL-separated list into the caller's buffer: whole when it fits (size above its length),
// else cut and closed with two NULs.
std::uint32_t CopyList(const std::vector<std::string>& names, char* buffer, std::uint32_t size) {
    std::string list;
    for (const std::string& n : names) {
        list += n;
        list += '\0';
    }
    if (size == 0) return 0;
    // The list fits when its closing NUL does too.
    if (list.size() + 1 < size) {
        std::memcpy(buffer, list.data(), list.size());
        buffer[list.size()] = '\0';
        return static_cast<std::uint32_t>(list.size());
    }
    if (size <= 2) {
        std::memset(buffer, 0, size);
        return 0;
    }
    std::memcpy(buffer, list.data(), size - 2); // size > 2 and the list is longer
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return size - 2;
}

std::uint32_t CopyValue(std::string_view value, char* buffer, std::uint32_t size) {
    if (size == 0) return 0;
    std::size_t n = std::min<std::size_t>(value.size(), size - 1);
    if (n) std::memcpy(buffer, value.data(), n); // an empty view may hold no pointer
    buffer[n] = '\0';
    return static_cast<std::uint32_t>(n);
}

} // namespace

Engine::Engine(FileSystem& files) : files_(files) {}
Engine::~Engine() = default;

void Engine::Forget() {
    cache_.clear();
    last_ = nullptr;
}

Engine::Cached* Engine::Lookup(const std::string& file) {
    if (last_ && lastFile_ == file) return last_;
    auto it = cache_.find(PathKey(file));
    if (it == cache_.end()) return nullptr;
    lastFile_ = file;
    last_ = it->second.get();
    return last_;
}

void Engine::Drop(const std::string& file) {
    cache_.erase(PathKey(file));
    last_ = nullptr;
}

const Document& Engine::Load(const std::string& file, bool strict) {
    try {
        return Parsed(file);
    } catch (const VbError&) {
        if (strict) throw;
        return EmptyDocument(); // as the platform: an unreadable file reads as a missing one
    }
}

const Document& Engine::Parsed(const std::string& file) {
    FileStamp stamp = files_.Stamp(file);
    if (Cached* cached = Lookup(file)) {
        if (cached->stamp == stamp && stamp.exists) return cached->doc;
        Drop(file);
    }
    if (!stamp.exists) return EmptyDocument();
    std::optional<std::string> bytes = files_.ReadAll(file);
    if (!bytes) return EmptyDocument();
    auto cached = std::make_unique<Cached>(std::move(*bytes));
    // The stamp taken before the read: a change during the read shows as a stale stamp later.
    cached->stamp = stamp;
    return cache_.emplace(PathKey(file), std::move(cached)).first->second->doc;
}

std::optional<std::string> Engine::Value(const std::string& file, std::string_view section,
                                         std::string_view key) {
    const Document::Line* line = Load(file).FindKey(TrimSpaces(section), TrimSpaces(key));
    if (!line) return std::nullopt;
    return std::string(Unquote(line->value()));
}

std::vector<std::string> Engine::Sections(const std::string& file) {
    return Load(file).SectionNames();
}

std::vector<std::string> Engine::Keys(const std::string& file, std::string_view section) {
    return Load(file).KeyNames(TrimSpaces(section));
}

std::uint32_t Engine::GetString(const std::string& file, Name section, Name key, Name def,
                                char* buffer, std::uint32_t size) {
    if (!section) return CopyList(Sections(file), buffer, size);
    if (!key) {
        const Document& doc = Load(file);
        std::string_view s = TrimSpaces(*section);
        if (doc.HasSection(s)) return CopyList(doc.KeyNames(s), buffer, size);
        // A missing section's key list is the default, as a missing value is.
    } else if (std::optional<std::string> value = Value(file, *section, *key)) {
        return CopyValue(*value, buffer, size);
    }
    std::string_view d = def ? *def : std::string_view();
    while (!d.empty() && d.back() == ' ')
        d.remove_suffix(1);
    return CopyValue(d, buffer, size);
}

void Engine::Store(const std::string& file, Document& doc) {
    std::string bytes = doc.Serialize();
    files_.WriteAll(file, bytes);
    // The written bytes become the copy's storage once enough of the old one is dead.
    if (doc.WorthRebasing(bytes.size())) doc.Rebase(std::move(bytes));
}

bool Engine::WriteString(const std::string& file, Name section, Name key, Name value) {
    if (!section) return false;
    try {
        Load(file, true);
        Cached* cached = Lookup(file);
        if (!cached) {
            // No file yet: deletions change nothing and create nothing.
            if (!key || !value) return true;
            cached = cache_.emplace(PathKey(file), std::make_unique<Cached>(std::string()))
                         .first->second.get();
        }
        Document& doc = cached->doc;
        std::string_view s = TrimSpaces(*section);
        if (!key)
            doc.EraseSection(s);
        else if (!value)
            doc.EraseKey(s, TrimSpaces(*key));
        else
            doc.Set(s, TrimSpaces(*key), *value);
        try {
            Store(file, doc);
        } catch (...) {
            Drop(file); // the edit never reached the file
            throw;
        }
        cached->stamp = files_.Stamp(file);
        return true;
    } catch (const VbError&) {
        return false;
    }
}

Engine::Batch::Batch(Engine& engine, std::string file) : engine_(&engine), file_(std::move(file)) {}
Engine::Batch::~Batch() = default;
Engine::Batch::Batch(Batch&&) noexcept = default;

namespace {

// The value of a key written as a plain decimal number (no sign, no leading zero), or -1.
long long PlainNumber(std::string_view key) {
    if (key.empty() || key.size() > 18 || (key[0] == '0' && key.size() > 1)) return -1;
    long long n = 0;
    for (char c : key) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

bool HasBreak(std::string_view s) {
    return !s.empty() && (std::memchr(s.data(), '\n', s.size()) != nullptr ||
                          std::memchr(s.data(), '\r', s.size()) != nullptr);
}

} // namespace

// A run of writes of rising numbered keys ("1", "2", ...) to a section that has no keys yet
// (a list saved after its section was deleted): the keys are new and differ from one another
// by construction, so they are appended in one go without a lookup each. Returns how many of
// the run's writes it made; 0 when the run does not qualify.
std::size_t Engine::Batch::AppendNumbered(Document& doc, std::size_t first, std::size_t run) {
    if (run < 3) return 0;
    const Op& head = ops_[first];
    std::string_view section = View(head.section);
    if (HasBreak(section) || HasBreak(View(head.value)) || doc.HasKeys(section)) return 0;
    long long previous = PlainNumber(View(head.key));
    if (previous < 0) return 0;
    std::vector<Document::NewKey> keys;
    keys.reserve(run - 1);
    for (std::size_t i = first + 1; i < first + run; ++i) {
        long long n = PlainNumber(View(ops_[i].key));
        if (n <= previous) break;
        previous = n;
        keys.push_back({View(ops_[i].key), View(ops_[i].value)});
    }
    if (keys.size() < 2) return 0;
    // The first write creates the section if need be and leaves it with that one key.
    doc.Set(section, View(head.key), View(head.value));
    return 1 + doc.AppendAbsentKeys(section, keys);
}

Engine::Batch::Span Engine::Batch::Keep(std::string_view s) {
    Span span{text_.size(), s.size()};
    text_.append(s);
    return span;
}

Engine::Batch::Span Engine::Batch::KeepSection(std::string_view section) {
    section = TrimSpaces(section);
    if (!ops_.empty() && View(lastSection_) == section) return lastSection_;
    return lastSection_ = Keep(section);
}

void Engine::Batch::Write(std::string_view section, std::string_view key, std::string_view value) {
    Span s = KeepSection(section);
    Span k = Keep(TrimSpaces(key));
    ops_.push_back({Op::kSet, s, k, Keep(value)});
    ++pending_;
}

void Engine::Batch::DeleteKey(std::string_view section, std::string_view key) {
    Span s = KeepSection(section);
    ops_.push_back({Op::kDeleteKey, s, Keep(TrimSpaces(key)), {}});
    ++pending_;
}

void Engine::Batch::DeleteSection(std::string_view section) {
    ops_.push_back({Op::kDeleteSection, KeepSection(section), {}, {}});
    ++pending_;
}

namespace {

// A number's decimal digits, counted up one at a time. Up to eight are kept as the bytes of
// one word, stored whole and counted up in place: digits stored one byte at a time and read
// back as a word would stall the processor on every number.
class DecimalCounter {
  public:
    explicit DecimalCounter(std::size_t n)
        : size_(static_cast<std::size_t>(std::to_chars(digits_, digits_ + 20, n).ptr - digits_)) {
        Load();
    }
    std::size_t Size() const { return size_; }
    // Writes the digits at p, and up to 8 - Size() bytes of no meaning after them.
    void Store(char* p) const {
        if (size_ <= 8)
            std::memcpy(p, &word_, 8);
        else
            std::memcpy(p, digits_, size_);
    }
    void Next() {
        if (size_ <= 8 && static_cast<char>(word_ >> Shift(size_ - 1)) != '9') {
            word_ += std::uint64_t{1} << Shift(size_ - 1);
            return;
        }
        if (size_ <= 8) std::memcpy(digits_, &word_, 8);
        std::size_t i = size_;
        while (i > 0 && digits_[i - 1] == '9')
            digits_[--i] = '0';
        if (i > 0) {
            ++digits_[i - 1];
        } else {
            std::memmove(digits_ + 1, digits_, size_++);
            digits_[0] = '1';
        }
        Load();
    }

  private:
    // Where the digit at index k lies in the word.
    static unsigned Shift(std::size_t k) {
        return std::endian::native == std::endian::little ? static_cast<unsigned>(8 * k)
                                                          : static_cast<unsigned>(56 - 8 * k);
    }
    void Load() {
        if (size_ <= 8) std::memcpy(&word_, digits_, 8);
    }
    char digits_[24] = {};
    std::size_t size_;
    std::uint64_t word_ = 0;
};

} // namespace

void Engine::Batch::WriteNumbered(std::string_view section, std::size_t first,
                                  std::span<const std::string_view> values) {
    if (values.empty()) return;
    Span s = KeepSection(section);
    std::size_t total = 0;
    for (std::string_view v : values)
        total += v.size();
    // The lines are formatted here, once, into a block the document can keep as it is; the
    // last number is the widest, and a number's word store may reach 8 bytes past its digits.
    const std::size_t width = DecimalCounter(first + values.size() - 1).Size();
    const std::size_t room = total + values.size() * (width + 3) + 8;
    TextBlock block(room);
    char* const start = block.bytes.get();
    char* p = start;
    const std::size_t lengthsAt = lengths_.size();
    lengths_.resize(lengthsAt + values.size());
    std::size_t* length = lengths_.data() + lengthsAt;
    DecimalCounter key(first);
    for (std::string_view v : values) {
        key.Store(p);
        p += key.Size();
        *p++ = '=';
        CopyBytes(p, v.data(), v.size());
        p += v.size();
        p[0] = '\r';
        p[1] = '\n';
        p += 2;
        *length++ = v.size();
        key.Next();
    }
    ops_.push_back({Op::kNumbered,
                    s,
                    {lengthsAt, values.size()},
                    {runs_.size(), static_cast<std::size_t>(p - start)}});
    runs_.push_back(std::move(block));
    pending_ += values.size();
}

namespace {

// Line breaks in text: a numbered run's values hold none when this is two per line.
std::size_t CountBreaks(std::string_view text) {
    // Byte-wide counters that cannot overflow within a stretch let the loop be vectorised.
    constexpr std::size_t kLanes = 32, kStretch = 255 * kLanes;
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t end = std::min(text.size(), i + kStretch);
        unsigned char lanes[kLanes] = {};
        for (; i + kLanes <= end; i += kLanes)
            for (std::size_t k = 0; k < kLanes; ++k)
                lanes[k] += static_cast<unsigned char>(text[i + k] == '\r') + (text[i + k] == '\n');
        for (; i < end; ++i)
            n += static_cast<std::size_t>(text[i] == '\r') + (text[i] == '\n');
        for (unsigned char c : lanes)
            n += c;
    }
    return n;
}

} // namespace

// Keys numbered on from the first in the run's lines. Into a section without keys, free of line
// breaks, they are all new and distinct, and their lines are appended as they were formatted;
// otherwise each is an ordinary write.
void Engine::Batch::ApplyNumbered(Document& doc, const Op& op) {
    std::string_view section = View(op.section);
    const TextBlock& block = runs_[op.value.at];
    const std::string_view lines(block.bytes.get(), op.value.size);
    std::span<const std::size_t> lengths(lengths_.data() + op.key.at, op.key.size);
    // The line at: its key, its value and where the next begins.
    auto write = [&](std::size_t& at, std::size_t length) {
        const std::size_t eq = lines.find('=', at);
        doc.Set(section, lines.substr(at, eq - at), lines.substr(eq + 1, length));
        at = eq + 1 + length + 2;
    };
    const bool append =
        !HasBreak(section) && !doc.HasKeys(section) && CountBreaks(lines) == 2 * lengths.size();
    std::size_t at = 0;
    // The first write creates the section if need be.
    write(at, lengths[0]);
    if (lengths.size() == 1) return;
    if (append && doc.AppendLines(section, block, lines.substr(at))) return;
    doc.ReserveKeys(section, lengths.size() - 1);
    for (std::size_t i = 1; i < lengths.size(); ++i)
        write(at, lengths[i]);
}

void Engine::Batch::Commit() {
    if (ops_.empty()) return;
    // The changes apply to the file as it is now, not as it was when the batch began: the
    // parsed copy when the file still has the stamp it was read or written with.
    FileSystem& files = engine_->files_;
    FileStamp stamp = files.Stamp(file_);
    std::unique_ptr<Cached> cached;
    bool exists = true;
    if (Cached* current = engine_->Lookup(file_);
        current && stamp.exists && current->stamp == stamp) {
        cached = std::move(engine_->cache_.find(PathKey(file_))->second);
    } else {
        std::optional<std::string> bytes = files.ReadAll(file_);
        exists = bytes.has_value();
        cached = std::make_unique<Cached>(bytes ? std::move(*bytes) : std::string());
    }
    // Out of the cache while it is edited: a failed write leaves no half-edited copy.
    engine_->Drop(file_);
    bool creates = false;
    for (std::size_t i = 0; i < ops_.size();) {
        const Op& op = ops_[i];
        switch (op.kind) {
        case Op::kSet:
            creates = true;
            if (i == 0 || !(ops_[i - 1].kind == Op::kSet && ops_[i - 1].section == op.section)) {
                // The start of a run of writes to one section.
                std::size_t run = 1;
                while (i + run < ops_.size() && ops_[i + run].kind == Op::kSet &&
                       ops_[i + run].section == op.section)
                    ++run;
                if (std::size_t appended = AppendNumbered(cached->doc, i, run)) {
                    i += appended;
                    continue;
                }
                cached->doc.Set(View(op.section), View(op.key), View(op.value));
                if (run > 1) cached->doc.ReserveKeys(View(op.section), run - 1);
            } else {
                cached->doc.Set(View(op.section), View(op.key), View(op.value));
            }
            break;
        case Op::kDeleteKey:
            cached->doc.EraseKey(View(op.section), View(op.key));
            break;
        case Op::kDeleteSection:
            cached->doc.EraseSection(View(op.section));
            break;
        case Op::kNumbered:
            creates = true;
            ApplyNumbered(cached->doc, op);
            break;
        }
        ++i;
    }
    if (exists || creates) {
        engine_->Store(file_, cached->doc);
        cached->stamp = files.Stamp(file_);
        engine_->cache_.emplace(PathKey(file_), std::move(cached));
    }
    ops_.clear();
    lengths_.clear();
    runs_.clear();
    pending_ = 0;
    text_.clear();
}

Engine& Profiles() {
    static std::unique_ptr<Engine> engine;
    static FileSystem* over = nullptr;
    if (!engine || over != Sys().files) {
        if (!Sys().files) throw VbError(err::kObjectRequired, "Object required");
        over = Sys().files;
        engine = std::make_unique<Engine>(*over);
    }
    return *engine;
}

} // namespace tamber::ini
