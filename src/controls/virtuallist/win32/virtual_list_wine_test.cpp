#include <windows.h>

#include <set>

#include <gtest/gtest.h>

#include "common/scripted_dialogs.h"
#include "controls/virtuallist/virtual_list.h"
#include "controls/virtuallist/win32/virtual_list_win32.h"
#include "forms/win32/test_support.h"
#include "forms/win32/win32_host.h"

namespace tamber {
namespace {

using namespace forms;
using forms::win32::Win32Host;

struct Owner : Form {
    UVirtualList lstDynamic{*this, "lstDynamic"};
    std::vector<long> asked;
    std::set<long> askedSelected;
    Owner() : Form("Owner") {
        SetBorderStyle(vb::kFixedSingle);
        SetClientSize(3600, 3300);
        lstDynamic.Move(120, 120, 3000, 2925);
        lstDynamic.onItemInfoCallback = [this](long i, std::string& s, long state) {
            asked.push_back(i);
            if (state == 1) askedSelected.insert(i);
            s = "Entry " + std::to_string(i);
        };
    }
};

class VirtualListWine : public ::testing::Test {
  protected:
    Win32Host host;
    ScriptedDialogs dialogs;
    void SetUp() override {
        SetAppDialogs(&dialogs);
        RegisterVirtualListRenderer();
    }
    void Pump(int ms) {
        host.PumpUntil([] { return false; }, ms);
    }
};

TEST_F(VirtualListWine, ThirtyThousandPlaceholdersCostOnlyTheVisibleTexts) {
    Owner f;
    for (int i = 0; i < 30000; ++i)
        f.lstDynamic.AddItem("");
    f.Show();
    Pump(300);
    HWND lst = Win32Host::WindowOf(f.lstDynamic);
    ASSERT_EQ(SendMessageA(lst, LB_GETCOUNT, 0, 0), 30000);
    const int rows = f.lstDynamic.VisibleRows();
    ASSERT_GT(rows, 5);
    EXPECT_GE(f.asked.size(), static_cast<size_t>(rows));
    EXPECT_LE(f.asked.size(), static_cast<size_t>(3 * (rows + 1))); // a few repaints at most
    for (long i : f.asked)
        EXPECT_LE(i, rows) << "asked for an entry out of view";
    std::printf("texts asked at show: %zu for %d visible rows\n", f.asked.size(), rows);

    f.asked.clear();
    f.lstDynamic.SetTopIndex(20000);
    Pump(300);
    EXPECT_EQ(f.lstDynamic.TopIndex(), 20000);
    ASSERT_FALSE(f.asked.empty());
    EXPECT_LE(f.asked.size(), static_cast<size_t>(3 * (rows + 1)));
    for (long i : f.asked) {
        EXPECT_GE(i, 20000);
        EXPECT_LE(i, 20000 + rows);
    }
    std::printf("texts asked after scrolling: %zu\n", f.asked.size());
    f.Unload();
}

TEST_F(VirtualListWine, SelectedEntryIsDrawnInTheHighlightColoursWithoutBorder) {
    Owner f;
    for (int i = 0; i < 100; ++i)
        f.lstDynamic.AddItem("");
    f.Show();
    f.lstDynamic.SetListIndex(3);
    Pump(300);
    HWND lst = Win32Host::WindowOf(f.lstDynamic);
    EXPECT_FALSE(GetWindowLongA(lst, GWL_STYLE) & WS_BORDER);
    EXPECT_FALSE(GetWindowLongA(lst, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(GetWindowLongA(lst, GWL_STYLE) & LBS_OWNERDRAWFIXED);
    EXPECT_TRUE(f.askedSelected.count(3));
    EXPECT_FALSE(f.askedSelected.count(2));

    RECT sel, other;
    SendMessageA(lst, LB_GETITEMRECT, 3, (LPARAM)&sel);
    SendMessageA(lst, LB_GETITEMRECT, 5, (LPARAM)&other);
    // The right end of a row carries no text: only the background.
    EXPECT_EQ(forms::win32::testing::PixelAt(lst, sel.right - 3, (sel.top + sel.bottom) / 2),
              GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(forms::win32::testing::PixelAt(lst, other.right - 3, (other.top + other.bottom) / 2),
              GetSysColor(COLOR_WINDOW));
    forms::win32::testing::SaveScreenshot(Win32Host::WindowOf(f), "virtual-list");

    // A click on an entry selects it and raises Click through the model.
    int clicks = 0;
    f.lstDynamic.onClick = [&] { ++clicks; };
    forms::win32::testing::ClickAt(lst, other.left + 10, (other.top + other.bottom) / 2);
    Pump(300);
    EXPECT_EQ(f.lstDynamic.ListIndex(), 5);
    EXPECT_EQ(clicks, 1);
    f.Unload();
}

TEST_F(VirtualListWine, HeightIsWholeEntriesOfTheRealItemHeight) {
    Owner f;
    f.Show();
    HWND lst = Win32Host::WindowOf(f.lstDynamic);
    const long item = SendMessageA(lst, LB_GETITEMHEIGHT, 0, 0);
    f.lstDynamic.SetHeight(960);
    RECT r;
    GetClientRect(lst, &r);
    EXPECT_EQ(r.bottom % item, 0);
    EXPECT_EQ(f.lstDynamic.Height() % f.lstDynamic.ItemHeightTwips(), 0);
    f.Unload();
}

} // namespace
} // namespace tamber
