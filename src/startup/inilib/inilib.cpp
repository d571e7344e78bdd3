#include "startup/inilib/inilib.h"

#include "common/error_report.h"
#include "startup/module1/module1.h"
#include "vb/vb_convert.h"

namespace tamber::IniLib {
namespace {

const std::string& FileOrDefault(const std::string& file) {
    return file.empty() ? M().IniFile : file;
}

// The list buffers began at 1000 characters; longer lists now get a longer buffer.
constexpr std::size_t kSectionBuffer = 1000;

} // namespace

std::string GetKeyValue(const std::string& section, const std::string& key, const std::string& def,
                        const std::string& valueType, const std::string& fallback,
                        const std::string& file) {
    int line = 0;
    try {
        line = 1;
        std::string value =
            ini::Profiles().Value(FileOrDefault(file), section, key).value_or(std::string());
        line = 2;
        if (value.empty()) value = def;
        line = 3;
        if (valueType != "Numeric" && valueType != "Boolean") return value;
        // "Boolean" takes numbers too ("0", "-1"); the words True and False fail the test.
        line = 4;
        if (vb::IsNumeric(value)) return value;
        line = 5;
        return fallback.empty() ? value : fallback;
    } catch (...) {
        ReportError("IniLib", "Function", "GetKeyValue", line);
        return "";
    }
}

bool WriteKeyValue(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) {
    try {
        return ini::Profiles().WriteString(FileOrDefault(file), section, key, value);
    } catch (...) {
        ReportError("IniLib", "Function", "WriteKeyValue", 1);
        return false;
    }
}

bool DeleteKey(const std::string& section, const std::string& key, const std::string& file) {
    try {
        return ini::Profiles().WriteString(FileOrDefault(file), section, key, std::nullopt);
    } catch (...) {
        ReportError("IniLib", "Function", "DeleteKey", 1);
        return false;
    }
}

bool DeleteSection(const std::string& section, const std::string& file) {
    try {
        return ini::Profiles().WriteString(FileOrDefault(file), section, std::nullopt,
                                           std::nullopt);
    } catch (...) {
        ReportError("IniLib", "Function", "DeleteSection", 1);
        return false;
    }
}

void DeleteSectionContent(const std::string& section, const std::string& file) {
    int line = 0;
    try {
        line = 1;
        std::optional<std::vector<std::string>> keys = Extract_Keys(section, file);
        line = 2;
        if (!keys) return;
        // The same key deletions, one after the other, written to the file once.
        ini::Engine::Batch batch = ini::Profiles().Begin(FileOrDefault(file));
        for (const std::string& key : *keys)
            batch.DeleteKey(section, key);
        line = 3;
        batch.Commit();
    } catch (...) {
        ReportError("IniLib", "Sub", "DeleteSectionContent", line);
    }
}

std::string GetSections(const std::string& file) {
    int line = 0;
    try {
        line = 1;
        std::vector<std::string> names = ini::Profiles().Sections(FileOrDefault(file));
        line = 2;
        std::string list;
        for (const std::string& name : names) {
            list += name;
            list += '\0';
        }
        if (list.empty()) return "";
        // NUL, the names each closed by NUL, then the rest of the buffer (all NULs).
        line = 3;
        std::string result(1, '\0');
        result += list;
        result.append(std::max(kSectionBuffer, list.size() + 1) - list.size(), '\0');
        return result;
    } catch (...) {
        ReportError("IniLib", "Function", "GetSections", line);
        return "";
    }
}

std::optional<std::vector<std::string>> Extract_Keys(const std::string& section,
                                                     const std::string& file) {
    int line = 0;
    try {
        line = 1;
        std::vector<std::string> names = ini::Profiles().Keys(FileOrDefault(file), section);
        line = 2;
        std::vector<std::string> keys;
        // An empty name reads as the list's closing NUL: the list ends there.
        for (const std::string& name : names) {
            if (name.empty()) break;
            keys.push_back(name);
        }
        if (keys.empty()) return std::nullopt;
        return keys;
    } catch (...) {
        ReportError("IniLib", "Function", "Extract_Keys", line);
        return std::nullopt;
    }
}

Batch::Batch(const std::string& file) : batch_(ini::Profiles().Begin(FileOrDefault(file))) {}

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
    try {
        batch_.Commit();
        return true;
    } catch (...) {
        ReportError("IniLib", "Function", "Commit", 1);
        return false;
    }
}

} // namespace tamber::IniLib
