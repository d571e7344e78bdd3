#pragma once
// One profile file as lines, edited in place as the platform edits the file text: lines the
// engine does not change keep their bytes, line ends included.
#include <cstddef>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tamber::ini {

// Folds a name for case-insensitive lookup (code page 1252 upper case).
std::string FoldName(std::string_view name);
// Blanks that surround names and values in the file: space, tab, vertical tab.
std::string_view TrimFileBlanks(std::string_view s);
// What the platform strips from names a caller passes: spaces only.
std::string_view TrimSpaces(std::string_view s);
// One outer pair of matching quotes removed.
std::string_view Unquote(std::string_view value);

class Document {
  public:
    enum class Kind { Other, Blank, Comment, Section, Key };
    struct Line {
        std::string text;
        std::string eol; // "\r\n", "\n", "\r" or "" for a last line without one
        Kind kind = Kind::Other;
        std::string name;  // section or key name, trimmed, as spelled in the file
        std::string value; // key value, trimmed, quotes kept
    };
    using LineIt = std::list<Line>::iterator;

    Document() = default;
    explicit Document(std::string_view bytes);
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    std::string Serialize() const;
    bool Empty() const { return lines_.empty(); }

    // Reads; names as the caller passes them (already stripped of spaces).
    const Line* FindKey(std::string_view section, std::string_view key) const;
    bool HasSection(std::string_view section) const;
    std::vector<std::string> SectionNames() const;
    std::vector<std::string> KeyNames(std::string_view section) const;

    // Edits.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    void EraseKey(std::string_view section, std::string_view key);
    void EraseSection(std::string_view section);

  private:
    struct Section {
        std::string name;
        LineIt header;
        LineIt lastKey; // == header when the section has no key lines
        std::unordered_map<std::string, std::vector<LineIt>> keys; // folded name, file order
        bool live = true;
    };
    using SectionIt = std::list<Section>::iterator;

    static Line Parse(std::string_view text, std::string_view eol);
    void Load(std::string_view bytes);
    void Index();
    Section* Find(std::string_view section) const;
    LineIt InsertAfter(LineIt at, Line line);

    std::list<Line> lines_;
    std::list<Section> sections_;                                    // file order, duplicates kept
    std::unordered_map<std::string, std::vector<SectionIt>> byName_; // folded, file order
};

} // namespace tamber::ini
