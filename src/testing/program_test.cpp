#include "testing/program_test.h"

#include "common/error_report.h"
#include "ini/ini_engine.h"
#include "module1/module1.h"
#include "ports/dialogs.h"

namespace tamber::testing {

void ProgramTest::SetUp() {
    ResetModule1();
    ResetReportedFailures();
    ini::Profiles().Forget();
    SetAppTitle("Tamberlist");
    files.MakeFolders("C:\\Data");
    Module1& m = M();
    m.SettingsDir = kSettingsDir;
    m.DbName = "Contacts";
    m.IniFile = kIniFile;
    m.ListsIniFile = kListsIniFile;
}

void ProgramTest::TearDown() {
    // Parsed copies name this test's memory files.
    ini::Profiles().Forget();
}

std::string ProgramTest::Bytes(const std::string& path) {
    return files.ReadAll(path).value_or("<missing>");
}

} // namespace tamber::testing
