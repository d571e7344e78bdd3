#include "startup/database/database_access.h"

#include "common/error_report.h"
#include "ports/act.h"
#include "ports/dialogs.h"
#include "ports/group_table.h"
#include "ports/platform.h"
#include "startup/inilib/inilib.h"
#include "startup/module1/module1.h"

namespace tamber {

bool IsSet(int16_t fieldId, const std::string& /*file*/) {
    int line = 1;
    try {
        if (fieldId == 0) return false;
        line = 2;
        const std::string sections = IniLib::GetSections("");
        line = 3;
        const std::string needle = std::string(1, '\0') + M().FieldIdText + '\0';
        return sections.find(needle) != std::string::npos;
    } catch (...) {
        ReportError("Module1", "Function", "IsSet", line);
        return false;
    }
}

void Create_Database() {
    int line = 1;
    try {
        Module1& m = M();
        m.ActDatabase = Sys().automation->CreateDatabase();
        line = 2;
        m.ActDatabase->OpenEx("");
        line = 3;
        m.ActContact = m.ActDatabase->Contact();
        line = 4;
        m.ActGroup = m.ActDatabase->Group();
        line = 5;
        m.ActFields = m.ActContact->Fields();
    } catch (...) {
        ReportError("Module1", "Sub", "Create_Database", line);
    }
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
    int line = 1;
    try {
        std::string path = M().ActApp->GetOpenDBName();
        line = 2;
        auto slash = path.rfind('\\');
        std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
        line = 3;
        // Cutting at a missing "." would leave no name at all and put every setting in ".ini".
        auto dot = file.find('.');
        return dot == std::string::npos ? file : file.substr(0, dot);
    } catch (...) {
        ReportError("Module1", "Function", "Get_Generic_Name", line);
        return "";
    }
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
