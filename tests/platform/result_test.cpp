// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/sys/result.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace quillon {
namespace {

Result<int> Half(int n) {
    if (n % 2 != 0) return Error{"'" + std::to_string(n) + "' is odd"};
    return n / 2;
}

TEST(Result, CarriesAValueOrAReason) {
    Result<int> even = Half(8);
    ASSERT_TRUE(even);
    EXPECT_EQ(*even, 4);
    EXPECT_EQ(even.reason(), "");
    Result<int> odd = Half(7);
    ASSERT_FALSE(odd);
    EXPECT_EQ(odd.reason(), "'7' is odd");
    EXPECT_EQ(odd.value_or(-1), -1);
    EXPECT_THROW((void)odd.value(), std::bad_variant_access);
}

TEST(Result, MovesOnlyValuesAndVoid) {
    Result<std::unique_ptr<int>> p = std::make_unique<int>(3);
    ASSERT_TRUE(p);
    std::unique_ptr<int> taken = std::move(p).value();
    EXPECT_EQ(*taken, 3);
    Result<void> done = Ok();
    EXPECT_TRUE(done);
    Result<void> failed = Error{"disk full"};
    EXPECT_FALSE(failed);
    EXPECT_EQ(failed.reason(), "disk full");
}

}  // namespace
}  // namespace quillon
