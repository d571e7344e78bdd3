#include "config/fieldsettings/field_settings.h"

#include <gtest/gtest.h>

#include "common/vb_error.h"
#include "staticlists/listfiles/list_test_env.h"

namespace tamber::fieldsettings {
namespace {

class FieldSettingsTest : public ListFolderTest {
  protected:
    std::string Bytes() { return ListFolderTest::Bytes(M().IniFile); }
    void Put(const std::string& bytes) { fs.WriteAll(M().IniFile, bytes); }
};

const std::vector<ReferenceRow> kSizesRows = {{"_If No List Specified", "0|n/a|1|0"},
                                              {"Small", "3|Sizes|1|0"}};

TEST_F(FieldSettingsTest, ReferenceDependentFieldIsWrittenByteForByte) {
    ASSERT_TRUE(
        WriteFieldSettings("57", {maintype::kDependsOnReference, "12", true, false}, kSizesRows));
    EXPECT_EQ(Bytes(), "[57]\r\nReference=12\r\nType=3\r\n"
                       "[57-Values]\r\n_If No List Specified=0|n/a|1|0\r\nSmall=3|Sizes|1|0\r\n");
    EXPECT_EQ(fs.writes, 1); // one atomic write
}

TEST_F(FieldSettingsTest, ReadersTakeTheDocumentedEntry) {
    Put("[57]\r\nType=3\r\nReference=12\r\n[57-Values]\r\n"
        "_If No List Specified=0|n/a|1|0\r\nSmall=3|Sizes|1|0\r\n");
    ListWindowSettings list = ReadForListWindow("57");
    EXPECT_EQ(list.ListType, 3);
    EXPECT_EQ(list.ListReference, "12"); // a field identifier gets no blank
    EXPECT_FALSE(list.RebuildEachTime);
    EXPECT_EQ(ReadValueSetting("57", "Small"), (ValueSetting{"3", "Sizes", "1", "0"}));
    EXPECT_EQ(ReadValueSetting("57", "small"), (ValueSetting{"3", "Sizes", "1", "0"}));
    EXPECT_EQ(ReadValueSetting("57", "Large"), (ValueSetting{"0", "n/a", "1", "0"}));
    EXPECT_TRUE(MainSectionExists("57"));
}

TEST_F(FieldSettingsTest, MembersListWritesEveryKeyAndReadsBackWithTheBlank) {
    ASSERT_TRUE(WriteFieldSettings("61", {maintype::kMembers, "AB12CD34EF5 ", true, true}));
    EXPECT_EQ(Bytes(),
              "[61]\r\nReference=AB12CD34EF5 \r\nType=2\r\nNoRebuild=1\r\nCompanyName=1\r\n");
    ListWindowSettings list = ReadForListWindow("61");
    EXPECT_EQ(list.ListType, 2);
    EXPECT_EQ(list.ListReference, "AB12CD34EF5 ");
    EXPECT_TRUE(list.ShowCompany);
    EXPECT_FALSE(list.RebuildEachTime);

    ASSERT_TRUE(WriteFieldSettings("61", {maintype::kSubgroups, "XY ", false, true}));
    EXPECT_EQ(Bytes(), "[61]\r\nReference=XY \r\nType=1\r\nNoRebuild=0\r\n");
    list = ReadForListWindow("61");
    EXPECT_TRUE(list.RebuildEachTime);
    EXPECT_FALSE(list.ShowCompany); // not read for type 1
}

TEST_F(FieldSettingsTest, AllGroupsKeepsEarlierKeysWhichReadersIgnore) {
    ASSERT_TRUE(
        WriteFieldSettings("57", {maintype::kDependsOnReference, "12", true, false}, kSizesRows));
    ASSERT_TRUE(WriteFieldSettings("57", {maintype::kAllGroups, "", true, false}));
    EXPECT_EQ(Bytes(), "[57]\r\nReference=12\r\nType=0\r\nNoRebuild=1\r\n"
                       "[57-Values]\r\n_If No List Specified=0|n/a|1|0\r\nSmall=3|Sizes|1|0\r\n");
    ListWindowSettings list = ReadForListWindow("57");
    EXPECT_EQ(list.ListType, 0);
    EXPECT_EQ(list.ListReference, "");
}

TEST_F(FieldSettingsTest, NoListRemovesBothSectionsAndOnlyThem) {
    Put("[12]\r\nType=0\r\n");
    ASSERT_TRUE(
        WriteFieldSettings("57", {maintype::kDependsOnReference, "12", true, false}, kSizesRows));
    ASSERT_TRUE(WriteFieldSettings("57", {maintype::kNoList, "", true, false}));
    EXPECT_EQ(Bytes(), "[12]\r\nType=0\r\n");
    EXPECT_FALSE(MainSectionExists("57"));
    EXPECT_TRUE(MainSectionExists("12"));
}

TEST_F(FieldSettingsTest, ClearedRowsAreNeverStoredAndCaseVariantsShareAKey) {
    std::vector<ReferenceRow> rows = {{"_If No List Specified", "|||"},
                                      {"Small", "3|Sizes|1|0"},
                                      {"SMALL", "2|GRP|0|1"},
                                      {"Large", "3|Big|1|0"},
                                      {"LARGE", "|||"}};
    ASSERT_TRUE(WriteFieldSettings("57", {maintype::kDependsOnReference, "12", true, false}, rows));
    EXPECT_EQ(Bytes(), "[57]\r\nReference=12\r\nType=3\r\n[57-Values]\r\nSmall=2|GRP|0|1\r\n");
    EXPECT_EQ(ReadValueSetting("57", "Small"), (ValueSetting{"2", "GRP", "0", "1"}));
    EXPECT_EQ(ReadValueSetting("57", "Large"), std::nullopt);
}

TEST_F(FieldSettingsTest, ValueWithAnEqualsSignFallsBackToTheDefault) {
    std::vector<ReferenceRow> rows = {{"_If No List Specified", "0|n/a|1|0"},
                                      {"a=b", "3|Sizes|1|0"}};
    ASSERT_TRUE(WriteFieldSettings("57", {maintype::kDependsOnReference, "12", true, false}, rows));
    EXPECT_EQ(ReadValueSetting("57", "a=b"), (ValueSetting{"0", "n/a", "1", "0"}));
}

TEST_F(FieldSettingsTest, FailedWriteChangesNothing) {
    Put("[57]\r\nType=0\r\n");
    fs.failWrites = err::kPermissionDenied;
    EXPECT_FALSE(WriteFieldSettings("57", {maintype::kMembers, "G ", true, false}));
    fs.failWrites = 0;
    EXPECT_EQ(Bytes(), "[57]\r\nType=0\r\n");
    EXPECT_EQ(dialogs.shown.size(), 1u);
}

TEST_F(FieldSettingsTest, EachReaderHasItsOwnDefaults) {
    ListWindowSettings list = ReadForListWindow("57");
    EXPECT_EQ(list.ListType, -1);
    EXPECT_FALSE(list.RebuildEachTime);
    EXPECT_EQ(list.ListReference, "");
    ConfigWindowSettings config = ReadForConfigWindow("57");
    EXPECT_EQ(config.Type, "4");
    EXPECT_EQ(config.NoRebuild, "1");
    EXPECT_EQ(config.Reference, "");
    EXPECT_EQ(config.CompanyName, "0");
    EXPECT_FALSE(ReadBlank("57"));
    EXPECT_FALSE(MainSectionExists("57"));

    // An empty value counts as missing.
    Put("[57]\r\nType=\r\nNoRebuild=\r\nBlank=1\r\n");
    EXPECT_EQ(ReadForListWindow("57").ListType, -1);
    EXPECT_EQ(ReadForConfigWindow("57").Type, "4");
    EXPECT_TRUE(ReadBlank("57"));
}

TEST_F(FieldSettingsTest, ListWindowReadsNumbersAsTheRunTimeConvertsThem) {
    Put("[57]\r\nType=2\r\nReference=G\r\nNoRebuild=0.0\r\nCompanyName=-1\r\n"
        "[58]\r\nType=x\r\n[59]\r\nType=2\r\nCompanyName=True\r\n[60]\r\nType=0\r\nNoRebuild=y\r\n"
        "[62]\r\nType=2\r\nCompanyName=maybe\r\n");
    ListWindowSettings list = ReadForListWindow("57");
    EXPECT_TRUE(list.RebuildEachTime);
    EXPECT_TRUE(list.ShowCompany);
    EXPECT_TRUE(ReadForListWindow("59").ShowCompany);
    EXPECT_THROW(ReadForListWindow("58"), VbError);
    EXPECT_TRUE(ReadForListWindow("60").RebuildEachTime); // compared as a number: text is 0
    EXPECT_THROW(ReadForListWindow("62"), VbError);
}

TEST_F(FieldSettingsTest, MainSectionIsFoundByWholeName) {
    Put("[157]\r\nType=0\r\n[57-Values]\r\nx=0|n/a|1|0\r\n[5]\r\n");
    EXPECT_FALSE(MainSectionExists("57"));
    EXPECT_TRUE(MainSectionExists("5"));
}

TEST(ValueSetting, SplitsComposesAndAppliesBuildDefaults) {
    EXPECT_EQ(SplitValueSetting("2|GRP||"), (ValueSetting{"2", "GRP", "", ""}));
    EXPECT_EQ(WithBuildDefaults(SplitValueSetting("2|GRP||")),
              (ValueSetting{"2", "GRP", "0", "0"}));
    EXPECT_EQ(WithBuildDefaults(SplitValueSetting("1|G")), (ValueSetting{"1", "G", "0", "0"}));
    EXPECT_EQ(SplitValueSetting("3|a|1|0|extra"), (ValueSetting{"3", "a", "1", "0"}));
    EXPECT_EQ(SplitValueSetting(""), ValueSetting{});
    EXPECT_EQ(ComposeValueSetting({"0", "n/a", "1", "0"}), "0|n/a|1|0");
    EXPECT_EQ(ComposeValueSetting({}), kCleared);
}

TEST(ValueSetting, ConfigurationWindowFillsTheFieldsByType) {
    EXPECT_EQ(SettingForType(0, "ignored", false, true), (ValueSetting{"0", "n/a", "1", "0"}));
    EXPECT_EQ(SettingForType(0, "", true, false), (ValueSetting{"0", "n/a", "0", "0"}));
    EXPECT_EQ(SettingForType(1, "G ", true, true), (ValueSetting{"1", "G ", "0", "0"}));
    EXPECT_EQ(SettingForType(2, "G ", false, true), (ValueSetting{"2", "G ", "1", "1"}));
    EXPECT_EQ(SettingForType(3, "Sizes", true, true), (ValueSetting{"3", "Sizes", "1", "0"}));
    EXPECT_EQ(ComposeValueSetting(SettingForType(4, "x", true, true)), kCleared);
}

TEST(ValueSetting, BooleansConvertAsTheRunTimeDoes) {
    EXPECT_TRUE(ToBoolean("1"));
    EXPECT_TRUE(ToBoolean("-1"));
    EXPECT_TRUE(ToBoolean(" TRUE "));
    EXPECT_FALSE(ToBoolean("0"));
    EXPECT_FALSE(ToBoolean("false"));
    EXPECT_THROW(ToBoolean(""), VbError);
    EXPECT_THROW(ToBoolean("yes"), VbError);
}

} // namespace
} // namespace tamber::fieldsettings
