#pragma once
// Tests that need an outside program (Xvfb, dbus-daemon, a media player) skip on a developer's
// machine that lacks it, but fail under CI (CI=true): the CI script installs every tool the suite
// needs, so a skip there would only hide a broken install step.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace kalvory::test {

inline bool missingToolIsFailure() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && std::strcmp(ci, "true") == 0;
}

}  // namespace kalvory::test

// Returns from the test: a failure under CI, a skip elsewhere.
#define KALVORY_SKIP_WITHOUT_TOOL(reason)                 \
  do {                                                    \
    if (::kalvory::test::missingToolIsFailure())          \
      GTEST_FAIL() << (reason) << " (required under CI)"; \
    else                                                  \
      GTEST_SKIP() << (reason);                           \
  } while (0)
