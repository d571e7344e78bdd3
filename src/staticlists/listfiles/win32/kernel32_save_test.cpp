// A list save through the engine's one atomic write gives the same file bytes as the same
// writes made one by one with the platform's profile functions.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "common/scripted_dialogs.h"
#include "ini/ini_engine.h"
#include "module1/module1.h"
#include "ports/platform.h"
#include "ports/win32/win32_storage.h"
#include "staticlists/listfiles/save_by_calls.h"
#include "staticlists/listfiles/static_lists.h"

namespace tamber::staticlists {
namespace {

// The save's writes, one WritePrivateProfileStringA call each.
class Kernel32Writer : public listfile::ProfileWriter {
  public:
    explicit Kernel32Writer(std::string file) : file_(std::move(file)) {}
    void Write(std::string_view section, std::string_view key, std::string_view value) override {
        Call(std::string(section).c_str(), std::string(key), std::string(value));
    }
    void DeleteKey(std::string_view section, std::string_view key) override {
        std::string k(key);
        ASSERT_TRUE(WritePrivateProfileStringA(std::string(section).c_str(), k.c_str(), nullptr,
                                               file_.c_str()));
    }
    void DeleteSection(std::string_view section) override {
        // Deleting a section of a missing file fails harmlessly, as in the save.
        WritePrivateProfileStringA(std::string(section).c_str(), nullptr, nullptr, file_.c_str());
    }

  private:
    void Call(const char* section, const std::string& key, const std::string& value) {
        ASSERT_TRUE(WritePrivateProfileStringA(section, key.c_str(), value.c_str(), file_.c_str()));
    }
    std::string file_;
};

std::string ReadBytes(const std::string& path) {
    return Win32Files().ReadAll(path).value_or("<missing>");
}

class Kernel32SaveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "lists-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder.c_str(), nullptr);
        saved = Sys().files;
        Sys().files = &Win32Files();
        ini::Profiles().Forget();
        M().SettingsDir = folder + "\\";
    }
    void TearDown() override {
        for (const char* name : {"engine.lst", "kernel32.lst"})
            DeleteFileA((folder + "\\" + name).c_str());
        RemoveDirectoryA(folder.c_str());
        ini::Profiles().Forget();
        Sys().files = saved;
    }
    // Saves text both ways and expects equal bytes.
    void SaveBoth(const std::string& text) {
        ASSERT_TRUE(SaveList(engineFile(), text));
        Kernel32Writer k32(kernel32File());
        StageSave(k32, SortedItems(text));
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, kernel32File().c_str()); // flush
        ASSERT_EQ(ReadBytes(engineFile()), ReadBytes(kernel32File()));
    }
    std::string engineFile() const { return folder + "\\engine.lst"; }
    std::string kernel32File() const { return folder + "\\kernel32.lst"; }

    std::string folder;
    FileSystem* saved = nullptr;
    ScriptedDialogs dialogs;
    ScopedDialogs scoped{dialogs};
};

TEST_F(Kernel32SaveTest, DocumentedListsGiveTheSameBytes) {
    SaveBoth("b\r\n\r\na");
    SaveBoth("apple\r\nAvocado\r\nbanana\r\n");
    SaveBoth("Apple\r\nBanana\r\napple");
    EXPECT_EQ(ReadBytes(engineFile()),
              "[Index]\r\nCount=3\r\na=3\r\nb=2\r\n[Items]\r\n1=Apple\r\n2=Banana\r\n3=apple\r\n");
}

// Entries the platform's reader would trim or unquote are stored so that it reads them back.
TEST_F(Kernel32SaveTest, EntriesWithBlanksOrQuotesReadBackThroughThePlatform) {
    const std::vector<std::string> entries = {" Lead", "\"Quoted\"", "'Single'", "Trail "};
    std::string text;
    for (const std::string& e : entries)
        text += e + "\r\n";
    ASSERT_TRUE(SaveList(engineFile(), text));
    std::vector<std::string> read; // in the list's order, which is not the point here
    for (int n = 1; n <= 4; ++n) {
        char value[64] = {};
        GetPrivateProfileStringA("Items", std::to_string(n).c_str(), "", value, sizeof value,
                                 engineFile().c_str());
        read.emplace_back(value);
    }
    std::vector<std::string> expected = entries;
    std::sort(read.begin(), read.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(read, expected);
}

// Left out where Wine's profile functions differ from Windows (items ending in a blank, keys
// ";" and "["); the native tests check those cases against fixed bytes.
TEST_F(Kernel32SaveTest, RandomListsAndResavesGiveTheSameBytes) {
    const std::string firsts = "AaBbZz09_-()&!.,+@~{}'\xC9\xE9\xC0\xE0\x8A\x9A=";
    const std::string rest = "abcXYZ \xE9\xFC-.,;:=[]|!?0123456789\"'";
    std::mt19937 rng(99);
    for (int size : {3, 40, 400, 2500}) {
        SCOPED_TRACE(size);
        std::string text;
        for (int i = 0; i < size; ++i) {
            if (rng() % 6 == 0) {
                text += "\r\n";
                continue;
            }
            std::string line(1, firsts[rng() % firsts.size()]);
            for (int n = rng() % 10; n > 0; --n)
                line += rest[rng() % rest.size()];
            while (line.back() == ' ')
                line.pop_back();
            text += line + "\r\n";
        }
        SaveBoth(text);
    }
}

} // namespace
} // namespace tamber::staticlists
