// kestrel-cli where, run as a user would run it.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "support/test_support.h"
#include "where_fixture.h"

namespace kestrel {
namespace {
using namespace location_testing;
using testing::ReadBytes;
using testing::RunProgram;
using testing::WriteBytes;

std::string AsBoxLine(const std::string& text) {
  std::string line;
  for (char c : text) line += c == '\n' ? std::string("\\n") : std::string(1, c);
  return "[CCD Image Information] " + line + "\n";
}

TEST(WhereCli, PrintsTheReportStampsOnlyWhenAskedAndFailsWithItsMessage) {
  testing::ScratchDir dir;
  std::string kep = (dir / "keps.bin").string();
  const std::string obs = (dir / "places.bin").string();
  WriteBytes(kep, ElementSetFile({{"UO-22", UoSat5Elements()}}));
  WriteBytes(obs, PlacesFile(kPlaces));
  struct Case {
    std::string picture;  // the path given, to a full-size UoSat-5 file
    uint32_t captureTime;
    bool stamp;
  };
  // Not stamped, or nothing to say (no capture time): the file stays as it was.
  const Case cases[] = {{"U5IW0002", kCaptureTime, false}, {"U5IW0002", 0, true},
                        {(dir / "u5iw0001").string(), kCaptureTime, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.picture);
    const Bytes picture = CameraFile(c.captureTime, 4, 256 + 611 * 576);
    WriteBytes(dir / c.picture, picture);
    std::vector<std::string> args{"where", c.picture, "--kep", kep, "--obs", obs};
    if (!c.stamp) args.push_back("--no-stamp");
    const auto run = RunProgram(KESTREL_CLI_PATH, args, dir.path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, c.captureTime ? kReportAtEpoch + "\n" : "");
    EXPECT_EQ(run.err, c.captureTime ? AsBoxLine(kReportAtEpoch) : "");
    const Bytes after = ReadBytes(dir / c.picture);
    EXPECT_EQ(after == picture, !c.stamp || !c.captureTime);
    EXPECT_EQ(std::string(after.begin() + 11, after.begin() + 13) == "Cj", c.stamp && c.captureTime);
  }

  kep = (dir / "nowhere.kep").string();
  const auto noSets = RunProgram(KESTREL_CLI_PATH, {"where", "u5iw0001", "--kep", kep, "--obs", obs},
                                 dir.path());
  EXPECT_EQ(noSets.exitCode, 1);
  EXPECT_EQ(noSets.out, "");
  EXPECT_EQ(noSets.err, "[Error] Cannot open file " + kep + "\n");
  const auto gone = RunProgram(KESTREL_CLI_PATH, {"where", (dir / "U5IW0009").string()});
  EXPECT_EQ(gone.exitCode, 1);
  EXPECT_EQ(gone.err, "[Error] Can't open file U5IW0009\n");
  for (const std::vector<std::string>& args : {std::vector<std::string>{"where"}, {"where", "A", "B"},
                                               {"where", "A", "--kep"}})
    EXPECT_EQ(RunProgram(KESTREL_CLI_PATH, args).exitCode, 2) << args.size();
}

TEST(SamplesWhere, ReportPositionsForTheSamplePictures) {
  const char* samples = std::getenv("KESTREL_SAMPLES_DIR");
  ASSERT_TRUE(samples) << "the samples fixture of ctest writes the demo folder";
  std::set<std::string> reported;
  for (const auto& entry : std::filesystem::directory_iterator(samples)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("WiSP.") || name.ends_with(".ACT")) continue;
    SCOPED_TRACE(name);
    const auto run = RunProgram(KESTREL_CLI_PATH, {"where", name, "--no-stamp"}, samples);
    if (name.starts_with("TM4") || name.starts_with("TM5") || name.ends_with(".IMC")) {  // videos, compressed
      EXPECT_EQ(run.exitCode, 1);
      EXPECT_EQ(run.err, "kestrel-cli: " + name + " has no picture to report on\n");
      continue;
    }
    EXPECT_EQ(run.exitCode, 0) << run.err;
    if (run.out.empty()) continue;  // no capture time in this kind of file
    EXPECT_EQ(run.out.find("WARNING"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(" kilometres\n        from "), std::string::npos) << run.out;
    reported.insert(run.out.substr(23, 5));
  }
  EXPECT_EQ(reported, (std::set<std::string>{"KO-23", "KO-25", "POSAT", "UO-22"}));
}

}  // namespace
}  // namespace kestrel
