// The static lists editor as a real window, driven with real mouse and keyboard input.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/scripted_dialogs.h"
#include "forms/win32/test_support.h"
#include "forms/win32/win32_host.h"
#include "module1/module1.h"
#include "ports/platform.h"
#include "ports/win32/win32_storage.h"
#include "staticlists/editor/frm_new.h"
#include "staticlists/editor/frm_static_lists.h"
#include "staticlists/listfiles/static_lists.h"

namespace tamber {
namespace {

using forms::win32::Win32Host;
namespace input = forms::win32::testing;

const std::string kFolder = "C:\\TamberEditorWine";

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The name as the folder spells it.
std::string StoredName(const std::string& file) {
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((kFolder + "\\" + file).c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    FindClose(h);
    return data.cFileName;
}

forms::Form* OpenForm(const std::string& name) {
    for (forms::Form* f : forms::screen::LoadedForms())
        if (f->Name() == name && f->Visible()) return f;
    return nullptr;
}

void ClickEntry(forms::ListBox& list, int i) {
    HWND h = Win32Host::WindowOf(list);
    RECT r;
    SendMessageA(h, LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
    input::ClickAt(h, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

TEST(EditorWine, CreateFillRenameAndRemoveListsWithRealInput) {
    Win32Host host;
    SetAppTitle("Tamberlist");
    ScriptedDialogs dialogs; // the save questions answer Yes, Remove's question is scripted
    SetAppDialogs(&dialogs);
    ScopedPlatform sys({.files = &Win32Files()});
    ResetModule1();
    CreateDirectoryA(kFolder.c_str(), nullptr);
    for (const char* old : {"Fruit.lst", "FRUIT.lst", "Other.lst", "veg.lst"})
        DeleteFileA((kFolder + "\\" + old).c_str());
    M().SettingsDir = kFolder + "\\";
    ASSERT_TRUE(staticlists::SaveList(staticlists::ListPath("Fruit"), "pear\r\napple"));
    ASSERT_TRUE(staticlists::SaveList(staticlists::ListPath("Other"), "x"));

    std::vector<std::pair<std::string, std::string>> renames;
    frmStaticLists editor({.sListSelected = "Other",
                           .listRenamed = [&](const std::string& from, const std::string& to) {
                               renames.emplace_back(from, to);
                           }});
    auto dialog = [] { return static_cast<frmNew*>(OpenForm("frmNew")); };
    std::string typedName;

    input::UserScript user;
    user.Then([&] { return editor.Visible(); },
              [&] { input::ClickWindow(Win32Host::WindowOf(editor.cmdNewList)); });
    // A space and a period beep and stay out of the name.
    user.Then([&] { return dialog() != nullptr; }, [&] { input::TypeText("v eg."); });
    user.Then([&] { return dialog()->txtName.Text() == "veg"; },
              [&] { input::PressKey(VK_RETURN); });
    user.Then([&] { return !dialog() && editor.lstListNames.Text() == "veg"; },
              [&] { input::TypeText("leek\n"); });
    user.Then([&] { return editor.rtfItems.Text() == "leek\r\n"; },
              [&] { input::Paste("carrot\r\nBean\r\n"); });
    user.Then([&] { return editor.rtfItems.Text() == "leek\r\ncarrot\r\nBean\r\n"; },
              [&] { input::ClickWindow(Win32Host::WindowOf(editor.cmdSave)); });
    user.Then([&] { return editor.rtfItems.Text() == "Bean\r\ncarrot\r\nleek\r\n"; },
              [&] {
                  input::SaveScreenshot(Win32Host::WindowOf(editor), "frmStaticLists");
                  ClickEntry(editor.lstListNames, 0); // Fruit
              });
    user.Then([&] { return editor.lstListNames.Text() == "Fruit"; },
              [&] { input::ClickWindow(Win32Host::WindowOf(editor.cmdRename)); });
    // The dialog opens with the old name selected: typing replaces it.
    user.Then([&] { return dialog() && dialog()->txtName.Text() == "Fruit"; },
              [&] { input::TypeText("FRUIT\n"); });
    user.Then([&] { return !dialog() && editor.lstListNames.Text() == "FRUIT"; },
              [&] { ClickEntry(editor.lstListNames, 1); });
    user.Then([&] { return editor.lstListNames.Text() == "Other"; },
              [&] {
                  dialogs.answers = {mb::kOk};
                  input::ClickWindow(Win32Host::WindowOf(editor.cmdRemoveList));
              });
    user.Then([&] { return editor.lstListNames.ListCount() == 2; },
              [&] { input::ClickWindow(Win32Host::WindowOf(editor.cmdClose)); });
    user.Start();
    editor.Show(true);
    ASSERT_FALSE(user.TimedOut()) << "steps left undone";

    EXPECT_EQ(Slurp(kFolder + "\\veg.lst"), "[Index]\r\nCount=3\r\nb=1\r\nc=2\r\nl=3\r\n"
                                            "[Items]\r\n1=Bean\r\n2=carrot\r\n3=leek\r\n");
    EXPECT_EQ(StoredName("fruit.lst"), "FRUIT.lst");
    EXPECT_NE(Slurp(kFolder + "\\FRUIT.lst").find("1=apple\r\n2=pear"), std::string::npos);
    EXPECT_EQ(Slurp(kFolder + "\\Other.lst"), "<missing>");
    EXPECT_EQ(renames, (std::vector<std::pair<std::string, std::string>>{{"Fruit", "FRUIT"},
                                                                         {"Other", ""}}));
    SetAppDialogs(nullptr);
}

// A list whose file Windows refuses to delete (read-only) is said and stays.
TEST(EditorWine, ARemovalOfAReadOnlyListIsToldAndKeepsTheList) {
    Win32Host host;
    SetAppTitle("Tamberlist");
    ScriptedDialogs dialogs;
    SetAppDialogs(&dialogs);
    ScopedPlatform sys({.files = &Win32Files()});
    ResetModule1();
    const std::string folder = kFolder + "ReadOnly";
    CreateDirectoryA(folder.c_str(), nullptr);
    M().SettingsDir = folder + "\\";
    const std::string file = folder + "\\Locked.lst";
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(staticlists::SaveList(file, "kept"));
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));

    frmStaticLists editor({.sListSelected = "Locked", .listRenamed = nullptr});
    input::UserScript user;
    user.Then([&] { return editor.Visible() && editor.lstListNames.Text() == "Locked"; },
              [&] {
                  dialogs.answers = {mb::kOk};
                  input::ClickWindow(Win32Host::WindowOf(editor.cmdRemoveList));
              });
    user.Then([&] { return dialogs.shown.size() == 2; },
              [&] { input::ClickWindow(Win32Host::WindowOf(editor.cmdClose)); });
    user.Start();
    editor.Show(true);
    ASSERT_FALSE(user.TimedOut()) << "steps left undone";
    EXPECT_EQ(dialogs.shown[1].prompt.rfind("The list Locked could not be removed (", 0), 0u)
        << dialogs.shown[1].prompt;
    EXPECT_EQ(editor.lstListNames.ListCount(), 1);
    EXPECT_NE(Slurp(file).find("1=kept"), std::string::npos);
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(file.c_str());
    SetAppDialogs(nullptr);
}

// A long list of items as long as real ones, far past the rich edit control's default limit of
// 32,767 characters: it loads whole, takes typing and pasting at its end, and saves every item.
// Wine's rich edit control fills more slowly than linearly (minutes for the editor's most items,
// 32,767), so CI runs 3,000 items; TAMBER_LONG_LIST_ITEMS sets another count.
TEST(EditorWine, ALongListLoadsTakesInputAndSavesWhole) {
    const char* count = std::getenv("TAMBER_LONG_LIST_ITEMS");
    const int items = count ? std::atoi(count) : 3000;
    ASSERT_TRUE(items >= 2 && items <= staticlists::kMaxItems);
    Win32Host host;
    SetAppTitle("Tamberlist");
    ScriptedDialogs dialogs; // leaving the box for Save asks first: Yes
    SetAppDialogs(&dialogs);
    ScopedPlatform sys({.files = &Win32Files()});
    ResetModule1();
    // A folder of its own: the other test counts the lists of its folder.
    const std::string folder = kFolder + "Long";
    CreateDirectoryA(folder.c_str(), nullptr);
    M().SettingsDir = folder + "\\";
    std::string text;
    for (int i = 0; i < items - 2; ++i) {
        char item[64];
        std::snprintf(item, sizeof item, "Entry %05d, Northern Sales Territory %03d", i, i % 997);
        text += item;
        text += "\r\n";
    }
    // Both files start afresh and go through the same saves: a save rewrites [Items] only, so
    // the order of the sections depends on the file's history.
    DeleteFileA((folder + "\\Long.lst").c_str());
    DeleteFileA((folder + "\\Expected.lst").c_str());
    ASSERT_TRUE(staticlists::SaveList(staticlists::ListPath("Long"), text));
    ASSERT_TRUE(staticlists::SaveList(staticlists::ListPath("Expected"), text));
    const std::string typed = "Zz1 typed at the end of the list"; // sorts before the pasted one
    const std::string pasted = "Zz2 pasted at the end of the list";
    const std::string expectedText = text + typed + "\r\n" + pasted + "\r\n";
    ASSERT_TRUE(staticlists::SaveList(staticlists::ListPath("Expected"), expectedText));

    frmStaticLists editor({.sListSelected = "Long", .listRenamed = nullptr});
    input::UserScript user;
    user.Then([&] { return editor.Visible() && editor.rtfItems.Text() == text; },
              [&] {
                  input::ClickWindow(Win32Host::WindowOf(editor.rtfItems));
                  input::PressKey(VK_END, VK_CONTROL);
                  input::TypeText(typed + "\n");
              });
    user.Then([&] { return editor.rtfItems.Text() == text + typed + "\r\n"; },
              [&] { input::Paste(pasted + "\r\n"); });
    user.Then([&] { return editor.rtfItems.Text() == expectedText; },
              [&] { input::ClickWindow(Win32Host::WindowOf(editor.cmdSave)); });
    user.Then([&] { return !editor.ItemsModified() && editor.rtfItems.Text() == expectedText; },
              [&] { input::ClickWindow(Win32Host::WindowOf(editor.cmdClose)); });
    user.Start(items > 3000 ? 3600000 : 120000);
    editor.Show(true);
    ASSERT_FALSE(user.TimedOut()) << "steps left undone; the box holds "
                                  << editor.rtfItems.Text().size() << " characters";
    const std::string saved = Slurp(folder + "\\Long.lst");
    EXPECT_EQ(saved.size(), Slurp(folder + "\\Expected.lst").size());
    EXPECT_TRUE(saved == Slurp(folder + "\\Expected.lst"));
    EXPECT_EQ(staticlists::ReadList(staticlists::ListPath("Long")).size(),
              static_cast<std::size_t>(items));
    SetAppDialogs(nullptr);
}

} // namespace
} // namespace tamber
