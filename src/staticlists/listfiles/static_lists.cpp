#include "staticlists/listfiles/static_lists.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "common/procedure.h"
#include "common/vb_error.h"
#include "module1/module1.h"
#include "ports/dialogs.h"
#include "ports/file_system.h"
#include "ports/platform.h"
#include "staticlists/listfiles/ansi_case.h"
#include "staticlists/listfiles/list_file.h"

namespace tamber::staticlists {

namespace {

BeepHook g_beep = nullptr;

constexpr std::string_view kExtension = ".lst";

FileSystem& Files() {
    if (!Sys().files) throw VbError(err::kObjectRequired, "Object required");
    return *Sys().files;
}

std::vector<std::string> ListNames() {
    std::vector<std::string> names;
    for (const std::string& file : Files().ListFiles(M().SettingsDir, "*.lst"))
        names.push_back(file.size() >= 4 ? file.substr(0, file.size() - 4) : std::string());
    return names;
}

} // namespace

std::string ListPath(const std::string& name) {
    return M().SettingsDir + name + std::string(kExtension);
}

ExistingLists Get_Existing_Lists() {
    return Function(
        "Module1", "Get_Existing_Lists",
        [&](Statement& at) -> ExistingLists {
            at();
            std::vector<std::string> names = ListNames();
            if (names.empty()) return std::string(kNoListMarker);
            return names;
        },
        ExistingLists(std::vector<std::string>{}));
}

bool IsNoListMarker(const ExistingLists& lists) {
    const auto* text = std::get_if<std::string>(&lists);
    return text && *text == kNoListMarker;
}

std::string Get_List_string() {
    return Function("frmNew", "Get_List_string", [&](Statement&) {
        std::string all;
        for (const std::string& name : ListNames())
            all += name + "|";
        return all;
    });
}

bool Name_Taken(const std::string& typed, const std::string& currentName) {
    return Function("frmNew", "Name_Taken", [&](Statement& at) {
        // A list may take another capitalisation of its own name.
        if (!currentName.empty() && ansi::EqualNoCase(typed, currentName)) return false;
        at();
        for (const std::string& name : ListNames())
            if (ansi::EqualNoCase(name, typed)) return true;
        return false;
    });
}

std::int16_t ValidateText(std::int16_t KeyAscii, const std::string& Allowed, bool AllowBackspace) {
    return Function("modDataValidation", "ValidateText", [&](Statement& at) -> std::int16_t {
        std::string allowed = ansi::Upper(Allowed);
        if (AllowBackspace) allowed += '\b';
        at();
        if (KeyAscii < 0 || KeyAscii > 255)
            throw VbError(err::kInvalidProcedureCall, "Invalid procedure call or argument");
        char typed = ansi::Upper(static_cast<char>(KeyAscii));
        if (allowed.find(typed) != std::string::npos) return KeyAscii;
        at();
        if (g_beep) g_beep();
        return 0;
    });
}

void SetBeepHook(BeepHook hook) {
    g_beep = hook;
}

std::string ListNameProblem(const std::string& name) {
    if (name.empty()) return "Please type a name for the list.";
    for (char c : name) {
        if (std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
            return std::string("A list name cannot contain the character ") + c +
                   " (none of \\ / : * ? \" < > | can be used in a file name).";
        if (static_cast<unsigned char>(c) < 32)
            return "A list name cannot contain tabs, line breaks or other control characters.";
    }
    if (name.back() == ' ' || name.back() == '.')
        return "A list name cannot end with a space or a period.";
    // Device names stay reserved whatever extension follows them ("CON.txt").
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    stem = ansi::Upper(stem);
    static constexpr std::array<std::string_view, 4> kDevices = {"CON", "PRN", "AUX", "NUL"};
    bool reserved = std::find(kDevices.begin(), kDevices.end(), stem) != kDevices.end();
    if (stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
        stem[3] >= '1' && stem[3] <= '9')
        reserved = true;
    if (reserved)
        return "\"" + name.substr(0, stem.size()) +
               "\" is a device name reserved by Windows and cannot be used as a list name.";
    return {};
}

bool CheckListName(const std::string& name) {
    std::string problem = ListNameProblem(name);
    if (problem.empty()) return true;
    AppDialogs().MsgBox(problem, mb::kExclamation, AppTitle());
    return false;
}

std::vector<std::string> ReadList(const std::string& file) {
    return listfile::ReadByLastKey(file);
}

std::string ReadListText(const std::string& file) {
    std::string text;
    for (const std::string& item : ReadList(file))
        text += item + "\r\n";
    return text;
}

namespace {

std::vector<std::string_view> SortedViews(std::string_view text) {
    // Every kind of line break ends a line: a lone CR or LF kept inside an item would break
    // its line in the file and lose the rest of the item. Empty lines are dropped.
    //
    // Equal items are indistinguishable, so any sort by character code orders them exactly
    // as the bubble sort does, without its quadratic time on long lists. Most comparisons
    // are settled by the first eight bytes as one big-endian number (zero-padded, so a
    // prefix sorts first); the rest are compared in full.
    struct Keyed {
        std::uint64_t head;
        std::string_view item;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(text.size() / 16);
    for (std::size_t i = 0, start = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\r' && text[i] != '\n') continue;
        if (i > start) {
            std::string_view item = text.substr(start, i - start);
            unsigned char first[8] = {};
            std::memcpy(first, item.data(), std::min<std::size_t>(item.size(), 8));
            std::uint64_t head = 0;
            for (unsigned char c : first)
                head = head << 8 | c;
            keyed.push_back({head, item});
        }
        start = i + 1;
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        return a.head != b.head ? a.head < b.head : a.item < b.item;
    });
    std::vector<std::string_view> items;
    items.reserve(keyed.size());
    for (const Keyed& k : keyed)
        items.push_back(k.item);
    return items;
}

} // namespace

std::vector<std::string> SortedItems(std::string_view text) {
    std::vector<std::string_view> sorted = SortedViews(text);
    return std::vector<std::string>(sorted.begin(), sorted.end());
}

bool SaveList(const std::string& file, std::string_view text) {
    // Views into text: each item is copied once, into the file's new bytes.
    std::vector<std::string_view> items = SortedViews(text);
    if (items.size() > static_cast<std::size_t>(kMaxItems)) {
        AppDialogs().MsgBox("This list has " + std::to_string(items.size()) +
                                " items, but a list can hold at most " + std::to_string(kMaxItems) +
                                " items. "
                                "Remove some items and save again; nothing was saved.",
                            mb::kExclamation, AppTitle());
        return false;
    }
    IniLib::Batch batch(file);
    listfile::BatchWriter out(batch);
    out.DeleteSection(listfile::kItems);
    listfile::StageSortedEntries(out, items);
    return batch.Commit("the list was not saved.");
}

void RenameList(const std::string& oldName, const std::string& newName) {
    if (oldName == newName) return;
    std::string from = ListPath(oldName), to = ListPath(newName);
    FileSystem& files = Files();
    if (ansi::EqualNoCase(oldName, newName)) {
        // Same file under another capitalisation: copying onto itself and deleting the
        // "old" one would delete the list. A direct rename may keep the old spelling (the
        // target resolves to the file itself), so the file passes through another name.
        const std::string passing = from + ".renaming";
        files.Rename(from, passing, true);
        try {
            files.Rename(passing, to);
        } catch (...) {
            files.Rename(passing, from);
            throw;
        }
        return;
    }
    std::optional<std::string> bytes = files.ReadAll(from);
    if (!bytes) throw VbError(err::kFileNotFound, "File not found");
    files.WriteAll(to, *bytes);
    files.Remove(from);
}

void DeleteList(const std::string& name) {
    Files().Remove(ListPath(name));
}

} // namespace tamber::staticlists
