#include "listbuild/cache/list_cache.h"

#include <cstdio>

#include "inilib/inilib.h"
#include "listbuild/progress/progress_channel.h"
#include "ports/locale.h"
#include "staticlists/listfiles/list_file.h"
#include "staticlists/listfiles/profile_writer.h"

namespace tamber::listbuild {

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
    const bool saved = batch.Commit();
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
