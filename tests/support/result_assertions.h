#pragma once
// A Result as a test condition: ASSERT_TRUE(Succeeded(image.Load(...))) fails with the result's
// own reason, so a test never has to ask the object afterwards why it refused.
#include <gtest/gtest.h>

#include "core/common/result.h"

namespace kalvory::test {

template <class T>
::testing::AssertionResult Succeeded(const Result<T>& result) {
  if (result.ok()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << result.error();
}

}  // namespace kalvory::test
