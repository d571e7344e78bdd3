#include <windows.h>

#include <commctrl.h>

#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "common/scripted_dialogs.h"
#include "forms/win32/test_support.h"
#include "forms/win32/win32_host.h"

namespace tamber::forms::win32 {
namespace {

using namespace testing;

// One control of every kind.
struct AllKinds : Form {
    Label lbl{*this, "lbl"};
    CommandButton cmdOk{*this, "cmdOk"};
    CommandButton cmdCancel{*this, "cmdCancel"};
    CheckBox chk{*this, "chk"};
    TextBox txt{*this, "txt"};
    ComboBox cbo{*this, "cbo"};
    ListBox lst{*this, "lst"};
    ListView lvw{*this, "lvw"};
    RichTextBox rtf{*this, "rtf"};
    ProgressBar prg{*this, "prg"};
    Frame fra{*this, "fra"};
    CheckBox chkInFrame{*this, "chkInFrame"};
    Line lin{*this, "lin"};
    Timer tmr{*this, "tmr"};
    Menu mnuFile{*this, "mnuFile", "&File"};
    Menu mnuOpen{*this, "mnuOpen", "&Open", &mnuFile};
    Menu mnuSep{*this, "mnuSep", "-", &mnuFile};
    Menu mnuExit{*this, "mnuExit", "E&xit", &mnuFile};
    int okClicks = 0, cancelClicks = 0, ticks = 0, chkClicks = 0, formClicks = 0;
    void Form_Click() override { ++formClicks; }

    AllKinds() : Form("AllKinds") {
        SetCaption("All kinds");
        SetBorderStyle(vb::kFixedSingle);
        Move(1500, 1500, 9000, 6000);
        lbl.Move(120, 120, 2400, 255);
        lbl.SetCaption("A label");
        cmdOk.Move(6000, 120, 1215, 375);
        cmdOk.SetCaption("&OK");
        cmdOk.SetDefault(true);
        cmdCancel.Move(6000, 600, 1215, 375);
        cmdCancel.SetCaption("Cancel");
        cmdCancel.SetCancel(true);
        chk.Move(120, 480, 2400, 255);
        chk.SetCaption("Check me");
        txt.Move(120, 840, 2400, 315);
        txt.SetTabIndex(0);
        cbo.Move(120, 1260, 2400, 315);
        cbo.SetStyle(vb::kComboDropDownList);
        for (const char* s : {"One", "Two", "Three"})
            cbo.AddItem(s);
        lst.Move(120, 1700, 2400, 1200);
        lst.SetSorted(true);
        for (const char* s : {"pear", "Apple", "fig"})
            lst.AddItem(s);
        lvw.Move(2700, 1100, 3900, 1800);
        lvw.AddColumn("", "Values", 1500);
        lvw.AddColumn("Type", "List Type", 1400);
        lvw.SetItemBold(lvw.AddItem("_If No List Specified"), true);
        lvw.SetSubItem(lvw.AddItem("Red"), 1, "Static LIST");
        rtf.Move(120, 3000, 2400, 900);
        rtf.SetText("rich\r\ntext");
        prg.Move(2700, 3000, 3900, 255);
        prg.SetValue(40);
        fra.Move(2700, 3400, 3900, 1000);
        fra.SetCaption("Options");
        chkInFrame.SetContainer(&fra);
        chkInFrame.Move(240, 360, 2000, 255);
        chkInFrame.SetCaption("Inside");
        lin.SetPoints(120, 4500, 6600, 4500);
        tmr.SetInterval(50);
        cmdOk.onClick = [this] { ++okClicks; };
        cmdCancel.onClick = [this] { ++cancelClicks; };
        chk.onClick = [this] { ++chkClicks; };
        tmr.onTimer = [this] { ++ticks; };
    }
};

class RendererTest : public ::testing::Test {
  protected:
    Win32Host host;
    ScriptedDialogs dialogs;
    void SetUp() override { SetAppDialogs(&dialogs); }
    void Pump(int ms) {
        host.PumpUntil([] { return false; }, ms);
    }
    // Child rectangle in its parent's client area.
    static RECT ClientRectOf(HWND child) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    static std::string TextOf(HWND h) {
        char buf[256] = {};
        GetWindowTextA(h, buf, sizeof buf);
        return buf;
    }
};

TEST_F(RendererTest, TwipsPerPixelComesFromTheDisplayDpi) {
    HDC dc = GetDC(nullptr);
    EXPECT_DOUBLE_EQ(screen::TwipsPerPixelX(), 1440.0 / GetDeviceCaps(dc, LOGPIXELSX));
    EXPECT_DOUBLE_EQ(screen::TwipsPerPixelY(), 1440.0 / GetDeviceCaps(dc, LOGPIXELSY));
    ReleaseDC(nullptr, dc);
}

TEST_F(RendererTest, EveryControlShowsWithItsPropertiesInPixels) {
    AllKinds f;
    f.Show();
    Pump(200);
    const double tx = screen::TwipsPerPixelX(), ty = screen::TwipsPerPixelY();
    auto px = [](long twips, double tpp) { return static_cast<long>(std::lround(twips / tpp)); };
    for (Control* c : f.Controls()) {
        HWND h = Win32Host::WindowOf(*c);
        if (c->Kind() == std::string("Line") || c->Kind() == std::string("Timer")) {
            EXPECT_EQ(h, nullptr) << c->Name();
            continue;
        }
        ASSERT_NE(h, nullptr) << c->Name();
        long left = c->Left(), top = c->Top();
        for (Control* k = c->Container(); k; k = k->Container())
            left += k->Left(), top += k->Top();
        RECT r = ClientRectOf(h);
        EXPECT_EQ(r.left, px(left, tx)) << c->Name();
        EXPECT_EQ(r.top, px(top, ty)) << c->Name();
        EXPECT_EQ(r.right - r.left, px(c->Width(), tx)) << c->Name();
        if (c->Kind() != std::string("ComboBox")) { // its window includes the drop-down
            EXPECT_EQ(r.bottom - r.top, px(c->Height(), ty)) << c->Name();
        }
        EXPECT_TRUE(IsWindowVisible(h)) << c->Name();
    }
    RECT client;
    GetClientRect(Win32Host::WindowOf(f), &client);
    EXPECT_EQ(client.right, px(f.ScaleWidth(), tx));
    EXPECT_EQ(client.bottom, px(f.ScaleHeight(), ty));

    EXPECT_EQ(TextOf(Win32Host::WindowOf(f)), "All kinds");
    EXPECT_EQ(TextOf(Win32Host::WindowOf(f.lbl)), "A label");
    EXPECT_EQ(TextOf(Win32Host::WindowOf(f.cmdOk)), "&OK");
    EXPECT_EQ(TextOf(Win32Host::WindowOf(f.fra)), "Options");
    EXPECT_EQ(TextOf(Win32Host::WindowOf(f.rtf)), "rich\r\ntext");
    HWND lst = Win32Host::WindowOf(f.lst);
    ASSERT_EQ(SendMessageA(lst, LB_GETCOUNT, 0, 0), 3);
    char item[32] = {};
    SendMessageA(lst, LB_GETTEXT, 0, (LPARAM)item);
    EXPECT_STREQ(item, "Apple"); // the model's sorted order
    EXPECT_EQ(SendMessageA(Win32Host::WindowOf(f.cbo), CB_GETCOUNT, 0, 0), 3);
    HWND lvw = Win32Host::WindowOf(f.lvw);
    EXPECT_EQ(SendMessageA(lvw, LVM_GETITEMCOUNT, 0, 0), 2);
    char sub[32] = {};
    LVITEMA li{};
    li.iSubItem = 1;
    li.pszText = sub;
    li.cchTextMax = sizeof sub;
    SendMessageA(lvw, LVM_GETITEMTEXTA, 1, (LPARAM)&li);
    EXPECT_STREQ(sub, "Static LIST");
    EXPECT_EQ(SendMessageA(Win32Host::WindowOf(f.prg), PBM_GETPOS, 0, 0), 4000);
    EXPECT_NE(GetMenu(Win32Host::WindowOf(f)), nullptr);
    SaveScreenshot(Win32Host::WindowOf(f), "forms-all-kinds");

    // Writes apply at once.
    f.lbl.SetCaption("Changed");
    f.cmdOk.Move(6000, 1000, 1500, 400);
    f.chk.SetEnabled(false);
    f.fra.SetVisible(false);
    f.lst.RemoveItem(0);
    f.cbo.SetListIndex(2);
    EXPECT_EQ(TextOf(Win32Host::WindowOf(f.lbl)), "Changed");
    // Alignment changes the static's type; it must stay a text static, never owner-drawn.
    for (int a : {vb::kCenter, vb::kRightJustify, vb::kLeftJustify}) {
        f.lbl.SetAlignment(a);
        LONG type = GetWindowLongA(Win32Host::WindowOf(f.lbl), GWL_STYLE) & SS_TYPEMASK;
        EXPECT_EQ(type, a == vb::kCenter         ? SS_CENTER
                        : a == vb::kRightJustify ? SS_RIGHT
                                                 : SS_LEFTNOWORDWRAP);
    }
    RECT r = ClientRectOf(Win32Host::WindowOf(f.cmdOk));
    EXPECT_EQ(r.top, px(1000, ty));
    EXPECT_EQ(r.right - r.left, px(1500, tx));
    EXPECT_FALSE(IsWindowEnabled(Win32Host::WindowOf(f.chk)));
    EXPECT_FALSE(IsWindowVisible(Win32Host::WindowOf(f.chkInFrame))); // hidden with its frame
    EXPECT_EQ(SendMessageA(lst, LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageA(Win32Host::WindowOf(f.cbo), CB_GETCURSEL, 0, 0), 2);
    f.Unload();
}

TEST_F(RendererTest, UserInputBecomesTheFormsEvents) {
    AllKinds f;
    int keptKeys = 0;
    f.txt.onKeyPress = [&](int& k) {
        if (k >= '0' && k <= '9')
            k = 0; // digits refused
        else
            ++keptKeys;
    };
    f.Show();
    Pump(200);
    ASSERT_EQ(f.ActiveControl(), &f.txt);
    PressKey('A');
    PressKey('1');
    PressKey('B');
    Pump(200);
    EXPECT_EQ(f.txt.Text(), "ab");
    EXPECT_EQ(keptKeys, 2);

    PressKey(VK_RETURN); // default button
    PressKey(VK_ESCAPE); // cancel button
    Pump(200);
    EXPECT_EQ(f.okClicks, 1);
    EXPECT_EQ(f.cancelClicks, 1);

    ClickWindow(Win32Host::WindowOf(f.chk));
    Pump(200);
    EXPECT_EQ(f.chk.Value(), vb::kChecked);
    EXPECT_EQ(f.chkClicks, 1);
    EXPECT_EQ(SendMessageA(Win32Host::WindowOf(f.chk), BM_GETCHECK, 0, 0), BST_CHECKED);

    HWND lst = Win32Host::WindowOf(f.lst);
    RECT item;
    SendMessageA(lst, LB_GETITEMRECT, 1, (LPARAM)&item);
    ClickAt(lst, item.left + 5, (item.top + item.bottom) / 2);
    Pump(200);
    EXPECT_EQ(f.lst.ListIndex(), 1);
    EXPECT_EQ(f.lst.Text(), "fig");
    EXPECT_EQ(f.ActiveControl(), &f.lst);

    PressKey(VK_TAB); // next in tab order after the list box
    Pump(100);
    EXPECT_NE(f.ActiveControl(), &f.lst);
    f.Unload();
}

TEST_F(RendererTest, ClicksOnTheWindowAFrameAndAMenuWithEntriesReachTheirHandlers) {
    AllKinds f;
    int frameClicks = 0, fileClicks = 0;
    f.fra.onClick = [&] { ++frameClicks; };
    f.mnuFile.onClick = [&] {
        ++fileClicks;
        f.mnuOpen.SetChecked(true); // the menu rebuilt while it is open
    };
    f.Show();
    Pump(200);
    HWND w = Win32Host::WindowOf(f);
    const double tx = screen::TwipsPerPixelX(), ty = screen::TwipsPerPixelY();
    auto clickTwips = [&](long x, long y) {
        ClickAt(w, static_cast<int>(x / tx), static_cast<int>(y / ty));
        Pump(200);
    };
    clickTwips(8000, 3000); // nothing there
    EXPECT_EQ(f.formClicks, 1);
    clickTwips(5700, 4100); // inside the frame, beside its check box
    EXPECT_EQ(frameClicks, 1);
    EXPECT_EQ(f.formClicks, 1);
    f.chkInFrame.SetEnabled(false);
    clickTwips(2700 + 240 + 500, 3400 + 360 + 120);
    EXPECT_EQ(frameClicks, 2) << "a disabled control passes the click to its frame";
    EXPECT_EQ(f.chkInFrame.Value(), vb::kUnchecked);

    // The menu's own loop runs on this thread: another one closes it.
    RECT item;
    ASSERT_TRUE(GetMenuItemRect(w, GetMenu(w), 0, &item));
    HANDLE closer = CreateThread(
        nullptr, 0,
        [](void*) -> DWORD {
            Sleep(700);
            PressKey(VK_ESCAPE);
            Sleep(100);
            PressKey(VK_ESCAPE);
            return 0;
        },
        nullptr, 0, nullptr);
    POINT at{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ScreenToClient(w, &at);
    ClickAt(w, at.x, at.y);
    Pump(1500);
    WaitForSingleObject(closer, 5000);
    CloseHandle(closer);
    EXPECT_EQ(fileClicks, 1);
    EXPECT_EQ(GetMenuState(GetSubMenu(GetMenu(w), 0), 0, MF_BYPOSITION) & MF_CHECKED,
              static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(f.formClicks, 1);
    f.Unload();
}

TEST_F(RendererTest, TimersTickWhileEnabled) {
    AllKinds f;
    f.Show();
    host.PumpUntil([&] { return f.ticks >= 3; }, 2000);
    EXPECT_GE(f.ticks, 3);
    f.tmr.SetEnabled(false);
    Pump(50);
    int stopped = f.ticks;
    Pump(300);
    EXPECT_EQ(f.ticks, stopped);
    f.Unload();
}

struct Dialog : Form {
    CommandButton cmdClose{*this, "cmdClose"};
    Dialog() : Form("Dialog") {
        SetBorderStyle(vb::kFixedDialog);
        SetClientSize(3000, 1500);
        cmdClose.Move(900, 600, 1200, 375);
        cmdClose.SetCaption("Close");
        cmdClose.onClick = [this] { Unload(); };
    }
};

TEST_F(RendererTest, ModalShowDisablesTheOtherFormsAndReturnsAfterUnload) {
    AllKinds owner;
    owner.Show();
    Pump(100);
    Dialog dlg;
    bool ownerDisabledWhileShown = false;
    // Once the dialog is up, check the owner and click the dialog's button as a user would.
    static Dialog* s_dlg;
    static AllKinds* s_owner;
    static bool* s_disabled;
    s_dlg = &dlg, s_owner = &owner, s_disabled = &ownerDisabledWhileShown;
    SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        *s_disabled = !IsWindowEnabled(Win32Host::WindowOf(*s_owner));
        ClickWindow(Win32Host::WindowOf(s_dlg->cmdClose));
    });
    dlg.Show(true);
    EXPECT_FALSE(dlg.Loaded());
    EXPECT_TRUE(ownerDisabledWhileShown);
    EXPECT_TRUE(IsWindowEnabled(Win32Host::WindowOf(owner)));
    owner.Unload();
    EXPECT_TRUE(screen::LoadedForms().empty());
}

TEST_F(RendererTest, BorderlessToolWindowStaysOffTheTaskBar) {
    Dialog d;
    d.SetBorderStyle(vb::kBsNone);
    d.SetShowInTaskbar(false);
    d.Show();
    HWND h = Win32Host::WindowOf(d);
    EXPECT_TRUE(GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(GetWindowLongA(h, GWL_STYLE) & WS_CAPTION);
    RECT r, c;
    GetWindowRect(h, &r);
    GetClientRect(h, &c);
    EXPECT_EQ(r.right - r.left, c.right); // no frame at all
    d.Unload();
}

} // namespace
} // namespace tamber::forms::win32

namespace tamber::forms::win32 {
namespace {

// The model's sorted list must order entries as the platform's sorted list box does, or a
// list built in the model and typed into on screen would disagree on positions.
TEST(SortedListOrder, MatchesThePlatformListBox) {
    const char* words[] = {"delta",
                           "Alpha",
                           "alpha",
                           "ALPHA",
                           "_first",
                           "10 Downing",
                           "9 lives",
                           "co-op",
                           "coop",
                           "cop",
                           "O'Neil",
                           "Oneida",
                           "Ona",
                           "Zulu",
                           "zebra",
                           "~tilde",
                           "{brace",
                           "[bracket",
                           "(paren",
                           "#hash",
                           "$dollar",
                           "&amp",
                           "@at",
                           "+plus",
                           "=equals",
                           "a b",
                           "ab",
                           "a-b",
                           "a_b",
                           "a.b",
                           "\xC9t\xE9",
                           "ete",
                           "\xE9t\xE9",
                           "Ecole",
                           "\xC9"
                           "cole",
                           "Smith",
                           "smith",
                           "Smithers",
                           "Smith Co",
                           "Smith-Co",
                           "",
                           " leading",
                           "M\xFCller",
                           "Muller",
                           "Mueller",
                           "na\xEFve",
                           "naive",
                           "x1",
                           "x10",
                           "x2",
                           "X-ray",
                           "xray",
                           "!bang",
                           "%pct",
                           "*star",
                           ",comma",
                           "/slash",
                           ":colon",
                           ";semi",
                           "?q",
                           "\\back",
                           "]close",
                           "^caret",
                           "`tick",
                           "|bar",
                           "}close",
                           "<lt",
                           ">gt",
                           "\"quote",
                           "1",
                           "01",
                           "a1"};
    HWND lb = CreateWindowExA(0, "LISTBOX", "", WS_POPUP | LBS_SORT | LBS_HASSTRINGS, 0, 0, 100,
                              100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(lb, nullptr);
    struct Holder : Form {
        ListBox lst{*this, "lst"};
        Holder() : Form("Holder") { lst.SetSorted(true); }
    } model;
    for (const char* w : words) {
        SendMessageA(lb, LB_ADDSTRING, 0, (LPARAM)w);
        model.lst.AddItem(w);
    }
    ASSERT_EQ(SendMessageA(lb, LB_GETCOUNT, 0, 0), model.lst.ListCount());
    std::string platform, ours;
    for (int i = 0; i < model.lst.ListCount(); ++i) {
        char buf[64] = {};
        SendMessageA(lb, LB_GETTEXT, i, (LPARAM)buf);
        platform += std::string(buf) + "|";
        ours += model.lst.List(i) + "|";
    }
    EXPECT_EQ(ours, platform);
    DestroyWindow(lb);
}

} // namespace
} // namespace tamber::forms::win32

namespace tamber::forms::win32 {
namespace {

struct Table : Form {
    ListView lvw{*this, "lvw"};
    int scrolls = 0, dividers = 0;
    std::vector<int> clicked;
    Table() : Form("Table") {
        SetBorderStyle(vb::kFixedSingle);
        SetClientSize(6000, 3000);
        lvw.Move(0, 0, 6000, 3000);
        lvw.AddColumn("", "Values", 2000);
        lvw.AddColumn("Type", "List Type", 2000);
        for (int i = 0; i < 60; ++i)
            lvw.AddItem("Row " + std::to_string(i));
        lvw.onVScroll = [this] { ++scrolls; };
        lvw.onColumnDivider = [this] { ++dividers; };
        lvw.onItemClick = [this](int i) { clicked.push_back(i); };
    }
};

class ListViewWine : public RendererTest {};

TEST_F(ListViewWine, ScrollDividerAndHitTestReachTheModel) {
    Table t;
    t.Show();
    Pump(200);
    HWND lvw = Win32Host::WindowOf(t.lvw);
    const double tx = screen::TwipsPerPixelX(), ty = screen::TwipsPerPixelY();

    // Hit test in twips agrees with the real rows, also after scrolling.
    SendMessageA(lvw, WM_VSCROLL, SB_LINEDOWN, 0);
    SendMessageA(lvw, WM_VSCROLL, SB_LINEDOWN, 0);
    Pump(100);
    EXPECT_EQ(t.scrolls, 2);
    EXPECT_EQ(t.lvw.TopIndex(), 2);
    RECT row{};
    row.left = LVIR_BOUNDS;
    SendMessageA(lvw, LVM_GETITEMRECT, 5, (LPARAM)&row);
    const float x = static_cast<float>((row.left + 10) * tx);
    const float y = static_cast<float>((row.top + row.bottom) / 2.0 * ty);
    EXPECT_EQ(t.lvw.HitTest(x, y), 5);

    // A click selects the row and the model hears it.
    ClickAt(lvw, row.left + 10, (row.top + row.bottom) / 2);
    Pump(200);
    EXPECT_EQ(t.lvw.SelectedItem(), 5);
    EXPECT_EQ(t.clicked, std::vector<int>{5});

    // Dragging the first column's divider is announced and the new width lands in the model.
    HWND header = (HWND)SendMessageA(lvw, LVM_GETHEADER, 0, 0);
    RECT col{};
    SendMessageA(header, HDM_GETITEMRECT, 0, (LPARAM)&col);
    POINT from{col.right - 1, (col.top + col.bottom) / 2};
    ClientToScreen(header, &from);
    SetCursorPos(from.x, from.y);
    INPUT in[4] = {};
    for (auto& i : in)
        i.type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_MOVE;
    in[1].mi.dx = 20;
    in[2].mi.dwFlags = MOUSEEVENTF_MOVE;
    in[2].mi.dx = 20;
    in[3].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(4, in, sizeof(INPUT));
    Pump(300);
    EXPECT_GE(t.dividers, 1);
    const long width = SendMessageA(lvw, LVM_GETCOLUMNWIDTH, 0, 0);
    EXPECT_NE(width, static_cast<long>(std::lround(2000 / tx)));
    EXPECT_EQ(std::lround(t.lvw.Columns()[0].width / tx), width);
    EXPECT_EQ(t.lvw.Columns()[1].left, t.lvw.Columns()[0].width);
    t.Unload();
}

} // namespace
} // namespace tamber::forms::win32
