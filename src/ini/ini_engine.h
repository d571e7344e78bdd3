#pragma once
// The profile-file (INI) engine: every read result and every byte it writes are those of the
// Windows profile functions for ANSI files, while writes can be gathered into one atomic
// file replacement and reads are served from a parsed copy that is re-read whenever the
// file's stamp changes (another process rewrote or deleted it). Each read checks the stamp
// once; a caller reading many keys of one file takes the parsed copy itself (Parse).
//
// Names are optional where the platform call takes a null pointer: a missing section means
// "enumerate the sections", a missing key "enumerate the keys" or "delete the section", a
// missing value "delete the key".
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ini/text_block.h"
#include "ports/file_system.h"

namespace tamber::ini {

using Name = std::optional<std::string_view>;

// Case-insensitive comparison of section and key names in code page 1252, folding ASCII and
// accented Latin letters as the platform does.
bool NamesEqual(std::string_view a, std::string_view b);

class Document; // parsed lines of one file (ini_document.h)

class Engine {
  public:
    explicit Engine(FileSystem& files);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // The platform's string read into a caller's buffer of size characters, with its exact
    // return value and buffer contents (truncation, NUL-separated enumerations ending in two
    // NULs). def null reads as "".
    std::uint32_t GetString(const std::string& file, Name section, Name key, Name def, char* buffer,
                            std::uint32_t size);

    // The parsed file, after one stamp check: an empty document when the file is missing or
    // cannot be read. It never changes; later writes go to a copy of their own.
    std::shared_ptr<const Document> Parse(const std::string& file);

    // The same reads without a buffer limit.
    // The value (quotes stripped) or nullopt when the file, section or key is missing.
    std::optional<std::string> Value(const std::string& file, std::string_view section,
                                     std::string_view key);
    // Every section name in file order (duplicates repeated).
    std::vector<std::string> Sections(const std::string& file);
    // The key names of the first section of that name (duplicates repeated).
    std::vector<std::string> Keys(const std::string& file, std::string_view section);

    // One platform write: set a value, delete a key (value null) or a section (key null),
    // written to disk at once. A deletion from a missing file leaves an empty file, as on
    // Windows. Returns false when the file could not be written (also when the section is
    // null); never throws.
    bool WriteString(const std::string& file, Name section, Name key, Name value);

    // Many changes, one atomic file write at Commit. The resulting bytes equal those of the
    // same WriteString calls made one by one, applied to the file as it is at Commit. Reads
    // through the engine see committed changes only.
    class Batch {
      public:
        Batch(Engine& engine, std::string file);
        ~Batch();
        Batch(Batch&&) noexcept;
        void Write(std::string_view section, std::string_view key, std::string_view value);
        void DeleteKey(std::string_view section, std::string_view key);
        void DeleteSection(std::string_view section);
        // The same as Write(section, std::to_string(first + i), values[i]) for every value in
        // order, staged as one change: a list save hands over thousands of numbered keys.
        void WriteNumbered(std::string_view section, std::size_t first,
                           std::span<const std::string_view> values);
        // Writes the file; throws VbError when it cannot. The batch may be used again.
        void Commit();
        // Number of changes waiting for Commit.
        std::size_t Pending() const { return pending_; }

      private:
        // Names and values are kept in one buffer; a run of changes to one section stores
        // its name once.
        struct Span {
            std::size_t at = 0, size = 0;
            bool operator==(const Span&) const = default;
        };
        // A numbered run keeps its lines ("n=value" and CR LF, formatted when staged) in
        // runs_[value.at], value.size bytes, and its values' lengths in lengths_ from key.at,
        // key.size of them.
        struct Op {
            enum Kind { kSet, kDeleteKey, kDeleteSection, kNumbered } kind;
            Span section, key, value;
        };
        void ApplyNumbered(Document& doc, const Op& op);
        Span Keep(std::string_view s);
        Span KeepSection(std::string_view section);
        std::string_view View(Span s) const { return std::string_view(text_).substr(s.at, s.size); }
        Engine* engine_;
        std::string file_;
        std::vector<Op> ops_;
        std::vector<std::size_t> lengths_;
        std::vector<TextBlock> runs_;
        std::size_t pending_ = 0;
        std::string text_;
        Span lastSection_;
    };
    Batch Begin(const std::string& file) { return Batch(*this, file); }

    // Drops every parsed copy (tests; a program never needs it).
    void Forget();
    // Drops the parsed copy of one file: the next read or commit reads it again, whatever its
    // stamp says. A file server may report a stamp that lags behind the file's bytes; a caller
    // that must see another computer's last change, under a lock, asks for this.
    void Forget(const std::string& file) { Drop(file); }

  private:
    struct Cached;
    std::shared_ptr<const Document> Load(const std::string& file, bool strict = false);
    Cached* Lookup(const std::string& file);
    Document& Own(Cached& cached);
    void Drop(const std::string& file);
    void Store(const std::string& file, Document& doc);
    FileSystem& files_;
    std::map<std::string, std::unique_ptr<Cached>> cache_;
    // The entry of the file named last, by the caller's exact spelling: a reader asks for the
    // same file thousands of times in a row.
    std::string lastFile_;
    Cached* last_ = nullptr;
};

// The engine over Sys().files, created on first use.
Engine& Profiles();

} // namespace tamber::ini
