// Event sounds: the player is started on the wave file and never waited for; without a
// player, or without the file, nothing is started.

#include "platform/sound_player.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>

#include "support/temp_dir.h"

namespace morvaline {
namespace {

TEST(SoundPlayer, PlaysTheFileWithThePlayerAndIsSilentOtherwise) {
    test::TempDir dir;
    const std::string wave = (dir / "new mail.wav").string();
    std::ofstream(wave) << "RIFF";
    // The stand-in player tells the test what it was asked to play through a FIFO, which
    // the test opens read-write so that waiting on it cannot end early for want of a writer.
    const std::string fifo = (dir / "played").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int fd = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    const std::string player = (dir / "player").string();
    std::ofstream(player) << "#!/bin/sh\nprintf '%s\\n' \"$1\" > '" << fifo << "'\n";
    ASSERT_EQ(::chmod(player.c_str(), 0700), 0);

    EXPECT_TRUE(SoundPlayer(QString::fromStdString(player)).play(QString::fromStdString(wave)));
    pollfd p{fd, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 30'000), 1);
    char buffer[512] = {};
    ASSERT_GT(::read(fd, buffer, sizeof buffer - 1), 0);
    EXPECT_EQ(std::string(buffer), wave + "\n");
    ::close(fd);

    EXPECT_FALSE(SoundPlayer(QString()).play(QString::fromStdString(wave)));
    EXPECT_FALSE(SoundPlayer(QString::fromStdString(player)).play(QString::fromStdString((dir / "gone.wav").string())));
    EXPECT_FALSE(SoundPlayer(QString()).available());
}

}  // namespace
}  // namespace morvaline
