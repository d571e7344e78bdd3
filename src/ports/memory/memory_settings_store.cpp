#include "ports/memory/memory_settings_store.h"

#include <cctype>

#include "common/vb_error.h"

namespace tamber {
namespace {

std::string Lower(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// One value per line: app, section, name, value, tab-separated; "\" escapes tab, CR, LF, "\".
std::string Escape(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string Unescape(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        char c = s[++i];
        out += c == 't' ? '\t' : c == 'r' ? '\r' : c == 'n' ? '\n' : c;
    }
    return out;
}

} // namespace

MemorySettingsStore::MemorySettingsStore(FileSystem& files, std::string path)
    : files_(&files), path_(std::move(path)) {}

void MemorySettingsStore::Load() {
    if (!files_) return;
    values_.clear();
    std::optional<std::string> text = files_->ReadAll(path_);
    if (!text) return;
    std::string_view rest = *text;
    while (!rest.empty()) {
        std::string_view line = rest.substr(0, rest.find('\n'));
        rest.remove_prefix(std::min(rest.size(), line.size() + 1));
        std::string field[4];
        int n = 0;
        for (std::size_t pos = 0; n < 4; ++n) {
            std::size_t tab = line.find('\t', pos);
            field[n] = Unescape(line.substr(pos, tab == std::string_view::npos ? tab : tab - pos));
            if (tab == std::string_view::npos) {
                ++n;
                break;
            }
            pos = tab + 1;
        }
        if (n == 4) values_[{Lower(field[0]), Lower(field[1]), Lower(field[2])}] = field[3];
    }
}

void MemorySettingsStore::Persist() {
    if (!files_) return;
    std::string text;
    for (const auto& [id, value] : values_)
        text += Escape(std::get<0>(id)) + "\t" + Escape(std::get<1>(id)) + "\t" +
                Escape(std::get<2>(id)) + "\t" + Escape(value) + "\n";
    files_->WriteAll(path_, text);
}

std::string MemorySettingsStore::GetSetting(const std::string& app, const std::string& section,
                                            const std::string& key, const std::string& def) {
    Load();
    auto it = values_.find({Lower(app), Lower(section), Lower(key)});
    return it == values_.end() ? def : it->second;
}

void MemorySettingsStore::SaveSetting(const std::string& app, const std::string& section,
                                      const std::string& key, const std::string& value) {
    if (failSaves) throw VbError(failSaves, "Permission denied");
    if (app.empty() || section.empty())
        throw VbError(err::kInvalidProcedureCall, "Invalid procedure call or argument");
    Load();
    values_[{Lower(app), Lower(section), Lower(key)}] = value;
    Persist();
}

void MemorySettingsStore::DeleteSetting(const std::string& app, const std::string& section,
                                        const std::string& key) {
    Load();
    if (values_.erase({Lower(app), Lower(section), Lower(key)})) Persist();
}

} // namespace tamber
