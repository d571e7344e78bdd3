#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "common/vb_error.h"
#include "ports/contracts/port_contracts.h"
#include "ports/host/host_file_system.h"
#include "ports/memory/memory_file_system.h"
#include "ports/memory/memory_settings_store.h"

namespace tamber {
namespace {

struct MemoryFiles : FileSystemFixture {
    MemoryFileSystem files;
    MemoryFiles() {
        root = "C:\\Root";
        files.MakeFolder(root);
        threadSafe = false;
    }
    FileSystem& Files() override { return files; }
    void MakeReadOnly(const std::string& path) override { files.SetReadOnly(path); }
};

struct HostFiles : FileSystemFixture {
    HostFileSystem files;
    std::filesystem::path dir;
    HostFiles() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "ini-fs-XXXXXX").string();
        dir = mkdtemp(tmpl.data());
        root = dir.string();
    }
    ~HostFiles() override { std::filesystem::remove_all(dir); }
    FileSystem& Files() override { return files; }
    void MakeReadOnly(const std::string& path) override {
        std::string host = path;
        std::replace(host.begin(), host.end(), '\\', '/');
        std::filesystem::permissions(host,
                                     std::filesystem::perms::owner_write |
                                         std::filesystem::perms::group_write |
                                         std::filesystem::perms::others_write,
                                     std::filesystem::perm_options::remove);
    }
};

INSTANTIATE_TEST_SUITE_P(
    Portable, FileSystemContract,
    ::testing::Values(
        FileSystemCase{"Memory",
                       [] { return std::unique_ptr<FileSystemFixture>(new MemoryFiles); }},
        FileSystemCase{"Host", [] { return std::unique_ptr<FileSystemFixture>(new HostFiles); }}),
    [](const auto& i) { return CaseName(i); });

struct MemorySettings : SettingsFixture {
    MemorySettingsStore store;
    MemorySettings() { app = "Tamberlist"; }
    SettingsStore& Store() override { return store; }
};

// Two stores over one file, as two processes over the registry.
struct FileSettings : SettingsFixture {
    MemoryFileSystem files;
    MemorySettingsStore store{files, "C:\\settings.txt"};
    MemorySettingsStore other{files, "C:\\settings.txt"};
    FileSettings() { app = "Varnel"; }
    SettingsStore& Store() override { return store; }
    SettingsStore* Reopened() override { return &other; }
};

INSTANTIATE_TEST_SUITE_P(
    Portable, SettingsContract,
    ::testing::Values(
        SettingsCase{"Memory", [] { return std::unique_ptr<SettingsFixture>(new MemorySettings); }},
        SettingsCase{"FileBacked",
                     [] { return std::unique_ptr<SettingsFixture>(new FileSettings); }}),
    [](const auto& i) { return CaseName(i); });

TEST(MemoryFileSystem, PathsAreCaseAndSeparatorBlind) {
    MemoryFileSystem fs;
    fs.MakeFolders("C:\\Program Files\\Tamberlist\\Data");
    fs.WriteAll("c:/program files/TAMBERLIST/data/Sales.ini", "x");
    EXPECT_EQ(fs.ReadAll("C:\\Program Files\\Tamberlist\\Data\\SALES.INI"), "x");
    EXPECT_EQ(fs.ListFiles("C:\\Program Files\\Tamberlist\\Data\\", "*.ini"),
              std::vector<std::string>{"Sales.ini"});
}

TEST(MemoryFileSystem, InjectedWriteFailureLeavesTheFileAlone) {
    MemoryFileSystem fs;
    fs.WriteAll("C:\\a.ini", "old");
    fs.failWrites = 61;
    EXPECT_THROW(fs.WriteAll("C:\\a.ini", "new"), VbError);
    EXPECT_EQ(fs.ReadAll("C:\\a.ini"), "old");
}

TEST(FileBackedSettings, ValuesWithLineBreaksAndTabsSurviveTheFile) {
    MemoryFileSystem fs;
    MemorySettingsStore a(fs, "C:\\s.txt");
    a.SaveSetting("A", "S", "k\tey", "line1\r\nline2\t\\end");
    MemorySettingsStore b(fs, "C:\\s.txt");
    EXPECT_EQ(b.GetSetting("A", "S", "k\tey"), "line1\r\nline2\t\\end");
}

TEST(WildcardMatch, StarsAndQuestionMarks) {
    EXPECT_TRUE(WildcardMatch("*.lst", "a.LST"));
    EXPECT_TRUE(WildcardMatch("*", ""));
    EXPECT_TRUE(WildcardMatch("a*b*c", "aXXbYbc"));
    EXPECT_FALSE(WildcardMatch("a*b*c", "aXXbYbcd"));
    EXPECT_FALSE(WildcardMatch("?.lst", ".lst"));
    EXPECT_TRUE(WildcardMatch("Sales_*.dat", "sales_000001_C.dat"));
}

} // namespace
} // namespace tamber
