#pragma once
// A settings folder in memory with the profile engine over it, and scripted message boxes.
#include <gtest/gtest.h>

#include <string>

#include "common/scripted_dialogs.h"
#include "ini/ini_engine.h"
#include "module1/module1.h"
#include "ports/memory/memory_file_system.h"
#include "ports/platform.h"

namespace tamber {

class ListFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetModule1();
        fs.MakeFolders("C:\\Data");
        ini::Profiles().Forget();
        M().SettingsDir = "C:\\Data\\";
        M().DbName = "Contacts";
        M().IniFile = "C:\\Data\\Contacts.ini";
        M().ListsIniFile = "C:\\Data\\Contacts_lists.ini";
    }
    void TearDown() override { ini::Profiles().Forget(); }
    std::string Bytes(const std::string& path) { return fs.ReadAll(path).value_or("<missing>"); }

    MemoryFileSystem fs;
    ScopedPlatform sys{{.files = &fs}};
    ScriptedDialogs dialogs;
    ScopedDialogs scoped{dialogs};
};

} // namespace tamber
