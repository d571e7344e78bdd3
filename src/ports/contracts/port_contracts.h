#pragma once
// Contract suites every FileSystem and SettingsStore implementation must pass. Each runner
// instantiates them with its implementations.
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "ports/file_system.h"
#include "ports/settings_store.h"

namespace tamber {

// A file system under test and an existing, empty folder in it ("\"-separated).
struct FileSystemFixture {
    virtual ~FileSystemFixture() = default;
    virtual FileSystem& Files() = 0;
    // Marks an existing file read-only, as a user or a copy from a CD does.
    virtual void MakeReadOnly(const std::string& path) = 0;
    std::string root;
    bool threadSafe = true; // may be used from several threads at once
};
struct FileSystemCase {
    std::string name;
    std::function<std::unique_ptr<FileSystemFixture>()> make;
};

struct SettingsFixture {
    virtual ~SettingsFixture() = default;
    virtual SettingsStore& Store() = 0;
    // A second view of the same store (another process's), or nullptr.
    virtual SettingsStore* Reopened() { return nullptr; }
    std::string app; // an application name no one else uses
};
struct SettingsCase {
    std::string name;
    std::function<std::unique_ptr<SettingsFixture>()> make;
};

class FileSystemContract : public ::testing::TestWithParam<FileSystemCase> {
  protected:
    void SetUp() override { fx = GetParam().make(); }
    FileSystem& fs() { return fx->Files(); }
    std::string At(const std::string& name) { return fx->root + "\\" + name; }
    std::unique_ptr<FileSystemFixture> fx;
};

class SettingsContract : public ::testing::TestWithParam<SettingsCase> {
  protected:
    void SetUp() override { fx = GetParam().make(); }
    SettingsStore& store() { return fx->Store(); }
    std::unique_ptr<SettingsFixture> fx;
};

inline std::string CaseName(const ::testing::TestParamInfo<FileSystemCase>& i) {
    return i.param.name;
}
inline std::string CaseName(const ::testing::TestParamInfo<SettingsCase>& i) {
    return i.param.name;
}

} // namespace tamber
