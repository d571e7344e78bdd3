#include "listwindow/list/frm_list.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "common/step_marks.h"
#include "config/fieldsettings/field_settings.h"
#include "forms/runtime/collate.h"
#include "integration/message/frm_message.h"
#include "listbuild/builders/list_builders.h"
#include "listbuild/cache/list_cache.h"
#include "listbuild/listnames/list_names.h"
#include "listbuild/progress/progress_channel.h"
#include "listwindow/list/field_values.h"
#include "module1/module1.h"
#include "ports/act.h"
#include "ports/desktop.h"
#include "ports/dialogs.h"
#include "ports/file_system.h"
#include "ports/keyboard_hook.h"
#include "ports/locale.h"
#include "ports/platform.h"
#include "ports/settings_store.h"
#include "ports/typing_time.h"
#include "ports/window_stack.h"
#include "startup/settings/settings.h"
#include "staticlists/listfiles/list_file.h"
#include "vb/vb_convert.h"

namespace tamber {

namespace fs = fieldsettings;

namespace {

constexpr const char* kModule = "frmList";
constexpr int kListSeparatorItem = 12;

template <class T> T& Need(const std::shared_ptr<T>& object) {
    if (!object) throw VbError(91, "Object variable or With block variable not set");
    return *object;
}

long ListHeightFor(std::int32_t n) {
    switch (n) {
    case 0:
        return 0;
    case 1:
        return 270;
    case 2:
        return 520;
    case 3:
        return 720;
    default:
        return 960;
    }
}

} // namespace

frmList::frmList(Ports ports, Deps deps) : Form("frmList"), ports_(ports), deps_(std::move(deps)) {
    // A borderless strip under the field: no caption, no task-bar button.
    SetBorderStyle(forms::vb::kBsNone);
    SetShowInTaskbar(false);
    SetClientSize(3900, 1230);
    lstDynamic.Move(0, 0, 3900, 960);
    lstDynamic.SetTabIndex(0);
    // Outside the visible strip but able to take the focus, for the list box's type-ahead.
    lstSorted.SetSorted(true);
    lstSorted.Move(3810, 90, 1920, 840);
    lstSorted.SetTabIndex(1);
    cmdEditList.Move(20, 960, 3180, 270);
    cmdEditList.SetCaption("List settings...");
    cmdEditList.SetTabIndex(2);
    cmdRefresh.Move(3200, 960, 700, 270);
    cmdRefresh.SetCaption("Refresh");
    cmdRefresh.SetVisible(false);
    cmdRefresh.SetTabIndex(3);
    cmdCancel.Move(3600, 30, 200, 195);
    cmdCancel.SetCaption("Cancel");
    cmdCancel.SetCancel(true);
    cmdCancel.SetTabIndex(4);
    tmr1.SetInterval(100);

    lstDynamic.onItemInfoCallback = [this](long i, std::string& text, long) {
        lstDynamic_ItemInfoCallback(i, text);
    };
    lstDynamic.onKeyPress = [this](int& k) { lstDynamic_KeyPress(k); };
    lstDynamic.onMouseDown = [this](int button, int, float, float) { MouseDown(button); };
    lstDynamic.onMouseUp = [this](int button, int, float, float) { lstDynamic_MouseUp(button); };
    lstSorted.onKeyPress = [this](int& k) { lstSorted_KeyPress(k); };
    lstSorted.onClick = [this] { lstSorted_Click(); };
    cmdEditList.onClick = [this] { cmdEditList_Click(); };
    cmdEditList.onMouseDown = [this](int button, int, float, float) { MouseDown(button); };
    cmdRefresh.onClick = [this] { cmdRefresh_Click(); };
    cmdRefresh.onMouseDown = [this](int button, int, float, float) { MouseDown(button); };
    cmdCancel.onClick = [this] { cmdCancel_Click(); };
    tmr1.onTimer = [this] { tmr1_Timer(); };
}

frmList::~frmList() {
    if (Loaded()) ports_.keyboardHook.Remove();
}

listfile::ListReader& frmList::Reader() {
    const std::string file = InMemory() ? std::string() : ListFile;
    if (!reader_ || reader_->File() != file) reader_ = std::make_unique<listfile::ListReader>(file);
    return *reader_;
}

void frmList::ReadAgain() {
    if (reader_) reader_->ReadAgain();
}

void frmList::Form_Load() {
    Sub(kModule, "Form_Load", [&](Statement& at) {
        Module1& m = M();
        at();
        ports_.keyboardHook.Install([this] { bKeepExisting = true; });
        at();
        Sys().settings->SaveSetting(AppTitle(), "Handles", m.FieldIdText, std::to_string(hWnd()));
        at();
        const double tx = forms::screen::TwipsPerPixelX(), ty = forms::screen::TwipsPerPixelY();
        const long width = std::lround(tx * (m.FieldRect.right - m.FieldRect.left) + 30);
        Move(std::lround(tx * m.FieldRect.left - 20), std::lround(ty * m.FieldRect.bottom + 30),
             width, Height());
        lstDynamic.SetWidth(width - 10);
        // Out of sight whatever the field's width: the sorted list only serves type-ahead,
        // the cancel button only Esc.
        lstSorted.SetLeft(width + 10);
        cmdCancel.SetLeft(width + 10);
        at();
        lstSorted.Clear();
        at();
        const fs::ListWindowSettings stored = fs::ReadForListWindow(m.FieldIdText);
        ListType = stored.ListType;
        RebuildEachTime = stored.RebuildEachTime;
        if (ListType > 0) ListReference = stored.ListReference;
        ShowCompany = stored.ShowCompany;
        at();
        LocaleId = ports_.locale.SystemDefaultLocale();
        ListSeparator = ports_.locale.LocaleInfo(LocaleId, kListSeparatorItem);
        MarkStep("list settings read");
        at();
        Build_List(ListType, m.FieldIdText, ShowCompany, ListReference, RebuildEachTime);
        MarkStep("list filled");
    });
}

void frmList::Form_Activate() {
    Sub(kModule, "Form_Activate", [&](Statement& at) {
        at();
        // Loaded only for a refresh, the window is shown on top for the rebuild question
        // without being shown as a form: nothing can take the focus then.
        if (Visible() && lstDynamic.Visible()) lstDynamic.SetFocus();
    });
}

void frmList::Form_GotFocus() {
    Form_Activate();
}

void frmList::Form_Unload(int&) {
    ports_.keyboardHook.Remove();
}

void frmList::ShowList() {
    Sub(kModule, "ShowList", [&](Statement& at) {
        at();
        ReadAgain();
        typed_.clear();
        std::int32_t n = InMemory() ? lstSorted.ListCount() : Reader().Count();
        at();
        // Cleared even for an empty list, so that no row of an earlier list can be written.
        lstDynamic.SetItems(std::vector<std::string>(static_cast<std::size_t>(n > 0 ? n : 0)));
        at();
        lstDynamic.SetHeight(ListHeightFor(n));
        lstDynamic.SetVisible(n > 0);
        cmdEditList.SetTop(lstDynamic.Top() + lstDynamic.Height());
        at();
        // Refresh rebuilds a cache list; without one chosen it would save an empty list.
        // A field narrower than the Refresh button leaves the settings button no width.
        const bool cacheList = !InMemory() && cacheType_ >= 0 && cacheType_ <= 2;
        cmdEditList.SetWidth(std::max(0L, lstDynamic.Width() - (cacheList ? 720 : 20)));
        cmdRefresh.SetVisible(cacheList);
        if (cacheList) cmdRefresh.SetTop(cmdEditList.Top());
        if (cacheList) ShowCacheAge();
        cmdEditList.SetLeft(lstDynamic.Left() + 20);
        if (cmdRefresh.Visible()) cmdRefresh.SetLeft(cmdEditList.Left() + cmdEditList.Width());
        at();
        SetHeight(lstDynamic.Height() + cmdEditList.Height());
        SetEditCaption();
    });
}

void frmList::SetEditCaption() {
    const long w = cmdEditList.Width();
    cmdEditList.SetCaption(w > 1150 ? "List settings..." : w > 750 ? "Settings" : "...");
}

void frmList::Build_List(std::int16_t type, const std::string& section, bool showCompany,
                         const std::string& reference, bool rebuildEachTime) {
    Sub(kModule, "Build_List", [&](Statement& at) {
        Module1& m = M();
        RebuildEachTime = rebuildEachTime;
        if (rebuildEachTime) {
            at();
            Build(type, reference, showCompany, false);
        } else if (type >= 0 && type < 3) {
            at();
            const std::string name =
                type == 0 ? "000001" : Get_List_Name(type, reference, showCompany);
            // No name, no file: the index could not be written (the user has been told).
            cacheType_ = type;
            cacheReference_ = reference;
            cacheCompany_ = showCompany;
            ListFile =
                name.empty() ? std::string() : m.SettingsDir + m.DbName + "_" + name + ".dat";
        } else if (type == 3) {
            at();
            sTargetField = fs::ReadReference(section);
            if (!sTargetField.empty()) {
                at();
                const std::string value = Need(m.ActView).GetField(sTargetField);
                at();
                const std::optional<fs::ValueSetting> setting =
                    fs::ReadValueSetting(section, value);
                // Only the texts "0" to "4" choose a type ("01" or "1.6" would pass as numbers).
                const std::string valueType = setting ? setting->type : std::string();
                if (valueType.size() == 1 && valueType[0] >= '0' && valueType[0] <= '4') {
                    at();
                    const std::string& details = setting->details;
                    const bool rebuild = fs::ToBoolean(setting->rebuild);
                    const bool display = fs::ToBoolean(setting->display);
                    // A group list without its group shows empty, as any other choice of none.
                    switch (valueType[0] - '0') {
                    case 0:
                        Build_List(0, "", false, "", rebuild);
                        return;
                    case 1:
                        if (details.empty()) break;
                        Build_List(1, "", false, details, rebuild);
                        return;
                    case 2:
                        if (details.empty()) break;
                        Build_List(2, "", display, details, rebuild);
                        return;
                    case 3:
                        if (!details.empty()) {
                            ListFile = m.SettingsDir + details + ".lst";
                            Create_dict_w_Static(ListFile);
                            IsStaticList = true;
                        }
                        break;
                    default:
                        break;
                    }
                }
            }
        }
        at();
        ShowList();
        at();
        Select_Default(GetCurrentValue());
    });
}

bool frmList::Build(std::int16_t type, const std::string& reference, bool showCompany,
                    bool showProgress) {
    switch (type) {
    case 0:
        return Create_Dict_w_All_Groups(showProgress);
    case 1:
        return Create_Dict_w_Subgroups(reference, showProgress);
    case 2:
        return Create_dict_w_Members(reference, showCompany, showProgress);
    default:
        return true;
    }
}

bool frmList::Create_Dict_w_All_Groups(bool showProgress) {
    bool built = false;
    Sub(kModule, "Create_Dict_w_All_Groups", [&](Statement& at) {
        at();
        lstSorted.Clear();
        ProgressChannel progress(*Sys().settings, *Sys().processes);
        at();
        listbuild::FillSorted(
            lstSorted, listbuild::AllGroups({progress, showProgress, "Create_Dict_w_All_Groups"}));
        built = true;
    });
    return built;
}

bool frmList::Create_Dict_w_Subgroups(const std::string& parent, bool showProgress) {
    bool built = false;
    Sub(kModule, "Create_Dict_w_Subgroups", [&](Statement& at) {
        at();
        lstSorted.Clear();
        ProgressChannel progress(*Sys().settings, *Sys().processes);
        at();
        listbuild::FillSorted(lstSorted, listbuild::Subgroups(parent, {progress, showProgress,
                                                                       "Create_Dict_w_Subgroups"}));
        built = true;
    });
    return built;
}

bool frmList::Create_dict_w_Members(const std::string& group, bool showCompany, bool showProgress) {
    bool built = false;
    Sub(kModule, "Create_dict_w_Members", [&](Statement& at) {
        at();
        lstSorted.Clear();
        ProgressChannel progress(*Sys().settings, *Sys().processes);
        at();
        listbuild::FillSorted(
            lstSorted, listbuild::Members(group, showCompany,
                                          {progress, showProgress, "Create_dict_w_Members"}));
        built = true;
    });
    return built;
}

void frmList::Create_dict_w_Static(const std::string& file) {
    Sub(kModule, "Create_dict_w_Static", [&](Statement& at) {
        at();
        const bool blank = fs::ReadBlank(M().FieldIdText);
        staticBlank_ = blank;
        at();
        std::vector<std::string> items = listbuild::StaticItems(file, blank);
        // Appends to what the list holds (the load cleared it).
        for (const forms::ListEntry& e : lstSorted.Entries())
            items.push_back(e.text);
        // A list box holds 32,767 rows: a longer file opens its first entries (the blank
        // entry comes first), and says so.
        constexpr std::size_t kRows = 32767;
        if (items.size() > kRows) {
            at();
            const std::size_t over = items.size() - kRows;
            const std::size_t stored = items.size() - lstSorted.Entries().size() - (blank ? 1 : 0);
            items.resize(kRows);
            const std::size_t shown = stored - over;
            const auto slash = file.find_last_of("\\/");
            std::string name = file.substr(slash == std::string::npos ? 0 : slash + 1);
            name = name.substr(0, name.rfind('.'));
            AppDialogs().MsgBox("The list " + name + " has " + std::to_string(stored) +
                                    " items, more than the 32,767 a list can show; only its "
                                    "first " +
                                    std::to_string(shown) + " are shown.",
                                mb::kExclamation, AppTitle());
        }
        listbuild::FillSorted(lstSorted, std::move(items));
    });
}

void frmList::lstDynamic_ItemInfoCallback(long iItem, std::string& sText) {
    Sub(kModule, "lstDynamic_ItemInfoCallback", [&](Statement& at) {
        at();
        if (InMemory()) {
            sText = iItem < lstSorted.ListCount() ? lstSorted.List(static_cast<int>(iItem)) : "";
        } else {
            sText = std::string(Reader().Entry(static_cast<std::int32_t>(iItem + 1)));
        }
    });
}

std::string frmList::GetCurrentValue() {
    const std::string value = Need(M().ActView).GetField(M().FieldId);
    return FirstValue(value, ListSeparator);
}

void frmList::SelectRow(int i) {
    if (i < 0 || i >= lstDynamic.ListCount()) return;
    lstDynamic.SetListIndex(i);
    lstDynamic.SetTopIndex(i);
}

void frmList::Select_Default(const std::string& value) {
    Sub(kModule, "Select_Default", [&](Statement& at) {
        if (value.empty()) return;
        at();
        if (InMemory()) {
            const auto& entries = lstSorted.Entries();
            for (std::size_t i = 0; i < entries.size(); ++i)
                if (entries[i].text == value) return SelectRow(static_cast<int>(i));
            return;
        }
        at();
        listfile::ListReader& list = Reader();
        auto start = list.RunStartOf(value.front());
        const std::int32_t count = list.Count();
        if (!start || count == 0) return;
        for (std::int32_t n = *start; n <= count; ++n)
            if (list.Entry(n) == value) return SelectRow(n - 1);
    });
}

void frmList::lstDynamic_KeyPress(int& keyAscii) {
    Sub(kModule, "lstDynamic_KeyPress", [&](Statement& at) {
        if (keyAscii == 13 || keyAscii == 10) {
            at();
            WriteData();
            return;
        }
        at();
        switch (TypeAhead(keyAscii)) {
        case Typed::kNothing:
            return;
        case Typed::kSearchText:
            at();
            SelectTyped();
            return;
        case Typed::kOneKey:
            break;
        }
        if (!InMemory()) {
            at();
            ReadAgain();
            if (auto n = Reader().RunStartOf(static_cast<char>(keyAscii))) SelectRow(*n - 1);
            return;
        }
        at();
        StepToLetter(static_cast<char>(keyAscii));
    });
}

// One letter steps to the next entry that starts with it, from the one shown, round to the
// top, as the sorted list box's own type-ahead does. Searched here rather than typed again
// into that list box: a key the user typed straight after (Enter, the next letter) would reach
// the hidden list box before the echo and be lost.
void frmList::StepToLetter(char letter) {
    const auto& entries = lstSorted.Entries();
    const int count = static_cast<int>(entries.size());
    const std::string_view typed(&letter, 1);
    const int from = lstDynamic.ListIndex();
    for (int step = 1; step <= count; ++step) {
        const int i = ((from < 0 ? -1 : from) + step) % count;
        if (forms::StartsWithNoCase(entries[static_cast<std::size_t>(i)].text, typed)) {
            SelectRow(i);
            lstSorted.SetListIndex(i);
            return;
        }
    }
}

frmList::Typed frmList::TypeAhead(int keyAscii) {
    const std::int64_t now = ports_.typing.NowMs();
    const bool quick = !typed_.empty() && now - typedAt_ <= ports_.typing.IntervalMs();
    typedAt_ = now;
    if (!quick) typed_.clear();
    if (keyAscii == forms::vb::kKeyBack) {
        if (typed_.empty()) return Typed::kNothing;
        typed_.pop_back();
        return typed_.empty() ? Typed::kNothing : Typed::kSearchText;
    }
    if (keyAscii < 32 || keyAscii > 255) {
        typed_.clear();
        return Typed::kOneKey;
    }
    typed_ += static_cast<char>(keyAscii);
    // The same letter again steps as one key does, as the list box's own type-ahead does.
    const std::string_view first(typed_.data(), 1);
    for (std::size_t i = 1; i < typed_.size(); ++i)
        if (!forms::EqualsNoCase(std::string_view(&typed_[i], 1), first)) return Typed::kSearchText;
    return Typed::kOneKey;
}

void frmList::SelectTyped() {
    if (!InMemory()) {
        ReadAgain();
        if (auto n = Reader().FirstStartingWith(typed_)) SelectRow(*n - 1);
        return;
    }
    // The sorted list follows, so that its own type-ahead steps on from the entry shown.
    const auto& entries = lstSorted.Entries();
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (forms::StartsWithNoCase(entries[i].text, typed_)) {
            SelectRow(static_cast<int>(i));
            lstSorted.SetListIndex(static_cast<int>(i));
            return;
        }
}

void frmList::lstSorted_KeyPress(int& keyAscii) {
    Sub(kModule, "lstSorted_KeyPress", [&](Statement& at) {
        if (InMemory()) return;
        at();
        typed_.clear();
        ReadAgain();
        if (auto n = Reader().RunStartOf(static_cast<char>(keyAscii))) {
            SelectRow(*n - 1);
            lstDynamic.SetFocus();
        }
    });
}

void frmList::lstSorted_Click() {
    Sub(kModule, "lstSorted_Click", [&](Statement& at) {
        at();
        const int i = lstSorted.ListIndex();
        if (i >= 0 && i < lstDynamic.ListCount()) {
            lstDynamic.SetListIndex(i);
            lstDynamic.SetTopIndex(i);
        }
        at();
        if (lstDynamic.Visible()) lstDynamic.SetFocus();
    });
}

void frmList::lstDynamic_MouseUp(int button) {
    // The right button's press asked about clearing the field; its release never writes.
    if (button == forms::vb::kRightButton) return;
    WriteData();
}

void frmList::MouseDown(int button) {
    if (button == forms::vb::kRightButton) ClearField();
}

void frmList::WriteData() {
    Sub(kModule, "WriteData", [&](Statement& at) {
        const int i = lstDynamic.ListIndex();
        // Nothing selected: writing would silently empty the field.
        if (i < 0) return;
        at();
        const std::string chosen =
            InMemory() ? lstSorted.List(i) : std::string(Reader().Entry(i + 1));
        // An empty row is a hole in the file; only a static list's Blank entry empties the field.
        if (chosen.empty() && !staticBlank_) return;
        act::View& view = Need(M().ActView);
        if (bKeepExisting) {
            at();
            AddValue(view.GetField(M().FieldId), chosen);
        } else {
            at();
            view.SetField(M().FieldId, chosen);
        }
        at();
        Unload();
    });
}

void frmList::AddValue(const std::string& current, const std::string& chosen) {
    if (auto value = WithValueAdded(current, chosen, ListSeparator))
        Need(M().ActView).SetField(M().FieldId, *value);
}

void frmList::ClearField() {
    Sub(kModule, "ClearField", [&](Statement& at) {
        Busy = true;
        at();
        const int answer =
            AppDialogs().MsgBox("Clear the field content?",
                                mb::kYesNo + mb::kExclamation + mb::kDefaultButton2, AppTitle());
        if (answer == mb::kYes) {
            at();
            Need(M().ActView).SetField(M().FieldId, "");
            CloseRequested = true;
            at();
            Unload();
        } else {
            Busy = false;
        }
    });
}

void frmList::cmdEditList_Click() {
    Sub(kModule, "cmdEditList_Click", [&](Statement& at) {
        at();
        forms::screen::SetMousePointer(forms::vb::kHourglass);
        at();
        Unload();
        at();
        if (deps_.showMain) {
            deps_.showMain();
        } else {
            forms::screen::SetMousePointer(forms::vb::kDefault);
            AppDialogs().MsgBox("The configuration window is not available in this build (field " +
                                    M().FieldIdText + ").",
                                mb::kInformation, AppTitle());
        }
    });
}

void frmList::cmdRefresh_Click() {
    Sub(kModule, "cmdRefresh_Click", [&](Statement& at) {
        at();
        forms::screen::SetMousePointer(forms::vb::kHourglass);
        at();
        Refresh_File(cacheType_, cacheReference_, cacheCompany_, false);
        at();
        lstDynamic.SetVisible(true);
        ShowList();
        at();
        Select_Default(GetCurrentValue());
        at();
        // gauge took the foreground: back to the list, or the timer would close it.
        ports_.windows.Activate(hWnd());
        if (lstDynamic.Visible()) lstDynamic.SetFocus();
        forms::screen::SetMousePointer(forms::vb::kDefault);
    });
    forms::screen::SetMousePointer(forms::vb::kDefault);
}

void frmList::cmdCancel_Click() {
    Sub(kModule, "cmdCancel_Click", [&](Statement& at) {
        at();
        Unload();
    });
}

void frmList::tmr1_Timer() {
    Sub(kModule, "tmr1_Timer", timerReport_, [&](Statement& at) {
        at();
        if (CloseRequested) {
            Unload();
            return;
        }
        at();
        const WindowHandle foreground = Sys().desktop->ForegroundWindow();
        if (!Busy && foreground != hWnd()) {
            Unload();
            return;
        }
        // In front but without the keyboard focus (the progress window closing after a
        // refresh can leave it so): typing and Esc must reach the list again.
        at();
        if (foreground == hWnd() && Visible() && lstDynamic.Visible() &&
            Sys().desktop->FocusWindow() == 0)
            lstDynamic.SetFocus();
    });
}

std::string frmList::GetFileDateModified(const std::string& file) {
    return Function(kModule, "GetFileDateModified", [&](Statement& at) {
        at();
        return listbuild::FileDateText(Sys().files->LastWriteTime(file), ports_.locale);
    });
}

void frmList::ShowCacheAge() {
    std::string tip = "This list has not been built yet.";
    bool stale = false;
    FileSystem& files = *Sys().files;
    if (!ListFile.empty() && files.Exists(ListFile)) {
        const std::uint64_t built = files.LastWriteTime(ListFile);
        const std::string date = GetFileDateModified(ListFile);
        tip = date.empty() ? std::string() : "Built " + date;
        const std::optional<std::uint64_t> groupsChanged = listbuild::GroupTableWriteTime();
        stale = groupsChanged && *groupsChanged > built;
        if (stale)
            tip += (tip.empty() ? "" : "\r\n") +
                   std::string("The groups changed after this list was built.");
    }
    cmdRefresh.SetToolTipText(tip);
    cmdRefresh.SetFontBold(stale);
}

void frmList::Refresh_File(std::int16_t iType, const std::string& sID, bool bCompanyName, bool) {
    ProgressChannel progress(*Sys().settings, *Sys().processes);
    bool finished = false;
    Sub(kModule, "Refresh_File", [&](Statement& at) {
        Module1& m = M();
        // Set on every way out but a run-time error.
        struct Finished {
            bool& flag;
            int unwinding = std::uncaught_exceptions();
            ~Finished() { flag = std::uncaught_exceptions() == unwinding; }
        } done{finished};
        at();
        progress.BeginBuild();
        // Nothing half-built is saved: a failed build (reported by the builder) ends here.
        at();
        if (!Build(iType, sID, bCompanyName, true)) return progress.End();
        at();
        const std::string name = Get_List_Name(iType, sID, bCompanyName);
        if (name.empty()) return progress.End();
        const std::string file = m.SettingsDir + m.DbName + "_" + name + ".dat";
        at();
        if (Path_Exists(file)) {
            Busy = true;
            if (deps_.fromSettings && deps_.fromSettings()) {
                at();
                std::string title = "List of All Groups";
                if (iType == 1)
                    title = "List of Subgroups of the " + listbuild::GroupName(sID) + " Group";
                if (iType == 2)
                    title = "List of Members of the " + listbuild::GroupName(sID) + " Group";
                at();

                at();
                ports_.windows.ShowOnTop(
                    hWnd(), forms::TwipsToPixelsX(Left()), forms::TwipsToPixelsY(Top()),
                    forms::TwipsToPixelsX(Width()), forms::TwipsToPixelsY(Height()));
                at();
                bCancelled = false;
                frmMessage question(bCancelled);
                question.lblMessage.SetCaption(
                    "The " + title + " already exists. It was last updated:\r" +
                    GetFileDateModified(file) + "\rDo you want to rebuild it?");
                question.SetCaption("Refresh List");
                question.Show(true);
                CloseRequested = true;
                if (bCancelled) {
                    Busy = false;
                    return progress.End();
                }
            }
        }
        at();
        std::vector<std::string> entries;
        entries.reserve(static_cast<std::size_t>(lstSorted.ListCount()));
        for (const forms::ListEntry& e : lstSorted.Entries())
            entries.push_back(e.text);
        // A reader sharing the engine's parsed copy would make the save copy it first.
        reader_.reset();
        listbuild::SaveList(file, entries, progress);
        // The rebuild is over: the window closes again when the user leaves it.
        Busy = false;
    });
    if (!finished) {
        // Reported; the cache file is as it was. gauge must end, and a window loaded only for
        // the refresh must close, or the program would run on unseen.
        try {
            progress.End();
        } catch (const VbError&) {
        }
        Busy = false;
        if (!Visible()) CloseRequested = true;
    }
    ReadAgain();
}

} // namespace tamber
