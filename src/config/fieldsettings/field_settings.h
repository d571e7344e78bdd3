#pragma once
// The field list settings file (M().IniFile): for each configured ACT! field a main section
// named after its field identifier ("57") and, for a field whose list depends on a
// reference field, a value section ("57-Values") holding one value setting per reference
// value. This module is the one place that knows the sections, keys, spellings and each
// reader's defaults.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamber::fieldsettings {

inline constexpr char kType[] = "Type";
inline constexpr char kReference[] = "Reference";
inline constexpr char kNoRebuild[] = "NoRebuild";
inline constexpr char kCompanyName[] = "CompanyName";
inline constexpr char kBlank[] = "Blank";
inline constexpr char kDefaultValue[] = "_If No List Specified";
inline constexpr char kValuesSuffix[] = "-Values";
// The value setting of a cleared row; never stored.
inline constexpr char kCleared[] = "|||";

std::string MainSection(std::string_view fieldIdText);
std::string ValueSection(std::string_view fieldIdText);

// Main list type codes ("Type"), the index of the configuration window's type combo.
namespace maintype {
constexpr int kAllGroups = 0;
constexpr int kSubgroups = 1;
constexpr int kMembers = 2;
constexpr int kDependsOnReference = 3;
constexpr int kNoList = 4; // never stored: removes the field's sections
} // namespace maintype
inline constexpr std::array<const char*, 5> kMainTypeNames = {
    "List of All Groups", "List of the Subgroups of one GROUP", "List of the Members of one GROUP",
    "Depends on a REFERENCE FIELD value", "No Quill List"};

// Value-setting list type codes (field 1 of a value setting).
namespace valuetype {
constexpr int kAllGroups = 0;
constexpr int kSubgroups = 1;
constexpr int kMembers = 2;
constexpr int kStaticList = 3;
constexpr int kNone = 4; // never stored: clears the row
} // namespace valuetype
inline constexpr std::array<const char*, 5> kValueTypeNames = {
    "List of All Groups", "Subgroups of one GROUP", "Members of one GROUP", "Static LIST", "None"};

// A value setting: type|details|rebuild|display.
struct ValueSetting {
    std::string type;    // "0" ... "3"
    std::string details; // "n/a", a group identifier or a static list name
    std::string rebuild; // "1" rebuilt each time ("Auto"), "0" kept in a cache file ("Manual")
    std::string display; // "1" company names, "0" contact names
    bool operator==(const ValueSetting&) const = default;
};

// Splits at every "|"; fields past the fourth are ignored, missing ones are empty.
ValueSetting SplitValueSetting(std::string_view text);
std::string ComposeValueSetting(const ValueSetting& setting);
// As list building reads a setting: an empty rebuild or display field counts as "0".
ValueSetting WithBuildDefaults(ValueSetting setting);
// The setting the configuration window gives a row when its type is chosen. manual: the
// user chose "Manual"; company: "Company". Type 4 ("None") gives the cleared setting.
ValueSetting SettingForType(int valueType, const std::string& details, bool manual, bool company);

// What the configuration window's OK stores for a field.
struct FieldSetting {
    int type = maintype::kNoList;
    std::string reference;    // types 1, 2: group identifier; 3: reference field identifier
    bool noRebuild = true;    // stored for types 0 to 2
    bool companyName = false; // stored for type 2
};
struct ReferenceRow {
    std::string value;   // the reference field's value ("_If No List Specified" first)
    std::string setting; // its value setting; kCleared deletes the key
};

// Stores a field's settings in one atomic write: for types 1 to 3 and "no list" both
// sections are removed first (type 0 keeps whatever is there); then "Reference" (types 1 to
// 3), "Type", "NoRebuild" (types 0 to 2), "CompanyName" (type 2) and, for type 3, the rows.
// False when the file could not be written (the write has reported it).
bool WriteFieldSettings(const std::string& fieldIdText, const FieldSetting& setting,
                        const std::vector<ReferenceRow>& rows = {});

// IsSet's rule: the field is configured when its main section exists.
bool MainSectionExists(const std::string& fieldIdText);

// The list window's reading. "Type" and "CompanyName" values that do not convert are
// VbError 13 (6 when too large); "NoRebuild" is compared as a number (text counts as 0).
struct ListWindowSettings {
    std::int16_t ListType = -1;   // "Type", default -1
    bool RebuildEachTime = false; // "NoRebuild" (default 1) equals 0
    std::string ListReference;    // "Reference" when the type is above 0; types 1, 2 get a blank
    bool ShowCompany = false;     // "CompanyName" for type 2
};
ListWindowSettings ReadForListWindow(const std::string& fieldIdText);

// The configuration window's reading, as stored text with its defaults.
struct ConfigWindowSettings {
    std::string Type = "4";
    std::string NoRebuild = "1";
    std::string Reference;
    std::string CompanyName = "0";
};
ConfigWindowSettings ReadForConfigWindow(const std::string& fieldIdText);

// List building of a reference-dependent field: the setting stored for referenceValue, else
// the "_If No List Specified" one, with build defaults applied; nullopt when neither is set.
std::optional<ValueSetting> ReadValueSetting(const std::string& fieldIdText,
                                             const std::string& referenceValue);

// The configuration window's table: the value setting stored under the reference value
// exactly, kCleared when there is none.
std::string ReadRowSetting(const std::string& fieldIdText, const std::string& referenceValue);

// "Blank" (default 0) equals 1 as a number: a static list starts with one empty entry.
bool ReadBlank(const std::string& fieldIdText);

// "Reference" (default ""), as list building reads it for a reference-dependent field.
std::string ReadReference(const std::string& fieldIdText);

// The one Boolean rule for stored texts (the run time's CBool): "True"/"False" in any case,
// numbers are True when not 0; anything else, empty text included, is VbError 13.
bool ToBoolean(std::string_view text);

} // namespace tamber::fieldsettings
