#include "startup/database/database_access.h"

#include "common/procedure.h"
#include "config/fieldsettings/field_settings.h"
#include "inilib/inilib.h"
#include "module1/module1.h"
#include "ports/act.h"
#include "ports/dialogs.h"
#include "ports/group_table.h"
#include "ports/platform.h"

namespace tamber {

void ShowOpenDatabaseMessage() {
    AppDialogs().MsgBox("Please open an ACT database prior to running " + AppTitle() + "!",
                        mb::kExclamation, AppTitle());
}

void ShowCannotCommunicateMessage() {
    AppDialogs().MsgBox("Unable to communicate with ACT!\rPlease run actreg.exe located in "
                        "the ACT folder and try again",
                        mb::kCritical, AppTitle());
}

bool DatabaseReachable(act::EventControl& event) {
    if (event.DatabaseOpen(0) >= 1) return true;
    if (!event.CannotCommunicate()) {
        ShowOpenDatabaseMessage();
    } else {
        ShowCannotCommunicateMessage();
    }
    return false;
}

bool IsSet(int16_t fieldId, const std::string& /*file*/) {
    return Function("Module1", "IsSet", [&](Statement& at) {
        if (fieldId == 0) return false;
        at();
        return fieldsettings::MainSectionExists(M().FieldIdText);
    });
}

void Create_Database() {
    Sub("Module1", "Create_Database", [&](Statement& at) {
        Module1& m = M();
        m.ActDatabase = Sys().automation->CreateDatabase();
        at();
        m.ActDatabase->OpenEx("");
        at();
        m.ActContact = m.ActDatabase->Contact();
        m.ActGroup = m.ActDatabase->Group();
        m.ActFields = m.ActContact->Fields();
    });
}

void Close_Database() {
    Module1& m = M();
    try {
        if (m.ActDatabase) m.ActDatabase->Close();
    } catch (...) {
    }
    m.ActDatabase.reset();
}

std::string Get_Generic_Name() {
    return Function("Module1", "Get_Generic_Name", [&](Statement& at) {
        std::string path = M().ActApp->GetOpenDBName();
        at();
        auto slash = path.rfind('\\');
        std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
        // Cutting at a missing "." would leave no name at all and put every setting in ".ini".
        auto dot = file.find('.');
        return dot == std::string::npos ? file : file.substr(0, dot);
    });
}

void Connect_Group_Table() {
    Module1& m = M();
    try {
        std::string path = m.ActApp->GetOpenDBName();
        auto slash = path.rfind('\\');
        std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
        m.ConnectionString = std::string("Provider=CodeBase;Location=") + folder +
                             ";Extended Properties=" + kGroupTableProviderProperties;
        m.GroupConnection = nullptr;
        auto connection = Sys().groupTables->Open(m.ConnectionString, folder, m.DbName + ".gdb");
        m.GroupConnection = connection;
        if (connection->ErrorsCount() != 0) {
            AppDialogs().MsgBox("Impossible to connect", mb::kOkOnly, AppTitle());
        }
    } catch (...) {
        m.AdoUnavailable = true;
        m.UseActDatabase = true;
    }
}

} // namespace tamber
