#include "inilib/inilib.h"

#include "common/procedure.h"
#include "common/vb_error.h"
#include "vb/vb_convert.h"

namespace tamber::IniLib {
namespace {

// Every caller names its file: an empty name is a caller's fault, reported as the run time
// reports it.
const std::string& NamedFile(const std::string& file) {
    if (file.empty()) throw VbError(err::kBadFileName, "Bad file name or number");
    return file;
}

// The list buffers began at 1000 characters; longer lists now get a longer buffer.
constexpr std::size_t kSectionBuffer = 1000;

} // namespace

std::string GetKeyValue(const std::string& section, const std::string& key, const std::string& def,
                        const std::string& valueType, const std::string& fallback,
                        const std::string& file) {
    return Function("IniLib", "GetKeyValue", [&](Statement& at) {
        at();
        std::string value =
            ini::Profiles().Value(NamedFile(file), section, key).value_or(std::string());
        if (value.empty()) value = def;
        if (valueType != "Numeric" && valueType != "Boolean") return value;
        // "Boolean" takes numbers too ("0", "-1"); the words True and False fail the test.
        at();
        if (vb::IsNumeric(value)) return value;
        return fallback.empty() ? value : fallback;
    });
}

bool WriteKeyValue(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) {
    return Function("IniLib", "WriteKeyValue", [&](Statement&) {
        return ini::Profiles().WriteString(NamedFile(file), section, key, value);
    });
}

bool DeleteKey(const std::string& section, const std::string& key, const std::string& file) {
    return Function("IniLib", "DeleteKey", [&](Statement&) {
        return ini::Profiles().WriteString(NamedFile(file), section, key, std::nullopt);
    });
}

bool DeleteSection(const std::string& section, const std::string& file) {
    return Function("IniLib", "DeleteSection", [&](Statement&) {
        return ini::Profiles().WriteString(NamedFile(file), section, std::nullopt, std::nullopt);
    });
}

void DeleteSectionContent(const std::string& section, const std::string& file) {
    Sub("IniLib", "DeleteSectionContent", [&](Statement& at) {
        at();
        std::optional<std::vector<std::string>> keys = Extract_Keys(section, file);
        if (!keys) return;
        // The same key deletions, one after the other, written to the file once.
        at();
        ini::Engine::Batch batch = ini::Profiles().Begin(NamedFile(file));
        for (const std::string& key : *keys)
            batch.DeleteKey(section, key);
        at();
        batch.Commit();
    });
}

std::string GetSections(const std::string& file) {
    return Function("IniLib", "GetSections", [&](Statement& at) -> std::string {
        at();
        std::vector<std::string> names = ini::Profiles().Sections(NamedFile(file));
        std::string list;
        for (const std::string& name : names) {
            list += name;
            list += '\0';
        }
        if (list.empty()) return "";
        // NUL, the names each closed by NUL, then the rest of the buffer (all NULs).
        at();
        std::string result(1, '\0');
        result += list;
        result.append(std::max(kSectionBuffer, list.size() + 1) - list.size(), '\0');
        return result;
    });
}

std::optional<std::vector<std::string>> Extract_Keys(const std::string& section,
                                                     const std::string& file) {
    return Function(
        "IniLib", "Extract_Keys", [&](Statement& at) -> std::optional<std::vector<std::string>> {
            at();
            std::vector<std::string> names = ini::Profiles().Keys(NamedFile(file), section);
            std::vector<std::string> keys;
            // An empty name reads as the list's closing NUL: the list ends there.
            for (const std::string& name : names) {
                if (name.empty()) break;
                keys.push_back(name);
            }
            if (keys.empty()) return std::nullopt;
            return keys;
        });
}

Batch::Batch(const std::string& file)
    : file_(file), batch_(ini::Profiles().Begin(NamedFile(file))) {}

void Batch::Write(std::string_view section, std::string_view key, std::string_view value) {
    batch_.Write(section, key, value);
}

void Batch::DeleteKey(std::string_view section, std::string_view key) {
    batch_.DeleteKey(section, key);
}

void Batch::DeleteSection(std::string_view section) {
    batch_.DeleteSection(section);
}

void Batch::WriteNumbered(std::string_view section, std::size_t first,
                          std::span<const std::string_view> values) {
    batch_.WriteNumbered(section, first, values);
}

bool Batch::Commit() {
    return Function("IniLib", "Commit", [&](Statement&) {
        batch_.Commit();
        return true;
    });
}

bool Batch::Commit(std::string_view consequence) {
    return Function("IniLib", "Commit", [&](Statement&) {
        try {
            batch_.Commit();
        } catch (const VbError& e) {
            throw VbError(e.number(), e.description() + ": " + file_ + " could not be written; " +
                                          std::string(consequence));
        }
        return true;
    });
}

} // namespace tamber::IniLib
