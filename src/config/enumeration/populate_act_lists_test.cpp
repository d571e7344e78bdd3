#include "config/enumeration/populate_act_lists.h"

#include <gtest/gtest.h>

#include "forms/runtime/headless.h"
#include "module1/module1.h"
#include "ports/memory/memory_act.h"
#include "ports/platform.h"
#include "testing/program_test.h"

namespace tamber {
namespace {

using namespace modPopulateACTLists;

actdb::Field MakeField(int16_t id, std::string label, int16_t type = actdb::kCharacter,
                       std::vector<std::string> popup = {}, bool hasPopup = false) {
    actdb::Field f;
    f.id = id;
    f.label = std::move(label);
    f.type = type;
    f.popup = std::move(popup);
    f.hasPopup = hasPopup || !f.popup.empty();
    return f;
}

actdb::Database Db() {
    actdb::Database db;
    db.fields = {MakeField(12, "City", actdb::kInitialCaps, {"Lyon", "Paris"}),
                 MakeField(25, "Company"),
                 MakeField(26, "Contact"),
                 MakeField(40, "Empty", actdb::kCharacter, {}, true),
                 MakeField(50, "Region", actdb::kCharacter, {"North", "South"}),
                 MakeField(51, "Territory", actdb::kLowercase),
                 MakeField(60, "Notes", actdb::kMemo),
                 MakeField(79, "Last Name"),
                 MakeField(200, "User 1")};
    // "Local" comes before its parent "Suppliers", "Gold" after a group that is not its parent.
    db.groups = {{"G00000000001", "Customers", "", {}},
                 {"S00000000002", "Local", "G00000000003", {}},
                 {"G00000000003", "Suppliers", "", {}},
                 {"S00000000001", "Gold", "G00000000001", {}}};
    return db;
}

class EnumerationTest : public testing::ProgramTest {
  protected:
    act::MemoryAct act{Db()};
    forms::HeadlessHost host;
    forms::Form form{"frmTest"};
    forms::ComboBox combo{form, "combo"};
    forms::ComboBox ids{form, "ids"};
    forms::ListView table{form, "table"};

    void SetUp() override {
        ProgramTest::SetUp();
        Sys().automation = &act.automation();
        auto db = act.automation().CreateDatabase();
        db->OpenEx("");
        M().ActDatabase = db;
        M().ActGroup = db->Group();
        M().ActFields = db->Contact()->Fields();
    }
    std::vector<std::string> Texts(const forms::ListControl& c) const {
        std::vector<std::string> out;
        for (const auto& e : c.Entries())
            out.push_back(e.text);
        return out;
    }
};

using Strings = std::vector<std::string>;

TEST_F(EnumerationTest, ListFieldsAreCharacterFieldsWithoutDropDownMinusExcluded) {
    Populate_cboFields(combo, kCharacterTypes, kListFields, "51");
    EXPECT_EQ(Texts(combo), (Strings{"Company", "Territory"}));
    EXPECT_EQ(combo.ItemData(1), 51);
    EXPECT_EQ(combo.ListIndex(), 1);

    Populate_cboFields(combo, kCharacterTypes, kListFields, kTopItem);
    EXPECT_EQ(combo.ListIndex(), 0);
    // A field that is not listed (has a drop-down) leaves no selection.
    Populate_cboFields(combo, kCharacterTypes, kListFields, "50");
    EXPECT_EQ(combo.ListIndex(), -1);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(EnumerationTest, ReferenceFieldsAreCharacterFieldsWithDropDown) {
    Populate_cboFields(combo, kCharacterTypes, kReferenceFields, "");
    EXPECT_EQ(Texts(combo), (Strings{"City", "Empty", "Region"}));
    EXPECT_EQ(combo.ItemData(2), 50);
    EXPECT_EQ(combo.ListIndex(), -1);
    EXPECT_FALSE(Include_Field("60", kCharacterTypes, kReferenceFields));
    EXPECT_TRUE(Include_Field("60", "|10|", 0));
}

// ACT! can count fields that no probed number reaches, or refuse numbers beyond its own.
class ShortFields : public act::Fields {
  public:
    bool raiseBeyond = false;
    int probes = 0;
    int16_t Count() override { return 5; }
    int16_t ID(int16_t number) override {
        ++probes;
        if (number > 3 && raiseBeyond) throw VbError(act::kErrInvalidArgument, "Out of range");
        return number == 1 ? 25 : int16_t(-1);
    }
    int16_t ID(const std::string& id) override { return static_cast<int16_t>(std::stoi(id)); }
    std::string Label(int16_t) override { return "Company"; }
    std::string Label(const std::string&) override { return "Company"; }
    int16_t Type(const std::string&) override { return 1; }
    bool HasPopupList(const std::string&) override { return false; }
    std::shared_ptr<act::PopupInfo> POPUPINFO(int16_t, int16_t) override { return nullptr; }
};

TEST_F(EnumerationTest, FieldProbingEndsWhenCountIsNeverReached) {
    auto fields = std::make_shared<ShortFields>();
    M().ActFields = fields;
    Populate_cboFields(combo, kCharacterTypes, kListFields, "25");
    EXPECT_EQ(fields->probes, 32768);
    EXPECT_EQ(Texts(combo), (Strings{"Company"}));
    EXPECT_EQ(combo.ListIndex(), 0);

    fields->raiseBeyond = true;
    fields->probes = 0;
    Populate_cboFields(combo, kCharacterTypes, kListFields, "25");
    EXPECT_EQ(fields->probes, 5);
    EXPECT_EQ(combo.ListIndex(), 0);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(EnumerationTest, PopupTableHasBoldDefaultRowThenValues) {
    Populate_lvwPopupList(table, 50, "South");
    ASSERT_EQ(table.ItemCount(), 3);
    EXPECT_EQ(table.Item(0).text, "_If No List Specified");
    EXPECT_TRUE(table.Item(0).bold);
    EXPECT_EQ(table.Item(2).text, "South");
    EXPECT_EQ(table.SelectedItem(), 2);

    Populate_lvwPopupList(table, 40, "");
    ASSERT_EQ(table.ItemCount(), 1);
    EXPECT_EQ(table.SelectedItem(), -1);
}

TEST_F(EnumerationTest, AllGroupsNameSubgroupsAfterTheirOwnParent) {
    Populate_Combo_w_Groups(combo, ids, "Customers: Gold", true, kAllGroups);
    EXPECT_EQ(Texts(combo),
              (Strings{"", "Customers", "Suppliers: Local", "Suppliers", "Customers: Gold"}));
    EXPECT_EQ(Texts(ids),
              (Strings{"", "G00000000001 ", "S00000000002 ", "G00000000003 ", "S00000000001 "}));
    EXPECT_EQ(combo.ListIndex(), 4);

    // Filled again (another type, then back): still one entry per group, still parallel.
    Populate_Combo_w_Groups(combo, ids, "", false, kGroupsWithSubgroups);
    EXPECT_EQ(Texts(combo), (Strings{"Customers", "Suppliers"}));
    EXPECT_EQ(Texts(ids), (Strings{"G00000000001 ", "G00000000003 "}));
    Populate_Combo_w_Groups(combo, ids, "", false, kAllGroups);
    ASSERT_EQ(combo.ListCount(), 4);
    ASSERT_EQ(ids.ListCount(), 4);
    EXPECT_EQ(combo.List(1), "Suppliers: Local");
    EXPECT_EQ(ids.List(1), "S00000000002 ");
    EXPECT_EQ(combo.ListIndex(), -1);
}

} // namespace
} // namespace tamber
