#include "integration/integrate/frm_integrate.h"

#include "common/error_report.h"
#include "common/procedure.h"
#include "common/program_end.h"
#include "common/vb_error.h"
#include "integration/integrate/integrate_texts.h"
#include "module1/module1.h"
#include "ports/act.h"
#include "ports/dialogs.h"
#include "ports/platform.h"
#include "ports/process.h"

namespace tamber {

namespace fvb = forms::vb;
using namespace integrate;

namespace {

// Place of box i (0..5) inside its frame: three per row, two rows; its label beside it. The
// columns are as wide as their longest label needs (French "Liste des contacts" the widest),
// with a gap before the next column's box.
constexpr long kColumnLeft[3] = {120, 1950, 3930};
constexpr long kLabelWidth[3] = {1470, 1620, 900};
constexpr long kRowTop[2] = {360, 750};
constexpr long kBoxWidth = 255, kRowHeight = 255;

// The window's own messages, in its language.
std::string RestartQuestion(const std::array<std::string, 17>& texts) {
    return texts[kRestartFirstLine] + "\r\n" + texts[kRestartSecondLine];
}
std::string AddFailedMessage(const std::array<std::string, 17>& texts) {
    return texts[kAddFailed];
}

} // namespace

template <class F> void frmIntegrate::Guard(std::string_view procedure, F&& body, SourceLine here) {
    Statement at(here.value);
    try {
        body(at);
    } catch (const ProgramEnded&) {
        throw;
    } catch (...) {
        const VbError e = ToVbError(std::current_exception());
        AppDialogs().MsgBox(StandardErrorText(e.number(), e.description(), "frmIntegrate", "Sub",
                                              procedure, at.line(), texts_[kSupportSentence]),
                            mb::kOkOnly, AppTitle() + " error");
    }
}

frmIntegrate::frmIntegrate(Deps deps) : Form("frmIntegrate"), deps_(std::move(deps)) {
    texts_ = TextsFor(0); // the design-time captions are the English ones
    SetCaption(texts_[kCaption]);
    SetBorderStyle(fvb::kFixedDialog);
    SetMinButton(false);
    SetMaxButton(false);
    SetShowInTaskbar(false);
    SetCenterOnScreen(true);
    SetClientSize(7035, 3330);

    Frame1_0.Move(315, 240, 5115, 1185);
    Frame1_0.SetCaption(texts_[kToolbarFrame]);
    Frame1_1.Move(315, 1575, 5130, 1185);
    Frame1_1.SetCaption(texts_[kMenuFrame]);
    for (int i = 0; i < 2 * kViews; ++i) {
        forms::Frame& frame = i < kViews ? Frame1_0 : Frame1_1;
        const int view = i % kViews;
        const long left = kColumnLeft[view % 3], top = kRowTop[view / 3];
        chkScreen[i] = std::make_unique<forms::CheckBox>(*this, "chkScreen", i);
        chkScreen[i]->SetContainer(&frame);
        chkScreen[i]->Move(left, top, kBoxWidth, kRowHeight);
        chkScreen[i]->SetTabIndex(i);
        chkScreen[i]->onClick = [this, i] { chkScreen_Click(i); };
        lblScreen[i] = std::make_unique<forms::Label>(*this, "lblScreen", i);
        lblScreen[i]->SetContainer(&frame);
        lblScreen[i]->Move(left + kBoxWidth + 45, top + 15, kLabelWidth[view % 3], kRowHeight);
        lblScreen[i]->SetCaption(texts_[kFirstView + view]);
        lblScreen[i]->onClick = [this, i] { lblScreen_Click(i); };
    }
    lblRestart.Move(495, 2850, 6300, 450); // the French sentence takes two lines
    lblRestart.SetWordWrap(true);
    lblRestart.SetCaption(texts_[kRestartLabel]);
    cmdOK.Move(5820, 360, 1000, 325);
    cmdOK.SetCaption(texts_[kCloseButton]);
    cmdOK.SetDefault(true);
    cmdOK.SetTabIndex(2 * kViews);
    cmdCancel.Move(5820, 840, 1000, 325);
    cmdCancel.SetCaption(texts_[kCancelButton]);
    cmdCancel.SetCancel(true);
    cmdCancel.SetTabIndex(2 * kViews + 1);

    cmdOK.onClick = [this] { cmdOK_Click(); };
    cmdCancel.onClick = [this] { cmdCancel_Click(); };
}

frmIntegrate::~frmIntegrate() = default;

void frmIntegrate::LoadTexts() {
    texts_ = TextsFor(Language);
}

void frmIntegrate::ShowActState() {
    LoadTexts();
    AuxCmds = Sys().automation->CreateAuxCommands();
    const bool enabled[kViews] = {ContactScreen,  ContactListScreen, GroupScreen,
                                  TaskListScreen, CalendarsScreen,   EmailScreen};
    for (int i = 0; i < kViews; ++i) {
        chkScreen[i]->SetEnabled(enabled[i]);
        chkScreen[i + kViews]->SetEnabled(enabled[i]);
    }
    // Showing ACT!'s state is not a change: ticking a box here must not add its button again.
    showingState_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{showingState_};
    for (int i = 0; i < kViews; ++i) {
        const auto view = static_cast<std::int16_t>(i + 1);
        chkScreen[i]->SetValue(AuxCmds->AuxCommandExistsInToolbar(view, AppName));
        lblScreen[i]->SetCaption(texts_[kFirstView + i]);
    }
    for (int i = 0; i < kViews; ++i) {
        const auto view = static_cast<std::int16_t>(i + 1);
        chkScreen[i + kViews]->SetValue(AuxCmds->AuxCommandExistsInToolsMenu(view, AppName));
        lblScreen[i + kViews]->SetCaption(texts_[kFirstView + i]);
    }
    Frame1_0.SetCaption(texts_[kToolbarFrame]);
    Frame1_1.SetCaption(texts_[kMenuFrame]);
    Changed_ = false;
    SetCaption(texts_[kCaption]);
    cmdOK.SetCaption(texts_[kCloseButton]);
    cmdCancel.SetCaption(texts_[kCancelButton]);
    lblRestart.SetCaption(texts_[kRestartLabel]);
    SetIcon(IntegrateIcon);
}

void frmIntegrate::Form_Load() {
    Guard("Form_Load", [&](Statement& at) {
        at();
        ShowActState();
    });
}

void frmIntegrate::Form_Unload(int& /*cancel*/) {
    AuxCmds.reset();
}

void frmIntegrate::chkScreen_Click(int Index) {
    if (showingState_) return;
    Guard("chkScreen_Click", [&](Statement& at) {
        Changed_ = true;
        if (!AuxCmds)
            throw VbError(err::kObjectNotSet, "Object variable or With block variable not set");
        at();
        if (AuxCmds->AuxCommandExists(AppName) == 0) CheckCommand();
        at();
        const bool ticked = chkScreen[Index]->Value() == fvb::kChecked;
        if (Index >= kViews) {
            const auto view = static_cast<std::int16_t>(Index - 5);
            Keep(ticked ? AuxCmds->AddAuxCommandToToolsMenu(view, AppName)
                        : AuxCmds->RemoveAuxCommandFromToolsMenu(view, AppName));
        } else {
            const auto view = static_cast<std::int16_t>(Index + 1);
            Keep(ticked ? AuxCmds->AddAuxCommandToToolbar(view, AppName)
                        : AuxCmds->RemoveAuxCommandFromToolbar(view, AppName));
        }
    });
}

void frmIntegrate::lblScreen_Click(int Index) {
    Guard("lblScreen_Click", [&](Statement&) {
        forms::CheckBox& box = *chkScreen[Index];
        box.SetValue(box.Value() == fvb::kChecked ? fvb::kUnchecked : fvb::kChecked);
    });
}

void frmIntegrate::CheckCommand() {
    Guard("CheckCommand", [&](Statement& at) {
        const std::string folder = Sys().processes->ProgramFolder();
        const std::string base = folder + "\\" + Sys().processes->ExeName();
        Keep(AuxCmds->AddAuxCommand(AppName, base + ".EXE", folder, AppName,
                                    texts_[kToolTipPrefix] + AppName, base + ".ico",
                                    base + "32" + ".ico", 1));
        at();
        if (AddResult_ != 0) MessAddFailed();
    });
}

void frmIntegrate::Keep(std::int32_t result) {
    AddResult_ = result;
    if (result != 0) AnyCallFailed_ = true;
}

void frmIntegrate::MessAddFailed() {
    Guard("MessAddFailed",
          [&](Statement&) { AppDialogs().MsgBox(AddFailedMessage(texts_), mb::kOkOnly, AppName); });
}

void frmIntegrate::Message() {
    Guard("Message", [&](Statement& at) {
        RestartAnswer = static_cast<std::int16_t>(
            AppDialogs().MsgBox(RestartQuestion(texts_), mb::kYesNo, AppName));
        // The load steps again, reporting under the load's name: whatever the reload meets,
        // the user's answer still holds.
        Form_Load();
        if (RestartAnswer == mb::kYes) {
            at();
            M().ReopenPending = true;
            Hide();
            if (deps_.unloadConfiguration) deps_.unloadConfiguration();
            at();
            Unload();
        }
    });
}

void frmIntegrate::cmdOK_Click() {
    Guard("cmdOK_Click", [&](Statement& at) {
        if (Changed_) {
            if (AddResult_ != 0 || AnyCallFailed_)
                MessAddFailed();
            else
                Message();
        }
        at();
        Unload();
    });
}

void frmIntegrate::cmdCancel_Click() {
    // What was added or removed in ACT! stays.
    Guard("cmdCancel_Click", [&](Statement&) { Unload(); });
}

} // namespace tamber
