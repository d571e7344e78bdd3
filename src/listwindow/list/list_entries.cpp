#include "listwindow/list/list_entries.h"

#include <charconv>

#include "ini/ini_document.h"
#include "ports/file_system.h"
#include "ports/platform.h"
#include "staticlists/listfiles/ansi_case.h"
#include "staticlists/listfiles/list_file.h"
#include "vb/vb_convert.h"

namespace tamber {
namespace {

// One read of the file, parsed once; every lookup of the action is served from it, with the
// profile functions' results (names without regard to case, quotes stripped).
class FileEntries : public ListEntries {
  public:
    explicit FileEntries(const std::string& file) {
        if (file.empty()) return;
        if (auto bytes = Sys().files->ReadAll(file)) doc_ = std::make_unique<ini::Document>(*bytes);
    }
    std::int32_t Count() const override {
        std::string_view count = Value(listfile::kIndex, listfile::kCount);
        return count.empty() ? 0 : vb::CLng(count);
    }
    std::string_view Entry(std::int32_t n) const override {
        char key[16];
        auto end = std::to_chars(key, key + sizeof key, n).ptr;
        return Value(listfile::kItems, std::string_view(key, end - key));
    }
    std::optional<std::int32_t> RunStartOf(char ch) const override {
        const char letter = ansi::Lower(ch);
        std::string_view start = Value(listfile::kIndex, std::string_view(&letter, 1));
        if (start.empty() || !vb::IsNumeric(start)) return std::nullopt;
        return vb::CLng(start);
    }

  private:
    std::string_view Value(std::string_view section, std::string_view key) const {
        if (!doc_) return {};
        const ini::Document::Line* line = doc_->FindKey(section, key);
        return line ? ini::Unquote(line->value()) : std::string_view();
    }
    std::unique_ptr<ini::Document> doc_;
};

} // namespace

std::unique_ptr<ListEntries> ReadListEntries(const std::string& file) {
    return std::make_unique<FileEntries>(file);
}

} // namespace tamber
