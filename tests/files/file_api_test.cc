// The file rules of the library, which the command line runs through: the names beside
// an input, and convertFile's checks in their order, each with its outcome, its code and
// the file it names, leaving every file as it was.

#include "torvane/files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "tool_run.h"
#include "torvane/linker_map.h"

namespace torvane {

namespace {

namespace fs = std::filesystem;

struct NameRow {
  const char* input;
  const char* commandFile;
  const char* image;
  const char* map;
};

// Names are cut at the last dot of the file name, as SDCC cuts them.
const NameRow kNameRows[] = {
    {"prog.cdb", "prog.dvk", "prog.ihx", "prog.map"},
    {"fw-1.2.cdb", "fw-1.2.dvk", "fw-1.2.ihx", "fw-1.2.map"},
    {"out/prog.rel2.cdb", "out/prog.rel2.dvk", "out/prog.rel2.ihx", "out/prog.rel2.map"},
    {"../prog.cdb", "../prog.dvk", "../prog.ihx", "../prog.map"},
    {"prog", "prog.dvk", "prog.ihx", "prog.map"},
    {".hidden.cdb", ".hidden.dvk", ".hidden.ihx", ".hidden.map"},
    {"./a.b/prog.cdb", "./a.b/prog.dvk", "./a.b/prog.ihx", "./a.b/prog.map"},
    {"./a.b/prog", "./a.b/prog.dvk", "./a.b/prog.ihx", "./a.b/prog.map"},
    {"a/.b", "a/.b.dvk", "a/.b.ihx", "a/.b.map"},
    {"prog.", "prog.dvk", "prog.ihx", "prog.map"},
#ifdef _WIN32
    // Both slashes separate folders on Windows, and a drive belongs to the folder part.
    {"out\\prog.cdb", "out\\prog.dvk", "out\\prog.ihx", "out\\prog.map"},
    {"a.b\\prog", "a.b\\prog.dvk", "a.b\\prog.ihx", "a.b\\prog.map"},
    {"C:prog.cdb", "C:prog.dvk", "C:prog.ihx", "C:prog.map"},
    {"C:\\x.y/prog.cdb", "C:\\x.y/prog.dvk", "C:\\x.y/prog.ihx", "C:\\x.y/prog.map"},
#else
    // Elsewhere a backslash is an ordinary character of a file name.
    {"a.b\\prog", "a.dvk", "a.ihx", "a.map"},
#endif
};

TEST(FileNamesTest, BesideTheInput) {
  for (const NameRow& r : kNameRows) {
    SCOPED_TRACE(r.input);
    FileNames names = namesBeside(r.input);
    EXPECT_EQ(r.commandFile, names.commandFile);
    EXPECT_EQ(r.image, names.image);
    EXPECT_EQ(r.map, names.map);
  }
}

struct FileRow {
  const char* what;
  FileOptions options;
  Outcome outcome;
  const char* code;  // of the first message
  const char* file;  // that the first message names
  const char* text;  // of the first message
};

// Beside blink.cdb, its map and its image, and a C file.
const FileRow kFileRows[] = {
    {"a missing input", {"absent.cdb"}, Outcome::inputUnusable, "input-unopenable", "absent.cdb",
     "Cannot open .cdb input file: absent.cdb: No such file or directory"},
    {"a folder as the input", {"sub"}, Outcome::inputUnusable, "input-unopenable", "sub",
     "Cannot open .cdb input file: sub: Is a directory"},
    {"a map as the input", {"blink.map"}, Outcome::notCdb, "not-cdb", "blink.map",
     "blink.map is not a CDB file"},
    {"a missing map", {"blink.cdb", "", "", "absent.map"}, Outcome::witnessUnusable,
     "map-unopenable", "absent.map", "Cannot open .map input file: absent.map: No such file or directory"},
    {"no map at all", {"blink.cdb", "", "", "blink.c"}, Outcome::witnessUnusable, "not-a-map",
     "blink.c", "blink.c is not a linker map"},
    {"the second listings folder is none", {"blink.cdb", "", "", "", {"sub", "absent"}},
     Outcome::witnessUnusable, "listings-folder-unopenable", "absent",
     "Cannot open listings folder absent: No such file or directory"},
    {"the input as the output", {"blink.cdb", "blink.cdb"}, Outcome::outputUnusable,
     "output-is-input", "blink.cdb", "Cannot open .dvk output file: input and output are the same file"},
    {"the map as the output", {"blink.cdb", "blink.map", "", "blink.map"}, Outcome::outputUnusable,
     "output-is-map", "blink.map", "Cannot open .dvk output file: it would replace the linker map"},
    {"the image as the output", {"blink.cdb", "blink.ihx"}, Outcome::outputUnusable,
     "output-is-image", "blink.ihx", "Cannot open .dvk output file: it would replace the image"},
    {"a source as the output", {"blink.cdb", "blink.c"}, Outcome::outputUnusable,
     "output-not-command-file", "blink.c",
     "Cannot open .dvk output file: blink.c exists and is not a command file"},
    {"a folder that cannot be written to", {"blink.cdb", "absent/blink.dvk"},
     Outcome::outputUnusable, "output-unopenable", "absent/blink.dvk",
     "Cannot open .dvk output file: cannot make a file in absent/: No such file or directory"},
    {"bits without listings", {"blink.cdb", "out.dvk"}, Outcome::complete, "bit-without-address",
     "blink.cdb",
     "3 bit variables of blink.cdb have no address (SDCC writes none); name the folder of the "
     "listings"},
    {"bits without their listings in two folders", {"blink.cdb", "out.dvk", "", "", {"sub", "."}},
     Outcome::complete, "bit-without-address", "blink.cdb",
     "3 bit variables of blink.cdb have no address (SDCC writes none); no listing in sub or . "
     "gives them (1 of 1 listings missing: sub/blink.rst)"},
};

TEST(FileApiTest, ChecksTheFilesInOrderAndTouchesNothingElse) {
  const fs::path example = fs::path(TORVANE_EXAMPLES) / "blink";
  fs::path dir = scratchDirectory();
  for (const char* name : {"blink.c", "blink.cdb", "blink.map", "blink.ihx"}) {
    fs::copy_file(example / name, dir / name);
  }
  fs::create_directories(dir / "sub");
  fs::path was = fs::current_path();
  fs::current_path(dir);
  for (const FileRow& r : kFileRows) {
    SCOPED_TRACE(r.what);
    ConvertResult result = convertFile(r.options);
    EXPECT_EQ(r.outcome, result.outcome);
    ASSERT_GE(result.diagnostics.size(), 1u);
    const Diagnostic& first = *result.diagnostics.begin();
    EXPECT_EQ(r.code, first.code);
    EXPECT_EQ(r.file, first.file);
    EXPECT_EQ(r.text, first.text);
    EXPECT_EQ(r.outcome == Outcome::complete, fs::exists("out.dvk"));
    fs::remove("out.dvk");
    for (const char* name : {"blink.c", "blink.cdb", "blink.map", "blink.ihx"}) {
      EXPECT_TRUE(readFile(name) == readFile(example / name)) << name << " changed";
    }
  }
  fs::current_path(was);
}

// A sink that refuses a line ends the conversion as a failure to write, with a message
// that gives the sink's reason where it has one.
class RefusingSink : public LineSink {
 public:
  RefusingSink(int lines, std::string why) : left_(lines), why_(std::move(why)) {}
  bool take(std::string_view) override { return left_-- > 0; }
  std::string failure() const override { return why_; }

 private:
  int left_;
  std::string why_;
};

TEST(FileApiTest, RefusedLineFailsTheConversion) {
  ConvertOptions options;
  options.inputName = "p.cdb";
  options.image = "p.ihx";
  for (const char* why : {"No space left on device", ""}) {
    SCOPED_TRACE(why);
    RefusingSink sink(3, why);
    ConvertResult result = convert("M:m\nS:G$x$0$0({1}SC:U),E,0,0\n", options, sink);
    EXPECT_EQ(Outcome::writeFailed, result.outcome);
    EXPECT_FALSE(succeeded(result));
    EXPECT_EQ(ExitCode::noOutput, exitCodeOf(result, false));
    ASSERT_EQ(1u, result.diagnostics.size());
    const Diagnostic& d = *result.diagnostics.begin();
    EXPECT_EQ("output-unwritable", d.code);
    EXPECT_EQ(std::string("Cannot write .dvk output file") + (*why ? ": " : "") + why, d.text);
  }
  // An image that is not named gives no command file.
  options.image.clear();
  std::string out;
  ConvertResult unnamed = convert("M:m\n", options, out);
  EXPECT_EQ(Outcome::outputUnusable, unnamed.outcome);
  EXPECT_EQ("", out);
  EXPECT_EQ("image-unnamed", unnamed.diagnostics.begin()->code);
}

}  // namespace

}  // namespace torvane
