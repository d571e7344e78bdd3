#include "listbuild/listnames/list_names.h"

#include <optional>
#include <string_view>

#include "common/procedure.h"
#include "ini/ini_document.h"
#include "inilib/inilib.h"
#include "module1/module1.h"
#include "vb/vb_convert.h"

namespace tamber {

namespace {

// An identifier as the index file gives it back: without outer blanks (nor enclosing quotes).
std::string_view AsStored(std::string_view text) {
    return ini::Unquote(ini::TrimFileBlanks(text));
}

// The group's number in the index, appending the group when it is not there yet; nullopt
// when the index could not be written (the write has reported it).
std::optional<std::int32_t> GroupNumber(const std::string& reference, const std::string& index) {
    const std::string_view wanted = AsStored(reference);
    std::string count = IniLib::GetKeyValue("Index", "Count", "", "", "", index);
    std::int32_t recorded = count.empty() ? 0 : vb::CLng(count);
    for (std::int32_t i = 1; i <= recorded; ++i) {
        std::string entry = IniLib::GetKeyValue("Items", std::to_string(i), "", "", "", index);
        if (AsStored(entry) == wanted) return i;
    }
    std::int32_t n = recorded + 1;
    IniLib::Batch batch(index);
    batch.Write("Items", std::to_string(n), reference);
    batch.Write("Index", "Count", std::to_string(n));
    if (!batch.Commit()) return std::nullopt;
    return n;
}

} // namespace

std::string Get_List_Name(std::int16_t type, const std::string& reference, bool showCompany) {
    return Function("Module1", "Get_List_Name", [&](Statement& at) -> std::string {
        if (type == 0) return "000001";
        at();
        std::optional<std::int32_t> number = GroupNumber(reference, M().ListsIniFile);
        if (!number) return {};
        at();
        std::string name = std::to_string(static_cast<std::int64_t>(type) * 100000 + *number);
        if (type == 2) name += showCompany ? "_C" : "_N";
        return name;
    });
}

} // namespace tamber
