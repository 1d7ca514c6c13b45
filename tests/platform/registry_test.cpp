#include "platform/registry.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace morvaline {
namespace {

TEST(Registry, ValuesSurviveAReopenWhateverTheirBytes) {
    test::TempDir dir;
    const auto file = dir / "Morvaline.conf";
    const std::string sjisName = "\x83\x81\x81[\x83\x8B";  // Shift_JIS, not UTF-8
    {
        Registry reg(file);
        reg.writeInt("AP1", "Port", 2323);
        reg.writeInt("AP1", "Color", 0xFFFFFF);
        reg.writeString("AP1", "Name", sjisName);
        reg.writeString("AP1", "Path", "/home/u/ダウンロード\\x");
        reg.writeString("AP1", "Lines", "a\nb=c[d]");
        ASSERT_TRUE(reg.sync()) << reg.error();
    }
    Registry reg(file);
    EXPECT_EQ(reg.readInt("AP1", "Port", 0), 2323);
    EXPECT_EQ(reg.readInt("AP1", "Color", 0), 0xFFFFFF);
    EXPECT_EQ(reg.readString("AP1", "Name"), sjisName);
    EXPECT_EQ(reg.readString("AP1", "Path"), "/home/u/ダウンロード\\x");
    EXPECT_EQ(reg.readString("AP1", "Lines"), "a\nb=c[d]");
    EXPECT_EQ(reg.readInt("AP1", "Missing", -7), -7);
    EXPECT_EQ(reg.readInt("AP1", "Name", 5), 5);  // not a number: the default
}

TEST(Registry, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
    test::TempDir dir;
    Registry reg(dir / "r.conf");
    reg.writeInt("Settings", "NumberOfAP", 2);
    reg.writeInt("settings", "numberofap", 3);
    EXPECT_EQ(reg.readInt("SETTINGS", "NUMBEROFAP", 0), 3);
    EXPECT_EQ(reg.keys("Settings"), std::vector<std::string>{"NumberOfAP"});
    reg.removeKey("SETTINGS", "numberOfAp");
    EXPECT_FALSE(reg.contains("Settings", "NumberOfAP"));
}

TEST(Registry, SyncKeepsWhatAnotherWriterChangedMeanwhile) {
    test::TempDir dir;
    const auto file = dir / "r.conf";
    Registry gui(file);
    Registry cli(file);
    gui.writeInt("USER1", "CloseSuccess", 0);
    ASSERT_TRUE(gui.sync());
    cli.writeString("Settings", "RecentUserID", "USER2");
    cli.removeSection("Old");
    ASSERT_TRUE(cli.sync());
    EXPECT_EQ(cli.readInt("USER1", "CloseSuccess", 1), 0);
    Registry reader(file);
    EXPECT_EQ(reader.readInt("USER1", "CloseSuccess", 1), 0);
    EXPECT_EQ(reader.readString("Settings", "RecentUserID"), "USER2");
}

}  // namespace
}  // namespace morvaline
