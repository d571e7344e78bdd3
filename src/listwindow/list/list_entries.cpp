#include "listwindow/list/list_entries.h"

#include "staticlists/listfiles/list_file.h"

namespace tamber {
namespace {

// Over the profile engine's parsed copy of the file.
class FileEntries : public ListEntries {
  public:
    explicit FileEntries(std::string file) : file_(std::move(file)) {}
    std::int32_t Count() const override { return file_.empty() ? 0 : listfile::Count(file_); }
    std::string_view Entry(std::int32_t n) const override {
        last_ = file_.empty() ? std::string() : listfile::Entry(file_, n);
        return last_;
    }
    std::optional<std::int32_t> RunStartOf(char ch) const override {
        if (file_.empty()) return std::nullopt;
        return listfile::RunStartOf(file_, ch);
    }

  private:
    std::string file_;
    mutable std::string last_;
};

} // namespace

std::unique_ptr<ListEntries> ReadListEntries(const std::string& file) {
    return std::make_unique<FileEntries>(file);
}

} // namespace tamber
