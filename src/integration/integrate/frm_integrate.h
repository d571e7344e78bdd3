#pragma once
// The integration window: installs and removes the add-on's toolbar button and Tools-menu
// entry in each ACT! view, registering the add-on's command with ACT! the first time.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "common/procedure.h"
#include "forms/runtime/forms.h"

namespace tamber {

namespace act {
class AuxCommands;
} // namespace act

class frmIntegrate : public forms::Form {
  public:
    struct Deps {
        // The configuration window's unload with cancel 0: with ReopenPending set it has ACT!
        // close and reopen its database and ends the program.
        std::function<void()> unloadConfiguration;
    };

    static constexpr int kViews = 6;
    static constexpr int kTexts = 17;

    forms::Frame Frame1_0{*this, "Frame1", 0};
    forms::Frame Frame1_1{*this, "Frame1", 1};
    std::array<std::unique_ptr<forms::CheckBox>, 2 * kViews> chkScreen;
    std::array<std::unique_ptr<forms::Label>, 2 * kViews> lblScreen;
    forms::Label lblRestart{*this, "lblRestart"};
    forms::CommandButton cmdOK{*this, "cmdOK"};
    forms::CommandButton cmdCancel{*this, "cmdCancel"};

    // Set by the opener before showing the window.
    std::string AppName;
    int IntegrateIcon = 0;     // icon resource
    std::int16_t Language = 0; // 0 English, 1 French, anything else: no texts
    bool ContactScreen = false;
    bool ContactListScreen = false;
    bool GroupScreen = false;
    bool TaskListScreen = false;
    bool CalendarsScreen = false;
    bool EmailScreen = false;

    // ACT!'s automation and the program folder are the program's, from Sys().
    explicit frmIntegrate(Deps deps);
    ~frmIntegrate() override;

    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    void chkScreen_Click(int Index);
    void lblScreen_Click(int Index);
    void cmdOK_Click();
    void cmdCancel_Click();

    bool Changed() const { return Changed_; }
    std::int32_t AddResult() const { return AddResult_; }
    const std::array<std::string, kTexts>& Texts() const { return texts_; }

  private:
    void LoadTexts();
    // The load steps: texts, the ACT! object, and the boxes showing ACT!'s state.
    void ShowActState();
    void CheckCommand();
    void Message();
    void MessAddFailed();
    // Keeps a call's result in AddResult and remembers a failure.
    void Keep(std::int32_t result);
    // The error boundary of this window: the standard message closes with text 0.
    template <class F>
    void Guard(std::string_view procedure, F&& body, SourceLine here = SourceLine());

    Deps deps_;
    std::shared_ptr<act::AuxCommands> AuxCmds;
    std::array<std::string, kTexts> texts_;
    bool Changed_ = false;
    std::int32_t AddResult_ = 0;
    // Some add, remove or register call failed since the window opened: a later success must
    // not hide it at Close.
    bool AnyCallFailed_ = false;
    std::int16_t RestartAnswer = 0;
    // The boxes are being set to ACT!'s state: their Click must not call ACT!.
    bool showingState_ = false;
};

} // namespace tamber
