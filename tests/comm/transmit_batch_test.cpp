#include "comm/transmit_batch.h"

#include <gtest/gtest.h>

#include <vector>

namespace morvaline {
namespace {

TEST(TransmitBatch, WritesAtMost2000BytesAtATime) {
    std::vector<std::size_t> writes;
    const TransmitBatch::Writer writer = [&](std::string_view bytes) {
        writes.push_back(bytes.size());
        return true;
    };
    TransmitBatch batch;
    EXPECT_TRUE(batch.append(std::string(2001, 'a'), writer));
    EXPECT_TRUE(batch.flush(writer));
    EXPECT_EQ(writes, (std::vector<std::size_t>{2000, 1}));
    EXPECT_TRUE(batch.flush(writer));  // nothing left: no write
    EXPECT_EQ(writes.size(), 2u);
}

TEST(TransmitBatch, AFailedWriteEmptiesTheBatch) {
    int calls = 0;
    const TransmitBatch::Writer failing = [&](std::string_view) {
        ++calls;
        return false;
    };
    TransmitBatch batch;
    EXPECT_FALSE(batch.append(std::string(4500, 'a'), failing));
    EXPECT_EQ(calls, 1);  // stopped at the first failure
    EXPECT_EQ(batch.size(), 0u);
}

}  // namespace
}  // namespace morvaline
