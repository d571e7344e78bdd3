#include "core/gdb_writer.h"

#include <cstdio>
#include <stdexcept>

#include "ports/dbf/dbf_writer.h"

namespace tamber::standin {

std::string GroupTableBytes(const actdb::Database& db) {
    std::vector<GroupTableRow> rows;
    for (const auto& g : db.groups)
        rows.push_back({g.id, g.parent, g.name});
    return tamber::WriteGroupTable(rows);
}

void WriteGroupTable(const actdb::Database& db, const std::string& path) {
    std::string bytes = GroupTableBytes(db);
    std::string temp = path + ".new";
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write " + temp);
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    std::remove(path.c_str());
    if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        throw std::runtime_error("cannot write " + path);
    }
}

} // namespace tamber::standin
