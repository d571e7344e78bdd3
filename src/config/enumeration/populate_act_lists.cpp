#include "config/enumeration/populate_act_lists.h"

#include <limits>
#include <map>
#include <utility>
#include <vector>

#include "common/procedure.h"
#include "config/fieldsettings/field_settings.h"
#include "module1/module1.h"
#include "ports/act.h"
#include "vb/vb_convert.h"

namespace tamber::modPopulateACTLists {
namespace {

constexpr char kModule[] = "modPopulateACTLists";

// Group identifiers compare without their trailing blanks, as ACT! compares them.
std::string TrimmedId(std::string id) {
    while (!id.empty() && id.back() == ' ')
        id.pop_back();
    return id;
}

bool Listed(const std::string& list, const std::string& code) {
    return list.find("|" + code + "|") != std::string::npos;
}

} // namespace

void Populate_cboFields(forms::ComboBox& combo, const std::string& types, std::int16_t mode,
                        const std::string& select) {
    Sub(kModule, "Populate_cboFields", [&](Statement& at) {
        act::Fields& fields = *M().ActFields;
        at();
        combo.Clear();
        const std::int16_t count = fields.Count();
        // ACT! numbers its fields from 0 with gaps; probing stops at the last hit, at the end
        // of the 16-bit range, or where ACT! refuses a number, whichever comes first.
        std::int16_t hits = 0;
        for (std::int32_t i = 0; hits < count && i <= std::numeric_limits<std::int16_t>::max();
             ++i) {
            std::int16_t id;
            try {
                id = fields.ID(static_cast<std::int16_t>(i));
            } catch (const VbError&) {
                break;
            }
            if (id == -1) continue;
            ++hits;
            at();
            if (Include_Field(std::to_string(id), types, mode)) {
                combo.AddItem(fields.Label(static_cast<std::int16_t>(i)));
                combo.SetItemData(combo.NewIndex(), id);
            }
        }
        at();
        if (select.empty()) return;
        if (select == kTopItem) {
            if (combo.ListCount() > 0) combo.SetListIndex(0);
            return;
        }
        const long wanted = vb::CLng(select);
        for (int k = 0; k < combo.ListCount(); ++k) {
            if (combo.ItemData(k) == wanted) return combo.SetListIndex(k);
        }
    });
}

bool Include_Field(const std::string& fieldId, const std::string& types, std::int16_t mode) {
    return Function(kModule, "Include_Field", [&](Statement& at) {
        act::Fields& fields = *M().ActFields;
        at();
        if (!Listed(types, std::to_string(fields.Type(fieldId)))) return false;
        at();
        if (mode == kReferenceFields) return fields.HasPopupList(fieldId);
        if (mode == kListFields) {
            if (fields.HasPopupList(fieldId)) return false;
            at();
            return !Listed(kExcludedFields, std::to_string(fields.ID(fieldId)));
        }
        return true;
    });
}

void Populate_lvwPopupList(forms::ListView& table, std::int16_t fieldId,
                           const std::string& select) {
    Sub(kModule, "Populate_lvwPopupList", [&](Statement& at) {
        at();
        table.ClearItems();
        int first = table.AddItem(fieldsettings::kDefaultValue);
        table.SetItemBold(first, true);
        at();
        auto popup = M().ActFields->POPUPINFO(fieldId, 0);
        const int last = popup->PopupCount() - 1;
        for (int k = 0; k <= last; ++k) {
            at();
            std::string value = popup->value(static_cast<std::int16_t>(k));
            int row = table.AddItem(value);
            if (value == select) table.SetSelectedItem(row);
        }
    });
}

void Populate_Combo_w_Groups(forms::ComboBox& names, forms::ComboBox& ids,
                             const std::string& select, bool blank, std::int16_t mode,
                             const std::string& /*unused*/) {
    Sub(kModule, "Populate_Combo_w_Groups", [&](Statement& at) {
        act::Group& group = *M().ActGroup;
        at();
        names.Clear();
        ids.Clear();
        if (blank) {
            names.AddItem("");
            ids.AddItem("");
        }
        // Mode 0 names a subgroup after its own parent, which ACT! may list after it: such a
        // name is completed once the walk has met the parent.
        std::map<std::string, std::string> nameOf;        // identifier without trailing blanks
        std::vector<std::pair<int, std::string>> waiting; // entry, parent identifier
        at();
        group.MoveFirst();
        while (!group.isEOF()) {
            at();
            if (mode == kAllGroups) {
                std::string id = group.Data(act::kGroupIdField);
                std::string name = group.Data(act::kGroupNameField);
                nameOf[TrimmedId(id)] = name;
                if (group.GroupType() == 1) {
                    std::string parent = TrimmedId(group.GetParent());
                    auto known = nameOf.find(parent);
                    if (known == nameOf.end()) waiting.emplace_back(names.ListCount(), parent);
                    name = (known == nameOf.end() ? std::string() : known->second) + ": " + name;
                }
                names.AddItem(name);
                ids.AddItem(id);
            } else if (mode == kGroupsWithSubgroups && group.GetSubGroupCount() > 0) {
                names.AddItem(group.Data(act::kGroupNameField));
                ids.AddItem(group.Data(act::kGroupIdField));
            }
            at();
            group.MoveNext();
        }
        for (const auto& [entry, parent] : waiting) {
            auto known = nameOf.find(parent);
            if (known != nameOf.end()) names.SetList(entry, known->second + names.List(entry));
        }
        at();
        if (select.empty()) return;
        for (int k = 0; k < names.ListCount(); ++k) {
            if (names.List(k) == select) return names.SetListIndex(k);
        }
    });
}

} // namespace tamber::modPopulateACTLists
