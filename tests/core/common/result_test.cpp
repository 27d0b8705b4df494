#include "core/common/result.h"

#include <gtest/gtest.h>

#include <memory>
#include <variant>

namespace kalvory {
namespace {

Result<int> half(int number) {
  if (number % 2 != 0) return Failure{"odd"};
  return number / 2;
}

TEST(Result, HoldsTheValueOrTheFailureText) {
  const Result<int> good = half(8);
  ASSERT_TRUE(good.ok());
  EXPECT_EQ(good.value(), 4);
  EXPECT_EQ(good.error(), "");
  EXPECT_EQ(good.valueOr(-1), 4);

  const Result<int> bad = half(7);
  EXPECT_FALSE(bad.ok());
  EXPECT_EQ(bad.error(), "odd");
  EXPECT_EQ(bad.valueOr(-1), -1);
  EXPECT_THROW((void)bad.value(), std::bad_variant_access);

  // A text value and a failure text are told apart by how they were made, not by their type.
  const Result<std::string> text = std::string("odd");
  EXPECT_TRUE(text.ok());
  const Result<std::string> failed = Failure{"odd"};
  EXPECT_FALSE(failed.ok());
  const Result<std::string> emptyFailure = Failure{};
  EXPECT_FALSE(emptyFailure.ok());

  // Values that can only move come out by moving the result.
  Result<std::unique_ptr<int>> owned = std::make_unique<int>(5);
  const std::unique_ptr<int> taken = std::move(owned).value();
  EXPECT_EQ(*taken, 5);
}

TEST(Result, VoidResultsSayOnlyWhetherAndWhy) {
  const Result<void> done;
  EXPECT_TRUE(done.ok());
  EXPECT_EQ(done.error(), "");
  const Result<void> refused = Failure{"The picture file does not exist"};
  EXPECT_FALSE(refused.ok());
  EXPECT_EQ(refused.error(), "The picture file does not exist");
}

}  // namespace
}  // namespace kalvory
