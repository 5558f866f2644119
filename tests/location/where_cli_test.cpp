// kestrel-cli where, run as a user would run it.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "support/test_support.h"
#include "where_fixture.h"

namespace kestrel {
namespace {
using namespace location_testing;
using testing::ReadBytes;
using testing::RunProgram;
using testing::WriteBytes;

struct WhereCli : ::testing::Test {
  testing::ScratchDir dir;
  std::string kep = (dir / "keps.bin").string();
  std::string obs = (dir / "places.bin").string();

  WhereCli() {
    WriteBytes(kep, ElementSetFile({{"UO-22", UoSat5Elements()}}));
    WriteBytes(obs, PlacesFile(kPlaces));
  }

  testing::ProcessResult Where(const std::string& picture, bool stamp = true) {
    std::vector<std::string> args{"where", picture, "--kep", kep, "--obs", obs};
    if (!stamp) args.push_back("--no-stamp");
    return RunProgram(KESTREL_CLI_PATH, args, dir.path());
  }
};

std::string AsBoxLine(const std::string& text) {
  std::string line;
  for (char c : text) line += c == '\n' ? std::string("\\n") : std::string(1, c);
  return "[CCD Image Information] " + line + "\n";
}

TEST_F(WhereCli, PrintsTheReportAndStampsTheFile) {
  WriteBytes(dir / "u5iw0001", CameraFile(kCaptureTime));
  const auto run = Where((dir / "u5iw0001").string());
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, kReportAtEpoch + "\n");
  EXPECT_EQ(run.err, AsBoxLine(kReportAtEpoch));
  const Bytes stamped = ReadBytes(dir / "u5iw0001");
  EXPECT_EQ(stamped[11], 'C');
  EXPECT_EQ(stamped[12], 'j');

  // Once stamped, the element sets are read but the stored report is shown.
  WriteBytes(kep, ElementSetFile({{"UO-22", UoSat5Elements()}, {"UO-22", {}}}));
  const auto again = Where((dir / "u5iw0001").string());
  EXPECT_EQ(again.exitCode, 0) << again.err;
  EXPECT_EQ(again.out, kReportAtEpoch + "\n");
  EXPECT_EQ(ReadBytes(dir / "u5iw0001"), stamped);
}

TEST_F(WhereCli, LeavesTheFileAloneWithNoStampOrWithNothingToSay) {
  const std::tuple<Bytes, bool, std::string> cases[] = {
      {CameraFile(kCaptureTime), false, kReportAtEpoch + "\n"},
      {CameraFile(0), true, ""}};  // no capture time
  for (const auto& [picture, stamp, out] : cases) {
    WriteBytes(dir / "U5IW0002", picture);
    const auto run = Where("U5IW0002", stamp);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, out);
    EXPECT_EQ(run.err, out.empty() ? "" : AsBoxLine(kReportAtEpoch));
    EXPECT_EQ(ReadBytes(dir / "U5IW0002"), picture);
  }
}

TEST_F(WhereCli, FailsWithTheMessageOfTheFailure) {
  WriteBytes(dir / "U5IW0003", CameraFile(kCaptureTime));
  kep = (dir / "nowhere.kep").string();
  const auto run = Where("U5IW0003");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "[Error] Cannot open file " + kep + "\n");

  const auto gone = RunProgram(KESTREL_CLI_PATH, {"where", (dir / "U5IW0009").string()});
  EXPECT_EQ(gone.exitCode, 1);
  EXPECT_EQ(gone.err, "[Error] Can't open file U5IW0009\n");

  EXPECT_EQ(RunProgram(KESTREL_CLI_PATH, {"where"}).exitCode, 2);
  EXPECT_EQ(RunProgram(KESTREL_CLI_PATH, {"where", "A", "B"}).exitCode, 2);
  EXPECT_EQ(RunProgram(KESTREL_CLI_PATH, {"where", "A", "--kep"}).exitCode, 2);
}

TEST(WhereSamples, ReportPositionsForTheSamplePictures) {
  testing::ScratchDir dir;
  ASSERT_EQ(RunProgram(KESTREL_SAMPLES_PATH, {dir.path().string()}).exitCode, 0);
  std::set<std::string> reported;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("WiSP.") || name.ends_with(".ACT")) continue;
    const auto run = RunProgram(KESTREL_CLI_PATH, {"where", name, "--no-stamp"}, dir.path());
    EXPECT_EQ(run.exitCode, 0) << name << ": " << run.err;
    if (run.out.empty()) continue;  // no capture time in this kind of file
    EXPECT_EQ(run.out.find("WARNING"), std::string::npos) << name << ":\n" << run.out;
    EXPECT_NE(run.out.find(" kilometres\n        from "), std::string::npos) << run.out;
    reported.insert(run.out.substr(23, 5));
  }
  EXPECT_EQ(reported, (std::set<std::string>{"KO-23", "KO-25", "POSAT", "UO-22"}));
}

}  // namespace
}  // namespace kestrel
