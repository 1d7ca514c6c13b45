// Building and strict parsing of blocks, packets and header contents, and the two
// readers' handling of lone control bytes, silence and damaged frames.

#include <gtest/gtest.h>

#include "comm/rapidox/file_header.h"
#include "comm/rapidox/frame_builder.h"
#include "comm/rapidox/frame_reader.h"
#include "comm/rapidox/packet_fields.h"
#include "comm/rapidox/packet_reader.h"
#include "fixtures.h"

namespace morvaline::rapidox {
namespace {

using namespace std::chrono_literals;
using namespace test;
using namespace std::string_view_literals;

TEST(RapidoxFrames, BuildersMatchTheHandLaidBytes) {
    Parameters twenty{'1', 20, '1', '1'};
    EXPECT_EQ(controlPacket('R', replyFields(twenty)), kR20);
    EXPECT_EQ(controlPacket('P', numberFields(7)), kP7);
    EXPECT_EQ(controlPacket('T', doneFields(2)), kT2);
    EXPECT_EQ(controlPacket('A', blockFields(5)), blockPacket('A', 5));
    EXPECT_EQ(controlPacket('N', blockFields(200)), blockPacket('N', 200));
    EXPECT_EQ(headerBlock('0', parameterData(20)), parameters20());
    EXPECT_EQ(endOfFileBlock(2), header('2', endOfFile(2), 0x65));
    EXPECT_EQ(dataBlock(1, std::string(128, 'a')), block(1, 'a', 0x80));
    // A short last block is padded with SUB: "AB" + 126 x 0x1A sums to 0x4F.
    EXPECT_EQ(dataBlock(0, "AB").substr(3), "AB" + std::string(126, '\x1A') + "\x4F");
}

std::string headerData(std::string_view text) {
    std::string data(text);
    data.resize(128, '\0');
    return data;
}

TEST(RapidoxFrames, FileHeaderParsingIsStrict) {
    struct Row {
        const char* fault;
        std::string data;
        bool accepted;
    };
    const std::string fullName(126, 'n');  // name runs to the end: no NUL after it
    const std::string longName(110, 'n');
    const Row rows[] = {
        {"complete", headerData(nul("07a.b|12|20240102030405|")), true},
        {"no date or time", headerData(nul("07a.b|12|")), true},
        {"date without time", headerData(nul("07a.b|12|20240102|")), true},
        {"empty name", headerData(nul("07|12|")), true},
        {"no NUL after the name", "07" + fullName, false},
        {"no NUL after the size", "07" + longName + std::string(1, '\0') + std::string(15, '1'),
         false},
        {"sequence not digits", headerData(nul("7aa|12|")), false},
        {"negative size", headerData(nul("07a|-5|")), false},
        {"empty size", headerData(nul("07a||")), false},
        {"size with a letter", headerData(nul("07a|12a|")), false},
        {"absurd size", headerData(nul("07a|99999999999999|")), false},
        {"letters in the date", headerData(nul("07a|1|2024AB02030405|")), false},
        // The time would run past the end of the 128 bytes.
        {"time cut off by the block end", "07" + std::string(112, 'n') + nul("|1|20240102030"),
         false},
    };
    for (const Row& row : rows) {
        ASSERT_EQ(row.data.size(), 128u) << row.fault;
        EXPECT_EQ(parseFileHeaderData(row.data).has_value(), row.accepted) << row.fault;
    }
    const auto h = parseFileHeaderData(headerData(nul("07a.b|12|20240102|")));
    ASSERT_TRUE(h);
    EXPECT_EQ(h->sequence, 7);
    EXPECT_EQ(h->name, "a.b");
    EXPECT_EQ(h->size, 12);
    EXPECT_EQ(h->day, 2);
    EXPECT_EQ(h->hour, -1);  // absent: taken from the current time later
}

TEST(RapidoxFrames, ParameterChecksOnBothSides) {
    struct Row {
        const char* fault;
        std::string_view offer;  // parameter header data; the same digits as "R" fields
        bool accepted;
    };
    const Row rows[] = {
        {"usual offer", "102011", true},
        {"P1 zero, P3 zero: P4 not looked at", "00200x", true},
        {"P4 absent counts as 0", "10201\0"sv, true},
        {"window 00 would never send", "100011", false},
        {"P1 out of range", "202011", false},
        {"P2 not 0", "112011", false},
        {"window not digits", "10x011", false},
        {"P3 out of range", "102091", false},
        {"P4 out of range", "102012", false},
    };
    for (const Row& row : rows) {
        std::string data(row.offer);
        data.resize(128, '\0');
        EXPECT_EQ(parseParameterData(data).has_value(), row.accepted) << row.fault;
        std::string fields = "\x80" + std::string(row.offer);
        if (fields.back() == '\0') fields.pop_back();
        EXPECT_EQ(parseReplyFields(fields).has_value(), row.accepted) << row.fault;
    }
    EXPECT_FALSE(parseReplyFields("1020110"));  // no 0x80 marker
    const std::string marker = "\x80";
    EXPECT_EQ(parseNumberFields(marker + "42"), 42);
    for (const char* bad : {"", "-1", "4 2", "9999999999999999"})
        EXPECT_FALSE(parseNumberFields(marker + bad)) << bad;
}

// Feeds bytes at time t; the last frame they complete.
std::optional<Frame> feedFrames(FrameReader& reader, std::string_view bytes, TimePoint t) {
    std::optional<Frame> last;
    for (char c : bytes)
        if (auto f = reader.feed(static_cast<unsigned char>(c), t)) last = f;
    return last;
}

TEST(RapidoxFrames, FrameReaderSkipsUnwantedBlocksAndDropsBlocksCutBySilence) {
    FrameReader reader(10s);
    TimePoint t{};
    // Between files data blocks are noise: only the header behind it is read.
    reader.wait(20s, false, t);
    const auto frame = feedFrames(reader, block(1, 'a', 0x80) + parameters20(), t);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->kind, Frame::Kind::Header);
    // Half a block, then silence: a time-out, and the rest of the block is noise.
    reader.wait(40s, true, t);
    const std::string whole = block(2, 'a', 0x80);
    EXPECT_FALSE(feedFrames(reader, whole.substr(0, 60), t));
    EXPECT_FALSE(reader.expire(t + 39s));
    EXPECT_EQ(reader.expire(t + 40s)->kind, Frame::Kind::Timeout);
    EXPECT_FALSE(feedFrames(reader, whole.substr(60), t + 41s));
}

// The same bytes fed in pieces of any size give the same frames as fed one by one:
// blocks split anywhere, damaged blocks, headers, noise and control bytes between them.
TEST(RapidoxFrames, FrameReaderReadsPiecesAsItReadsBytes) {
    std::string stream = parameters20() + "noise" + block(1, 'a', 0x80) + "\x04" +
                         block(2, 'b', 0x00) + "\x06" + block(3, 'c', 0x80);
    std::string damaged = block(4, 'd', 0x00);
    damaged[50] = 'x';
    stream += damaged + block(5, 'e', 0x80) + header('2', endOfFile(5), 0x6B) + "\x18zz";
    const auto describe = [](const Frame& f) {
        return std::to_string(static_cast<int>(f.kind)) + ":" + std::to_string(f.number) + ":" +
               std::string(f.payload);
    };
    TimePoint t{};
    FrameReader single(10s);
    single.wait(40s, true, t);
    std::vector<std::string> expected;
    for (char c : stream)
        if (auto f = single.feed(static_cast<unsigned char>(c), t))
            expected.push_back(describe(*f));
    ASSERT_GE(expected.size(), 7u);
    for (std::size_t piece : {1u, 2u, 3u, 64u, 131u, 132u, 133u, 1000u}) {
        FrameReader pieces(10s);
        pieces.wait(40s, true, t);
        std::vector<std::string> got;
        for (std::size_t at = 0; at < stream.size(); at += piece) {
            std::string_view bytes = std::string_view(stream).substr(at, piece);
            while (!bytes.empty())
                if (auto f = pieces.feed(bytes, t)) got.push_back(describe(*f));
        }
        EXPECT_EQ(got, expected) << "pieces of " << piece;
    }
}

TEST(RapidoxFrames, PacketReaderChecksAndBoundsPackets) {
    PacketReader reader(1000ms);
    TimePoint t{};
    reader.wait(500s, t);
    auto feedAll = [&](std::string_view bytes) {
        std::optional<Packet> last;
        for (char c : bytes)
            if (auto p = reader.feed(static_cast<unsigned char>(c), t)) last = p;
        return last;
    };
    const auto p = feedAll(kP7);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->kind, Packet::Kind::Command);
    EXPECT_EQ(p->letter, 'P');
    EXPECT_EQ(p->fields, "\x80\x37");
    std::string wrongCheck = kP7;
    wrongCheck[4] = '\x88';
    EXPECT_EQ(feedAll(wrongCheck)->kind, Packet::Kind::Bad);
    // At most 127 bytes between STX and CR; one more and the packet is dropped, and
    // what follows is read afresh.
    EXPECT_EQ(feedAll("\x02" + std::string(127, 'A') + "\x0D")->kind, Packet::Kind::Bad);
    EXPECT_FALSE(feedAll("\x02" + std::string(128, 'A') + "\x0D"));
    EXPECT_EQ(feedAll(kT2)->letter, 'T');
    // NAK then STX: the NAK is dropped and the packet read.
    EXPECT_EQ(feedAll("\x15" + kP0)->letter, 'P');
    EXPECT_TRUE(reader.idle());
}

}  // namespace
}  // namespace morvaline::rapidox
