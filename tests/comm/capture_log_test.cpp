#include "comm/capture_log.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "platform/atomic_file.h"
#include "support/temp_dir.h"

namespace morvaline {
namespace {

TEST(CaptureLog, FileNameByMode) {
    CaptureLogSettings settings;
    settings.directory = "/data/LOG";
    settings.prefix = "XY";
    LocalTimeFields date;
    date.year = 1999;
    date.month = 12;
    date.day = 31;
    settings.mode = CaptureLogSettings::Mode::SameFile;
    EXPECT_EQ(captureLogPath(settings, date), "/data/LOG/LUDRIX.LOG");
    settings.mode = CaptureLogSettings::Mode::Dated;
    EXPECT_EQ(captureLogPath(settings, date), "/data/LOG/XY991231.LOG");
    date.year = 2005;
    date.month = 1;
    date.day = 2;
    EXPECT_EQ(captureLogPath(settings, date), "/data/LOG/XY050102.LOG");
    settings.mode = CaptureLogSettings::Mode::Off;
    EXPECT_TRUE(captureLogPath(settings, date).empty());
}

TEST(CaptureLog, AppendsToTheFileAcrossConnections) {
    test::TempDir dir;
    const auto file = dir / "LOG" / "LUDRIX.LOG";  // the folder is made when missing
    CaptureLog log;
    ASSERT_EQ(log.open(file), nullptr);
    EXPECT_EQ(log.write("first\r\n"), nullptr);
    log.close();
    ASSERT_EQ(log.open(file), nullptr);
    EXPECT_EQ(log.write("second\r\n"), nullptr);
    log.close();
    std::string text;
    ASSERT_TRUE(readWholeFile(file, text));
    EXPECT_EQ(text, "first\r\nsecond\r\n");
    EXPECT_EQ(std::filesystem::status(file).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(CaptureLog, ALogInUseElsewhereIsNotOpened) {
    test::TempDir dir;
    const auto file = dir / "LUDRIX.LOG";
    const int other = ::open(file.c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    CaptureLog log;
    EXPECT_EQ(log.open(file), &texts::kLogOpenFailed);
    EXPECT_FALSE(log.isOpen());
    ::close(other);
    EXPECT_EQ(log.open(file), nullptr);
}

TEST(CaptureLog, AFullDiskStopsLoggingWithItsReason) {
    CaptureLog log;
    ASSERT_EQ(log.open("/dev/full"), nullptr);
    EXPECT_EQ(log.write("text"), &texts::kLogWriteFailed);
    EXPECT_EQ(log.reason(), std::strerror(ENOSPC));
    EXPECT_FALSE(log.isOpen());
    EXPECT_EQ(log.write("more"), nullptr);  // nothing more is tried
}

// A file never grows beyond its cap, even with one endless line; the newest older files
// are kept beside it and the oldest are dropped.
TEST(CaptureLog, AFullFileMovesAsideAndOnlyTheNewestAreKept) {
    test::TempDir dir;
    const auto file = dir / "LUDRIX.LOG";
    ASSERT_TRUE(writeFileAtomically(file, "old"));
    CaptureLog log;
    ASSERT_EQ(log.open(file, 10, 2), nullptr);
    EXPECT_EQ(log.write("0123456"), nullptr);
    EXPECT_EQ(log.write(std::string(20, 'a') + "bcdefghijk"), nullptr);
    log.close();
    const std::pair<const char*, const char*> expected[] = {
        {"LUDRIX.LOG", "bcdefghijk"}, {"LUDRIX.LOG.1", "aaaaaaaaaa"}, {"LUDRIX.LOG.2", "aaaaaaaaaa"}};
    for (const auto& [name, text] : expected) {
        std::string read;
        EXPECT_TRUE(readWholeFile(dir / name, read)) << name;
        EXPECT_EQ(read, text) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "LUDRIX.LOG.3"));
}

TEST(CaptureLog, AFolderThatCannotBeMadeIsReported) {
    test::TempDir dir;
    ASSERT_TRUE(writeFileAtomically(dir / "file", "x"));
    CaptureLog log;
    EXPECT_EQ(log.open(dir / "file" / "LUDRIX.LOG"), &texts::kLogOpenFailed);
}

}  // namespace
}  // namespace morvaline
