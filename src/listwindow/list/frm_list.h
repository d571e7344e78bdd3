#pragma once
// frmList: the drop-down list shown right under the active ACT! field. It reads the field's
// list settings, builds the entries (or finds the cache or static list file that holds them),
// pre-selects the field's value, jumps as the user types, and writes the chosen entry into
// the field, replacing its value or, once Ctrl has been held, adding to it. It closes when an
// entry is written, on Esc, and as soon as another window takes the foreground.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/procedure.h"
#include "controls/virtuallist/virtual_list.h"
#include "forms/runtime/forms.h"

namespace tamber {

class KeyboardHook;
class Locale;
class TypingTime;
class WindowStack;
namespace listfile {
class ListReader;
}

class frmList : public forms::Form {
  public:
    // The ports Sys() does not hold; the settings store ("Handles", the progress values), the
    // process launcher (gauge), the desktop (the foreground window) and the file system (cache
    // file times) are the program's, from Sys().
    struct Ports {
        KeyboardHook& keyboardHook;
        Locale& locale;
        WindowStack& windows;
        TypingTime& typing; // the type-ahead interval
    };
    struct Deps {
        // Opens the configuration window, modeless; empty: "not available" message.
        std::function<void()> showMain;
        // Whether the configuration window is saving its settings (then a rebuild asks before
        // it overwrites a cache file); empty = false.
        std::function<bool()> fromSettings;
    };

    frmList(Ports ports, Deps deps = {});
    ~frmList() override;

    UVirtualList lstDynamic{*this, "lstDynamic"};
    forms::ListBox lstSorted{*this, "lstSorted"};
    forms::CommandButton cmdEditList{*this, "cmdEditList"};
    forms::CommandButton cmdRefresh{*this, "cmdRefresh"};
    forms::CommandButton cmdCancel{*this, "cmdCancel"};
    forms::Timer tmr1{*this, "tmr1"};

    // Answers and state other windows read or set.
    std::string sTargetField;
    bool bCancelled = false;
    bool bKeepExisting = false;

    // Builds the list of the type and saves it to its cache file, asking first when the
    // configuration window is saving and the file exists. bRefresh is not used.
    void Refresh_File(std::int16_t iType, const std::string& sID, bool bCompanyName, bool bRefresh);

    void Form_Load() override;
    void Form_Activate() override;
    void Form_GotFocus() override;
    void Form_Unload(int& cancel) override;

    void ShowList();
    void SetEditCaption();
    void Build_List(std::int16_t type, const std::string& section, bool showCompany,
                    const std::string& reference, bool rebuildEachTime);
    std::string GetCurrentValue();
    void Select_Default(const std::string& value);
    void WriteData();
    void ClearField();

    void cmdEditList_Click();
    void cmdRefresh_Click();
    void cmdCancel_Click();
    void tmr1_Timer();
    void lstDynamic_KeyPress(int& keyAscii);
    void lstSorted_KeyPress(int& keyAscii);
    void lstSorted_Click();
    void lstDynamic_MouseUp(int button);
    void lstDynamic_ItemInfoCallback(long iItem, std::string& sText);

    // The list's source, as the load and Build_List set it.
    std::int16_t ListType = -1;
    std::string ListReference;
    bool ShowCompany = false;
    bool RebuildEachTime = false;
    std::string ListFile;
    bool IsStaticList = false;
    bool Busy = false;
    bool CloseRequested = false;
    std::uint32_t LocaleId = 0;
    std::string ListSeparator;

  private:
    // Entries shown, searched and written come from lstSorted (lists built now and static
    // lists, whose in-memory copy also holds the optional blank entry) or from ListFile.
    bool InMemory() const { return RebuildEachTime || IsStaticList; }
    // The window's one reader of ListFile; each user action has it check the file again.
    listfile::ListReader& Reader();
    void ReadAgain();
    void SelectRow(int i);
    void MouseDown(int button);
    void AddValue(const std::string& current, const std::string& chosen);
    // The builders fill lstSorted; false when the build failed (reported).
    bool Create_Dict_w_All_Groups(bool showProgress);
    bool Create_Dict_w_Subgroups(const std::string& parent, bool showProgress);
    bool Create_dict_w_Members(const std::string& group, bool showCompany, bool showProgress);
    void Create_dict_w_Static(const std::string& file);
    bool Build(std::int16_t type, const std::string& reference, bool showCompany,
               bool showProgress);
    std::string GetFileDateModified(const std::string& file);
    // The Refresh button's tool tip: when the cache file was built and, reading ACT!'s group
    // table directly, whether the groups changed since (then its caption is bold too).
    void ShowCacheAge();

    // Type-ahead over every kind of list: characters typed within the platform's interval of
    // each other make one search text, Backspace shortens it.
    enum class Typed { kNothing, kOneKey, kSearchText };
    Typed TypeAhead(int keyAscii);
    void SelectTyped();
    void StepToLetter(char letter);
    std::string typed_;
    std::int64_t typedAt_ = 0;

    // The cache list shown, which Refresh rebuilds: the field's own, or the one its
    // reference field's value chose.
    std::int16_t cacheType_ = -1;
    bool staticBlank_ = false; // the static list offers its Blank entry
    std::string cacheReference_;
    bool cacheCompany_ = false;

    Ports ports_;
    Deps deps_;
    std::unique_ptr<listfile::ListReader> reader_;
    ReportGuard timerReport_;
};

} // namespace tamber
