#include "startup/spine/frm_startup.h"

#include <string>

#include "common/error_report.h"
#include "ports/act.h"
#include "ports/desktop.h"
#include "ports/dialogs.h"
#include "ports/platform.h"
#include "ports/process.h"
#include "ports/settings_store.h"
#include "startup/database/database_access.h"
#include "startup/desktop/act_window.h"
#include "startup/module1/module1.h"
#include "startup/settings/settings.h"
#include "vb/vb_convert.h"

namespace tamber {
namespace {

void ShowOpenDatabaseMessage() {
    AppDialogs().MsgBox("Please open an ACT database prior to running " + AppTitle() + "!",
                        mb::kExclamation, AppTitle());
}

} // namespace

frmStartup::Outcome frmStartup::Form_Load() {
    Module1& m = M();
    int line = 1;
    try {
        // The control exists before the form's load code runs.
        if (!ActEvent2) ActEvent2 = Sys().automation->CreateEventControl();
        if (Sys().processes->AnotherInstanceRunning(AppTitle())) {
            AppDialogs().MsgBox("An instance of this program is already running!", mb::kOkOnly,
                                AppTitle());
            return Outcome::Ended;
        }

        line = 2;
        if (ActEvent2->DatabaseOpen(0) < 1) {
            line = 3;
            if (!ActEvent2->CannotCommunicate()) {
                ShowOpenDatabaseMessage();
            } else {
                AppDialogs().MsgBox("Unable to communicate with ACT!\rPlease run actreg.exe "
                                    "located in the ACT folder and try again",
                                    mb::kCritical, AppTitle());
            }
            return Outcome::Ended;
        }

        line = 4;
        m.ActApp = Sys().automation->CreateApp();
        m.ActViews = m.ActApp->Views();

        line = 5;
        try {
            m.ActView = m.ActViews->Create(1, "CV");
        } catch (const VbError&) {
            ShowOpenDatabaseMessage();
            return Outcome::Ended;
        }

        line = 6;
        try {
            m.FieldId = m.ActView->CurrentFieldId();
            m.FieldIdText = std::to_string(m.FieldId);
        } catch (const VbError&) {
            return Outcome::Ended;
        }

        line = 7;
        m.ActWindow = GetACTHandle();
        line = 8;
        m.FieldWindow = FindACTFieldHandle(m.ActWindow);
        if (m.FieldWindow == 0) return Outcome::Ended;
        line = 9;
        m.FieldRect = Sys().desktop->WindowRect(m.FieldWindow);

        line = 10;
        m.DbName = Get_Generic_Name();
        line = 11;
        Connect_Group_Table();
        line = 12;
        if (!m.AdoUnavailable) {
            std::string ado = Sys().settings->GetSetting(AppTitle(), "Settings", "Ado", "1");
            m.UseActDatabase = vb::CLng(ado) != 1;
        }
        line = 13;
        if (m.UseActDatabase) Create_Database();
        line = 14;
        Init_Settings_Location();
        line = 15;
        return IsSet(m.FieldId, "") ? Outcome::ShowListWindow : Outcome::ShowMainWindow;
    } catch (...) {
        ReportError("frmStartup", "Sub", "Form_Load", line);
        return Outcome::Ended;
    }
}

void frmStartup::Form_Unload() {
    if (ActEvent2) ActEvent2->Disconnect();
}

frmStartup::Outcome RunStartup(const std::function<void()>& showList,
                               const std::function<void()>& showMain) {
    frmStartup form;
    frmStartup::Outcome outcome = form.Form_Load();
    form.Form_Unload();
    if (outcome == frmStartup::Outcome::ShowListWindow) showList();
    if (outcome == frmStartup::Outcome::ShowMainWindow) showMain();
    return outcome;
}

} // namespace tamber
