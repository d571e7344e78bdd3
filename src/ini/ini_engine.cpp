#include "ini/ini_engine.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "common/vb_error.h"
#include "ini/ini_document.h"
#include "ports/platform.h"

namespace tamber::ini {

struct Engine::Cached {
    FileStamp stamp;
    std::shared_ptr<Document> doc; // shared with readers that took it (Parse)
    explicit Cached(std::string bytes) : doc(std::make_shared<Document>(std::move(bytes))) {}
};

namespace {

// Cache key: the path as the platform compares it (case and separator blind).
std::string PathKey(const std::string& file) {
    std::string key = FoldName(file);
    std::replace(key.begin(), key.end(), '/', '\\');
    return key;
}

std::shared_ptr<const Document> EmptyDocument() {
    static const auto empty = std::make_shared<const Document>();
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

std::shared_ptr<const Document> Engine::Load(const std::string& file, bool strict) {
    try {
        FileStamp stamp = files_.Stamp(file);
        if (Cached* cached = Lookup(file)) {
            if (cached->stamp == stamp && stamp.exists) return cached->doc;
            Drop(file);
        }
        if (!stamp.exists) return EmptyDocument();
        std::optional<std::string> bytes = files_.ReadAll(file);
        if (!bytes) return EmptyDocument();
        auto cached = std::make_unique<Cached>(std::move(*bytes));
        // The stamp taken before the read: a change during the read shows as a stale stamp
        // later.
        cached->stamp = stamp;
        return cache_.emplace(PathKey(file), std::move(cached)).first->second->doc;
    } catch (const VbError&) {
        if (strict) throw;
        return EmptyDocument(); // as the platform: an unreadable file reads as a missing one
    }
}

std::shared_ptr<const Document> Engine::Parse(const std::string& file) {
    return Load(file);
}

// The cached copy, to be edited. One that a reader still holds stays as it is for that
// reader; the edit goes to a fresh parse of the same bytes.
Document& Engine::Own(Cached& cached) {
    if (cached.doc.use_count() > 1)
        cached.doc = std::make_shared<Document>(cached.doc->Serialize());
    return *cached.doc;
}

std::optional<std::string> Engine::Value(const std::string& file, std::string_view section,
                                         std::string_view key) {
    std::optional<std::string_view> value =
        Load(file)->FindValue(TrimSpaces(section), TrimSpaces(key));
    if (!value) return std::nullopt;
    return std::string(Unquote(*value));
}

std::vector<std::string> Engine::Sections(const std::string& file) {
    return Load(file)->SectionNames();
}

std::vector<std::string> Engine::Keys(const std::string& file, std::string_view section) {
    return Load(file)->KeyNames(TrimSpaces(section));
}

std::uint32_t Engine::GetString(const std::string& file, Name section, Name key, Name def,
                                char* buffer, std::uint32_t size) {
    if (!section) return CopyList(Sections(file), buffer, size);
    if (!key) {
        const std::shared_ptr<const Document> doc = Load(file);
        std::string_view s = TrimSpaces(*section);
        if (doc->HasSection(s)) return CopyList(doc->KeyNames(s), buffer, size);
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
            // No file yet: it is created, empty when the write is a deletion.
            cached = cache_.emplace(PathKey(file), std::make_unique<Cached>(std::string()))
                         .first->second.get();
        }
        Document& doc = Own(*cached);
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

bool HasBreak(std::string_view s) {
    return !s.empty() && (std::memchr(s.data(), '\n', s.size()) != nullptr ||
                          std::memchr(s.data(), '\r', s.size()) != nullptr);
}

} // namespace

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

void Engine::Batch::WriteNumbered(std::string_view section, std::size_t first,
                                  std::span<const std::string_view> values) {
    if (values.empty()) return;
    Span s = KeepSection(section);
    std::size_t total = 0;
    for (std::string_view v : values)
        total += v.size();
    // The lines are formatted here, once, into a block the document can keep as it is; the
    // last number is the widest.
    char digits[24];
    const auto width = static_cast<std::size_t>(
        std::to_chars(digits, digits + sizeof digits, first + values.size() - 1).ptr - digits);
    TextBlock block(total + values.size() * (width + 3));
    char* const start = block.bytes.get();
    char* p = start;
    const std::size_t lengthsAt = lengths_.size();
    lengths_.resize(lengthsAt + values.size());
    std::size_t* length = lengths_.data() + lengthsAt;
    std::size_t key = first;
    for (std::string_view v : values) {
        p = std::to_chars(p, p + width, key++).ptr;
        *p++ = '=';
        if (!v.empty()) std::memcpy(p, v.data(), v.size());
        p += v.size();
        *p++ = '\r';
        *p++ = '\n';
        *length++ = v.size();
    }
    ops_.push_back({Op::kNumbered,
                    s,
                    {lengthsAt, values.size()},
                    {runs_.size(), static_cast<std::size_t>(p - start)}});
    runs_.push_back(std::move(block));
    pending_ += values.size();
}

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
    // Each line's CR LF and nothing else: no value holds a line break.
    const auto breaks =
        std::count(lines.begin(), lines.end(), '\r') + std::count(lines.begin(), lines.end(), '\n');
    const bool append = !HasBreak(section) && !doc.HasKeys(section) &&
                        static_cast<std::size_t>(breaks) == 2 * lengths.size();
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
    if (Cached* current = engine_->Lookup(file_);
        current && stamp.exists && current->stamp == stamp) {
        cached = std::move(engine_->cache_.find(PathKey(file_))->second);
    } else {
        std::optional<std::string> bytes = files.ReadAll(file_);
        cached = std::make_unique<Cached>(bytes ? std::move(*bytes) : std::string());
    }
    // Out of the cache while it is edited: a failed write leaves no half-edited copy.
    engine_->Drop(file_);
    Document& doc = engine_->Own(*cached);
    for (std::size_t i = 0; i < ops_.size(); ++i) {
        const Op& op = ops_[i];
        switch (op.kind) {
        case Op::kSet:
            doc.Set(View(op.section), View(op.key), View(op.value));
            if (i == 0 || !(ops_[i - 1].kind == Op::kSet && ops_[i - 1].section == op.section)) {
                // The start of a run of writes to one section: room for the rest of its keys.
                std::size_t run = 1;
                while (i + run < ops_.size() && ops_[i + run].kind == Op::kSet &&
                       ops_[i + run].section == op.section)
                    ++run;
                if (run > 1) doc.ReserveKeys(View(op.section), run - 1);
            }
            break;
        case Op::kDeleteKey:
            doc.EraseKey(View(op.section), View(op.key));
            break;
        case Op::kDeleteSection:
            doc.EraseSection(View(op.section));
            break;
        case Op::kNumbered:
            ApplyNumbered(doc, op);
            break;
        }
    }
    // Even deletions alone write the file: a missing one is created empty, as on Windows.
    engine_->Store(file_, doc);
    cached->stamp = files.Stamp(file_);
    engine_->cache_.emplace(PathKey(file_), std::move(cached));
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
