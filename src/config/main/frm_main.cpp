#include "config/main/frm_main.h"

#include <optional>
#include <vector>

#include "common/procedure.h"
#include "common/program_end.h"
#include "config/about/frm_about.h"
#include "config/enumeration/populate_act_lists.h"
#include "config/fieldsettings/field_settings.h"
#include "config/main/frm_main_names.h"
#include "module1/module1.h"
#include "ports/act.h"
#include "ports/dialogs.h"
#include "ports/platform.h"
#include "ports/process.h"
#include "ports/shell.h"
#include "ports/window_order.h"
#include "startup/database/database_access.h"
#include "staticlists/listfiles/ansi_case.h"
#include "vb/vb_convert.h"

namespace tamber {

namespace {

constexpr char kForm[] = "frmMain";
constexpr char kManualFile[] = "\\tamber_user_manual.pdf";
constexpr char kTutorialPage[] = "https://www.tamberlist.com/tutorial";

void Exclaim(const std::string& exclamation) {
    AppDialogs().MsgBox(exclamation, mb::kExclamation, AppTitle());
}

// The hourglass for the length of a save, whichever way it ends.
struct Hourglass {
    Hourglass() { screen::SetMousePointer(fvb::kHourglass); }
    ~Hourglass() { screen::SetMousePointer(fvb::kDefault); }
};

} // namespace

frmMain::frmMain(Deps deps) : Form("frmMain"), deps_(std::move(deps)) {
    Layout();
    cboFields.onClick = [this] { cboFields_Click(); };
    cboFields.onGotFocus = [this] { HideFloating(); };
    cboType.onClick = [this] { cboType_Click(); };
    cboType.onGotFocus = [this] { cboType_GotFocus(); };
    cboReference.onClick = [this] { cboReference_Click(); };
    cboReference.onGotFocus = [this] { HideFloating(); };
    cboReference.onDropDown = [this] { RefComboTouched = true; };
    cboReference.onKeyDown = [this](int&, int) { RefComboTouched = true; };
    chkNoRebuild.onClick = [this] { HideFloating(); };
    chkName.onClick = [this] { HideFloating(); };
    // The labels beside the check boxes act as their captions.
    lblRebuild.onClick = [this] {
        chkNoRebuild.SetValue(chkNoRebuild.Value() == 0 ? 1 : 0);
        HideFloating();
    };
    lblName.onClick = [this] {
        chkName.SetValue(chkName.Value() == 0 ? 1 : 0);
        HideFloating();
    };
    for (Label* l : {&lblFields, &lblType, &lblReference})
        l->onClick = [this] { HideFloating(); };
    fra1.onClick = [this] { HideFloating(); };
    cmdOK.onClick = [this] { cmdOk_Click(); };
    cmdCancel.onClick = [this] { cmdCancel_Click(); };
    cmdCreate.onClick = [this] { cmdCreate_Click(); };
    tmr1.onTimer = [this] { tmr1_Timer(); };
    tmr2.onTimer = [this] { tmr2_Timer(); };
    lvwValues.onMouseUp = [this](int b, int s, float x, float y) { lvwvalues_MouseUp(b, s, x, y); };
    lvwValues.onVScroll = [this] { TableScrolled(); };
    lvwValues.onColumnDivider = [this] { TableScrolled(); };
    cboFloating.onClick = [this] { cboFloating_Click(); };
    mnuSettings.onClick = [this] { mnuSettings_Click(); };
    mnuIntegrate.onClick = [this] { mnuIntegrate_Click(); };
    mnuEnglish.SetChecked(true);
    mnuEnglish.onClick = [this] { SetIntegrateLanguage(0); };
    mnuFrench.onClick = [this] { SetIntegrateLanguage(1); };
    mnuHelp.onClick = [this] { HideFloating(); };
    mnuManual.onClick = [this] { mnuManual_Click(); };
    mnuOnline.onClick = [this] { mnuOnline_Click(); };
    mnuAbout.onClick = [this] { mnuAbout_Click(); };
}

frmMain::~frmMain() {
    if (ActEvent1) ActEvent1->OnNotification({});
}

void frmMain::Layout() {
    SetCaption("Tamberlist - List Settings");
    SetBorderStyle(fvb::kFixedSingle);
    SetMaxButton(false);
    SetCenterOnScreen(true);
    SetIcon(1);
    SetClientSize(12000, 2565);
    SetHeight(kShortHeight);

    lblFields.Move(240, 180, 4440, 255);
    lblFields.SetCaption("Field to which the Quill List is to be attached :");
    cboFields.Move(4800, 120, 4860, 315);
    cboFields.SetStyle(fvb::kComboDropDownList);
    cboFields.SetTabIndex(0);
    lblType.Move(240, 600, 4440, 255);
    lblType.SetCaption("Way the Quill List is to be populated :");
    cboType.Move(4800, 540, 4860, 315);
    cboType.SetStyle(fvb::kComboDropDownList);
    cboType.SetTabIndex(1);
    lblReference.Move(240, 1020, 4440, 255);
    lblReference.SetCaption("Select this GROUP :");
    lblReference.SetVisible(false);
    cboReference.Move(4800, 960, 4860, 315);
    cboReference.SetStyle(fvb::kComboDropDownList);
    cboReference.SetTabIndex(2);
    cboReference.SetVisible(false);
    cboFantome.SetVisible(false);

    fra1.Move(240, 1380, 9420, 960);
    fra1.SetCaption("List Options");
    chkNoRebuild.SetContainer(&fra1);
    chkNoRebuild.Move(180, 300, 255, 255);
    chkNoRebuild.SetTabIndex(3);
    lblRebuild.SetContainer(&fra1);
    lblRebuild.Move(480, 315, 8700, 255);
    lblRebuild.SetCaption("Do not rebuild list every time (Manual Rebuild enabled)");
    chkName.SetContainer(&fra1);
    chkName.Move(180, 600, 255, 255);
    chkName.SetTabIndex(4);
    lblName.SetContainer(&fra1);
    lblName.Move(480, 615, 8700, 255);
    lblName.SetCaption("Display the Company Name instead of the Contact Name");

    cmdOK.Move(9960, 120, 1800, 375);
    cmdOK.SetCaption("&OK");
    cmdOK.SetDefault(true);
    cmdOK.SetTabIndex(5);
    cmdCancel.Move(9960, 600, 1800, 375);
    cmdCancel.SetCaption("&Cancel");
    cmdCancel.SetCancel(true);
    cmdCancel.SetTabIndex(6);

    // An etched separator above the table.
    lin1.SetPoints(240, 2490, 11760, 2490);
    lin1.SetBorderColor(0x80000010); // button shadow
    lin2.SetPoints(240, 2505, 11760, 2505);
    lin2.SetBorderColor(0x80000014); // button highlight
    lin1.SetVisible(false);
    lin2.SetVisible(false);

    lvwValues.Move(240, 2640, 11520, 2160);
    lvwValues.SetVisible(false);
    lvwValues.SetTabIndex(7);
    // Every column fits beside the scroll bar: the editor is placed by header positions, which
    // a horizontally scrolled table would move.
    lvwValues.AddColumn("", "Values", 2620);
    lvwValues.AddColumn("Type", "List Type", 3015);
    lvwValues.AddColumn("Details", "GROUP or LIST", 3133);
    lvwValues.AddColumn("Rebuild", "Rebuild", 944);
    lvwValues.AddColumn("Display", "Display", 1442);
    cmdCreate.Move(240, 4905, 2835, 375);
    cmdCreate.SetCaption("Manage your Static Lists");
    cmdCreate.SetTabIndex(8);

    cboFloating.SetStyle(fvb::kComboDropDownList);
    cboFloating.Move(0, 0, 1440, 315);
    cboFloating.SetVisible(false);
    cboFloating.SetTabStop(false);
    cboFantome1.SetVisible(false);
    tmr1.SetEnabled(false);
    tmr2.SetEnabled(false);
}

void frmMain::Form_Load() {
    Sub(kForm, "Form_Load", [&](Statement& at) {
        Module1& m = M();
        at();
        if (!ActEvent1) {
            ActEvent1 = Sys().automation->CreateEventControl();
            ActEvent1->OnNotification([this](act::Notification) { ActEvent1_Notify(); });
        }
        at();
        if (!DatabaseReachable(*ActEvent1)) {
            Unload();
            return;
        }
        at();
        Loading = true;
        for (size_t i = 0; i < TypeNames.size(); ++i)
            TypeNames[i] = fs::kValueTypeNames[i];
        LastType = -1;
        LastRef = -1;
        at();
        // Fields, groups and drop-down values are always read through the ACT! objects.
        if (!m.UseActDatabase) Create_Database();
        at();
        pop::Populate_cboFields(cboFields, pop::kCharacterTypes, pop::kListFields,
                                std::to_string(m.ActView->CurrentFieldId()));
        at();
        cboType.Clear();
        for (const char* name : fs::kMainTypeNames)
            cboType.AddItem(name);
        at();
        Update_Controls(vb::CInt(m.FieldIdText));
    });
    // A failed load must not leave the field choice inert.
    Loading = false;
}

void frmMain::Update_Controls(std::int16_t field) {
    Sub(kForm, "Update_Controls", [&](Statement& at) {
        Module1& m = M();
        m.FieldIdText = std::to_string(field);
        at();
        fs::ConfigWindowSettings stored = fs::ReadForConfigWindow(m.FieldIdText);
        chkName.SetValue(vb::CInt(stored.CompanyName));
        chkNoRebuild.SetValue(vb::CInt(stored.NoRebuild));
        at();
        const int type = vb::CInt(stored.Type);
        cboType.SetListIndex(type);
        bool fillReference = false, fillTable = false;
        at();
        switch (type) {
        case fs::maintype::kAllGroups:
            chkNoRebuild.SetEnabled(true);
            lblRebuild.SetEnabled(true);
            Resize(kShortHeight);
            break;
        case fs::maintype::kSubgroups:
        case fs::maintype::kMembers:
            chkNoRebuild.SetEnabled(true);
            lblRebuild.SetEnabled(true);
            lblReference.SetVisible(true);
            cboReference.SetVisible(true);
            chkName.SetEnabled(type == fs::maintype::kMembers);
            lblName.SetEnabled(chkName.Enabled());
            fillReference = true;
            Resize(kShortHeight);
            break;
        case fs::maintype::kDependsOnReference:
            lblReference.SetVisible(true);
            cboReference.SetVisible(true);
            lvwValues.SetVisible(true);
            Hook();
            fillReference = fillTable = true;
            Resize(kTallHeight);
            break;
        default:
            lblReference.SetVisible(false);
            cboReference.SetVisible(false);
            lvwValues.SetVisible(false);
            Resize(kShortHeight);
            break;
        }
        at();
        if (fillReference) Initialize_CboReference();
        // A stored reference field no longer offered (deleted, or its drop-down list gone)
        // leaves the choice to the user: no table until one is picked.
        if (fillTable && cboReference.ListIndex() < 0) {
            lvwValues.SetVisible(false);
            Unhook();
            Resize(kShortHeight);
            fillTable = false;
        }
        at();
        if (fillTable) {
            Fill_lvwValues();
            Initialize_lvwValues();
        }
    });
}

void frmMain::Initialize_CboReference() {
    Sub(kForm, "Initialize_CboReference", [&](Statement& at) {
        if (!cboReference.Visible()) return;
        Module1& m = M();
        at();
        const std::string reference = fs::ReadForConfigWindow(m.FieldIdText).Reference;
        const int type = cboType.ListIndex();
        at();
        if (type == fs::maintype::kSubgroups || type == fs::maintype::kMembers) {
            pop::Populate_Combo_w_Groups(
                cboReference, cboFantome, "", false,
                type == fs::maintype::kSubgroups ? pop::kGroupsWithSubgroups : pop::kAllGroups);
            if (reference.empty()) return;
            at();
            m.ActGroup->GoTo(reference + " ");
            // A group deleted in ACT! since leaves the choice open.
            if (m.ActGroup->isEOF()) return;
            at();
            const int index = Get_Index(cboFantome, m.ActGroup->Data(act::kGroupIdField));
            if (index >= 0) cboReference.SetListIndex(index);
        } else if (type == fs::maintype::kDependsOnReference) {
            pop::Populate_cboFields(cboReference, pop::kCharacterTypes, pop::kReferenceFields, "");
            if (reference.empty()) return;
            at();
            // By identifier: the label of a field deleted since cannot be asked for.
            for (int i = 0; i < cboReference.ListCount(); ++i)
                if (std::to_string(cboReference.ItemData(i)) == reference)
                    return cboReference.SetListIndex(i);
        }
    });
}

int frmMain::Get_Index(const ComboBox& combo, const std::string& text) {
    for (int i = 0; i < combo.ListCount(); ++i) {
        if (combo.List(i) == text) return i;
    }
    return -1;
}

void frmMain::cboFields_Click() {
    Sub(kForm, "cboFields_Click", [&](Statement& at) {
        at();
        M().FieldId = static_cast<std::int16_t>(cboFields.ItemData(cboFields.ListIndex()));
        if (M().FieldId != -1 && !Loading) {
            cmdOK.SetEnabled(true);
            at();
            Update_Controls(M().FieldId);
        }
    });
}

void frmMain::cboType_Click() {
    Sub(kForm, "cboType_Click", [&](Statement& at) {
        const int type = cboType.ListIndex();
        if (type == LastType) return;
        at();
        switch (type) {
        case fs::maintype::kAllGroups:
        case fs::maintype::kSubgroups:
        case fs::maintype::kMembers:
            chkNoRebuild.SetEnabled(true);
            lblRebuild.SetEnabled(true);
            if (type != fs::maintype::kMembers) chkName.SetValue(0);
            chkName.SetEnabled(type == fs::maintype::kMembers);
            lblName.SetEnabled(type == fs::maintype::kMembers);
            lvwValues.SetVisible(false);
            Unhook();
            if (type == fs::maintype::kAllGroups) {
                cboReference.SetVisible(false);
                lblReference.SetVisible(false);
            } else {
                at();
                pop::Populate_Combo_w_Groups(
                    cboReference, cboFantome, "", false,
                    type == fs::maintype::kSubgroups ? pop::kGroupsWithSubgroups : pop::kAllGroups);
                cboReference.SetVisible(true);
                lblReference.SetCaption("Select the GROUP :");
                lblReference.SetVisible(true);
            }
            break;
        case fs::maintype::kDependsOnReference:
            chkNoRebuild.SetValue(1);
            chkNoRebuild.SetEnabled(false);
            lblRebuild.SetEnabled(false);
            chkName.SetValue(0);
            chkName.SetEnabled(false);
            lblName.SetEnabled(false);
            at();
            pop::Populate_cboFields(cboReference, pop::kCharacterTypes, pop::kReferenceFields, "");
            cboReference.SetVisible(true);
            lblReference.SetCaption("Select the REFERENCE FIELD :");
            lblReference.SetVisible(true);
            break;
        case fs::maintype::kNoList:
            chkNoRebuild.SetValue(0);
            chkNoRebuild.SetEnabled(false);
            lblRebuild.SetEnabled(false);
            chkName.SetValue(0);
            chkName.SetEnabled(false);
            lblName.SetEnabled(false);
            cboReference.SetVisible(false);
            lblReference.SetVisible(false);
            lvwValues.SetVisible(false);
            Unhook();
            break;
        default:
            break;
        }
        StartResize(kShortHeight);
        LastType = static_cast<std::int16_t>(type);
        LastRef = -1;
    });
}

void frmMain::cboType_GotFocus() {
    Sub(kForm, "cboType_GotFocus", [&](Statement& at) {
        at();
        if (M().FieldId == 0) {
            Exclaim("You need to select a field first!");
            cboFields.SetFocus();
        }
        HideFloating();
    });
}

void frmMain::cboReference_Click() {
    Sub(kForm, "cboReference_Click", [&](Statement& at) {
        const int index = cboReference.ListIndex();
        if (index == LastRef) return;
        at();
        if (index >= 0 && cboType.ListIndex() == fs::maintype::kDependsOnReference) {
            lvwValues.ClearItems();
            lvwValues.SetVisible(true);
            Hook();
            at();
            if (!Loading) {
                Fill_lvwValues();
                Initialize_lvwValues();
            }
            StartResize(kTallHeight);
            LastRef = static_cast<std::int16_t>(index);
        }
        at();
        if (RefComboTouched) {
            // The drop-down of a long list can leave the window behind ACT!'s.
            if (deps_.windowOrder) {
                Rect place{static_cast<std::int32_t>(TwipsToPixelsX(Left())),
                           static_cast<std::int32_t>(TwipsToPixelsY(Top())), 0, 0};
                place.right = place.left + static_cast<std::int32_t>(TwipsToPixelsX(Width()));
                place.bottom = place.top + static_cast<std::int32_t>(TwipsToPixelsY(Height()));
                deps_.windowOrder->BringToTop(hWnd(), place);
            }
            RefComboTouched = false;
        }
    });
}

void frmMain::cmdOk_Click() {
    Sub(kForm, "cmdOk_Click", [&](Statement& at) {
        Module1& m = M();
        if (cboFields.ListIndex() < 0) {
            Exclaim("You need to select a field!");
            cboFields.SetFocus();
            return;
        }
        const int type = cboType.ListIndex();
        fs::FieldSetting setting;
        setting.type = type;
        at();
        switch (type) {
        case -1:
            Exclaim("You need to select a type of list!");
            cboType.SetFocus();
            return;
        case fs::maintype::kSubgroups:
        case fs::maintype::kMembers:
            if (cboReference.ListIndex() < 0) {
                Exclaim("You need to select a group!");
                cboReference.SetFocus();
                return;
            }
            setting.reference = cboFantome.List(cboReference.ListIndex());
            break;
        case fs::maintype::kDependsOnReference:
            if (cboReference.ListIndex() < 0) {
                Exclaim("You need to select a field!");
                cboReference.SetFocus();
                return;
            }
            setting.reference = std::to_string(cboReference.ItemData(cboReference.ListIndex()));
            break;
        case fs::maintype::kNoList:
            at();
            fs::WriteFieldSettings(m.FieldIdText, setting);
            Unload();
            return;
        default:
            break;
        }

        std::optional<Hourglass> hourglass(std::in_place);
        setting.noRebuild = chkNoRebuild.Value() == fvb::kChecked;
        setting.companyName = chkName.Value() == fvb::kChecked;
        std::vector<fs::ReferenceRow> rows;
        if (lvwValues.Visible()) {
            // A row never filled has no tag: it counts as cleared, never as an empty setting.
            for (int i = 0; i < lvwValues.ItemCount(); ++i) {
                const std::string& tag = lvwValues.Item(i).tag;
                rows.push_back({lvwValues.Item(i).text, tag.empty() ? fs::kCleared : tag});
            }
        }
        at();
        if (!fs::WriteFieldSettings(m.FieldIdText, setting, rows)) return;

        at();
        if (chkNoRebuild.Value() == fvb::kChecked && type < fs::maintype::kDependsOnReference) {
            bFromSettings = true;
            if (deps_.refreshFile)
                deps_.refreshFile(static_cast<std::int16_t>(type),
                                  type == fs::maintype::kAllGroups ? "" : setting.reference,
                                  chkName.Value() != 0, false);
        }

        at();
        if (lvwValues.Visible()) {
            for (int i = 0; i < lvwValues.ItemCount(); ++i) {
                const std::string tag = lvwValues.Item(i).tag;
                if (tag.empty()) continue;
                const std::string t = Extract_Tag(tag, 1), details = Extract_Tag(tag, 2);
                const bool group = t == "1" || t == "2";
                if ((group || t == "3") && details.empty()) {
                    if (group)
                        AppDialogs().MsgBox("You need to select a group!", mb::kOkOnly, AppTitle());
                    else
                        AppDialogs().MsgBox("You need to select a list!", mb::kOkOnly, AppTitle());
                    hourglass.reset();
                    lvwValues.SetSelectedItem(i);
                    if (group) lvwvalues_MouseUp(fvb::kLeftButton, 0, 5055, 420);
                    return;
                }
            }
            at();
            for (int i = 0; i < lvwValues.ItemCount(); ++i) {
                const std::string tag = lvwValues.Item(i).tag;
                std::string rebuild;
                try {
                    rebuild = Extract_Tag(tag, 3);
                } catch (const VbError&) {
                    continue;
                }
                if (rebuild != "0") continue;
                const fs::ValueSetting s = fs::WithBuildDefaults(fs::SplitValueSetting(tag));
                Create_file(vb::CInt(s.type), s.details, fs::ToBoolean(s.display));
            }
        }
        at();
        hourglass.reset();
        Unload();
    });
}

void frmMain::Create_file(std::int16_t type, const std::string& details, bool display) {
    Sub(kForm, "Create_file", [&](Statement& at) {
        // Keys are compared whole: a list name may itself contain "|" or ",".
        const std::string key =
            std::to_string(type) + "|" + details + "|" + (display ? "True" : "False");
        if (!CreatedLists.insert(ansi::Upper(key)).second) return;
        at();
        if (deps_.refreshFile) deps_.refreshFile(type, details, display, false);
    });
}

void frmMain::cmdCancel_Click() {
    Sub(kForm, "cmdCancel_Click", [&](Statement&) { Unload(); });
}

void frmMain::cmdCreate_Click() {
    Sub(kForm, "cmdCreate_Click", [&](Statement&) {
        HideFloating();
        const int row = lvwValues.SelectedItem();
        if (row >= 0) sListSelected = lvwValues.SubItem(row, 2);
        if (deps_.showStaticLists) {
            deps_.showStaticLists();
        } else {
            ShowUnavailable("The static lists editor");
        }
    });
}

void frmMain::Resize(long height) {
    Sub(kForm, "Resize", [&](Statement&) {
        SetHeight(height);
        // The separator belongs to the table: the short window would show it on its lower edge.
        lin1.SetVisible(height > kShortHeight);
        lin2.SetVisible(height > kShortHeight);
    });
}

void frmMain::StartResize(long height) {
    TargetHeight_ = height;
    tmr1.SetInterval(500);
    tmr1.SetEnabled(false);
    tmr1.SetEnabled(true);
}

void frmMain::tmr1_Timer() {
    Sub(kForm, "tmr1_Timer", [&](Statement&) {
        tmr1.SetEnabled(false);
        Resize(TargetHeight_);
    });
}

void frmMain::tmr2_Timer() {
    Sub(kForm, "tmr2_Timer", [&](Statement&) {
        if (++ExitTicks >= 2) EndProgram();
    });
}

void frmMain::Form_Click() {
    HideFloating();
}

void frmMain::HideFloating() {
    cboFloating.SetVisible(false);
}

void frmMain::ShowUnavailable(const std::string& what) {
    AppDialogs().MsgBox(what + " is not available in this build.", mb::kInformation, AppTitle());
}

void frmMain::OpenWithShell(const std::string& verb, const std::string& file,
                            const std::string& what) {
    const std::string folder = Sys().processes ? Sys().processes->ProgramFolder() : "";
    if (!deps_.shell || !deps_.shell->Open(verb, file, folder, 0)) {
        AppDialogs().MsgBox("Unable to open " + what + ":\r" + file, mb::kExclamation, AppTitle());
    }
}

void frmMain::mnuSettings_Click() {
    Sub(kForm, "mnuSettings_Click", [&](Statement& at) {
        Module1& m = M();
        const bool before = m.UseActDatabase;
        if (!deps_.showSettings) return ShowUnavailable("The settings window");
        deps_.showSettings();
        at();
        if (m.UseActDatabase != before) {
            if (m.UseActDatabase) {
                Create_Database();
            } else {
                Connect_Group_Table();
            }
        }
    });
}

void frmMain::SetIntegrateLanguage(std::int16_t language) {
    IntegrateLanguage = language;
    mnuEnglish.SetChecked(language == 0);
    mnuFrench.SetChecked(language == 1);
}

void frmMain::mnuIntegrate_Click() {
    Sub(kForm, "mnuIntegrate_Click", [&](Statement&) {
        if (!deps_.showIntegrate) return ShowUnavailable("The integration window");
        deps_.showIntegrate();
    });
}

void frmMain::mnuManual_Click() {
    Sub(kForm, "mnuManual_Click", [&](Statement&) {
        const std::string folder = Sys().processes ? Sys().processes->ProgramFolder() : "";
        OpenWithShell("Open", folder + kManualFile, "the user manual");
    });
}

void frmMain::mnuOnline_Click() {
    Sub(kForm, "mnuOnline_Click",
        [&](Statement&) { OpenWithShell("open", kTutorialPage, "the online help"); });
}

void frmMain::mnuAbout_Click() {
    Sub(kForm, "mnuAbout_Click", [&](Statement&) {
        frmAbout about(AppTitle(), deps_.version, Icon());
        about.Show(true);
    });
}

void frmMain::ActEvent1_Notify() {
    Sub(kForm, "ActEvent1_Notify", [&](Statement& at) {
        at();
        ActEvent1->Disconnect();
        if (!M().ReopenPending) Unload();
    });
}

void frmMain::Form_Unload(int& /*cancel*/) {
    Sub(kForm, "Form_Unload", [&](Statement& at) {
        Module1& m = M();
        std::string path;
        at();
        if (m.ReopenPending && m.ActApp) {
            path = m.ActApp->GetOpenDBName();
            m.ActApp->Command(150);
        }
        at();
        m.ActApp.reset();
        if (m.ReopenPending) {
            at();
            // ACT! reopens the database it has just closed when the file is opened.
            const std::string folder = Sys().processes ? Sys().processes->ProgramFolder() : "";
            if (!deps_.shell || !deps_.shell->Open("open", path, folder, hWnd())) {
                AppDialogs().MsgBox("Unable to reopen the ACT! database:\r" + path,
                                    mb::kExclamation, AppTitle());
            }
            Hide();
            ExitTicks = 0;
            tmr2.SetInterval(1000);
            tmr2.SetEnabled(true);
        }
        at();
        Close_Database();
    });
}

} // namespace tamber
