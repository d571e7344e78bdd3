#include "listbuild/cache/list_cache.h"

#include <cstdio>

#include "common/procedure.h"
#include "common/vb_error.h"
#include "inilib/inilib.h"
#include "listbuild/listnames/list_names.h"
#include "listbuild/progress/progress_channel.h"
#include "ports/file_system.h"
#include "ports/locale.h"
#include "ports/platform.h"
#include "staticlists/listfiles/list_file.h"
#include "staticlists/listfiles/profile_writer.h"

namespace tamber::listbuild {
namespace {

// A save that was killed mid-write leaves its temporary file ("<list>.~<id>.tmp") beside the
// list; only this list's are removed. Called under the lists lock, which every save holds
// while its temporary file exists, so none of them is another user's save in progress.
void RemoveInterruptedSaves(const std::string& file) {
    FileSystem& files = *Sys().files;
    const auto slash = file.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? "." : file.substr(0, slash);
    const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
    try {
        for (const std::string& temp : files.ListFiles(folder, name + ".~*.tmp")) {
            try {
                files.Remove(folder + "\\" + temp);
            } catch (const VbError&) {
            }
        }
    } catch (const VbError&) {
    }
}

} // namespace

bool SaveList(const std::string& file, const std::vector<std::string>& entries,
              ProgressChannel& progress) {
    const auto n = static_cast<std::int32_t>(entries.size());
    progress.BeginSave(n);
    IniLib::Batch batch(file);
    listfile::BatchWriter writer(batch);
    listfile::StageReplacement(writer, entries);
    // Staging is quick next to the write itself; gauge still sees the count go by.
    for (std::int32_t i = 1; i <= n; ++i)
        progress.RowDone(i);
    // Other users of a shared settings folder save lists too: one save at a time.
    std::unique_ptr<FileLock> lock =
        Function("frmList", "Refresh_File", [](Statement&) { return HoldListsLock(); });
    if (!lock) {
        progress.End();
        return false;
    }
    RemoveInterruptedSaves(file);
    const bool saved = batch.Commit("the list was not saved.");
    progress.End();
    return saved;
}

std::string FileDateText(std::uint64_t fileTime, Locale& locale) {
    auto local = locale.ToLocal(fileTime);
    if (!local) return {};
    char time[16];
    std::snprintf(time, sizeof time, "%d:%02d", local->hour, local->minute);
    return locale.LongDate(local->year, local->month, local->day) + " at " + time;
}

} // namespace tamber::listbuild
