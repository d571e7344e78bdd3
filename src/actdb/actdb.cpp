#include "actdb/actdb.h"

#include <charconv>
#include <fstream>
#include <sstream>
#include <unordered_map>
#include <unordered_set>

namespace tamber::actdb {

const std::string* Contact::Value(int16_t field) const {
    for (const auto& [id, text] : values)
        if (id == field) return &text;
    return nullptr;
}

void Contact::SetValue(int16_t field, std::string text) {
    for (auto& [id, value] : values)
        if (id == field) {
            value = std::move(text);
            return;
        }
    values.emplace_back(field, std::move(text));
}

const Field* Database::FindField(int16_t id) const {
    for (const auto& f : fields)
        if (f.id == id) return &f;
    return nullptr;
}

const Contact* Database::FindContact(std::string_view id) const {
    for (const auto& c : contacts)
        if (SameId(c.id, id)) return &c;
    return nullptr;
}

Contact* Database::FindContact(std::string_view id) {
    return const_cast<Contact*>(std::as_const(*this).FindContact(id));
}

const Group* Database::FindGroup(std::string_view id) const {
    for (const auto& g : groups)
        if (SameId(g.id, id)) return &g;
    return nullptr;
}

int32_t Database::SubGroupCount(std::string_view id) const {
    int32_t n = 0;
    for (const auto& g : groups)
        if (!g.parent.empty() && SameId(g.parent, id)) ++n;
    return n;
}

namespace {

std::string_view TrimTrailingBlanks(std::string_view s) {
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

const char* WindowName(FieldWindow w) {
    switch (w) {
    case FieldWindow::Notes:
        return "notes";
    case FieldWindow::DropDown:
        return "dropdown";
    default:
        return "edit";
    }
}

std::string Escape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

enum class Kind { None, Field, Contact, Group };

// Reads one record kind's lines into the model and remembers where things were said, so
// that references checked at the end can name their line.
class Parser {
  public:
    Database Run(std::string_view text) {
        std::size_t pos = 0;
        bool sawHeader = false;
        while (pos <= text.size()) {
            std::size_t end = text.find('\n', pos);
            if (end == std::string_view::npos) end = text.size();
            std::string_view line = text.substr(pos, end - pos);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            ++line_;
            pos = end + 1;
            std::string_view trimmed = Trim(line);
            if (trimmed.empty() || trimmed.front() == ';') continue;
            if (!sawHeader) {
                if (trimmed != "ACTDB 1")
                    throw FormatError(line_, "not an ACT! database file (expected 'ACTDB 1')");
                sawHeader = true;
                continue;
            }
            if (trimmed.front() == '[') {
                StartRecord(trimmed);
                continue;
            }
            auto eq = line.find('=');
            if (eq == std::string_view::npos)
                throw FormatError(line_, "expected key=value or [record]");
            KeyValue(Trim(line.substr(0, eq)), Unescape(line.substr(eq + 1)));
        }
        if (!sawHeader) throw FormatError(line_ ? line_ : 1, "empty file (expected 'ACTDB 1')");
        FinishRecord();
        CheckReferences();
        return std::move(db_);
    }

  private:
    Database db_;
    int line_ = 0;
    Kind kind_ = Kind::None;
    int recordLine_ = 0;
    std::unordered_set<std::string> seenKeys_;
    std::unordered_set<int16_t> fieldIds_;
    std::unordered_set<std::string> contactIds_, groupIds_;
    std::unordered_set<std::string> memberIds_; // of the current group
    struct Ref {
        int line;
        int16_t field;
    };
    std::vector<Ref> fieldRefs_;
    std::vector<int> parentLines_; // per group, 0 when none
    std::vector<std::vector<int>> memberLines_;

    std::string Unescape(std::string_view v) {
        std::string out;
        out.reserve(v.size());
        for (std::size_t i = 0; i < v.size(); ++i) {
            if (v[i] != '\\') {
                out += v[i];
                continue;
            }
            char next = i + 1 < v.size() ? v[i + 1] : '\0';
            switch (next) {
            case '\\':
                out += '\\';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            default:
                throw FormatError(line_, "bad escape sequence in value (use \\\\, \\n or \\r)");
            }
            ++i;
        }
        return out;
    }

    void StartRecord(std::string_view header) {
        FinishRecord();
        recordLine_ = line_;
        seenKeys_.clear();
        if (header == "[field]") {
            kind_ = Kind::Field;
            db_.fields.emplace_back();
        } else if (header == "[contact]") {
            kind_ = Kind::Contact;
            db_.contacts.emplace_back();
        } else if (header == "[group]") {
            kind_ = Kind::Group;
            db_.groups.emplace_back();
            parentLines_.push_back(0);
            memberLines_.emplace_back();
            memberIds_.clear();
        } else {
            throw FormatError(line_, "unknown record " + std::string(header) +
                                         " (expected [field], [contact] or [group])");
        }
    }

    void Once(std::string_view key, const char* record) {
        if (!seenKeys_.insert(std::string(key)).second)
            throw FormatError(line_, "key '" + std::string(key) + "' given twice in " + record);
    }

    int16_t Number(std::string_view text, const char* what, int min) {
        text = Trim(text);
        int value = 0;
        auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || ec != std::errc() || p != text.data() + text.size() || value < min ||
            value > 32767)
            throw FormatError(line_, std::string(what) + " '" + std::string(text) +
                                         "' is not a number in " + std::to_string(min) + "..32767");
        return static_cast<int16_t>(value);
    }

    std::string Identifier(std::string value, std::unordered_set<std::string>& seen,
                           const char* what) {
        if (value.size() != kIdLength)
            throw FormatError(line_, std::string(what) + " identifier '" + value + "' has " +
                                         std::to_string(value.size()) + " characters, not 12");
        if (!seen.insert(std::string(TrimTrailingBlanks(value))).second)
            throw FormatError(line_,
                              std::string(what) + " identifier '" + value + "' is used twice");
        return value;
    }

    void KeyValue(std::string_view key, std::string value) {
        switch (kind_) {
        case Kind::None:
            throw FormatError(line_, "key=value before the first record");
        case Kind::Field:
            return FieldKey(key, std::move(value));
        case Kind::Contact:
            return ContactKey(key, std::move(value));
        case Kind::Group:
            return GroupKey(key, std::move(value));
        }
    }

    void FieldKey(std::string_view key, std::string value) {
        Field& f = db_.fields.back();
        if (key == "value") {
            f.popup.push_back(std::move(value));
            return;
        }
        Once(key, "[field]");
        if (key == "id") {
            f.id = Number(value, "field id", -32768);
            if (!fieldIds_.insert(f.id).second)
                throw FormatError(line_, "field " + value + " is defined twice");
        } else if (key == "label") {
            f.label = std::move(value);
        } else if (key == "type") {
            f.type = Number(value, "field type", 0);
        } else if (key == "window") {
            if (value == "edit")
                f.window = FieldWindow::Edit;
            else if (value == "notes")
                f.window = FieldWindow::Notes;
            else if (value == "dropdown")
                f.window = FieldWindow::DropDown;
            else
                throw FormatError(line_, "window '" + value + "' is not edit, notes or dropdown");
        } else if (key == "popup") {
            if (value == "yes")
                f.hasPopup = true;
            else if (value == "no")
                f.hasPopup = false;
            else
                throw FormatError(line_, "popup '" + value + "' is not yes or no");
        } else {
            throw FormatError(line_, "unknown key '" + std::string(key) + "' in [field]");
        }
    }

    void ContactKey(std::string_view key, std::string value) {
        Contact& c = db_.contacts.back();
        Once(key, "[contact]");
        if (key == "id") {
            c.id = Identifier(std::move(value), contactIds_, "contact");
        } else if (!key.empty() &&
                   (key.front() == '-' || (key.front() >= '0' && key.front() <= '9'))) {
            int16_t field = Number(key, "field id", -32768);
            fieldRefs_.push_back({line_, field});
            c.values.emplace_back(field, std::move(value));
        } else {
            throw FormatError(line_, "unknown key '" + std::string(key) + "' in [contact]");
        }
    }

    void GroupKey(std::string_view key, std::string value) {
        Group& g = db_.groups.back();
        if (key == "member") {
            if (!memberIds_.insert(std::string(TrimTrailingBlanks(value))).second)
                throw FormatError(line_, "contact '" + value + "' is a member twice");
            g.members.push_back(std::move(value));
            memberLines_.back().push_back(line_);
            return;
        }
        Once(key, "[group]");
        if (key == "id") {
            g.id = Identifier(std::move(value), groupIds_, "group");
        } else if (key == "name") {
            g.name = std::move(value);
        } else if (key == "parent") {
            g.parent = std::move(value);
            parentLines_.back() = line_;
        } else {
            throw FormatError(line_, "unknown key '" + std::string(key) + "' in [group]");
        }
    }

    void Require(const char* key, const char* record) {
        if (!seenKeys_.count(key))
            throw FormatError(recordLine_, std::string(record) + " without '" + key + "'");
    }

    void FinishRecord() {
        switch (kind_) {
        case Kind::None:
            return;
        case Kind::Field:
            Require("id", "[field]");
            Require("label", "[field]");
            Require("type", "[field]");
            if (!db_.fields.back().hasPopup && !db_.fields.back().popup.empty())
                throw FormatError(recordLine_, "[field] has values but not popup=yes");
            return;
        case Kind::Contact:
            Require("id", "[contact]");
            return;
        case Kind::Group:
            Require("id", "[group]");
            Require("name", "[group]");
            return;
        }
    }

    void CheckReferences() {
        for (const auto& ref : fieldRefs_)
            if (!fieldIds_.count(ref.field))
                throw FormatError(ref.line,
                                  "field " + std::to_string(ref.field) + " is not defined");
        std::unordered_map<std::string, std::size_t> groupIndex;
        for (std::size_t i = 0; i < db_.groups.size(); ++i)
            groupIndex.emplace(TrimTrailingBlanks(db_.groups[i].id), i);
        for (std::size_t i = 0; i < db_.groups.size(); ++i) {
            const Group& g = db_.groups[i];
            for (std::size_t m = 0; m < g.members.size(); ++m)
                if (!contactIds_.count(std::string(TrimTrailingBlanks(g.members[m]))))
                    throw FormatError(memberLines_[i][m],
                                      "member '" + g.members[m] + "' is not a contact of the file");
            if (TrimTrailingBlanks(g.parent).empty()) continue;
            // Walk up the parents; more steps than groups means a loop.
            std::string_view up = g.parent;
            for (std::size_t steps = 0;; ++steps) {
                auto it = groupIndex.find(std::string(TrimTrailingBlanks(up)));
                if (it == groupIndex.end())
                    throw FormatError(parentLines_[i], "parent '" + std::string(up) +
                                                           "' is not a group of the file");
                if (it->second == i || steps > db_.groups.size())
                    throw FormatError(parentLines_[i], "group '" + g.id + "' is its own ancestor");
                up = db_.groups[it->second].parent;
                if (TrimTrailingBlanks(up).empty()) break;
            }
        }
    }
};

} // namespace

bool SameId(std::string_view a, std::string_view b) {
    return TrimTrailingBlanks(a) == TrimTrailingBlanks(b);
}

Database Parse(std::string_view text) {
    return Parser().Run(text);
}

std::string Write(const Database& db) {
    std::ostringstream out;
    const char* nl = "\r\n";
    out << "ACTDB 1" << nl;
    for (const auto& f : db.fields) {
        out << nl << "[field]" << nl << "id=" << f.id << nl << "label=" << Escape(f.label) << nl
            << "type=" << f.type << nl;
        if (f.window != FieldWindow::Edit) out << "window=" << WindowName(f.window) << nl;
        if (f.hasPopup) out << "popup=yes" << nl;
        for (const auto& v : f.popup)
            out << "value=" << Escape(v) << nl;
    }
    for (const auto& c : db.contacts) {
        out << nl << "[contact]" << nl << "id=" << Escape(c.id) << nl;
        for (const auto& [field, value] : c.values)
            out << field << '=' << Escape(value) << nl;
    }
    for (const auto& g : db.groups) {
        out << nl << "[group]" << nl << "id=" << Escape(g.id) << nl << "name=" << Escape(g.name)
            << nl;
        if (!g.parent.empty()) out << "parent=" << Escape(g.parent) << nl;
        for (const auto& m : g.members)
            out << "member=" << Escape(m) << nl;
    }
    return out.str();
}

Database Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open ACT! database file '" + path + "'");
    std::ostringstream text;
    text << in.rdbuf();
    try {
        return Parse(text.str());
    } catch (const FormatError& e) {
        throw FormatError(e.line(), e.message() + " (" + path + ")");
    }
}

void Save(const Database& db, const std::string& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write ACT! database file '" + path + "'");
    out << Write(db);
    if (!out.flush()) throw std::runtime_error("cannot write ACT! database file '" + path + "'");
}

} // namespace tamber::actdb
