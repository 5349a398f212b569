// SPDX-License-Identifier: GPL-2.0-or-later
// The bounded reader of binary records: reads past the end fail and name the field.

#include "platform/sys/byte_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace quillon {
namespace {

TEST(ByteReader, ReadsLittleEndianFieldsInsideTheRecord) {
    const std::vector<std::uint8_t> bytes = {0x01, 0x02, 0x03, 0x04, 0xFE, 0xFF, 0x00, 0x00};
    const ByteReader r(bytes);
    EXPECT_EQ(r.U32(0, "a"), 0x04030201u);
    EXPECT_EQ(r.U16(4, "b"), 0xFFFEu);
    EXPECT_EQ(r.I16(4, "b"), -2);
    EXPECT_EQ(r.I32(4, "c"), 0xFFFE);
    EXPECT_EQ(r.U8(7, "d"), 0);
    EXPECT_FALSE(r.Failed());
    EXPECT_STREQ(r.FailedField(), "");
}

TEST(ByteReader, AReadPastTheEndFailsAndNamesTheFirstMissingField) {
    const std::vector<std::uint8_t> bytes = {1, 0, 0, 0, 2, 0};
    const ByteReader r(bytes);
    EXPECT_EQ(r.U32(0, "count"), 1u);
    EXPECT_EQ(r.U32(4, "offDx"), 0u);  // two of its four bytes are there: not read at all
    EXPECT_EQ(r.U16(4, "half"), 2u);   // what is there can still be read
    EXPECT_EQ(r.U32(0xFFFFFFFFFFFFFFFCull, "far"), 0u);  // offset + size would wrap
    EXPECT_TRUE(r.Failed());
    EXPECT_STREQ(r.FailedField(), "offDx");
    EXPECT_TRUE(r.Bytes(2, 5, "data").empty());
    EXPECT_EQ(r.Bytes(2, 4, "data").size(), 4u);
}

TEST(ByteReader, ArrayChecksDoNotOverflow) {
    const std::vector<std::uint8_t> bytes(64);
    const ByteReader r(bytes);
    EXPECT_TRUE(r.HasArray(32, 4, 8));
    EXPECT_FALSE(r.HasArray(32, 5, 8));
    EXPECT_FALSE(r.HasArray(0, 0x2000000000000001ull, 8));  // count * 8 wraps to 8
    EXPECT_FALSE(r.HasArray(65, 0, 4));
    EXPECT_TRUE(r.HasArray(64, 0, 4));
    EXPECT_FALSE(r.Failed());  // checks are not reads
}

}  // namespace
}  // namespace quillon
