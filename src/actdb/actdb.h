#pragma once
// The ACT! database as the add-on sees it: contact fields, contacts and groups. Shared by the
// in-memory ACT! of the tests and the stand-in ACT! program. Text is in the ANSI code page
// (cp1252), byte for byte. The file format is described in FORMAT.md.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tamber::actdb {

// Group and contact identifiers have this many characters.
inline constexpr std::size_t kIdLength = 12;

// Field type codes. 1-4 are the character types the add-on attaches lists to.
enum FieldType : int16_t {
    kCharacter = 1,
    kUppercase = 2,
    kInitialCaps = 3,
    kLowercase = 4,
    kPhone = 5,
    kDate = 6,
    kTime = 7,
    kNumeric = 8,
    kCurrency = 9,
    kMemo = 10,
    kUrl = 11,
};

// The kind of window ACT!'s record window shows the field in.
enum class FieldWindow { Edit, Notes, DropDown };

struct Field {
    int16_t id = 0;
    std::string label;
    int16_t type = kCharacter;
    FieldWindow window = FieldWindow::Edit;
    bool hasPopup = false;          // ACT!'s own drop-down list
    std::vector<std::string> popup; // its values, in ACT!'s order
    bool operator==(const Field&) const = default;
};

struct Contact {
    std::string id; // kIdLength characters
    // Field values by field identifier, in file order; a field not present is empty.
    std::vector<std::pair<int16_t, std::string>> values;

    const std::string* Value(int16_t field) const;
    void SetValue(int16_t field, std::string text);
    bool operator==(const Contact&) const = default;
};

struct Group {
    std::string id; // kIdLength characters
    std::string name;
    std::string parent;               // identifier of the parent group, empty for a top-level group
    std::vector<std::string> members; // contact identifiers
    bool operator==(const Group&) const = default;
};

struct Database {
    std::vector<Field> fields;     // in identifier order as written
    std::vector<Contact> contacts; // in ACT!'s order
    std::vector<Group> groups;     // in ACT!'s order

    const Field* FindField(int16_t id) const;
    const Contact* FindContact(std::string_view id) const;
    Contact* FindContact(std::string_view id);
    const Group* FindGroup(std::string_view id) const;
    int32_t SubGroupCount(std::string_view id) const;
    bool operator==(const Database&) const = default;
};

// Bad input: the message names the line ("line 12: ...").
class FormatError : public std::runtime_error {
  public:
    FormatError(int line, const std::string& message)
        : std::runtime_error("line " + std::to_string(line) + ": " + message), line_(line),
          message_(message) {}
    int line() const { return line_; }
    const std::string& message() const { return message_; }

  private:
    int line_;
    std::string message_;
};

// Parses the text of a database file; throws FormatError.
Database Parse(std::string_view text);
// The file text for a database; Parse(Write(db)) gives db back.
std::string Write(const Database& db);

// Reading and writing files by path; a file that cannot be opened throws std::runtime_error
// naming it, bad content FormatError.
Database Load(const std::string& path);
void Save(const Database& db, const std::string& path);

// Identifier comparison as ACT! does it: trailing blanks do not count.
bool SameId(std::string_view a, std::string_view b);

} // namespace tamber::actdb
