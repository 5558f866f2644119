// kestrel-cli compress and decompress, run as programs.

#include <gtest/gtest.h>

#include <filesystem>

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

// A picture the two-level code carries exactly: a checkerboard two apart in 8 x 8 cells.
Bytes CellPicture(size_t width, size_t height) {
  Bytes pixels(width * height);
  for (size_t y = 0; y < height; ++y)
    for (size_t x = 0; x < width; ++x) {
      const int level = 60 + static_cast<int>((x / 8 + y / 8) % 5) * 30;
      pixels[y * width + x] = static_cast<uint8_t>(level + ((x + y) % 2 ? 2 : -2));
    }
  return pixels;
}

// The rows of an 8-bit bitmap file, top-down, `width` bytes each.
Bytes BitmapRows(const Bytes& file, size_t width, size_t height) {
  const size_t offset = LoadU32(file.data() + 10);
  const size_t stride = (width + 3) & ~size_t{3};
  Bytes rows;
  for (size_t y = 0; y < height; ++y) {
    const auto at = static_cast<std::ptrdiff_t>(offset + (height - 1 - y) * stride);
    rows.insert(rows.end(), file.begin() + at,
                file.begin() + at + static_cast<std::ptrdiff_t>(width));
  }
  return rows;
}

TEST(CodecCli, CompressThenDecompressGivesThePictureBack) {
  ScratchDir dir;
  const Bytes pixels = CellPicture(64, 48);
  WriteBytes(dir / "KADW0001.CCD", PairFile(64, 48, pixels));

  auto run = Cli({"compress", "KADW0001.CCD"}, dir.path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "KATW0001.CCD\nKACW0001\n");
  EXPECT_EQ(ReadBytes(dir / "KATW0001.CCD").size(), 256u + 16 * 12);
  EXPECT_EQ(ReadBytes(dir / "KADW0001.CCD"), PairFile(64, 48, pixels));

  // With the source still under the decoded name, it is left alone.
  run = Cli({"decompress", "KATW0001.CCD"}, dir.path());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err,
            "[Error] KADW0001.CCD already exists and is not replaced by a decoded picture\n");
  EXPECT_EQ(ReadBytes(dir / "KADW0001.CCD"), PairFile(64, 48, pixels));

  fs::rename(dir / "KADW0001.CCD", dir / "SOURCE.CCD");
  run = Cli({"decompress", "KATW0001.CCD", "-o", "back.bmp"}, dir.path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(BitmapRows(ReadBytes(dir / "back.bmp"), 64, 48), pixels);
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
