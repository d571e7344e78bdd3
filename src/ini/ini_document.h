#pragma once
// One profile file as lines, edited in place as the platform edits the file text: lines the
// engine does not change keep their bytes, line ends included.
//
// Lines live in one array linked in file order by index, their text in one buffer (the bytes
// read or last written) plus blocks for text added since, so a file of many thousand lines
// costs a few allocations. Keys are found through a per-section hash table of folded names,
// built when the section is first searched.
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ini/text_block.h"

namespace tamber::ini {

// Folds a name for case-insensitive lookup (code page 1252 upper case).
std::string FoldName(std::string_view name);
// Blanks that surround names and values in the file: space, tab, vertical tab.
inline bool IsFileBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v';
}
inline std::string_view TrimFileBlanks(std::string_view s) {
    while (!s.empty() && IsFileBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsFileBlank(s.back()))
        s.remove_suffix(1);
    return s;
}
// What the platform strips from names a caller passes: spaces only.
inline std::string_view TrimSpaces(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}
// One outer pair of matching quotes removed.
std::string_view Unquote(std::string_view value);

class Document {
  public:
    // Run: many "key=value" lines appended together, one entry until searched.
    enum class Kind : std::uint8_t { Other, Blank, Comment, Section, Key, Run };
    // Views into the document's storage: valid until the next edit.
    // Name and value are kept as places in the text: a smaller record walks faster, and
    // moving the text moves them along.
    struct Line {
        std::string_view text() const { return {at_, size_}; }               // without the line end
        std::string_view name() const { return {at_ + nameAt_, nameSize_}; } // trimmed
        std::string_view value() const { return {at_ + valueAt_, valueSize_}; } // quotes kept
        void SetText(std::string_view text) {
            at_ = text.data();
            size_ = static_cast<std::uint32_t>(text.size());
        }
        // Parts of the text (or empty), set after it.
        void SetName(std::string_view name) { Place(name, nameAt_, nameSize_); }
        void SetValue(std::string_view value) { Place(value, valueAt_, valueSize_); }

        std::uint32_t prev = 0, next = 0; // neighbours in file order; 0 is the list's head
        std::uint32_t dup = 0;            // next key of the same name in its section
        std::uint32_t hash = 0;           // of the folded key name
        std::uint8_t eol = 0;             // kEnd, kCrLf, kLf or kCr
        Kind kind = Kind::Other;
        bool eolFollows = false; // the line end's bytes follow the text in storage

      private:
        void Place(std::string_view part, std::uint32_t& at, std::uint32_t& size) {
            at = part.empty() ? 0 : static_cast<std::uint32_t>(part.data() - at_);
            size = static_cast<std::uint32_t>(part.size());
        }
        const char* at_ = "";
        std::uint32_t size_ = 0, nameAt_ = 0, nameSize_ = 0, valueAt_ = 0, valueSize_ = 0;
    };

    Document();
    explicit Document(std::string bytes);
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    std::string Serialize() const;
    bool Empty() const { return lines_[0].next == 0; }
    // Takes the bytes Serialize() just returned as the document's storage, dropping the text
    // that edits left behind; lines, sections and lookups stay as they were.
    void Rebase(std::string serialized);
    // True when the text and lines that edits left behind outweigh those in use, by the last
    // Serialize() (which returned serializedSize bytes): then Rebase is worth its copy.
    bool WorthRebasing(std::size_t serializedSize) const;

    // Reads; names as the caller passes them (already stripped of spaces). Views returned by
    // reads lie in the text, which no read moves: they stay valid until the next edit.
    // The value of the first such key of the first such section (quotes kept).
    std::optional<std::string_view> FindValue(std::string_view section, std::string_view key) const;
    // f(name, value) for every key line of the first section of that name, in file order.
    template <class F> void ForEachKey(std::string_view section, F&& f) const {
        Section* s = Find(section);
        if (!s) return;
        if (s->runs) Expand(*s);
        for (std::uint32_t i = lines_[s->header].next; i != 0 && lines_[i].kind != Kind::Section;
             i = lines_[i].next)
            if (lines_[i].kind == Kind::Key) f(lines_[i].name(), lines_[i].value());
    }
    bool HasSection(std::string_view section) const;
    std::vector<std::string> SectionNames() const;
    std::vector<std::string> KeyNames(std::string_view section) const;

    // Edits.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    void EraseKey(std::string_view section, std::string_view key);
    void EraseSection(std::string_view section);
    // Room for that many more keys in an existing section (a batch knows what it brings).
    void ReserveKeys(std::string_view section, std::size_t more);
    // True when the section exists and has a key line.
    bool HasKeys(std::string_view section) const;
    // Appends whole "key=value" lines after the section's last key, keeping (a share of) the
    // block they lie in as their storage. Each line ends in CR LF; the caller knows the keys
    // are plain names the section lacks, that they differ from one another, and that no
    // value holds a line break. False (nothing appended) when the name finds no section, as
    // one its header cannot spell.
    bool AppendLines(std::string_view section, const TextBlock& block, std::string_view lines);

  private:
    // Open addressing over line indices (0: empty slot), one entry per folded name: the first
    // such key in file order, the others chained through Line::dup.
    struct KeyIndex {
        std::vector<std::uint32_t> slots;
        std::size_t count = 0;
    };
    struct Section {
        std::uint32_t header;
        std::uint32_t lastKey; // == header when the section has no key lines
        bool indexed = false;
        KeyIndex keys;
        bool runs = false; // holds Run entries, split on the next search
    };
    using SectionIt = std::list<Section>::iterator;

    void Load(std::string bytes);
    void Index();
    void Reload() { Load(Serialize()); }
    Line MakeLine(std::string_view a, std::string_view b, std::string_view c, std::uint8_t eol);
    std::uint32_t AddLine(std::string_view a, std::string_view b, std::string_view c,
                          std::uint8_t eol);
    char* Allocate(std::size_t n);
    void LinkAfter(std::uint32_t at, std::uint32_t line);
    void Unlink(std::uint32_t line);
    Section* Find(std::string_view section) const;
    std::uint32_t FindIn(Section& s, std::string_view key) const;
    void EnsureIndex(Section& s) const;
    void Expand(Section& s) const;
    void Place(KeyIndex& index, std::uint32_t line) const;
    void Grow(KeyIndex& index) const;
    void IndexAdd(KeyIndex& index, std::uint32_t line, bool first) const;
    void IndexDropFirst(KeyIndex& index, std::uint32_t line) const;
    void NoteSectionsChanged() { memoValid_ = false; }

    std::string base_; // text read or last written
    void ReleaseBlocks();
    std::vector<TextBlock> blocks_; // text added since
    char* free_ = nullptr;
    std::size_t room_ = 0;
    std::size_t blockBytes_ = 0;        // allocated in blocks_
    mutable std::size_t liveLines_ = 0; // lines in the file at the last Serialize()
    // [0] is the head of the file-order list. Mutable: lookups build the key index (and its
    // Line::dup chains) on first use.
    mutable std::vector<Line> lines_;
    mutable std::list<Section> sections_;                            // file order, duplicates kept
    std::unordered_map<std::string, std::vector<SectionIt>> byName_; // folded, file order
    // The last section looked up, by the caller's exact spelling: a batch names the same
    // section thousands of times in a row.
    mutable std::string memoName_;
    mutable Section* memoSection_ = nullptr;
    mutable bool memoValid_ = false;
};

} // namespace tamber::ini
