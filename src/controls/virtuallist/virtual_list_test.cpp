#include "controls/virtuallist/virtual_list.h"

#include <gtest/gtest.h>

#include "forms/runtime/headless.h"

namespace tamber {
namespace {

using namespace forms;

struct Owner : Form {
    UVirtualList lstDynamic{*this, "lstDynamic"};
    std::vector<std::string> texts;
    std::vector<std::pair<long, long>> asked;
    Owner() : Form("Owner") {
        lstDynamic.onItemInfoCallback = [this](long i, std::string& s, long state) {
            asked.emplace_back(i, state);
            if (i < static_cast<long>(texts.size())) s = texts[i];
        };
    }
};

TEST(UVirtualList, AsksTheOwnerForTheTextOfThePlaceholderBeingDrawn) {
    HeadlessHost host;
    Owner f;
    f.texts = {"Alpha", "Bravo"};
    for (int i = 0; i < 3; ++i)
        f.lstDynamic.AddItem("");
    f.lstDynamic.SetList(2, "stored");
    EXPECT_EQ(f.lstDynamic.ItemText(1, true), "Bravo");
    EXPECT_EQ(f.lstDynamic.ItemText(2, false), "stored"); // the owner left it alone
    EXPECT_EQ(f.asked, (std::vector<std::pair<long, long>>{{1, 1}, {2, 0}}));
    f.lstDynamic.onItemInfoCallback = nullptr;
    EXPECT_EQ(f.lstDynamic.ItemText(0, false), "");
}

TEST(UVirtualList, HeightSnapsToWholeEntriesAndStaysPutOnTheNextResize) {
    HeadlessHost host;
    Owner f;
    auto& l = f.lstDynamic;
    const long item = l.ItemHeightTwips();
    l.Move(0, 0, 3000, 960);
    EXPECT_EQ(l.Height(), 960 / item * item);
    const long once = l.Height();
    l.SetHeight(once);
    EXPECT_EQ(l.Height(), once);
    l.SetHeight(item / 2); // less than one entry still shows one
    EXPECT_EQ(l.Height(), item);
    l.SetHeight(0); // an empty list may be 0 high
    EXPECT_EQ(l.Height(), 0);
}

TEST(UVirtualList, BehavesAsAListBoxForSelectionAndEvents) {
    HeadlessHost host;
    Owner f;
    for (int i = 0; i < 5; ++i)
        f.lstDynamic.AddItem("");
    int clicks = 0;
    f.lstDynamic.onClick = [&] { ++clicks; };
    f.Show();
    host.ClickItem(f.lstDynamic, 3);
    EXPECT_EQ(f.lstDynamic.ListIndex(), 3);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(f.ActiveControl(), &f.lstDynamic);
}

} // namespace
} // namespace tamber
