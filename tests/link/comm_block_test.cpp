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

    {
        auto buffer = block.lock();
        buffer.consume(5);
        EXPECT_EQ(buffer.unconsumed().substr(big.size() - 5), "0123456789");
        EXPECT_EQ(notices, 0);  // told only when the lock is released
    }
    EXPECT_EQ(notices, 1);
    block.lock().consume(5);
    EXPECT_EQ(notices, 1);  // once per shortage
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
