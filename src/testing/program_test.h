#pragma once
// The fixture native tests share: files, settings and a process launcher in memory installed
// as the program's ports, scripted message boxes, and for each test a fresh Module1 over the
// settings folder C:\Data of the database "Contacts" and an engine that has parsed nothing.
#include <gtest/gtest.h>

#include <string>

#include "common/scripted_dialogs.h"
#include "ports/memory/fake_process_launcher.h"
#include "ports/memory/memory_file_system.h"
#include "ports/memory/memory_settings_store.h"
#include "ports/platform.h"

namespace tamber::testing {

inline constexpr char kSettingsDir[] = "C:\\Data\\";
inline constexpr char kIniFile[] = "C:\\Data\\Contacts.ini";
inline constexpr char kListsIniFile[] = "C:\\Data\\Contacts_lists.ini";

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // The file's bytes, "<missing>" when there is none.
    std::string Bytes(const std::string& path);

    MemoryFileSystem files;
    MemorySettingsStore settings;
    FakeProcessLauncher processes;
    // Further ports a test needs go into Sys() in its SetUp; this puts back what was there.
    ScopedPlatform sys{{.settings = &settings, .files = &files, .processes = &processes}};
    ScriptedDialogs dialogs;
    ScopedDialogs scopedDialogs{dialogs};
};

} // namespace tamber::testing
