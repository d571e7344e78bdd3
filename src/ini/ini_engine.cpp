#include "ini/ini_engine.h"

#include <algorithm>
#include <cstring>

#include "common/vb_error.h"
#include "ini/ini_document.h"
#include "ports/platform.h"

namespace tamber::ini {

struct Engine::Cached {
    FileStamp stamp;
    Document doc;
    explicit Cached(std::string_view bytes) : doc(bytes) {}
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
    std::string key = PathKey(file);
    FileStamp stamp = files_.Stamp(file);
    auto it = cache_.find(key);
    if (it != cache_.end() && it->second->stamp == stamp && stamp.exists) return it->second->doc;
    if (it != cache_.end()) cache_.erase(it);
    if (!stamp.exists) return EmptyDocument();
    std::optional<std::string> bytes = files_.ReadAll(file);
    if (!bytes) return EmptyDocument();
    auto cached = std::make_unique<Cached>(*bytes);
    // The stamp taken before the read: a change during the read shows as a stale stamp later.
    cached->stamp = stamp;
    return cache_.emplace(key, std::move(cached)).first->second->doc;
}

std::optional<std::string> Engine::Value(const std::string& file, std::string_view section,
                                         std::string_view key) {
    const Document::Line* line = Load(file).FindKey(TrimSpaces(section), TrimSpaces(key));
    if (!line) return std::nullopt;
    return std::string(Unquote(line->value));
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

void Engine::Store(const std::string& file, const Document& doc) {
    files_.WriteAll(file, doc.Serialize());
}

bool Engine::WriteString(const std::string& file, Name section, Name key, Name value) {
    if (!section) return false;
    try {
        Load(file, true);
        std::string pathKey = PathKey(file);
        auto it = cache_.find(pathKey);
        if (it == cache_.end()) {
            // No file yet: deletions change nothing and create nothing.
            if (!key || !value) return true;
            it = cache_.emplace(pathKey, std::make_unique<Cached>("")).first;
        }
        Document& doc = it->second->doc;
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
            cache_.erase(pathKey); // the edit never reached the file
            throw;
        }
        it->second->stamp = files_.Stamp(file);
        return true;
    } catch (const VbError&) {
        return false;
    }
}

Engine::Batch::Batch(Engine& engine, std::string file) : engine_(&engine), file_(std::move(file)) {}
Engine::Batch::~Batch() = default;
Engine::Batch::Batch(Batch&&) noexcept = default;

void Engine::Batch::Write(std::string_view section, std::string_view key, std::string_view value) {
    ops_.push_back({Op::kSet, std::string(TrimSpaces(section)), std::string(TrimSpaces(key)),
                    std::string(value)});
}

void Engine::Batch::DeleteKey(std::string_view section, std::string_view key) {
    ops_.push_back(
        {Op::kDeleteKey, std::string(TrimSpaces(section)), std::string(TrimSpaces(key)), {}});
}

void Engine::Batch::DeleteSection(std::string_view section) {
    ops_.push_back({Op::kDeleteSection, std::string(TrimSpaces(section)), {}, {}});
}

void Engine::Batch::Commit() {
    if (ops_.empty()) return;
    // The changes apply to the file as it is now, not as it was when the batch began.
    FileSystem& files = engine_->files_;
    std::optional<std::string> bytes = files.ReadAll(file_);
    auto cached = std::make_unique<Cached>(bytes ? *bytes : std::string());
    bool creates = false;
    for (const Op& op : ops_) {
        switch (op.kind) {
        case Op::kSet:
            cached->doc.Set(op.section, op.key, op.value);
            creates = true;
            break;
        case Op::kDeleteKey:
            cached->doc.EraseKey(op.section, op.key);
            break;
        case Op::kDeleteSection:
            cached->doc.EraseSection(op.section);
            break;
        }
    }
    std::string key = PathKey(file_);
    engine_->cache_.erase(key);
    if (bytes || creates) {
        engine_->Store(file_, cached->doc);
        cached->stamp = files.Stamp(file_);
        engine_->cache_.emplace(key, std::move(cached));
    }
    ops_.clear();
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
