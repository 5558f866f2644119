// kestrel-cli compress and decompress, run as programs.

#include <gtest/gtest.h>

#include <filesystem>
#include <span>

#include "pair_builders.h"
#include "test_support.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using testing::PairFile;
using testing::ReadBytes;
using testing::RunProgram;
using testing::ScratchDir;
using testing::WriteBytes;

testing::ProcessResult Cli(const std::vector<std::string>& args, const fs::path& folder) {
  return RunProgram(KESTREL_CLI_PATH, args, folder);
}

TEST(CodecCli, CompressThenDecompressGivesThePictureBack) {
  ScratchDir dir;
  const Bytes pixels = testing::ExactlyCodablePicture(64, 48);
  WriteBytes(dir / "KADW0001.CCD", PairFile(64, 48, pixels));

  auto run = Cli({"compress", "KADW0001.CCD"}, dir.path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "KATW0001.CCD\nKACW0001\n");
  EXPECT_EQ(ReadBytes(dir / "KATW0001.CCD").size(), 256u + 16 * 12);
  EXPECT_EQ(ReadBytes(dir / "KADW0001.CCD"), PairFile(64, 48, pixels));

  fs::rename(dir / "KADW0001.CCD", dir / "SOURCE.CCD");
  run = Cli({"decompress", "KATW0001.CCD", "-o", "back.bmp"}, dir.path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const Bytes bitmap = ReadBytes(dir / "back.bmp");
  EXPECT_EQ(testing::TopDownRows(std::span(bitmap).subspan(14), 64, 48), pixels);
  EXPECT_FALSE(fs::exists(dir / "KADW0001.CCD"));  // the transit file is gone

  // The default output, and the transit file kept on request.
  run = Cli({"decompress", "katw0001.ccd", "--keep"}, dir.path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(fs::exists(dir / "KADW0001.BMP"));
  EXPECT_EQ(ReadBytes(dir / "KADW0001.CCD").size(), 256u + 64 * 48);
}

TEST(CodecCli, FailuresAreReportedWithTheirMessages) {
  ScratchDir dir;
  auto run = Cli({"decompress", "U5TW0009.CCD"}, dir.path());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "[Error] Can't open file U5TW0009.CCD\n");

  WriteBytes(dir / "U5TW0009.CCD", PairFile(16, 16, Bytes(256, 1)));
  WriteBytes(dir / "U5CW0009", PairFile(64, 60, Bytes(64, 0)));
  run = Cli({"decompress", "U5TW0009.CCD"}, dir.path());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err,
            "[Image Allocation Error] The relationship Thumb to Compressed is incorrect\n");

  // A compressed file is not a picture to compress.
  run = Cli({"compress", "U5CW0009"}, dir.path());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err, "");

  run = Cli({"decompress"}, dir.path());
  EXPECT_EQ(run.exitCode, 2);
}

}  // namespace
}  // namespace kestrel
