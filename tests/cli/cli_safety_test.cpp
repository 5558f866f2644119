// kestrel-cli as a user meets it: help, version and usage errors with their exit statuses; an
// output that is an input refused before anything is written; a failed save says why.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <regex>

#include "dib_builders.h"
#include "test_support.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using testing::MakeDib;
using testing::ReadBytes;
using testing::RunProgram;
using testing::ScratchDir;
using testing::WithFileHeader;
using testing::WriteBytes;

const std::vector<std::string> kSubcommands = {"act",      "clean", "compress", "convert", "decompress",
                                               "identify", "video", "where"};

TEST(CliUsage, HelpVersionAndUsageErrors) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string out;  // a pattern the whole of stdout matches
  };
  std::vector<Case> cases = {
      {{"--version"}, 0, R"(\d+\.\d+\.\d+\n)"},
      {{}, 2, ""},
      {{"frobnicate"}, 2, ""},
      {{"convert", "a.bmp"}, 2, ""},                                       // no -o
      {{"convert", "a.bmp", "-o", "b.bmp", "--bits", "16"}, 2, ""},
      {{"convert", "a.bmp", "-o", "b.bmp", "--exposure", "300"}, 2, ""},
      {{"convert", "a.bmp", "-o", "b.bmp", "--sharpen", "blur"}, 2, ""},
      {{"act", "a", "--preset", "hubble", "-o", "b.bmp"}, 2, ""},
      {{"identify"}, 2, ""},
      {{"--cancel", "identify", "a", "--cancel"}, 1, ""},  // accepted before and after
  };
  std::string listing = "(.|\\n)*";
  for (const std::string& sub : kSubcommands) {
    listing += "\\n  " + sub + " +[a-z].*";  // each with its one-line description
    cases.push_back({{sub, "--help"}, 0, "(.|\\n)*Usage: kestrel-cli " + sub + " (.|\\n)*"});
  }
  cases.push_back({{"--help"}, 0, listing + "\\n(.|\\n)*"});

  for (const Case& c : cases) {
    const auto run = RunProgram(KESTREL_CLI_PATH, c.args);
    std::string words;
    for (const auto& arg : c.args) words += arg + " ";
    EXPECT_EQ(run.exitCode, c.exitCode) << words << run.err;
    EXPECT_TRUE(std::regex_match(run.out, std::regex(c.out))) << words << run.out;
    EXPECT_EQ(run.err.empty(), c.exitCode == 0) << words << run.err;
  }
}

TEST(CliOutputOntoInput, IsRefusedInEveryWritingSubcommand) {
  const Bytes bitmap = WithFileHeader(MakeDib(8, 4, 24, {}, [](int x, int) { return uint32_t(x) * 0x10101u; }), 54);
  struct Case {
    std::string input;
    std::vector<std::string> args;  // "OUT" stands for the output
  };
  const std::vector<Case> cases = {
      {"IN.BMP", {"convert", "in.bmp", "-o", "OUT"}},
      {"U5IW0021.ACT", {"act", "u5iw0021.act", "--preset", "uosat", "-o", "OUT"}},
      {"U5IW0001", {"clean", "u5iw0001", "-o", "OUT"}},
      {"U5TW0004", {"decompress", "u5tw0004", "-o", "OUT"}},
  };
  for (const Case& c : cases)
    for (const std::string& out : {"./" + c.input, std::string("LINK")}) {
      ScratchDir dir;
      WriteBytes(dir / c.input, bitmap);
      fs::create_hard_link(dir / c.input, dir / "LINK");
      std::vector<std::string> args = c.args;
      std::replace(args.begin(), args.end(), std::string("OUT"), out);
      const auto run = RunProgram(KESTREL_CLI_PATH, args, dir.path());
      EXPECT_EQ(run.exitCode, 1) << args[0] << " -o " << out;
      EXPECT_NE(run.err.find("is the input file"), std::string::npos) << run.err;
      EXPECT_EQ(ReadBytes(dir / c.input), bitmap) << args[0] << " -o " << out;
    }

  // compress names its outputs after its input: a thumbnail name that is the input is refused.
  ScratchDir dir;
  WriteBytes(dir / "U5DW0004", bitmap);
  fs::create_hard_link(dir / "U5DW0004", dir / "U5TW0004");
  const auto run = RunProgram(KESTREL_CLI_PATH, {"compress", (dir / "u5dw0004").string()});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "kestrel-cli: " + (dir / "U5TW0004").string() + ": is the input file " +
                         (dir / "U5DW0004").string() + "; nothing written\n");
  EXPECT_EQ(ReadBytes(dir / "U5DW0004"), bitmap);
}

TEST(CliFailedSave, NamesTheFileAndTheReasonAndLeavesNothingBehind) {
  struct Case {
    std::string output;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {"missing/OUT.BMP", "No such file or directory"},
      {"folder", "Is a directory"},
      {"readonly/OUT.PNG", "Permission denied"},
  };
  for (const Case& c : cases) {
    if (c.output.starts_with("readonly") && ::geteuid() == 0) continue;  // root writes anyway
    ScratchDir dir;
    WriteBytes(dir / "IN.BMP", WithFileHeader(MakeDib(5, 3, 24, {}, [](int, int) { return 7u; }), 54));
    fs::create_directory(dir / "folder");
    fs::create_directory(dir / "readonly");
    fs::permissions(dir / "readonly", fs::perms::owner_read | fs::perms::owner_exec);
    const auto run = RunProgram(KESTREL_CLI_PATH, {"convert", "IN.BMP", "-o", c.output}, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "[Error] Unable to save the specified file\nkestrel-cli: " +
                           (dir / c.output).string() + ": " + c.reason + "\n");
    size_t entries = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) entries += !entry.is_directory();
    EXPECT_EQ(entries, 1u) << "a temporary file was left behind saving to " << c.output;
  }
}

}  // namespace
}  // namespace kestrel
