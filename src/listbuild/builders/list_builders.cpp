#include "listbuild/builders/list_builders.h"

#include <algorithm>
#include <set>

#include "common/error_report.h"
#include "common/procedure.h"
#include "common/vb_error.h"
#include "forms/runtime/collate.h"
#include "forms/runtime/forms.h"
#include "listbuild/progress/progress_channel.h"
#include "module1/module1.h"
#include "ports/act.h"
#include "ports/group_table.h"
#include "startup/database/database_access.h"
#include "staticlists/listfiles/list_file.h"

namespace tamber::listbuild {
namespace {

constexpr long kObjectVariableNotSet = 91;

template <class T> T& Need(const std::shared_ptr<T>& object) {
    if (!object)
        throw VbError(kObjectVariableNotSet, "Object variable or With block variable not set");
    return *object;
}

// gauge is a convenience: when it cannot start, say so once and build all the same.
void StartGauge(BuildProgress& progress, std::int32_t rows) {
    Sub("frmList", progress.procedure, [&](Statement& at) {
        at();
        progress.channel.StartForBuild(rows, progress.show);
    });
}

std::string_view WithoutTrailingBlanks(std::string_view s) {
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

std::string GroupTableName() {
    return M().DbName + ".gdb";
}

// Runs a build; ACT! going away in it is said as what it is.
template <class F> auto Building(F&& build) {
    try {
        return build();
    } catch (const VbError& e) {
        if (!IsActGone(e.number())) throw;
        throw VbError(e.number(), "ACT! stopped answering while the list was built (" +
                                      e.description() + "); the list was not saved.");
    }
}

std::unique_ptr<GroupRecordset> OpenGroupTable() {
    return Need(M().GroupConnection).OpenTable(GroupTableName());
}

// Reads GRP_NAME of every row of a record set, writing "Stage" every 100 rows.
std::vector<std::string> ReadNames(GroupRecordset& rows, BuildProgress& progress,
                                   bool topLevelOnly) {
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(rows.RecordCount()));
    std::int32_t counter = 0;
    while (!rows.AtEof()) {
        ++counter;
        if (!topLevelOnly || rows.Field(gdb::kParentId).empty())
            names.push_back(rows.Field(gdb::kName));
        rows.MoveNext();
        progress.channel.RowDone(counter);
    }
    return names;
}

std::vector<std::string> AllGroupsOf(BuildProgress& progress) {
    std::vector<std::string> names;
    if (M().UseActDatabase) {
        act::Group& group = Need(M().ActGroup);
        group.MoveFirst();
        while (!group.isEOF()) {
            names.push_back(group.Data(act::kGroupNameField));
            group.MoveNext();
        }
        return names;
    }
    auto rows = OpenGroupTable();
    if (rows->RecordCount() == 0) return names;
    StartGauge(progress, rows->RecordCount());
    return ReadNames(*rows, progress, true);
}

std::vector<std::string> SubgroupsOf(const std::string& parent, BuildProgress& progress) {
    std::vector<std::string> names;
    if (M().UseActDatabase) {
        // ACT! gives identifiers with one trailing blank; a reference from a value setting
        // comes without it.
        const std::string_view wanted = WithoutTrailingBlanks(parent);
        act::Group& group = Need(M().ActGroup);
        group.MoveFirst();
        while (!group.isEOF()) {
            if (WithoutTrailingBlanks(group.GetParent()) == wanted)
                names.push_back(group.Data(act::kGroupNameField));
            group.MoveNext();
        }
        return names;
    }
    std::string quoted;
    for (char c : parent) {
        quoted += c;
        if (c == '\'') quoted += '\'';
    }
    auto rows = OpenGroupTable();
    rows->SetFilter(std::string(gdb::kParentId) + "='" + quoted + "'");
    if (rows->RecordCount() == 0) return names;
    StartGauge(progress, rows->RecordCount());
    return ReadNames(*rows, progress, false);
}

std::vector<std::string> MembersOf(const std::string& group, bool showCompany,
                                   BuildProgress& progress) {
    if (!M().UseActDatabase) Create_Database();
    std::vector<std::string> names;
    act::Group& groups = Need(M().ActGroup);
    act::Contact& contact = Need(M().ActContact);
    std::string id = group;
    groups.GoTo(id);
    std::shared_ptr<act::MemberCursor> members;
    try {
        members = groups.Members();
        Need(members).MoveFirst();
    } catch (const VbError&) {
        return names; // no members (or none reachable): an empty list, silently
    }
    StartGauge(progress, members->RecordCount());
    std::set<std::string> companies;
    std::int32_t counter = 0;
    while (!members->isEOF()) {
        ++counter;
        contact.GoTo(members->Data(act::kMemberContactField));
        if (showCompany) {
            std::string company = contact.Data(act::kCompanyField);
            if (companies.insert(company).second) names.push_back(std::move(company));
        } else {
            std::string name = contact.Data(act::kLastNameField);
            names.push_back(name + ", " + contact.Data(act::kFirstNameField));
        }
        members->MoveNext();
        progress.channel.RowDone(counter);
    }
    return names;
}

} // namespace

std::vector<std::string> AllGroups(BuildProgress progress) {
    return Building([&] { return AllGroupsOf(progress); });
}

std::vector<std::string> Subgroups(const std::string& parent, BuildProgress progress) {
    return Building([&] { return SubgroupsOf(parent, progress); });
}

std::vector<std::string> Members(const std::string& group, bool showCompany,
                                 BuildProgress progress) {
    return Building([&] { return MembersOf(group, showCompany, progress); });
}

std::vector<std::string> StaticItems(const std::string& file, bool blank) {
    std::vector<std::string> items;
    if (blank) items.emplace_back();
    std::vector<std::string> stored = listfile::ReadByLastKey(file);
    items.insert(items.end(), std::make_move_iterator(stored.begin()),
                 std::make_move_iterator(stored.end()));
    return items;
}

std::optional<std::uint64_t> GroupTableWriteTime() {
    const Module1& m = M();
    if (m.UseActDatabase || !m.GroupConnection) return std::nullopt;
    return m.GroupConnection->TableWriteTime(GroupTableName());
}

std::string GroupName(const std::string& group) {
    // A program that reads the group table has no group object yet.
    if (!M().ActGroup) Create_Database();
    act::Group& groups = Need(M().ActGroup);
    std::string id = group;
    groups.GoTo(id);
    return groups.Data(act::kGroupNameField);
}

void SortForList(std::vector<std::string>& names) {
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return forms::CompareListText(a, b) < 0;
    });
}

void FillSorted(forms::ListBox& list, std::vector<std::string> names) {
    list.SetItems(std::move(names));
}

} // namespace tamber::listbuild
