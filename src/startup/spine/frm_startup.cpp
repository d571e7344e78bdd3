#include "startup/spine/frm_startup.h"

#include <string>

#include "common/procedure.h"
#include "common/step_marks.h"
#include "module1/module1.h"
#include "ports/act.h"
#include "ports/desktop.h"
#include "ports/dialogs.h"
#include "ports/platform.h"
#include "ports/process.h"
#include "ports/settings_store.h"
#include "startup/database/database_access.h"
#include "startup/desktop/act_window.h"
#include "startup/settings/settings.h"
#include "vb/vb_convert.h"

namespace tamber {
frmStartup::frmStartup(std::function<void()> showList, std::function<void()> showMain)
    : showList_(std::move(showList)), showMain_(std::move(showMain)) {}

frmStartup::Outcome frmStartup::Form_Load() {
    Module1& m = M();
    Outcome outcome = Outcome::Ended;
    Sub("frmStartup", "Form_Load", [&](Statement& at) {
        // The control exists before the form's load code runs. Without it ACT! is not
        // installed or its automation is not registered.
        if (!ActEvent2) {
            try {
                ActEvent2 = Sys().automation->CreateEventControl();
            } catch (const VbError&) {
                ShowCannotCommunicateMessage();
                return;
            }
        }
        if (Sys().processes->AnotherInstanceRunning(AppTitle())) {
            AppDialogs().MsgBox("An instance of this program is already running!", mb::kOkOnly,
                                AppTitle());
            return Form_Unload();
        }
        MarkStep("event control");

        at();
        if (!DatabaseReachable(*ActEvent2)) return Form_Unload();
        MarkStep("database open");

        at();
        m.ActApp = Sys().automation->CreateApp();
        m.ActViews = m.ActApp->Views();

        at();
        try {
            m.ActView = m.ActViews->Create(1, "CV");
        } catch (const VbError&) {
            ShowOpenDatabaseMessage();
            return Form_Unload();
        }

        at();
        try {
            m.FieldId = m.ActView->CurrentFieldId();
            m.FieldIdText = std::to_string(m.FieldId);
        } catch (const VbError&) {
            return Form_Unload();
        }

        MarkStep("view and field");
        at();
        m.ActWindow = GetACTHandle();
        m.FieldWindow = FindACTFieldHandle(m.ActWindow);
        if (m.FieldWindow == 0) return Form_Unload();
        at();
        m.FieldRect = Sys().desktop->WindowRect(m.FieldWindow);
        MarkStep("field window");

        at();
        m.DbName = Get_Generic_Name();
        Connect_Group_Table();
        at();
        if (!m.AdoUnavailable) {
            std::string ado = Sys().settings->GetSetting(AppTitle(), "Settings", "Ado", "1");
            m.UseActDatabase = vb::CLng(ado) != 1;
        }
        if (m.UseActDatabase) Create_Database();
        MarkStep("data access");
        at();
        Init_Settings_Location();
        MarkStep("settings location");

        // The chosen window shows first; the start-up form unloads after it, so a failure
        // while releasing the event control reaches this procedure's handler.
        at();
        outcome = IsSet(m.FieldId, "") ? Outcome::ShowListWindow : Outcome::ShowMainWindow;
        if (outcome == Outcome::ShowListWindow) showList_();
        if (outcome == Outcome::ShowMainWindow) showMain_();
        at();
        Form_Unload();
    });
    return outcome;
}

void frmStartup::Form_Unload() {
    if (ActEvent2) ActEvent2->Disconnect();
}

frmStartup::Outcome RunStartup(const std::function<void()>& showList,
                               const std::function<void()>& showMain) {
    frmStartup form(showList, showMain);
    return form.Form_Load();
}

} // namespace tamber
