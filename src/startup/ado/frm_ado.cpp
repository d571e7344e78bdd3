#include "startup/ado/frm_ado.h"

#include <cctype>

#include "common/procedure.h"
#include "common/vb_error.h"
#include "module1/module1.h"
#include "ports/dialogs.h"
#include "ports/file_system.h"
#include "ports/folder_chooser.h"
#include "ports/platform.h"
#include "ports/process.h"
#include "ports/settings_store.h"
#include "startup/database/database_access.h"
#include "startup/settings/settings.h"
#include "vb/vb_convert.h"

namespace tamber {

namespace fvb = forms::vb;

namespace {
constexpr const char* kApp = "Tamberlist";
constexpr const char* kSection = "Settings";
// Written and removed again to learn whether a folder takes files.
constexpr const char* kProbeFile = "\\~tamberlist-write-test.tmp";

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// A drive and folder ("C:\Data") or a server's share ("\\server\share"): anything else
// ("Data2", "\Data", "C:Data") would be taken against whatever folder is current at the time.
bool IsFullPath(const std::string& folder) {
    if (folder.size() >= 3 && std::isalpha(static_cast<unsigned char>(folder[0])) &&
        folder[1] == ':' && IsSeparator(folder[2]))
        return true;
    if (folder.size() < 5 || !IsSeparator(folder[0]) || !IsSeparator(folder[1])) return false;
    const auto server = folder.find_first_of("\\/", 2);
    return server != std::string::npos && server > 2 && server + 1 < folder.size() &&
           !IsSeparator(folder[server + 1]);
}

} // namespace

frmAdo::frmAdo(FolderChooser& chooser) : Form("frmAdo"), chooser_(chooser) {
    SetCaption("Settings");
    SetBorderStyle(fvb::kFixedDialog);
    SetMinButton(false);
    SetMaxButton(false);
    SetShowInTaskbar(false);
    SetCenterOnScreen(true);
    SetClientSize(5520, 3300);

    fraAdoconnection.Move(120, 105, 5280, 1275);
    fraAdoconnection.SetCaption("Ado connection :");
    chkAdo.SetContainer(&fraAdoconnection);
    chkAdo.Move(240, 300, 3000, 255);
    chkAdo.SetCaption("ADO enabled");
    chkAdo.SetTabIndex(0);
    lblWarning.SetContainer(&fraAdoconnection);
    lblWarning.Move(240, 630, 4920, 450);
    lblWarning.SetWordWrap(true);
    lblWarning.SetCaption(
        "Do not change this setting unless you are instructed to do so by our support team.");

    fraNetwork.Move(120, 1500, 5280, 1155);
    fraNetwork.SetCaption("Network settings :");
    lblPath.SetContainer(&fraNetwork);
    lblPath.Move(240, 300, 3000, 255);
    lblPath.SetCaption("Settings and data path :");
    txtPath.SetContainer(&fraNetwork);
    txtPath.Move(240, 600, 3840, 315);
    txtPath.SetTabIndex(1);
    cmdBrowse.SetContainer(&fraNetwork);
    cmdBrowse.Move(4200, 585, 960, 345);
    cmdBrowse.SetCaption("Browse");
    cmdBrowse.SetTabIndex(2);

    cmdOK.Move(3060, 2820, 1095, 345);
    cmdOK.SetCaption("&OK");
    cmdOK.SetDefault(true);
    cmdOK.SetTabIndex(3);
    cmdCancel.Move(4305, 2820, 1095, 345);
    cmdCancel.SetCaption("&Cancel");
    cmdCancel.SetCancel(true);
    cmdCancel.SetTabIndex(4);

    cmdBrowse.onClick = [this] { cmdBrowse_Click(); };
    cmdOK.onClick = [this] { cmdOK_Click(); };
    cmdCancel.onClick = [this] { cmdCancel_Click(); };
}

void frmAdo::Form_Load() {
    Sub("frmAdo", "Form_Load", [&](Statement& at) {
        if (M().AdoUnavailable) {
            chkAdo.SetValue(fvb::kUnchecked);
            chkAdo.SetEnabled(false);
            lblWarning.SetVisible(false);
        } else {
            at();
            chkAdo.SetEnabled(true);
            lblWarning.SetVisible(true);
            chkAdo.SetValue(vb::CInt(Sys().settings->GetSetting(kApp, kSection, "Ado", "1")));
        }
        at();
        txtPath.SetText(Sys().settings->GetSetting(kApp, kSection, "SettingsLocation",
                                                   Sys().processes->ProgramFolder() + "\\Data"));
        pathAtLoad_ = txtPath.Text();
    });
}

void frmAdo::cmdBrowse_Click() {
    Sub("frmAdo", "cmdBrowse_Click", [&](Statement&) {
        if (std::optional<std::string> folder = chooser_.ChooseFolder(hWnd()))
            txtPath.SetText(*folder);
    });
}

void frmAdo::MakeFolders(const std::string& folder) {
    // Parents first; the root (a drive, or a server's share) is never made.
    std::size_t from = 0;
    if (folder.starts_with("\\\\")) {
        from = folder.find('\\', 2);
        from = from == std::string::npos ? folder.size() : folder.find('\\', from + 1);
    } else if (folder.size() >= 2 && folder[1] == ':') {
        from = 2;
    }
    for (std::size_t at = from; at != std::string::npos && at < folder.size();) {
        at = folder.find_first_of("\\/", at + 1);
        const std::string prefix = folder.substr(0, at);
        if (!prefix.empty() && prefix.back() != ':' && !Sys().files->IsFolder(prefix))
            Sys().files->MakeFolder(prefix);
    }
}

bool frmAdo::FolderUsable(const std::string& folder) {
    if (folder.empty()) {
        AppDialogs().MsgBox("Please type or choose the folder for the settings and data.",
                            mb::kExclamation, AppTitle());
        return false;
    }
    if (!IsFullPath(folder)) {
        AppDialogs().MsgBox("The folder " + folder +
                                " is not a full path.\r\nType a drive and folder, such as "
                                "C:\\Tamberlist\\Data, or a network share, such as "
                                "\\\\server\\share\\Tamberlist.",
                            mb::kExclamation, AppTitle());
        return false;
    }
    try {
        if (!Sys().files->IsFolder(folder)) {
            if (AppDialogs().MsgBox("The folder " + folder +
                                        " does not exist.\r\nDo you want to create it?",
                                    mb::kYesNo + mb::kQuestion, AppTitle()) != mb::kYes)
                return false;
            MakeFolders(folder);
        }
    } catch (const VbError& e) {
        AppDialogs().MsgBox("The folder " + folder + " could not be created (" + e.description() +
                                ").\r\nNothing was saved: choose another folder.",
                            mb::kExclamation, AppTitle());
        return false;
    }
    try {
        Sys().files->WriteAll(folder + kProbeFile, "");
        Sys().files->Remove(folder + kProbeFile);
    } catch (const VbError& e) {
        AppDialogs().MsgBox("Tamberlist cannot write its files in the folder " + folder + " (" +
                                e.description() + ").\r\nNothing was saved: choose another folder.",
                            mb::kExclamation, AppTitle());
        return false;
    }
    return true;
}

void frmAdo::cmdOK_Click() {
    Sub("frmAdo", "cmdOK_Click", [&](Statement& at) {
        if (txtPath.Text() != pathAtLoad_) {
            // A folder that is not there would leave every settings file unreadable and
            // unwritable without a word.
            if (!FolderUsable(txtPath.Text())) {
                txtPath.SetFocus();
                return;
            }
            at();
            Sys().settings->SaveSetting(kApp, kSection, "SettingsLocation", txtPath.Text());
            Init_Settings_Location();
        }
        at();
        Sys().settings->SaveSetting(kApp, kSection, "Ado", std::to_string(chkAdo.Value()));
        M().UseActDatabase = chkAdo.Value() != fvb::kChecked;
        at();
        Unload();
    });
}

void frmAdo::cmdCancel_Click() {
    Sub("frmAdo", "cmdCancel_Click", [&](Statement&) { Unload(); });
}

void ShowSettingsWindow(frmAdo& window) {
    const bool before = M().UseActDatabase;
    window.Show(true);
    if (M().UseActDatabase == before) return;
    if (M().UseActDatabase)
        Create_Database();
    else
        Connect_Group_Table();
}

} // namespace tamber
