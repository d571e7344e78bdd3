#include "listbuild/listnames/list_names.h"

#include <optional>
#include <string_view>

#include "common/procedure.h"
#include "ini/ini_document.h"
#include "inilib/inilib.h"
#include "module1/module1.h"
#include "ports/dialogs.h"
#include "ports/file_system.h"
#include "ports/platform.h"
#include "vb/vb_convert.h"

namespace tamber {

namespace {

// An identifier as the index file gives it back: without outer blanks (nor enclosing quotes).
std::string_view AsStored(std::string_view text) {
    return ini::Unquote(ini::TrimFileBlanks(text));
}

struct Lookup {
    std::int32_t recorded = 0; // groups in the index
    std::int32_t number = 0;   // the group's, 0 when it is not there
};

Lookup Find(std::string_view wanted, const std::string& index) {
    Lookup found;
    std::string count = IniLib::GetKeyValue("Index", "Count", "", "", "", index);
    found.recorded = count.empty() ? 0 : vb::CLng(count);
    for (std::int32_t i = 1; i <= found.recorded; ++i) {
        std::string entry = IniLib::GetKeyValue("Items", std::to_string(i), "", "", "", index);
        if (AsStored(entry) == wanted) {
            found.number = i;
            break;
        }
    }
    return found;
}

// The group's number in the index, appending the group when it is not there yet; nullopt
// when the index could not be written (the user has been told).
std::optional<std::int32_t> GroupNumber(const std::string& reference, const std::string& index) {
    const std::string_view wanted = AsStored(reference);
    // Numbers are never reused or removed: a group found keeps its number, lock or no lock.
    if (std::int32_t number = Find(wanted, index).number) return number;
    // Another user may be recording groups at this moment: the index is read again and grown
    // under the lock, from its bytes, as a file server's stamp may not show the change yet.
    std::unique_ptr<FileLock> lock = HoldListsLock();
    if (!lock) return std::nullopt;
    ini::Profiles().Forget(index);
    const Lookup now = Find(wanted, index);
    if (now.number) return now.number;
    std::int32_t n = now.recorded + 1;
    IniLib::Batch batch(index);
    batch.Write("Items", std::to_string(n), reference);
    batch.Write("Index", "Count", std::to_string(n));
    if (!batch.Commit()) return std::nullopt;
    return n;
}

} // namespace

std::unique_ptr<FileLock> HoldListsLock() {
    const Module1& m = M();
    std::unique_ptr<FileLock> lock =
        Sys().files->Lock(m.SettingsDir + m.DbName + "_lists.lock", kListsLockWait);
    if (!lock) {
        std::string folder = m.SettingsDir;
        if (folder.size() > 3 && folder.back() == '\\') folder.pop_back(); // "C:\\" stays
        AppDialogs().MsgBox("Another user of the folder " + folder +
                                " is changing its lists.\rPlease try again in a moment.",
                            mb::kExclamation, AppTitle());
    }
    return lock;
}

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
