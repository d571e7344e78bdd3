#include "listwindow/list/list_entries.h"

#include "staticlists/listfiles/list_file.h"

namespace tamber {
namespace {

// One parsed read of the file (its stamp checked once); every lookup of the action is served
// from it, with the profile functions' results (names without regard to case, quotes
// stripped).
class FileEntries : public ListEntries {
  public:
    explicit FileEntries(const std::string& file) : reader_(file) {}
    std::int32_t Count() const override { return reader_.Count(); }
    std::string_view Entry(std::int32_t n) const override { return reader_.Entry(n); }
    std::optional<std::int32_t> RunStartOf(char ch) const override {
        return reader_.RunStartOf(ch);
    }

  private:
    listfile::ListReader reader_;
};

class NoEntries : public ListEntries {
  public:
    std::int32_t Count() const override { return 0; }
    std::string_view Entry(std::int32_t) const override { return {}; }
    std::optional<std::int32_t> RunStartOf(char) const override { return std::nullopt; }
};

} // namespace

std::unique_ptr<ListEntries> ReadListEntries(const std::string& file) {
    if (file.empty()) return std::make_unique<NoEntries>();
    return std::make_unique<FileEntries>(file);
}

} // namespace tamber
