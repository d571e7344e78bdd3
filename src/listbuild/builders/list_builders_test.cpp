#include "listbuild/builders/list_builders.h"

#include <gtest/gtest.h>

#include "forms/runtime/collate.h"
#include "forms/runtime/forms.h"
#include "forms/runtime/headless.h"
#include "inilib/inilib.h"
#include "staticlists/listfiles/list_test_env.h"

namespace tamber {
namespace {

class Holder : public forms::Form {
  public:
    Holder() : Form("Holder") { sorted.SetSorted(true); }
    forms::ListBox sorted{*this, "sorted"};
    forms::ListBox oneByOne{*this, "oneByOne"};
};

TEST(ListBuilders, SortedOnceGivesTheOrderOfOneByOneInsertion) {
    forms::HeadlessHost host;
    Holder h;
    h.oneByOne.SetSorted(true);
    std::vector<std::string> names = {"beta", "Alpha", "alpha", "", "Zulu", "apple", "Beta", "10"};
    for (const std::string& n : names)
        h.oneByOne.AddItem(n);
    listbuild::FillSorted(h.sorted, names);
    ASSERT_EQ(h.sorted.ListCount(), h.oneByOne.ListCount());
    for (int i = 0; i < h.sorted.ListCount(); ++i)
        EXPECT_TRUE(forms::EqualsNoCase(h.sorted.List(i), h.oneByOne.List(i))) << i;
}

class StaticItemsTest : public ListFolderTest {};

TEST_F(StaticItemsTest, CountsToTheLastKeyAfterAnOptionalBlank) {
    const std::string file = "C:\\Data\\Fruit.lst";
    IniLib::Batch b(file);
    b.Write("Items", "1", "pear");
    b.Write("Items", "2", "fig");
    b.Write("Items", "5", "kiwi");
    ASSERT_TRUE(b.Commit());
    EXPECT_EQ(listbuild::StaticItems(file, false),
              (std::vector<std::string>{"pear", "fig", "", "", "kiwi"}));
    EXPECT_EQ(listbuild::StaticItems(file, true),
              (std::vector<std::string>{"", "pear", "fig", "", "", "kiwi"}));
    EXPECT_EQ(listbuild::StaticItems("C:\\Data\\None.lst", true), (std::vector<std::string>{""}));
}

} // namespace
} // namespace tamber
