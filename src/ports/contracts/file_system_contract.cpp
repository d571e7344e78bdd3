#include <algorithm>
#include <atomic>
#include <string>
#include <thread>

#include "common/vb_error.h"
#include "ports/contracts/port_contracts.h"

namespace tamber {
namespace {

long ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const VbError& e) {
        return e.number();
    }
    return 0;
}

std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

TEST_P(FileSystemContract, MissingFilesAndFoldersReadAsAbsent) {
    EXPECT_EQ(fs().ReadAll(At("none.ini")), std::nullopt);
    EXPECT_EQ(fs().ReadAll(At("nofolder\\none.ini")), std::nullopt);
    EXPECT_FALSE(fs().Stamp(At("none.ini")).exists);
    EXPECT_FALSE(fs().Exists(At("none.ini")));
    EXPECT_FALSE(fs().IsFolder(At("none.ini")));
    EXPECT_EQ(ErrorOf([&] { fs().LastWriteTime(At("none.ini")); }), err::kFileNotFound);
    EXPECT_TRUE(fs().ListFiles(At("nofolder"), "*").empty());
}

TEST_P(FileSystemContract, WriteReplacesWholeContentsByteForByte) {
    const std::string bytes("a\0b\r\n\xff\x80 end", 12);
    fs().WriteAll(At("f.dat"), bytes);
    EXPECT_EQ(fs().ReadAll(At("f.dat")), bytes);
    fs().WriteAll(At("f.dat"), "xy");
    EXPECT_EQ(fs().ReadAll(At("f.dat")), "xy");
    fs().WriteAll(At("f.dat"), "");
    EXPECT_EQ(fs().ReadAll(At("f.dat")), "");
    EXPECT_TRUE(fs().Exists(At("f.dat")));
    // The temporary file of the atomic write never stays behind.
    EXPECT_EQ(fs().ListFiles(fx->root, "*"), std::vector<std::string>{"f.dat"});
}

TEST_P(FileSystemContract, WriteIntoMissingFolderFailsWithPathNotFound) {
    EXPECT_EQ(ErrorOf([&] { fs().WriteAll(At("nofolder\\f.ini"), "x"); }), err::kPathNotFound);
    EXPECT_FALSE(fs().Exists(At("nofolder\\f.ini")));
}

TEST_P(FileSystemContract, AReadOnlyFileIsNotReplaced) {
    fs().WriteAll(At("r.dat"), "kept");
    fx->MakeReadOnly(At("r.dat"));
    EXPECT_EQ(ErrorOf([&] { fs().WriteAll(At("r.dat"), "lost"); }), err::kPermissionDenied);
    EXPECT_EQ(fs().ReadAll(At("r.dat")), "kept");
    EXPECT_EQ(fs().ListFiles(fx->root, "*"), std::vector<std::string>{"r.dat"});
}

TEST_P(FileSystemContract, StampFollowsRewrites) {
    fs().WriteAll(At("s.ini"), "one");
    FileStamp a = fs().Stamp(At("s.ini"));
    EXPECT_TRUE(a.exists);
    EXPECT_EQ(a.size, 3u);
    EXPECT_EQ(a.lastWrite, fs().LastWriteTime(At("s.ini")));
    fs().WriteAll(At("s.ini"), "three");
    FileStamp b = fs().Stamp(At("s.ini"));
    EXPECT_EQ(b.size, 5u);
    EXPECT_NE(a, b);
    fs().Remove(At("s.ini"));
    EXPECT_FALSE(fs().Stamp(At("s.ini")).exists);
}

TEST_P(FileSystemContract, FoldersAndFilesAreToldApart) {
    fs().MakeFolder(At("sub"));
    fs().MakeFolder(At("sub")); // existing: fine
    fs().WriteAll(At("sub\\f.txt"), "x");
    EXPECT_TRUE(fs().IsFolder(At("sub")));
    EXPECT_TRUE(fs().Exists(At("sub")));
    EXPECT_TRUE(fs().Exists(At("sub/f.txt")));
    EXPECT_FALSE(fs().IsFolder(At("sub\\f.txt")));
    EXPECT_FALSE(fs().Stamp(At("sub")).exists);
    EXPECT_EQ(ErrorOf([&] { fs().MakeFolder(At("no\\deeper")); }), err::kPathNotFound);
    EXPECT_NE(ErrorOf([&] { fs().ReadAll(At("sub")); }), 0);
}

TEST_P(FileSystemContract, RemoveAndRename) {
    EXPECT_EQ(ErrorOf([&] { fs().Remove(At("gone.lst")); }), err::kFileNotFound);
    EXPECT_EQ(ErrorOf([&] { fs().Rename(At("gone.lst"), At("x.lst")); }), err::kFileNotFound);
    fs().WriteAll(At("a.lst"), "A");
    fs().WriteAll(At("b.lst"), "B");
    EXPECT_EQ(ErrorOf([&] { fs().Rename(At("a.lst"), At("b.lst")); }), err::kFileAlreadyExists);
    EXPECT_EQ(fs().ReadAll(At("b.lst")), "B");
    fs().Rename(At("a.lst"), At("c.lst"));
    EXPECT_FALSE(fs().Exists(At("a.lst")));
    EXPECT_EQ(fs().ReadAll(At("c.lst")), "A");
    fs().Rename(At("c.lst"), At("b.lst"), true);
    EXPECT_EQ(fs().ReadAll(At("b.lst")), "A");
    EXPECT_FALSE(fs().Exists(At("c.lst")));
    fs().Remove(At("b.lst"));
    EXPECT_FALSE(fs().Exists(At("b.lst")));
}

TEST_P(FileSystemContract, ListFilesMatchesPatternOnNamesOnly) {
    for (const char* n : {"one.lst", "Two.LST", "three.lstx", "four.txt", "lst"})
        fs().WriteAll(At(n), "x");
    fs().MakeFolder(At("dir.lst"));
    EXPECT_EQ(Sorted(fs().ListFiles(fx->root, "*.lst")),
              (std::vector<std::string>{"Two.LST", "one.lst"}));
    EXPECT_EQ(Sorted(fs().ListFiles(fx->root, "?our.*")), std::vector<std::string>{"four.txt"});
    EXPECT_EQ(fs().ListFiles(fx->root, "*").size(), 5u);
}

TEST_P(FileSystemContract, LockHasOneHolderAtATime) {
    std::unique_ptr<FileLock> held = fs().Lock(At("lists.lock"), std::chrono::milliseconds(0));
    ASSERT_NE(held, nullptr);
    EXPECT_TRUE(fs().Exists(At("lists.lock")));
    // Another holder waits, then gives up while the first still holds it.
    EXPECT_EQ(fs().Lock(At("lists.lock"), std::chrono::milliseconds(30)), nullptr);
    EXPECT_NE(fs().Lock(At("other.lock"), std::chrono::milliseconds(0)), nullptr);
    held.reset();
    held = fs().Lock(At("lists.lock"), std::chrono::milliseconds(0));
    EXPECT_NE(held, nullptr) << "let go when released";
    // A held lock neither stops readers of the lock file nor writes beside it.
    EXPECT_NE(fs().ReadAll(At("lists.lock")), std::nullopt);
    fs().WriteAll(At("lists.ini"), "x");
    EXPECT_EQ(ErrorOf([&] { fs().Lock(At("nofolder\\a.lock"), std::chrono::milliseconds(0)); }),
              err::kPathNotFound);
    fs().MakeFolder(At("dir.lock"));
    EXPECT_NE(ErrorOf([&] { fs().Lock(At("dir.lock"), std::chrono::milliseconds(0)); }), 0);
}

TEST_P(FileSystemContract, LockMakesReadModifyWriteSafeAcrossThreads) {
    if (!fx->threadSafe) GTEST_SKIP() << "single-threaded";
    const std::string counter = At("count.txt"), lock = At("count.lock");
    fs().WriteAll(counter, "0");
    std::atomic<int> refused{0};
    auto add = [&] {
        for (int i = 0; i < 200; ++i) {
            std::unique_ptr<FileLock> held = fs().Lock(lock, std::chrono::seconds(10));
            if (!held) {
                ++refused;
                continue;
            }
            const int n = std::stoi(*fs().ReadAll(counter));
            fs().WriteAll(counter, std::to_string(n + 1));
        }
    };
    std::thread other(add);
    add();
    other.join();
    EXPECT_EQ(refused, 0);
    EXPECT_EQ(fs().ReadAll(counter), "400");
}

} // namespace
} // namespace tamber
