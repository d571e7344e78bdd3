#include "config/fieldsettings/field_settings.h"

#include "common/vb_error.h"
#include "inilib/inilib.h"
#include "module1/module1.h"
#include "vb/vb_convert.h"

namespace tamber::fieldsettings {

namespace {

std::string Read(const std::string& section, const char* key, const std::string& def) {
    return IniLib::GetKeyValue(section, key, def, "", "", M().IniFile);
}

VbError TypeMismatch() {
    return VbError(err::kTypeMismatch, "Type mismatch");
}

} // namespace

std::string MainSection(std::string_view fieldIdText) {
    return std::string(fieldIdText);
}

std::string ValueSection(std::string_view fieldIdText) {
    return std::string(fieldIdText) + kValuesSuffix;
}

ValueSetting SplitValueSetting(std::string_view text) {
    std::array<std::string, 4> fields;
    std::size_t field = 0, start = 0;
    while (field < fields.size()) {
        std::size_t bar = text.find('|', start);
        fields[field++] = std::string(text.substr(start, bar - start));
        if (bar == std::string_view::npos) break;
        start = bar + 1;
    }
    return {fields[0], fields[1], fields[2], fields[3]};
}

std::string ComposeValueSetting(const ValueSetting& s) {
    return s.type + "|" + s.details + "|" + s.rebuild + "|" + s.display;
}

ValueSetting WithBuildDefaults(ValueSetting setting) {
    if (setting.rebuild.empty()) setting.rebuild = "0";
    if (setting.display.empty()) setting.display = "0";
    return setting;
}

ValueSetting SettingForType(int valueType, const std::string& details, bool manual, bool company) {
    const std::string rebuild = manual ? "0" : "1";
    switch (valueType) {
    case valuetype::kAllGroups:
        return {"0", "n/a", rebuild, "0"};
    case valuetype::kSubgroups:
        return {"1", details, rebuild, "0"};
    case valuetype::kMembers:
        return {"2", details, rebuild, company ? "1" : "0"};
    case valuetype::kStaticList:
        return {"3", details, "1", "0"};
    default:
        return {};
    }
}

bool WriteFieldSettings(const std::string& fieldIdText, const FieldSetting& setting,
                        const std::vector<ReferenceRow>& rows) {
    const std::string main = MainSection(fieldIdText), values = ValueSection(fieldIdText);
    IniLib::Batch batch(M().IniFile);
    if (setting.type != maintype::kAllGroups) {
        batch.DeleteSection(main);
        batch.DeleteSection(values);
    }
    if (setting.type < maintype::kAllGroups || setting.type > maintype::kDependsOnReference)
        return batch.Commit();
    if (setting.type != maintype::kAllGroups) batch.Write(main, kReference, setting.reference);
    batch.Write(main, kType, std::to_string(setting.type));
    if (setting.type != maintype::kDependsOnReference)
        batch.Write(main, kNoRebuild, setting.noRebuild ? "1" : "0");
    if (setting.type == maintype::kMembers)
        batch.Write(main, kCompanyName, setting.companyName ? "1" : "0");
    if (setting.type == maintype::kDependsOnReference) {
        for (const ReferenceRow& row : rows) {
            if (row.setting == kCleared)
                batch.DeleteKey(values, row.value);
            else
                batch.Write(values, row.value, row.setting);
        }
    }
    return batch.Commit();
}

bool MainSectionExists(const std::string& fieldIdText) {
    std::string sections = IniLib::GetSections(M().IniFile);
    return sections.find(std::string(1, '\0') + MainSection(fieldIdText) + '\0') !=
           std::string::npos;
}

bool ToBoolean(std::string_view text) {
    if (auto number = vb::ToNumber(text)) return *number != 0;
    std::string word(text);
    for (char& c : word)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    while (!word.empty() && word.back() == ' ')
        word.pop_back();
    while (!word.empty() && word.front() == ' ')
        word.erase(word.begin());
    if (word == "true") return true;
    if (word == "false") return false;
    throw TypeMismatch();
}

ListWindowSettings ReadForListWindow(const std::string& fieldIdText) {
    const std::string main = MainSection(fieldIdText);
    ListWindowSettings s;
    s.ListType = vb::CInt(Read(main, kType, "-1"));
    s.RebuildEachTime = vb::Val(Read(main, kNoRebuild, "1")) == 0;
    if (s.ListType > 0) {
        s.ListReference = Read(main, kReference, "");
        if (s.ListType == maintype::kSubgroups || s.ListType == maintype::kMembers)
            s.ListReference += ' ';
    }
    if (s.ListType == maintype::kMembers) s.ShowCompany = ToBoolean(Read(main, kCompanyName, ""));
    return s;
}

ConfigWindowSettings ReadForConfigWindow(const std::string& fieldIdText) {
    const std::string main = MainSection(fieldIdText);
    ConfigWindowSettings s;
    s.Type = Read(main, kType, s.Type);
    s.NoRebuild = Read(main, kNoRebuild, s.NoRebuild);
    s.Reference = Read(main, kReference, s.Reference);
    s.CompanyName = Read(main, kCompanyName, s.CompanyName);
    return s;
}

std::optional<ValueSetting> ReadValueSetting(const std::string& fieldIdText,
                                             const std::string& referenceValue) {
    const std::string values = ValueSection(fieldIdText);
    std::string text = Read(values, referenceValue.c_str(), "");
    if (text.empty()) text = Read(values, kDefaultValue, "");
    if (text.empty()) return std::nullopt;
    return WithBuildDefaults(SplitValueSetting(text));
}

std::string ReadRowSetting(const std::string& fieldIdText, const std::string& referenceValue) {
    return Read(ValueSection(fieldIdText), referenceValue.c_str(), kCleared);
}

bool ReadBlank(const std::string& fieldIdText) {
    return vb::Val(Read(MainSection(fieldIdText), kBlank, "0")) == 1;
}

std::string ReadReference(const std::string& fieldIdText) {
    return Read(MainSection(fieldIdText), kReference, "");
}

} // namespace tamber::fieldsettings
