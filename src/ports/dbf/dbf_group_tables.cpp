#include "ports/dbf/dbf_group_tables.h"

#include <vector>

#include "common/vb_error.h"
#include "ports/dbf/dbf_table.h"
#include "ports/file_system.h"

namespace tamber {
namespace {

const char kBadFilter[] = "Arguments are of the wrong type, are out of acceptable range, or are "
                          "in conflict with one another.";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '\\' || folder.back() == '/') return folder + name;
    return folder + "\\" + name;
}

class DbfRecordset : public GroupRecordset {
  public:
    explicit DbfRecordset(DbfTable table) : table_(std::move(table)) { SetFilter(""); }

    void SetFilter(const std::string& criteria) override {
        const ColumnFilter f = ParseColumnFilter(criteria);
        rows_.clear();
        position_ = 0;
        if (f.column.empty()) {
            for (std::size_t r = 0; r < table_.RowCount(); ++r)
                rows_.push_back(r);
            return;
        }
        const std::size_t column = CharColumn(f.column);
        const std::string_view wanted = TrimPadding(f.value);
        for (std::size_t r = 0; r < table_.RowCount(); ++r)
            if (table_.Value(r, column) == wanted) rows_.push_back(r);
    }

    long RecordCount() const override { return static_cast<long>(rows_.size()); }
    bool AtEof() const override { return position_ >= rows_.size(); }

    std::string Field(const std::string& column) const override {
        const std::size_t c = CharColumn(column);
        RequireCurrent();
        return std::string(table_.Value(rows_[position_], c));
    }

    void MoveNext() override {
        RequireCurrent();
        ++position_;
    }
    void MoveFirst() override { position_ = 0; }

  private:
    std::size_t CharColumn(const std::string& name) const {
        const auto c = table_.FindColumn(name);
        if (!c)
            throw VbError(ado::kItemNotFound, "Item cannot be found in the collection "
                                              "corresponding to the requested name or ordinal.");
        if (table_.Columns()[*c].type != 'C')
            throw VbError(ado::kProviderError,
                          "Column '" + name + "' of the group table is not a character column.");
        return *c;
    }

    void RequireCurrent() const {
        if (AtEof())
            throw VbError(ado::kNoCurrentRecord,
                          "Either BOF or EOF is True, or the current record has been deleted. "
                          "Requested operation requires a current record.");
    }

    DbfTable table_;
    std::vector<std::size_t> rows_;
    std::size_t position_ = 0;
};

class DbfConnection : public GroupTableConnection {
  public:
    DbfConnection(FileSystem& files, std::string folder)
        : files_(files), folder_(std::move(folder)) {}

    long ErrorsCount() const override { return 0; }

    std::unique_ptr<GroupRecordset> OpenTable(const std::string& tableName) override {
        const std::string path = JoinPath(folder_, tableName);
        std::optional<std::string> bytes = files_.ReadAll(path);
        if (!bytes) throw VbError(err::kFileNotFound, "File not found: " + path);
        DbfTable table = DbfTable::Parse(std::move(*bytes), path);
        // Part of the groups would pass for all of them.
        if (const std::size_t missing = table.MissingRecords())
            throw VbError(ado::kProviderError,
                          "'" + path + "' is cut short: " + std::to_string(missing) +
                              " of the records its header counts are missing.");
        for (const char* column : {gdb::kParentId, gdb::kName}) {
            const auto c = table.FindColumn(column);
            if (!c || table.Columns()[*c].type != 'C')
                throw VbError(ado::kProviderError,
                              "'" + path + "' has no character column " + column + ".");
        }
        return std::make_unique<DbfRecordset>(std::move(table));
    }

    std::optional<std::uint64_t> TableWriteTime(const std::string& tableName) override {
        const std::string path = JoinPath(folder_, tableName);
        try {
            return files_.LastWriteTime(path);
        } catch (const VbError&) {
            return std::nullopt; // missing, or gone since
        }
    }

  private:
    FileSystem& files_;
    std::string folder_;
};

class DbfGroupTables : public GroupTables {
  public:
    explicit DbfGroupTables(FileSystem& files) : files_(files) {}

    std::shared_ptr<GroupTableConnection> Open(const std::string& /*connectionString*/,
                                               const std::string& folder,
                                               const std::string& tableFile) override {
        if (folder.empty() || !files_.IsFolder(folder))
            throw VbError(err::kPathNotFound, "Path not found: " + folder);
        auto connection = std::make_shared<DbfConnection>(files_, folder);
        connection->OpenTable(tableFile);
        return connection;
    }

  private:
    FileSystem& files_;
};

} // namespace

std::unique_ptr<GroupTables> MakeDbfGroupTables(FileSystem& files) {
    return std::make_unique<DbfGroupTables>(files);
}

ColumnFilter ParseColumnFilter(const std::string& criteria) {
    const std::string_view s = criteria;
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < s.size() && IsBlank(s[i]))
            ++i;
    };
    auto bad = [] { return VbError(ado::kWrongArguments, kBadFilter); };

    skipBlanks();
    if (i == s.size()) return {};
    ColumnFilter f;
    const bool bracketed = s[i] == '[';
    if (bracketed) ++i;
    while (i < s.size() && (bracketed ? s[i] != ']' : !IsBlank(s[i]) && s[i] != '='))
        f.column += s[i++];
    if (bracketed) {
        if (i == s.size()) throw bad();
        ++i;
    }
    if (f.column.empty()) throw bad();
    skipBlanks();
    if (i == s.size() || s[i] != '=') throw bad();
    ++i;
    skipBlanks();
    if (i == s.size() || s[i] != '\'') throw bad();
    ++i;
    for (;;) {
        if (i == s.size()) throw bad(); // unterminated literal
        if (s[i] == '\'') {
            if (i + 1 < s.size() && s[i + 1] == '\'') {
                f.value += '\'';
                i += 2;
                continue;
            }
            ++i;
            break;
        }
        f.value += s[i++];
    }
    skipBlanks();
    if (i != s.size()) throw bad();
    return f;
}

} // namespace tamber
