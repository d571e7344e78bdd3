// The engine against kernel32's profile functions, scenario by scenario, in one process on
// separate files: return values, whole buffers and the resulting file bytes must agree.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ini/ini_engine.h"
#include "ports/win32/win32_storage.h"

namespace tamber::ini {
namespace {

using namespace std::string_literals;
using Opt = std::optional<std::string>;

struct Op {
    bool write = false;
    Opt section, key, value; // value doubles as the read default
    DWORD size = 64;
};
Op R(Opt s, Opt k, Opt def = std::nullopt, DWORD size = 64) {
    return {false, s, k, def, size};
}
Op W(Opt s, Opt k, Opt v) {
    return {true, s, k, v, 0};
}

struct Scenario {
    const char* name;
    Opt initial; // file bytes before the first call; nullopt: no file
    std::vector<Op> ops;
    // Wine rewrites hand-written files differently from Windows: compare bytes only for
    // files built by the calls themselves (or when the scenario only reads).
    bool compareBytes = true;
};

const char* P(const Opt& o) {
    return o ? o->c_str() : nullptr;
}
std::optional<std::string_view> V(const Opt& o) {
    return o ? std::optional<std::string_view>(*o) : std::nullopt;
}

std::string TempFolder() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string dir = std::string(temp) + "ini-diff-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

std::string Show(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
        if (c >= 32 && c < 127 && c != '\\')
            out += static_cast<char>(c);
        else {
            char b[8];
            snprintf(b, sizeof b, "\\x%02X", c);
            out += b;
        }
    }
    return out;
}

class Differential : public ::testing::TestWithParam<Scenario> {};

TEST_P(Differential, EngineAgreesWithKernel32) {
    const Scenario& sc = GetParam();
    static const std::string dir = TempFolder();
    const std::string mine = dir + "\\" + sc.name + "_engine.ini";
    const std::string theirs = dir + "\\" + sc.name + "_kernel32.ini";
    DeleteFileA(mine.c_str());
    DeleteFileA(theirs.c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, theirs.c_str()); // drop Wine's cache
    Win32FileSystem& files = Win32Files();
    if (sc.initial) {
        files.WriteAll(mine, *sc.initial);
        files.WriteAll(theirs, *sc.initial);
    }
    Engine engine(files);
    for (std::size_t i = 0; i < sc.ops.size(); ++i) {
        const Op& op = sc.ops[i];
        SCOPED_TRACE("call " + std::to_string(i));
        if (op.write) {
            BOOL k =
                WritePrivateProfileStringA(P(op.section), P(op.key), P(op.value), theirs.c_str());
            bool e = engine.WriteString(mine, V(op.section), V(op.key), V(op.value));
            EXPECT_EQ(e, k != FALSE);
            continue;
        }
        std::string kb(op.size + 1, '#'), eb(op.size + 1, '#');
        DWORD k = GetPrivateProfileStringA(P(op.section), P(op.key), P(op.value), kb.data(),
                                           op.size, theirs.c_str());
        DWORD e = engine.GetString(mine, V(op.section), V(op.key), V(op.value), eb.data(), op.size);
        EXPECT_EQ(e, k);
        if (!op.key && k + 2 == op.size && op.size > 2) {
            // A cut list: Windows closes it with two NULs, Wine writes only the first.
            EXPECT_EQ(Show(eb.substr(0, op.size - 1)), Show(kb.substr(0, op.size - 1)));
            EXPECT_TRUE(eb[op.size - 1] == kb[op.size - 1] || eb[op.size - 1] == '\0');
            EXPECT_EQ(eb[op.size], '#');
        } else {
            EXPECT_EQ(Show(eb), Show(kb));
        }
    }
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, theirs.c_str()); // flush
    if (sc.compareBytes) {
        EXPECT_EQ(Show(files.ReadAll(mine).value_or("<none>")),
                  Show(files.ReadAll(theirs).value_or("<none>")));
    }
    DeleteFileA(mine.c_str());
    DeleteFileA(theirs.c_str());
}

const std::string kWine1 = "[section1]\r\nname1=val1\r\nname2=\r\nname3\r\nname4=val4\r\n"
                           "[section2]\r\nname5=val5\r\n";

std::vector<Scenario> Scenarios() {
    return {
        {"ReadValue", kWine1, {R("section1", "name1"), R("section2", "name5")}},
        {"SectionCaseAscii", kWine1, {R("SECTION1", "name1"), R("Section2", "NAME5")}},
        {"KeyCaseAscii", kWine1, {R("section1", "NaMe4")}},
        {"AccentedExactCase",
         "[\xC9t\xE9]\r\n\xC0\xE7\xF5=1\r\n"s,
         {R("\xC9t\xE9", "\xC0\xE7\xF5"), R("\xC9T\xE9", "\xC0\xE7\xF5")}},
        {"TrimKeysAndValues",
         "[S]\r\n  k1  =  v1  \r\n\tk2\t=\tv2\t\r\n"s,
         {R("S", "k1"), R("S", "k2"), R("S", " k1 ")}},
        {"TrimmedSectionName",
         "[ section1 ]\r\nk=v\r\n"s,
         {R("section1", "k"), R(" section1", "k")}},
        {"QuoteStripping",
         "[S]\r\na=\"x\"\r\nb='y'\r\nc=\"  z  \"\r\nd=\"'w'\"\r\ne=\"v'\r\nf=\"\r\ng=\"\"\r\n"s,
         {R("S", "a"), R("S", "b"), R("S", "c"), R("S", "d"), R("S", "e"), R("S", "f"),
          R("S", "g")}},
        {"MissingFile",
         std::nullopt,
         {R("S", "k", "def"), R("S", std::nullopt, "d"), R(std::nullopt, std::nullopt)}},
        {"MissingSection", kWine1, {R("nosuch", "name1", "def"), R("nosuch", std::nullopt, "d")}},
        {"MissingKey", kWine1, {R("section1", "nokey", "def")}},
        {"EmptyValueVsMissing",
         kWine1,
         {R("section1", "name2", "def"), R("section1", "name3", "def")}},
        {"CommentLines",
         "[S]\r\n;k=1\r\n  ;j=2\r\nx;y=3\r\n#h=4\r\n"s,
         {R("S", "x;y"), R("S", "#h"), R("S", std::nullopt)}},
        {"LinesWithoutEquals", kWine1, {R("section1", std::nullopt), R("section1", "name3", "d")}},
        {"DuplicateSections",
         "[A]\r\nk=1\r\n[B]\r\n[A]\r\nk=2\r\nj=3\r\n"s,
         {R("A", "k"), R("A", "j", "d"), R(std::nullopt, std::nullopt)}},
        {"DuplicateKeys", "[A]\r\nk=1\r\nk=2\r\n"s, {R("A", "k"), R("A", std::nullopt)}},
        {"EqualsInValue", "[A]\r\na=b=c\r\n=empty\r\n"s, {R("A", "a"), R("A", "")}},
        {"KeysBeforeFirstSection", "k=0\r\n[A]\r\nk=1\r\n"s, {R("A", "k")}},
        {"LineEndsMixed",
         "[A]\nk=1\r[B]\r\nj=2\n\n[C]\rx=3"s,
         {R("A", "k"), R("B", "j"), R("C", "x")}},
        {"DefaultTrailingBlanks",
         kWine1,
         {R("section1", "none", "default  "), R("section1", "none", "   default   "),
          R("section1", "none", std::nullopt)}},
        {"SmallValueBuffers",
         kWine1,
         {R("section1", "name1", "", 4), R("section1", "name1", "", 5),
          R("section1", "name1", "", 1), R("section1", "none", "longdefault", 5)}},
        {"SectionEnumeration", kWine1, {R(std::nullopt, std::nullopt, std::nullopt, 100)}},
        {"SectionEnumerationSmall",
         kWine1,
         {R(std::nullopt, std::nullopt, std::nullopt, 16),
          R(std::nullopt, std::nullopt, std::nullopt, 18),
          R(std::nullopt, std::nullopt, std::nullopt, 19),
          R(std::nullopt, std::nullopt, std::nullopt, 20)}},
        {"KeyEnumeration", kWine1, {R("section1", std::nullopt, std::nullopt, 100)}},
        {"KeyEnumerationSmall",
         kWine1,
         {R("section1", std::nullopt, std::nullopt, 10),
          R("section1", std::nullopt, std::nullopt, 18),
          R("section1", std::nullopt, std::nullopt, 19)}},
        {"NewFile", std::nullopt, {W("App", "key", "string")}},
        {"NewSectionsAtEnd",
         std::nullopt,
         {W("App1", "key1", "string1"), W("App1", "key2", "string2"),
          W("App2", "key4", "string4")}},
        {"NewKeysInCallOrder",
         std::nullopt,
         {W("S", "b", "value"), W("S", "a", "value"), W("S", "z", ""), W("S", "b", ""),
          W("S", "y", ""), W("S", "a", "")}},
        {"KeyIntoEarlierSection",
         std::nullopt,
         {W("A", "1", "x"), W("B", "2", "y"), W("A", "3", "z"), R("A", std::nullopt)}},
        {"UpdateKeepsSpelling", std::nullopt, {W("Sec", "Key", "1"), W("SEC", "KEY", "2")}},
        {"WrittenNamesTrimmed", std::nullopt, {W(" S", " k", "v  "), R("S", "k")}},
        {"ValueAsGiven", std::nullopt, {W("S", "k", "a ; b = c"), R("S", "k")}},
        {"DeleteKey",
         std::nullopt,
         {W("App3", "key5", "string5"), W("App3", "key5", std::nullopt),
          R("App3", "key5", "gone")}},
        {"DeleteMissingKey", std::nullopt, {W("A", "k", "v"), W("A", "nokey", std::nullopt)}},
        {"DeleteSection",
         std::nullopt,
         {W("A", "k", "v"), W("B", "j", "w"), W("A", std::nullopt, std::nullopt),
          R(std::nullopt, std::nullopt)}},
        {"DeleteMissingSection",
         std::nullopt,
         {W("A", "k", "v"), W("Z", std::nullopt, std::nullopt)}},
        {"DeleteThenAddKey",
         std::nullopt,
         {W("S", "a", "1"), W("S", "b", "2"), W("S", "b", std::nullopt), W("S", "c", "3")}},
        {"AccentedWrite",
         std::nullopt,
         {W("\xC9t\xE9", "cl\xE9", "1"), W("\xC9T\xE9", "CL\xE9", "2"),
          R("\xC9t\xE9", std::nullopt)}},
        {"AppendAfterNoFinalNewline", "[A]\r\nk=v"s, {W("B", "x", "1")}},
        {"AppendKeyAfterNoFinalNewline", "[A]\r\nk=v"s, {W("A", "x", "1")}},
        {"CrLfOnlyOutput", "[A]\nk=v\n"s, {W("A", "j", "w"), R("A", std::nullopt)}, false},
        {"EnumerationAfterWrites",
         std::nullopt,
         {W("One", "a", "1"), W("Two", "b", "2"), W("One", "c", "3"), R(std::nullopt, std::nullopt),
          R("one", std::nullopt)}},
        {"LongValue",
         std::nullopt,
         {W("S", "k", std::string(5000, 'x')), R("S", "k", "", 999), R("S", "k", "", 6000)}},
        {"NullSectionWrite", std::nullopt, {W(std::nullopt, "k", "v")}},
    };
}

INSTANTIATE_TEST_SUITE_P(Scenarios, Differential, ::testing::ValuesIn(Scenarios()),
                         [](const auto& i) { return std::string(i.param.name); });

// How kernel32 folds case in names: a file holds one key per byte 0x21-0xFF, in byte order,
// each valued with its own byte; looking up each byte finds the first key that folds alike.
// The engine must find the same key for every byte.
TEST(CaseFolding, NamesFoldAsThePlatformDoes) {
    static const std::string dir = TempFolder();
    const std::string file = dir + "\\fold.ini";
    auto name = [](int c) { return "n" + std::string(1, static_cast<char>(c)); };
    std::string bytes = "[S]\r\n";
    for (int c = 0x21; c <= 0xFF; ++c)
        if (c != '=') bytes += name(c) + "=" + std::to_string(c) + "\r\n";
    Win32Files().WriteAll(file, bytes);
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
    Engine engine(Win32Files());
    std::string folded, disagree, engineOnly;
    for (int d = 0x21; d <= 0xFF; ++d) {
        if (d == '=') continue;
        char buf[8] = {};
        GetPrivateProfileStringA("S", name(d).c_str(), "", buf, sizeof buf, file.c_str());
        std::string mine = engine.Value(file, "S", name(d)).value_or("");
        if (std::string(buf) != std::to_string(d))
            folded += Show(std::string(1, static_cast<char>(d))) + "->" + buf + " ";
        // Wine folds ASCII letters only; Windows also folds the accented Latin letters, as
        // the engine does. Any other difference is a fault.
        if (mine != buf && d >= 0x80 && std::string(buf) == std::to_string(d) &&
            NamesEqual(name(d), name(std::stoi(mine))))
            engineOnly += Show(std::string(1, static_cast<char>(d))) + " ";
        else if (mine != buf)
            disagree += Show(std::string(1, static_cast<char>(d))) + ": kernel32 " + buf +
                        ", engine " + mine + "; ";
    }
    std::printf("kernel32 finds another key for: %s\n", folded.c_str());
    std::printf("the engine alone folds: %s\n", engineOnly.c_str());
    EXPECT_EQ(disagree, "");
    DeleteFileA(file.c_str());
}

} // namespace
} // namespace tamber::ini
