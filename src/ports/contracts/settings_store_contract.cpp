#include "ports/contracts/port_contracts.h"

namespace tamber {
namespace {

TEST_P(SettingsContract, MissingValuesGiveTheDefault) {
    EXPECT_EQ(store().GetSetting(fx->app, "Settings", "Ado", "1"), "1");
    store().SaveSetting(fx->app, "Settings", "Other", "x");
    EXPECT_EQ(store().GetSetting(fx->app, "Settings", "Ado", "1"), "1");
    EXPECT_EQ(store().GetSetting(fx->app, "Nowhere", "Other", "d"), "d");
    EXPECT_EQ(store().GetSetting(fx->app, "Settings", "Ado"), "");
}

TEST_P(SettingsContract, SavedValuesReadBackWholeAndCaseBlind) {
    store().SaveSetting(fx->app, "Settings", "SettingsLocation", "C:\\My Data\\ é ");
    EXPECT_EQ(store().GetSetting(fx->app, "settings", "SETTINGSLOCATION", "d"), "C:\\My Data\\ é ");
    store().SaveSetting(fx->app, "Settings", "SettingsLocation", "");
    // An empty stored value is a value, not a missing one.
    EXPECT_EQ(store().GetSetting(fx->app, "Settings", "SettingsLocation", "d"), "");
    const std::string big(5000, 'v');
    store().SaveSetting(fx->app, "Progress", "Step", big);
    EXPECT_EQ(store().GetSetting(fx->app, "Progress", "Step"), big);
}

TEST_P(SettingsContract, ApplicationsAndSectionsAreSeparate) {
    store().SaveSetting(fx->app, "Handles", "12", "100");
    store().SaveSetting(fx->app, "Settings", "12", "200");
    store().SaveSetting(fx->app + "2", "Handles", "12", "300");
    EXPECT_EQ(store().GetSetting(fx->app, "Handles", "12"), "100");
    EXPECT_EQ(store().GetSetting(fx->app, "Settings", "12"), "200");
    EXPECT_EQ(store().GetSetting(fx->app + "2", "Handles", "12"), "300");
    store().DeleteSetting(fx->app + "2", "Handles", "12");
}

TEST_P(SettingsContract, DeleteRemovesOneValueAndToleratesMissing) {
    store().SaveSetting(fx->app, "Progress", "Stage", "3");
    store().SaveSetting(fx->app, "Progress", "Total", "9");
    store().DeleteSetting(fx->app, "Progress", "Stage");
    store().DeleteSetting(fx->app, "Progress", "Stage");
    store().DeleteSetting(fx->app, "NoSection", "Stage");
    EXPECT_EQ(store().GetSetting(fx->app, "Progress", "Stage", "gone"), "gone");
    EXPECT_EQ(store().GetSetting(fx->app, "Progress", "Total"), "9");
}

TEST_P(SettingsContract, AnotherReaderSeesWrites) {
    SettingsStore* other = fx->Reopened();
    if (!other) GTEST_SKIP() << "a store private to its process";
    store().SaveSetting(fx->app, "Progress", "Step", "End");
    EXPECT_EQ(other->GetSetting(fx->app, "Progress", "Step"), "End");
    other->SaveSetting(fx->app, "Progress", "Step", "Groups");
    EXPECT_EQ(store().GetSetting(fx->app, "Progress", "Step"), "Groups");
}

} // namespace
} // namespace tamber
