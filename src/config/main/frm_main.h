#pragma once
// frmMain, the configuration window: the user attaches a list to an ACT! field (all groups,
// the subgroups or members of one group, or one list per value of a reference field), and OK
// stores it in the field list settings file and builds the lists kept in cache files. It also
// carries the program's menus. Shown modeless, without owner.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "forms/runtime/forms.h"

namespace tamber {

namespace act {
class EventControl;
}
class Shell;
class SystemMetrics;
class WindowOrder;

class frmMain : public forms::Form {
  public:
    struct Deps {
        // Builds and saves one list's cache file (the list window's Refresh_File): type,
        // reference, company names, refresh.
        std::function<void(std::int16_t, const std::string&, bool, bool)> refreshFile;
        // The list window's target field (the reference field of the list it showed); "" none.
        std::function<std::string()> targetField;
        // Modal windows; empty: a message that they are not available in this build.
        std::function<void()> showSettings, showStaticLists, showIntegrate;
        Shell* shell = nullptr;
        SystemMetrics* metrics = nullptr;
        WindowOrder* windowOrder = nullptr;
        std::string version; // for the about box
    };

    explicit frmMain(Deps deps);
    ~frmMain() override;

    forms::Label lblFields{*this, "lblFields"};
    forms::ComboBox cboFields{*this, "cboFields"};
    forms::Label lblType{*this, "lblType"};
    forms::ComboBox cboType{*this, "cboType"};
    forms::Label lblReference{*this, "lblReference"};
    forms::ComboBox cboReference{*this, "cboReference"};
    forms::ComboBox cboFantome{*this, "cboFantome"};
    forms::Frame fra1{*this, "fra1"};
    forms::CheckBox chkNoRebuild{*this, "chkNoRebuild"};
    forms::Label lblRebuild{*this, "lblRebuild"};
    forms::CheckBox chkName{*this, "chkName"};
    forms::Label lblName{*this, "lblName"};
    forms::CommandButton cmdOK{*this, "cmdOK"};
    forms::CommandButton cmdCancel{*this, "cmdCancel"};
    forms::Line lin1{*this, "lin1"};
    forms::Line lin2{*this, "lin2"};
    // The cell editor is made before the table: a newer window lies under the older ones.
    forms::ComboBox cboFloating{*this, "cboFloating"};
    forms::ListView lvwValues{*this, "lvwValues"};
    forms::CommandButton cmdCreate{*this, "cmdCreate"};
    forms::ComboBox cboFantome1{*this, "cboFantome1"};
    forms::Timer tmr1{*this, "tmr1"};
    forms::Timer tmr2{*this, "tmr2"};

    forms::Menu mnuOptions{*this, "mnuOptions", "&Options"};
    forms::Menu mnuSettings{*this, "mnuSettings", "&Settings", &mnuOptions};
    forms::Menu mnuSep1{*this, "mnuSep1", "-", &mnuOptions};
    forms::Menu mnuLanguage{*this, "mnuLanguage", "&Language", &mnuOptions};
    // The language of the integration window (the configuration window itself stays English).
    forms::Menu mnuEnglish{*this, "mnuEnglish", "English", &mnuLanguage};
    forms::Menu mnuFrench{*this, "mnuFrench",
                          "Fran\xE7"
                          "ais",
                          &mnuLanguage};
    forms::Menu mnuIntegrate{*this, "mnuIntegrate", "&Integrate with ACT!", &mnuOptions};
    forms::Menu mnuHelp{*this, "mnuHelp", "&Help"};
    forms::Menu mnuManual{*this, "mnuManual", "User's manual", &mnuHelp};
    forms::Menu mnuOnline{*this, "mnuOnline", "&Online help", &mnuHelp};
    forms::Menu mnuSep2{*this, "mnuSep2", "-", &mnuHelp};
    forms::Menu mnuAbout{*this, "mnuAbout", "&About", &mnuHelp};

    // The event control on the form; created with the form's load.
    std::shared_ptr<act::EventControl> ActEvent1;

    // Read by the static lists editor and the list window's Refresh_File.
    std::string sListSelected;
    // 0 English, 1 French: what the "&Language" menu chose for the integration window.
    std::int16_t IntegrateLanguage = 0;
    bool bFromSettings = false;

    void Form_Load() override;
    // Also called directly (cancel 0) by the integration window when ACT! must reopen its
    // database: the window then hides and the program ends two seconds later.
    void Form_Unload(int& cancel) override;
    void Form_Click() override;

    // Event procedures.
    void cboFields_Click();
    void cboType_Click();
    void cboType_GotFocus();
    void cboReference_Click();
    void cmdOk_Click();
    void cmdCancel_Click();
    void cmdCreate_Click();
    void tmr1_Timer();
    void tmr2_Timer();
    void ActEvent1_Notify();
    void mnuSettings_Click();
    void mnuIntegrate_Click();
    void SetIntegrateLanguage(std::int16_t language);
    void mnuManual_Click();
    void mnuOnline_Click();
    void mnuAbout_Click();
    void lvwvalues_MouseUp(int button, int shift, float x, float y);
    void cboFloating_Click();

    // The static lists editor renamed list `from` to `to` (empty: removed it): every row naming
    // it now stores the new name (an emptied row makes OK ask for a list).
    void StaticListRenamed(const std::string& from, const std::string& to);

    // The table's value settings: field n (from 1) of a "type|details|rebuild|display" text.
    static std::string Extract_Tag(const std::string& tag, int n);
    static std::string Modify_Tag(const std::string& tag, int n, const std::string& text);

    // Window heights in twips, without and with the reference-value table.
    static constexpr long kShortHeight = 3330;
    static constexpr long kTallHeight = 6210;
    long TargetHeight() const { return TargetHeight_; }
    int EditColumn() const { return EditColumn_; }

  private:
    void Layout();
    void Update_Controls(std::int16_t field);
    void Initialize_CboReference();
    static int Get_Index(const forms::ComboBox& combo, const std::string& text);
    void Create_file(std::int16_t type, const std::string& details, bool display);
    void Resize(long height);
    void StartResize(long height);
    void HideFloating();
    void ShowUnavailable(const std::string& what);
    void OpenWithShell(const std::string& verb, const std::string& file, const std::string& what);

    // The reference-value table.
    void Hook();
    void Unhook();
    void Fill_lvwValues();
    void Initialize_lvwValues();
    std::string Get_Tag_Caption(int n, int row);
    // The row's cells, drawn from its tag (the value setting, the row's one model).
    void DrawRow(int row);
    std::string GroupCaption(std::string id);
    void Populate_cboFloating(int column, const std::string& type);
    void Populate_cboStaticLists(forms::ComboBox& combo, const std::string& name);
    int Find_Index(const std::string& text);
    void TableScrolled();

    Deps deps_;
    std::array<std::string, 5> TypeNames;
    bool Loading = false;
    std::int16_t LastType = -1;
    std::int16_t LastRef = -1;
    bool RefComboTouched = false;
    long TargetHeight_ = kShortHeight;
    std::set<std::string> CreatedLists; // upper-cased "type|details|True/False"
    std::int16_t ExitTicks = 0;
    int EditColumn_ = 0;
    bool hooked_ = false;
    bool fillingFloating_ = false; // code is filling or selecting in cboFloating
};

} // namespace tamber
