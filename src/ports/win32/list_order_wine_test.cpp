// Runs with LC_ALL=sv_SE.UTF-8, which makes the user's locale Swedish.
#include "ports/win32/win32_list_order.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/runtime/collate.h"
#include "forms/runtime/forms.h"

namespace tamber {
namespace {

std::string PlatformOrder(const std::vector<std::string>& words) {
    HWND lb = CreateWindowExA(0, "LISTBOX", "", WS_POPUP | LBS_SORT | LBS_HASSTRINGS, 0, 0, 100,
                              100, nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(lb, nullptr);
    for (const std::string& w : words)
        SendMessageA(lb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
    std::string order;
    const auto n = SendMessageA(lb, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        char buf[64] = {};
        SendMessageA(lb, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf));
        order += std::string(buf) + "|";
    }
    DestroyWindow(lb);
    return order;
}

std::string ModelOrder(const std::vector<std::string>& words) {
    struct Holder : forms::Form {
        forms::ListBox lst{*this, "lst"};
        Holder() : Form("Holder") { lst.SetSorted(true); }
    } model;
    for (const std::string& w : words)
        model.lst.AddItem(w);
    std::string order;
    for (int i = 0; i < model.lst.ListCount(); ++i)
        order += model.lst.List(i) + "|";
    return order;
}

TEST(ListOrder, SortedListsFollowTheUsersLocaleAsTheListBoxDoes) {
    ASSERT_EQ(PRIMARYLANGID(LANGIDFROMLCID(GetUserDefaultLCID())), LANG_SWEDISH)
        << "this test runs under a Swedish locale";
    const std::vector<std::string> words = {
        "\xD6rn",     "Oskar",     "\xC5sa",   "Zulu",     "Apa",    "\xC4rlig",  "\xE5ke",
        "\xF6l",      "Ola",       "zebra",    "Anna",     "\xE4ng", "M\xFCller", "Muller",
        "Mueller",    "\xC9t\xE9", "ete",      "co-op",    "coop",   "cop",       "O'Neil",
        "10 Downing", "9 lives",   "_first",   "[bracket", ";semi",  "",          "Smith",
        "smith",      "SMITH",     "Smith Co", "Vega",     "Wera",   "\xC6gir",   "\xD8ster"};
    const Win32ListOrder swedish;
    forms::ScopedListOrder scope(swedish);
    EXPECT_LT(swedish.Compare("Zulu", "\xC5sa"), 0);
    EXPECT_LT(swedish.Compare("\xC5sa", "\xC4rlig"), 0);
    EXPECT_LT(swedish.Compare("\xC4rlig", "\xD6rn"), 0);
    EXPECT_EQ(swedish.Compare("\xE5ke", "\xC5KE"), 0);
    EXPECT_EQ(ModelOrder(words), PlatformOrder(words));
}

} // namespace
} // namespace tamber
