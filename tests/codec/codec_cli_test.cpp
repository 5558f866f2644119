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
using testing::WriteBytes;

TEST(CodecCli, CompressThenDecompressGivesThePictureBackAndFailuresTheirMessages) {
  const testing::ScratchDir dir;
  auto cli = [&dir](const std::vector<std::string>& args) { return testing::RunProgram(KESTREL_CLI_PATH, args, dir.path()); };
  const Bytes pixels = testing::ExactlyCodablePicture(64, 48);
  WriteBytes(dir / "KADW0001.CCD", PairFile(64, 48, pixels));
  auto run = cli({"compress", "KADW0001.CCD"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "KATW0001.CCD\nKACW0001\n");
  EXPECT_EQ(ReadBytes(dir / "KADW0001.CCD"), PairFile(64, 48, pixels));

  fs::rename(dir / "KADW0001.CCD", dir / "SOURCE.CCD");
  run = cli({"decompress", "KATW0001.CCD", "-o", "back.bmp"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const Bytes bitmap = ReadBytes(dir / "back.bmp");
  EXPECT_EQ(testing::TopDownRows(std::span(bitmap).subspan(14), 64, 48), pixels);
  EXPECT_FALSE(fs::exists(dir / "KADW0001.CCD"));  // the transit file is gone
  // The default output, and the transit file kept on request.
  run = cli({"decompress", "katw0001.ccd", "--keep"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(fs::exists(dir / "KADW0001.BMP"));
  EXPECT_EQ(ReadBytes(dir / "KADW0001.CCD").size(), 256u + 64 * 48);

  run = cli({"decompress", "U5TW0009.CCD"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "[Error] Can't open file U5TW0009.CCD\n");
  WriteBytes(dir / "U5TW0009.CCD", PairFile(16, 16, Bytes(256, 1)));
  WriteBytes(dir / "U5CW0009", PairFile(64, 60, Bytes(64, 0)));
  run = cli({"decompress", "U5TW0009.CCD"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "[Image Allocation Error] The relationship Thumb to Compressed is incorrect\n");
  run = cli({"compress", "U5CW0009"});  // a compressed file is not a picture to compress
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err, "");
  EXPECT_EQ(cli({"decompress"}).exitCode, 2);
}

}  // namespace
}  // namespace kestrel
