#include "store/user_settings.h"

#include <gtest/gtest.h>

#include "platform/registry.h"
#include "support/temp_dir.h"

namespace morvaline {
namespace {

TEST(UserSettings, MissingValuesTakeDefaultsAndBadOnesAreClamped) {
    test::TempDir dir;
    Registry reg(dir / "r.conf");
    reg.writeInt("U1", "RapidoxSendSize", 0);
    reg.writeInt("U1", "RapidoxReceiveSize", 26);
    reg.writeInt("U1", "Timeout", -5);
    reg.writeInt("U1", "RapidoxQuietTime", 50);
    reg.writeString("U1", "UpPath", std::string(300, 'u'));
    UserSettings s;
    loadUserSettings(reg, "U1", "/data/U1/", s);
    EXPECT_EQ(s.rapidoxSendSize, 20);
    EXPECT_EQ(s.rapidoxReceiveSize, 20);
    EXPECT_EQ(s.timeout, 120000);
    EXPECT_EQ(s.rapidoxQuietTime, 10000);
    EXPECT_EQ(s.downPath, "/data/U1/");  // no "DownPath": the data folder
    EXPECT_EQ(s.upPath.size(), 259u);
    EXPECT_EQ(s.foreground[14], 0xFFFFFF);
    EXPECT_EQ(s.background[14], 0x0000FF);
    EXPECT_EQ(s.underline[5], 1);
    EXPECT_EQ(s.closeSuccess, 1);

    reg.writeInt("U1", "RapidoxSendSize", 25);
    reg.writeInt("U1", "RapidoxQuietTime", 1000);
    loadUserSettings(reg, "U1", "/data/U1/", s);
    EXPECT_EQ(s.rapidoxSendSize, 25);
    EXPECT_EQ(s.rapidoxQuietTime, 1000);
}

TEST(UserSettings, SaveWritesEverythingButTheCloseFlag) {
    test::TempDir dir;
    Registry reg(dir / "r.conf");
    UserSettings s;
    s.setDefaults("/d/");
    s.idleTime = 1500;
    s.sounds.enabled = true;
    s.sounds.files[3] = "/sounds/mail.wav";
    s.closeSuccess = 0;
    saveUserSettings(reg, "U1", s);
    EXPECT_FALSE(reg.contains("U1", "CloseSuccess"));
    EXPECT_EQ(reg.readString("U1", "sndNewMail"), "/sounds/mail.wav");
    Registry reread(dir / "r.conf");
    UserSettings back;
    loadUserSettings(reread, "U1", "/other/", back);
    EXPECT_EQ(back.idleTime, 1500);
    EXPECT_TRUE(back.sounds.enabled);
    EXPECT_EQ(back.downPath, "/d/");
    writeCloseFlag(reg, "U1", 0);
    EXPECT_EQ(Registry(dir / "r.conf").readInt("U1", "CloseSuccess", 1), 0);
}

}  // namespace
}  // namespace morvaline
