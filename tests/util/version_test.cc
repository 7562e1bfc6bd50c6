// The library's version, in its header and as linked, is the program's, which the
// project's version sets.

#include "torvane/version.h"

#include <gtest/gtest.h>

#include <string>

#include "driver/version.h"

namespace torvane {

namespace {

TEST(VersionTest, HeaderLibraryAndProgramAgree) {
  std::string numbers = std::to_string(TORVANE_VERSION_MAJOR) + "." +
                        std::to_string(TORVANE_VERSION_MINOR);
  if (TORVANE_VERSION_PATCH != 0) numbers += "." + std::to_string(TORVANE_VERSION_PATCH);
  EXPECT_EQ(TORVANE_VERSION, numbers);
  EXPECT_EQ(std::string(TORVANE_VERSION), version());
}

}  // namespace

}  // namespace torvane
