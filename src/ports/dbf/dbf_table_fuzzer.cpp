// Any bytes: parsing either succeeds or throws VbError, and every value of an accepted table
// is a whole column inside the file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/vb_error.h"
#include "ports/dbf/dbf_group_tables.h"
#include "ports/dbf/dbf_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tamber;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        const DbfTable table = DbfTable::Parse(bytes, "fuzz.gdb");
        std::size_t total = 0;
        for (std::size_t r = 0; r < table.RowCount(); ++r)
            for (std::size_t c = 0; c < table.Columns().size(); ++c) {
                const std::string_view raw = table.RawValue(r, c);
                if (raw.size() != table.Columns()[c].length) __builtin_trap();
                total += table.Value(r, c).size();
            }
        (void)total;
    } catch (const VbError&) {
    }
    try {
        ParseColumnFilter(bytes.substr(0, 80));
    } catch (const VbError&) {
    }
    return 0;
}
