#include "ports/dbf/dbf_table.h"

#include <algorithm>

#include "common/vb_error.h"
#include "ports/group_table.h"

namespace tamber {
namespace {

constexpr std::size_t kHeaderSize = 32;
constexpr std::size_t kDescriptorSize = 32;
constexpr unsigned char kDescriptorEnd = 0x0D;
constexpr unsigned char kEndOfFile = 0x1A;
constexpr unsigned char kDeleted = '*';

unsigned Byte(std::string_view b, std::size_t at) {
    return static_cast<unsigned char>(b[at]);
}
unsigned U16(std::string_view b, std::size_t at) {
    return Byte(b, at) | Byte(b, at + 1) << 8;
}
std::uint32_t U32(std::string_view b, std::size_t at) {
    return U16(b, at) | static_cast<std::uint32_t>(U16(b, at + 2)) << 16;
}

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AsciiUpper(x) == AsciiUpper(y);
           });
}

class Fault {
  public:
    explicit Fault(std::string_view label) : label_(label) {}
    [[noreturn]] void operator()(const std::string& what) const {
        throw VbError(ado::kProviderError,
                      "'" + label_ + "' is not a readable dBASE table: " + what + ".");
    }

  private:
    std::string label_;
};

DbfColumn ReadDescriptor(std::string_view d) {
    DbfColumn c;
    std::string_view name = d.substr(0, 11);
    name = name.substr(0, std::min(name.find('\0'), name.size()));
    while (!name.empty() && name.back() == ' ')
        name.remove_suffix(1);
    c.name = std::string(name);
    c.type = d[11];
    c.length = static_cast<std::uint16_t>(Byte(d, 16));
    c.decimals = static_cast<std::uint8_t>(Byte(d, 17));
    // Character columns longer than 255 bytes keep the high byte of their length in the
    // decimal-count byte.
    if (c.type == 'C') {
        c.length = static_cast<std::uint16_t>(c.length | c.decimals << 8);
        c.decimals = 0;
    }
    return c;
}

} // namespace

std::string_view TrimPadding(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0'))
        text.remove_suffix(1);
    return text;
}

DbfTable DbfTable::Parse(std::string bytes, std::string_view label) {
    const Fault fail(label);
    const std::string_view b = bytes;
    if (b.size() < kHeaderSize)
        fail("the header is truncated (" + std::to_string(b.size()) + " bytes)");

    const unsigned version = Byte(b, 0);
    if (version == 0x02 || (version & 0x07) == 0x04)
        fail("the table format " + std::to_string(version) + " is not supported");

    const std::uint32_t headerCount = U32(b, 4);
    const std::size_t headerLength = U16(b, 8);
    const std::size_t recordLength = U16(b, 10);
    if (headerLength < kHeaderSize + 1)
        fail("the header length " + std::to_string(headerLength) + " is too small");
    if (headerLength > b.size())
        fail("the header is truncated (header length " + std::to_string(headerLength) +
             ", file size " + std::to_string(b.size()) + ")");

    DbfTable table;
    std::size_t at = kHeaderSize;
    std::uint32_t offset = 1; // byte 0 of a record is its deletion flag
    while (at < headerLength && Byte(b, at) != kDescriptorEnd) {
        if (at + kDescriptorSize > headerLength) fail("the column descriptors run past the header");
        DbfColumn c = ReadDescriptor(b.substr(at, kDescriptorSize));
        if (c.length == 0) fail("column '" + c.name + "' has length 0");
        c.offset = offset;
        offset += c.length;
        table.columns_.push_back(std::move(c));
        at += kDescriptorSize;
    }
    if (at >= headerLength) fail("the column descriptors have no terminator");
    if (table.columns_.empty()) fail("the table has no columns");
    if (recordLength == 0) fail("the record length is 0");
    if (offset > recordLength)
        fail("the columns (" + std::to_string(offset) +
             " bytes with the flag) exceed the record length " + std::to_string(recordLength));

    // A writer may have grown the count before appending the record, or the file may be cut:
    // only complete records are read.
    const std::size_t inFile = (b.size() - headerLength) / recordLength;
    const std::size_t count = std::min<std::size_t>(headerCount, inFile);
    std::size_t read = 0;
    for (; read < count; ++read) {
        const std::size_t record = headerLength + read * recordLength;
        const unsigned flag = Byte(b, record);
        if (flag == kEndOfFile) break;
        if (flag != kDeleted) table.rows_.push_back(record);
    }
    table.missing_ = headerCount - read;
    table.bytes_ = std::move(bytes);
    return table;
}

std::optional<std::size_t> DbfTable::FindColumn(std::string_view name) const {
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (SameName(columns_[i].name, name)) return i;
    return std::nullopt;
}

std::string_view DbfTable::RawValue(std::size_t row, std::size_t column) const {
    const DbfColumn& c = columns_.at(column);
    return std::string_view(bytes_).substr(rows_.at(row) + c.offset, c.length);
}

std::string_view DbfTable::Value(std::size_t row, std::size_t column) const {
    return TrimPadding(RawValue(row, column));
}

} // namespace tamber
