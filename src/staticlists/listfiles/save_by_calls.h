#pragma once
// A list save as single profile calls, for tests and benchmarks that hold SaveList's one
// atomic write against the platform's own functions called key by key.
#include <string>
#include <vector>

#include "staticlists/listfiles/list_file.h"

namespace tamber::staticlists {

// Delete [Items], then the list file layout for items (already sorted), as SaveList does.
inline void StageSave(listfile::ProfileWriter& out, const std::vector<std::string>& items) {
    out.DeleteSection(listfile::kItems);
    listfile::StageEntries(out, items);
}

} // namespace tamber::staticlists
