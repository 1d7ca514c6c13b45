// Names from the line becoming local files: reduction to a safe base name, opening only
// plain files inside the download folder, the resume rule and the file time.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <ctime>

#include "comm/rapidox/download_folder.h"
#include "comm/rapidox/download_name.h"
#include "platform/atomic_file.h"
#include "platform/text_codec.h"
#include "support/temp_dir.h"

namespace morvaline::rapidox {
namespace {

using morvaline::test::TempDir;

TEST(RapidoxDownloadName, KeepsOnlyASafeLastComponent) {
    struct Row {
        const char* fault;
        std::string header;  // Shift_JIS
        std::string local;   // UTF-8; empty = numbered default
    };
    const Row rows[] = {
        {"parent folder", "../x", "x"},
        {"both separators", "a/b\\c", "c"},
        {"drive and folders", "C:\\DOWN\\FILE.TXT", "FILE.TXT"},
        {"dot dot", "..", ""},
        {"dot", ".", ""},
        {"empty", "", ""},
        {"ends in a separator", "dir/", ""},
        {"dot dot after a backslash", "dir\\..", ""},
        {"control byte", "a\x01z", ""},
        {"tab", "a\tb", ""},
        {"DEL", "a\x7F", ""},
        // 0x5C as the second byte of a double-byte character is no separator.
        {"trail byte 0x5C", sj("表.txt"), "表.txt"},
        {"half-width katakana", sj("ﾃｽﾄ.TXT"), "ﾃｽﾄ.TXT"},
        {"byte that is no character", "a\xFFz", "a\xEF\xBF\xBDz"},
        // 120 half-width katakana are 360 bytes of UTF-8: cut to 83 whole characters, which
        // leave room for ".part".
        {"longer than a file name may be", std::string(120, '\xB1'),
         [] {
             std::string s;
             for (int i = 0; i < 83; ++i) s += "ｱ";
             return s;
         }()},
    };
    for (const Row& row : rows) EXPECT_EQ(downloadFileName(row.header), row.local) << row.fault;
}

FileHeader headerFor(std::string name, std::int64_t size = 1000) {
    FileHeader h;
    h.name = std::move(name);
    h.size = size;
    return h;
}

std::string readFile(const std::filesystem::path& path) {
    std::string bytes;
    readWholeFile(path, bytes);
    return bytes;
}

TEST(RapidoxDownloadFolder, NeverWritesOutsideTheFolderOrThroughALink) {
    TempDir top, outside;
    const auto downloads = top / "DOWN";
    ASSERT_TRUE(writeFileAtomically(outside / "target", "precious"));
    ASSERT_TRUE(makePrivateDirectories(downloads));
    ASSERT_EQ(::symlink((outside / "target").c_str(), (downloads / "LINK.TXT").c_str()), 0);
    ASSERT_EQ(::link((outside / "target").c_str(), (downloads / "HARD.TXT").c_str()), 0);
    ASSERT_EQ(::mkfifo((downloads / "PIPE").c_str(), 0600), 0);

    DownloadFolder folder(downloads);
    for (const char* name : {"LINK.TXT", "HARD.TXT", "PIPE"}) {
        EXPECT_FALSE(folder.open(headerFor(name))) << name;
        EXPECT_FALSE(folder.error().empty()) << name;
    }
    EXPECT_EQ(readFile(outside / "target"), "precious");

    ASSERT_EQ(folder.open(headerFor("../escape")), 0);
    ASSERT_TRUE(folder.write(std::string(128, 'e')));
    ASSERT_TRUE(folder.complete(headerFor("../escape", 100)));
    EXPECT_FALSE(std::filesystem::exists(top / "escape"));
    EXPECT_EQ(readFile(downloads / "escape"), std::string(100, 'e'));
}

TEST(RapidoxDownloadFolder, UnusableNamesGetNumberedDefaultsThatOverwriteNothing) {
    TempDir dir;
    ASSERT_TRUE(writeFileAtomically(dir / "download-001", "older"));
    DownloadFolder folder(dir.path());
    for (const char* name : {"..", "a\x01"}) {
        ASSERT_EQ(folder.open(headerFor(name, 10)), 0);
        ASSERT_TRUE(folder.write(std::string(128, 'n')));
        ASSERT_TRUE(folder.complete(headerFor(name, 10)));
    }
    EXPECT_EQ(readFile(dir / "download-001"), "older");
    EXPECT_EQ(folder.files()[0].path, dir / "download-002");
    EXPECT_EQ(folder.files()[1].path, dir / "download-003");
    EXPECT_EQ(readFile(dir / "download-003"), std::string(10, 'n'));
}

TEST(RapidoxDownloadFolder, ResumesShorterPartsAndRewritesOthers) {
    struct Row {
        const char* what;
        std::size_t local;
        std::int64_t announced;
        std::int64_t startBlock;
        std::size_t keptBytes;
    };
    const Row rows[] = {
        {"shorter: resumed at the last whole block", 1000, 5000, 7, 1000},
        {"shorter by less than a block", 4999, 5000, 39, 4999},
        {"as long as announced: rewritten", 5000, 5000, 0, 0},
        {"longer: rewritten", 6000, 5000, 0, 0},
    };
    for (const Row& row : rows) {
        TempDir dir;
        ASSERT_TRUE(writeFileAtomically(dir / "F.part", std::string(row.local, 'x')));
        DownloadFolder folder(dir.path());
        EXPECT_EQ(folder.open(headerFor("F", row.announced)), row.startBlock) << row.what;
        folder.keepPartial();
        EXPECT_EQ(readFile(dir / "F.part").size(), row.keptBytes) << row.what;
        EXPECT_FALSE(std::filesystem::exists(dir / "F")) << row.what;
    }
}

// A file under its own name is always whole: a download comes down as its part, which
// takes the name (replacing an older file) only when complete.
TEST(RapidoxDownloadFolder, OnlyAWholeFileTakesItsName) {
    TempDir dir;
    ASSERT_TRUE(writeFileAtomically(dir / "F", "older and shorter"));
    {
        DownloadFolder folder(dir.path());
        EXPECT_EQ(folder.open(headerFor("F", 300)), 0);  // a whole file is never resumed
        ASSERT_TRUE(folder.write(std::string(128, 'a')));
        folder.keepPartial();
        EXPECT_EQ(folder.files().back().path, dir / "F.part");
        EXPECT_FALSE(folder.files().back().complete);
    }
    EXPECT_EQ(readFile(dir / "F"), "older and shorter");
    DownloadFolder folder(dir.path());
    EXPECT_EQ(folder.open(headerFor("F", 300)), 1);
    ASSERT_TRUE(folder.write(std::string(256, 'b')));
    ASSERT_TRUE(folder.complete(headerFor("F", 300)));
    EXPECT_EQ(folder.files().back().path, dir / "F");
    EXPECT_EQ(readFile(dir / "F"), std::string(128, 'a') + std::string(172, 'b'));
    EXPECT_FALSE(std::filesystem::exists(dir / "F.part"));
}

TEST(RapidoxDownloadFolder, FileTimeComesFromTheHeaderAndTheClockForMissingParts) {
    TempDir dir;
    DownloadFolder folder(dir / "new", [] {
        LocalTimeFields now;
        now.year = 2030, now.month = 5, now.day = 6, now.hour = 7, now.minute = 8, now.second = 9;
        return now;
    });
    FileHeader h = headerFor("DATED", 3);
    h.year = 2024, h.month = 1, h.day = 2;  // the time of day is left out
    ASSERT_EQ(folder.open(h), 0);
    ASSERT_TRUE(folder.write(std::string(128, 'd')));
    ASSERT_TRUE(folder.complete(h));
    struct stat st {};
    ASSERT_EQ(::stat((dir / "new/DATED").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(st.st_size, 3);
    std::tm tm{};
    localtime_r(&st.st_mtime, &tm);
    EXPECT_EQ(tm.tm_year + 1900, 2024);
    EXPECT_EQ(tm.tm_mday, 2);
    EXPECT_EQ(tm.tm_hour, 7);
    EXPECT_EQ(tm.tm_sec, 9);
    ASSERT_EQ(::stat((dir / "new").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

}  // namespace
}  // namespace morvaline::rapidox
