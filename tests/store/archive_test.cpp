#include "store/archive.h"

#include <gtest/gtest.h>

#include "support/byte_builder.h"

namespace morvaline {
namespace {

TEST(Archive, StringLengthsSwitchFormAtTheirLimits) {
    struct Case {
        std::size_t length;
        std::size_t prefix;
    } cases[] = {{0, 1}, {254, 1}, {255, 3}, {65533, 3}, {65534, 7}, {70000, 7}};
    for (const Case& c : cases) {
        ArchiveWriter w;
        w.writeString(std::string(c.length, 'x'));
        ASSERT_EQ(w.bytes().size(), c.prefix + c.length) << c.length;
        ArchiveReader r(w.bytes());
        EXPECT_EQ(r.readString().size(), c.length);
        EXPECT_EQ(r.remaining(), 0u);
    }
}

TEST(Archive, ObjectTagsNameTheClassOnceThenReferToIt) {
    ArchiveWriter w;
    w.writeObjectTag("CItem", 1);
    w.writeObjectTag("CItem", 1);
    w.writeObjectTag("CReserve", 1);
    w.writeObjectTag("CItem", 1);
    // CItem is map entry 1 (its object 2); CReserve is entry 4 (after the second object 3).
    const std::string expected = test::ByteBuilder()
                                     .newClass("CItem")
                                     .classRef(1)
                                     .newClass("CReserve")
                                     .classRef(1)
                                     .bytes();
    EXPECT_EQ(w.bytes(), expected);
    ArchiveReader r(expected);
    r.readObjectTag("CItem");
    r.readObjectTag("CItem");
    r.readObjectTag("CReserve");
    r.readObjectTag("CItem");
}

TEST(Archive, DamageIsAnErrorNeverAnOverrun) {
    // A string longer than what is left.
    EXPECT_THROW(ArchiveReader(test::ByteBuilder().u8(10).raw("abc").bytes()).readString(), ArchiveError);
    // A count that the bytes left cannot hold.
    EXPECT_THROW(ArchiveReader(test::ByteBuilder().u16(0xFFFF).u32(0x7FFFFFFF).bytes()).readBoundedCount(8),
                 ArchiveError);
    // A reference to a class that was never named, a null object, a class of another name.
    EXPECT_THROW(ArchiveReader(test::ByteBuilder().classRef(1).bytes()).readObjectTag("CItem"), ArchiveError);
    EXPECT_THROW(ArchiveReader(test::ByteBuilder().u16(0).bytes()).readObjectTag("CItem"), ArchiveError);
    EXPECT_THROW(ArchiveReader(test::ByteBuilder().newClass("CEvil").bytes()).readObjectTag("CItem"),
                 ArchiveError);
    EXPECT_THROW(ArchiveReader("\x01").readInt32(), ArchiveError);
}

}  // namespace
}  // namespace morvaline
