// Program images in Intel HEX, as SDCC's linker writes them, and the real ones of the
// examples read against the code bytes of their relocated listings.

#include "image/program_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "listing/relocated_listing.h"
#include "tool_run.h"

namespace torvane {

namespace {

namespace fs = std::filesystem;

struct ImageRow {
  const char* what;
  std::string text;
  bool read;
  // Addresses and the byte the image holds there, or none.
  std::vector<std::pair<uint32_t, std::optional<uint8_t>>> bytes;
};

const ImageRow kImageRows[] = {
    {"data records and the end", ":0400000002001132B7\n:03000B0002006D83\n:00000001FF\n", true,
     {{0x0, 0x02}, {0x3, 0x32}, {0x4, std::nullopt}, {0xB, 0x02}, {0xD, 0x6D}, {0xE, std::nullopt}}},
    {"an extended linear address above 64 KB",
     ":020000040001F9\n:02100000ABCD76\n:00000001FF\n", true,
     {{0x11000, 0xAB}, {0x11001, 0xCD}, {0x1000, std::nullopt}}},
    {"a start address places nothing, and lower-case digits read alike",
     ":0400000500000000f7\n:01000000aa55\n:00000001ff\n", true, {{0x0, 0xAA}, {0x1, std::nullopt}}},
    {"nothing after the end record", ":01000000AA55\n:00000001FF\n:01000100BB43\n", true,
     {{0x0, 0xAA}, {0x1, std::nullopt}}},
    {"Windows line ends and blank lines", ":01000000AA55\r\n\r\n:00000001FF\r\n", true,
     {{0x0, 0xAA}}},
    {"a wrong checksum", ":01000000AA54\n:00000001FF\n", false, {{0x0, std::nullopt}}},
    {"a length that the record does not have", ":02000000AA54\n", false, {{0x0, std::nullopt}}},
    {"a record type the linker never writes", ":01000006AA4F\n", false, {{0x0, std::nullopt}}},
    {"a line that is no record", ":01000000AA55\nLOAD prog.ihx\n", false, {{0x0, std::nullopt}}},
    {"digits that are not hexadecimal", ":0100000GAA55\n", false, {{0x0, std::nullopt}}},
};

TEST(ProgramImageTest, ReadsWhatTheLinkerWrites) {
  for (const ImageRow& r : kImageRows) {
    SCOPED_TRACE(r.what);
    ProgramImage image;
    EXPECT_EQ(r.read, image.read(r.text));
    for (const auto& [address, byte] : r.bytes) EXPECT_EQ(byte, image.byteAt(address)) << address;
  }
}

// Every code byte of the examples' relocated listings is the byte of their image there.
TEST(ProgramImageTest, AgreesWithTheRelocatedListingsOfTheSameLink) {
  const fs::path bits = fs::path(TORVANE_EXAMPLES) / "bits";
  ProgramImage image;
  ASSERT_TRUE(image.read(readFile(bits / "bits.ihx")));
  std::size_t compared = 0;
  for (const char* name : {"main.rst", "flags.rst"}) {
    RelocatedListing listing;
    listing.read(readFile(bits / name));
    for (const RelocatedListing::Code& code : listing.code()) {
      for (std::size_t i = 0; i < code.count; ++i) {
        EXPECT_EQ(code.bytes[i], image.byteAt(code.address + static_cast<uint32_t>(i)))
            << name << " at " << code.address + i;
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 150u);
}

}  // namespace

}  // namespace torvane
