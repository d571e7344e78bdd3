#pragma once
// Fills the configuration window's choices from the open ACT! database (M().ActFields,
// M().ActGroup): the fields that can carry a list, the reference fields, the groups, and the
// values of a reference field's ACT! drop-down list. Unexpected errors show the standard
// message naming "modPopulateACTLists"; what was added before the error stays.
#include <cstdint>
#include <string>

#include "forms/runtime/forms.h"

namespace tamber::modPopulateACTLists {

// The character field types, as the configuration window passes them.
inline constexpr char kCharacterTypes[] = "|1|2|3|4|";
// Fields that never get a list of their own.
inline constexpr char kExcludedFields[] = "|26|78|79|90|200|201|202|203|";
// Select the first entry.
inline constexpr char kTopItem[] = "vbTopItem";

// Field modes.
inline constexpr std::int16_t kReferenceFields = 1; // fields with an ACT! drop-down list
inline constexpr std::int16_t kListFields = 2;      // fields without one, minus the excluded
// Group modes.
inline constexpr std::int16_t kAllGroups = 0; // subgroups named "parent: name"
inline constexpr std::int16_t kGroupsWithSubgroups = 2;

// Lists the fields that Include_Field accepts (label, identifier as item data), then selects
// kTopItem's first entry or the entry whose identifier is `select` (none when not listed).
void Populate_cboFields(forms::ComboBox& combo, const std::string& types, std::int16_t mode,
                        const std::string& select);

// Whether the field (identifier as text) has one of the types ("|1|2|") and suits the mode.
bool Include_Field(const std::string& fieldId, const std::string& types, std::int16_t mode);

// The rows "_If No List Specified" (bold) and then the field's drop-down values in ACT!'s
// order; the row equal to `select` is selected.
void Populate_lvwPopupList(forms::ListView& table, std::int16_t fieldId, const std::string& select);

// Group names into `names` and their identifiers into `ids`, entry for entry; an empty first
// entry in both when blank. Then selects the first name equal to `select`.
void Populate_Combo_w_Groups(forms::ComboBox& names, forms::ComboBox& ids,
                             const std::string& select, bool blank, std::int16_t mode,
                             const std::string& unused = "");

} // namespace tamber::modPopulateACTLists
