#include "ports/dbf/dbf_writer.h"

#include <algorithm>
#include <stdexcept>

#include "ports/group_table.h"

namespace tamber {
namespace {

void PutU16(std::string& out, std::size_t at, unsigned v) {
    out[at] = static_cast<char>(v & 0xFF);
    out[at + 1] = static_cast<char>(v >> 8 & 0xFF);
}

void PutU32(std::string& out, std::size_t at, std::uint32_t v) {
    PutU16(out, at, v & 0xFFFF);
    PutU16(out, at + 2, v >> 16);
}

bool IsFoxPro(std::uint8_t version) {
    return version == 0x30 || version == 0x31 || version == 0x32;
}

} // namespace

DbfWriter::DbfWriter(std::vector<DbfColumn> columns, std::uint8_t version)
    : columns_(std::move(columns)), version_(version) {
    for (DbfColumn& c : columns_) {
        if (c.name.empty() || c.name.size() > 10)
            throw std::invalid_argument("column name must have 1 to 10 characters: " + c.name);
        if (c.length == 0 || (c.type != 'C' && c.length > 255))
            throw std::invalid_argument("bad length for column " + c.name);
        c.offset = recordLength_;
        if (recordLength_ + c.length > 0xFFFF)
            throw std::invalid_argument("record longer than 65535 bytes");
        recordLength_ = static_cast<std::uint16_t>(recordLength_ + c.length);
    }
}

void DbfWriter::SetDate(int year, int month, int day) {
    date_[0] = static_cast<std::uint8_t>(year - 1900);
    date_[1] = static_cast<std::uint8_t>(month);
    date_[2] = static_cast<std::uint8_t>(day);
}

void DbfWriter::AddRow(const std::vector<std::string>& values, bool deleted) {
    std::string record(recordLength_, ' ');
    record[0] = deleted ? '*' : ' ';
    for (std::size_t i = 0; i < columns_.size() && i < values.size(); ++i) {
        const DbfColumn& c = columns_[i];
        std::string v = values[i].substr(0, c.length);
        // Numbers are right-aligned, everything else left-aligned.
        const std::size_t at =
            c.type == 'N' || c.type == 'F' ? c.offset + c.length - v.size() : c.offset;
        record.replace(at, v.size(), v);
    }
    records_.push_back(std::move(record));
}

std::string DbfWriter::Bytes() const {
    const std::size_t descriptors = 32 * columns_.size() + 1;
    const std::size_t headerLength = 32 + descriptors + (IsFoxPro(version_) ? 263 : 0);
    std::string out(headerLength, '\0');
    out[0] = static_cast<char>(version_);
    out[1] = static_cast<char>(date_[0]);
    out[2] = static_cast<char>(date_[1]);
    out[3] = static_cast<char>(date_[2]);
    PutU32(out, 4, static_cast<std::uint32_t>(records_.size()));
    PutU16(out, 8, static_cast<unsigned>(headerLength));
    PutU16(out, 10, recordLength_);
    out[29] = static_cast<char>(languageDriver_);
    std::size_t at = 32;
    for (const DbfColumn& c : columns_) {
        out.replace(at, c.name.size(), c.name);
        out[at + 11] = c.type;
        if (IsFoxPro(version_)) PutU32(out, at + 12, c.offset);
        out[at + 16] = static_cast<char>(c.length & 0xFF);
        out[at + 17] = static_cast<char>(c.type == 'C' ? c.length >> 8 : c.decimals);
        at += 32;
    }
    out[at] = 0x0D;
    for (const std::string& r : records_)
        out += r;
    out += '\x1A';
    return out;
}

std::string WriteGroupTable(const std::vector<GroupTableRow>& groups) {
    std::size_t id = 12, parent = 12, name = 40;
    for (const GroupTableRow& g : groups) {
        id = std::max(id, g.id.size());
        parent = std::max(parent, g.parentId.size());
        name = std::max(name, g.name.size());
    }
    auto width = [](std::size_t n) { return static_cast<std::uint16_t>(n); };
    DbfWriter w({{gdb::kGroupId, 'C', width(id)},
                 {gdb::kParentId, 'C', width(parent)},
                 {gdb::kName, 'C', width(name)}});
    for (const GroupTableRow& g : groups)
        w.AddRow({g.id, g.parentId, g.name});
    return w.Bytes();
}

} // namespace tamber
