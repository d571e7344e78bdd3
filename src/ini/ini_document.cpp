#include "ini/ini_document.h"

#include <array>

namespace tamber::ini {
namespace {

// Upper case of each code page 1252 byte: ASCII letters, the accented Latin letters
// (0xE0-0xFE but the division sign), and the four letters whose capitals sit in 0x80-0x9F.
constexpr std::array<unsigned char, 256> MakeFold() {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[c] = static_cast<unsigned char>(c);
    for (int c = 'a'; c <= 'z'; ++c)
        t[c] = static_cast<unsigned char>(c - 32);
    for (int c = 0xE0; c <= 0xFE; ++c)
        if (c != 0xF7) t[c] = static_cast<unsigned char>(c - 32);
    t[0x9A] = 0x8A;
    t[0x9C] = 0x8C;
    t[0x9E] = 0x8E;
    t[0xFF] = 0x9F;
    return t;
}
constexpr auto kFold = MakeFold();

std::string Join(std::string_view a, std::string_view b, std::string_view c) {
    std::string out;
    out.reserve(a.size() + b.size() + c.size());
    out.append(a).append(b).append(c);
    return out;
}

bool IsFileBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v';
}

} // namespace

std::string FoldName(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        c = static_cast<char>(kFold[static_cast<unsigned char>(c)]);
    return out;
}

bool NamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (kFold[static_cast<unsigned char>(a[i])] != kFold[static_cast<unsigned char>(b[i])])
            return false;
    return true;
}

std::string_view TrimFileBlanks(std::string_view s) {
    while (!s.empty() && IsFileBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsFileBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view TrimSpaces(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

Document::Line Document::Parse(std::string_view text, std::string_view eol) {
    Line line;
    line.text = std::string(text);
    line.eol = std::string(eol);
    std::string_view t = TrimFileBlanks(text);
    if (t.empty()) {
        line.kind = Kind::Blank;
    } else if (t.front() == ';') {
        line.kind = Kind::Comment;
    } else if (t.front() == '[') {
        // The name ends at the first ']'; without one it runs to the end of the line.
        std::string_view inner = t.substr(1);
        inner = inner.substr(0, inner.find(']'));
        line.kind = Kind::Section;
        line.name = std::string(TrimFileBlanks(inner));
    } else if (auto eq = t.find('='); eq != std::string_view::npos) {
        line.kind = Kind::Key;
        line.name = std::string(TrimFileBlanks(t.substr(0, eq)));
        line.value = std::string(TrimFileBlanks(t.substr(eq + 1)));
    }
    return line;
}

Document::Document(std::string_view bytes) {
    Load(bytes);
}

void Document::Load(std::string_view bytes) {
    lines_.clear();
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            lines_.push_back(Parse(bytes.substr(pos), ""));
            break;
        }
        std::size_t eolLen =
            (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ? 2 : 1;
        lines_.push_back(Parse(bytes.substr(pos, end - pos), bytes.substr(end, eolLen)));
        pos = end + eolLen;
    }
    Index();
}

void Document::Index() {
    sections_.clear();
    byName_.clear();
    Section* current = nullptr;
    for (auto it = lines_.begin(); it != lines_.end(); ++it) {
        if (it->kind == Kind::Section) {
            sections_.push_back(Section{it->name, it, it, {}, true});
            auto s = std::prev(sections_.end());
            byName_[FoldName(s->name)].push_back(s);
            current = &*s;
        } else if (it->kind == Kind::Key && current) {
            current->keys[FoldName(it->name)].push_back(it);
            current->lastKey = it;
        }
    }
}

std::string Document::Serialize() const {
    std::size_t total = 0;
    for (const Line& l : lines_)
        total += l.text.size() + l.eol.size();
    std::string out;
    out.reserve(total);
    for (const Line& l : lines_) {
        out += l.text;
        out += l.eol;
    }
    return out;
}

Document::Section* Document::Find(std::string_view section) const {
    auto it = byName_.find(FoldName(section));
    if (it == byName_.end() || it->second.empty()) return nullptr;
    return &*it->second.front();
}

const Document::Line* Document::FindKey(std::string_view section, std::string_view key) const {
    const Section* s = Find(section);
    if (!s) return nullptr;
    auto k = s->keys.find(FoldName(key));
    if (k == s->keys.end() || k->second.empty()) return nullptr;
    return &*k->second.front();
}

bool Document::HasSection(std::string_view section) const {
    return Find(section) != nullptr;
}

std::vector<std::string> Document::SectionNames() const {
    std::vector<std::string> names;
    for (const Section& s : sections_)
        names.push_back(s.name);
    return names;
}

std::vector<std::string> Document::KeyNames(std::string_view section) const {
    std::vector<std::string> names;
    const Section* s = Find(section);
    if (!s) return names;
    for (auto it = std::next(s->header); it != lines_.end() && it->kind != Kind::Section; ++it)
        if (it->kind == Kind::Key) names.push_back(it->name);
    return names;
}

Document::LineIt Document::InsertAfter(LineIt at, Line line) {
    // A line without a line end (the file's last) gains one before anything follows it.
    if (at->eol.empty()) at->eol = "\r\n";
    return lines_.insert(std::next(at), std::move(line));
}

void Document::Set(std::string_view section, std::string_view key, std::string_view value) {
    Section* s = Find(section);
    if (!s) {
        if (!lines_.empty() && lines_.back().eol.empty()) lines_.back().eol = "\r\n";
        lines_.push_back(Parse(Join("[", section, "]"), "\r\n"));
        auto header = std::prev(lines_.end());
        sections_.push_back(Section{header->name, header, header, {}, true});
        auto sit = std::prev(sections_.end());
        byName_[FoldName(sit->name)].push_back(sit);
        s = &*sit;
    }
    auto found = s->keys.find(FoldName(key));
    if (found != s->keys.end() && !found->second.empty()) {
        // In place, keeping the key's spelling and the line's end.
        Line& line = *found->second.front();
        std::string eol = line.eol.empty() ? "\r\n" : line.eol;
        line = Parse(Join(line.name, "=", value), eol);
    } else {
        Line line = Parse(Join(key, "=", value), "\r\n");
        if (line.kind == Kind::Key) {
            std::string folded = FoldName(line.name);
            s->lastKey = InsertAfter(s->lastKey, std::move(line));
            s->keys[folded].push_back(s->lastKey);
        } else {
            InsertAfter(s->lastKey, std::move(line)); // a name that makes it a comment
        }
    }
    // Nothing is escaped: a value holding line breaks becomes several lines.
    if (value.find_first_of("\r\n") != std::string_view::npos) Load(Serialize());
}

void Document::EraseKey(std::string_view section, std::string_view key) {
    Section* s = Find(section);
    if (!s) return;
    auto k = s->keys.find(FoldName(key));
    if (k == s->keys.end() || k->second.empty()) return;
    LineIt line = k->second.front();
    k->second.erase(k->second.begin());
    if (line == s->lastKey) {
        // The previous key line of the section, or the header.
        LineIt prev = line;
        do {
            --prev;
        } while (prev != s->header && prev->kind != Kind::Key);
        s->lastKey = prev;
    }
    lines_.erase(line);
}

void Document::EraseSection(std::string_view section) {
    auto named = byName_.find(FoldName(section));
    if (named == byName_.end() || named->second.empty()) return;
    SectionIt s = named->second.front();
    named->second.erase(named->second.begin());
    // Header, keys and other entries go; comments and blank lines stay where they were.
    LineIt it = lines_.erase(s->header);
    while (it != lines_.end() && it->kind != Kind::Section) {
        if (it->kind == Kind::Comment || it->kind == Kind::Blank)
            ++it;
        else
            it = lines_.erase(it);
    }
    sections_.erase(s);
}

} // namespace tamber::ini
