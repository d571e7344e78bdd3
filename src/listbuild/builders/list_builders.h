#pragma once
// The list builders: names of ACT! groups, subgroups or group members, or a static list's
// items, collected in the order read. They read the program-wide state M() (UseActDatabase,
// GroupConnection, DbName, ActGroup, ActContact) and raise VbError on any failure; the
// caller's error boundary reports it. The names go into a sorted list box all at once
// (FillSorted), sorted once: added one by one in random order, each would cost a search and
// a shift, and a renderer one message.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamber {

class ProgressChannel;

namespace forms {
class ListBox;
}

namespace listbuild {

// Progress of one build: the channel, whether the caller asked for gauge, and the procedure
// named when gauge cannot be started (reported once; the build goes on without it).
struct BuildProgress {
    ProgressChannel& channel;
    bool show = false;
    std::string_view procedure;
};

// Every group through automation; only the top-level groups when read from the group table.
std::vector<std::string> AllGroups(BuildProgress progress);

// The direct subgroups of parent (identifier; trailing blanks do not matter).
std::vector<std::string> Subgroups(const std::string& parent, BuildProgress progress);

// Members of group, always through automation (the database objects are created when the
// program reads the group table). Contact names as "<field 79>, <field 78>", duplicates kept;
// or company names, each exact text once. A group whose member cursor cannot move to its
// first member gives no names.
std::vector<std::string> Members(const std::string& group, bool showCompany,
                                 BuildProgress progress);

// A static list's items up to its last [Items] key (missing keys are empty items), after one
// empty item when blank is set.
std::vector<std::string> StaticItems(const std::string& file, bool blank);

// When ACT!'s group table file was last written, while the program reads it directly
// (GroupConnection set, UseActDatabase false); nullopt otherwise or without the file.
std::optional<std::uint64_t> GroupTableWriteTime();

// The group's name through automation (the database objects are created when needed).
std::string GroupName(const std::string& group);

// Orders names as a sorted list box does (case-insensitive, equal names all kept).
void SortForList(std::vector<std::string>& names);

// Replaces the entries of a sorted list box by names, in the list box's order.
void FillSorted(forms::ListBox& list, std::vector<std::string> names);

} // namespace listbuild
} // namespace tamber
