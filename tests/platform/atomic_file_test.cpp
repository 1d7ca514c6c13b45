#include "platform/atomic_file.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace morvaline {
namespace {

TEST(AtomicFile, ReplacesOnlyWhenCommitted) {
    test::TempDir dir;
    const auto target = dir / "doc.KVR";
    ASSERT_TRUE(writeFileAtomically(target, "old"));
    {
        AtomicFile file(target);
        ASSERT_TRUE(file.open());
        ASSERT_TRUE(file.write("new contents"));
        // Dropped without commit: the old file stays and no temporary is left.
    }
    std::string bytes;
    ASSERT_TRUE(readWholeFile(target, bytes));
    EXPECT_EQ(bytes, "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
    ASSERT_TRUE(writeFileAtomically(target, "new"));
    ASSERT_TRUE(readWholeFile(target, bytes));
    EXPECT_EQ(bytes, "new");
    struct stat st{};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(AtomicFile, FailsCleanlyInAMissingFolder) {
    test::TempDir dir;
    std::string error;
    EXPECT_FALSE(writeFileAtomically(dir / "no/such/folder/file", "x", &error));
    EXPECT_FALSE(error.empty());
}

TEST(AtomicFile, PrivateDirectoriesAreCreatedWithTheirParents) {
    test::TempDir dir;
    const auto deep = dir / "a/b/c";
    ASSERT_TRUE(makePrivateDirectories(deep));
    struct stat st{};
    ASSERT_EQ(::stat(deep.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

}  // namespace
}  // namespace morvaline
