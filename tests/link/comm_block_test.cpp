#include "link/comm_block.h"

#include <gtest/gtest.h>

#include <string>

namespace morvaline {
namespace {

TEST(CommBlock, AppendTakesWhatFitsAndAsksToBeToldOfRoom) {
    CommBlock block;
    int notices = 0;
    block.setSpaceFreedListener([&] { ++notices; });

    const std::string big(CommBlock::kCapacity - 10, 'a');
    EXPECT_EQ(block.append(big), big.size());
    EXPECT_TRUE(block.dataArrived.isSet());
    EXPECT_EQ(block.append("0123456789ABCDEF"), 10u);  // only 10 bytes of room were left

    // Told once a quarter of the buffer is free, not for every line read, and only when
    // the lock is released.
    block.lock().consume(5);
    EXPECT_EQ(notices, 0);
    {
        auto buffer = block.lock();
        buffer.consume(CommBlock::kCapacity / 4);
        EXPECT_EQ(buffer.unconsumed().substr(buffer.unconsumed().size() - 10), "0123456789");
        EXPECT_EQ(notices, 0);
    }
    EXPECT_EQ(notices, 1);
    block.lock().consume(5);
    EXPECT_EQ(notices, 1);  // once per shortage

    // What was left moves to the front when new text needs the room.
    EXPECT_EQ(block.append(std::string(CommBlock::kCapacity / 4 + 10, 'b')), CommBlock::kCapacity / 4 + 10);
    const std::string_view all = block.lock().unconsumed();
    EXPECT_EQ(all.size(), CommBlock::kCapacity);
    EXPECT_EQ(all.substr(all.size() - CommBlock::kCapacity / 4 - 20, 11), "0123456789b");
}

TEST(CommBlock, ConsumingEverythingResetsDataArrived) {
    CommBlock block;
    block.append("abc");
    block.lock().consumeAll();
    EXPECT_FALSE(block.dataArrived.isSet());
    EXPECT_TRUE(block.lock().empty());
}

TEST(CommBlock, AGoneEngineReleasesAWaitingReceiveSide) {
    CommBlock block;
    int notices = 0;
    block.setSpaceFreedListener([&] { ++notices; });
    block.engineGone();
    EXPECT_EQ(notices, 0);  // nobody was waiting
    block.append(std::string(CommBlock::kCapacity + 1, 'x'));
    block.engineGone();
    EXPECT_EQ(notices, 1);
}

TEST(CommBlock, TheFirstCauseOfAnEndIsKept) {
    CommBlock block;
    block.setResultIfOk(-1);
    block.setResultIfOk(-4);
    EXPECT_EQ(block.result(), -1);
    block.reset();
    EXPECT_EQ(block.result(), 0);
}

}  // namespace
}  // namespace morvaline
