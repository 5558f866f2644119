// kestrel-cli identify, convert (satellite files), clean and act, run as a user would.

#include <gtest/gtest.h>

#include <filesystem>

#include "bitmap/bitmap_file.h"
#include "bitmap/dib.h"
#include "satfiles/repeated_blocks.h"
#include "test_support.h"

namespace kestrel {
namespace {

using testing::ReadBytes;
using testing::RunProgram;
using testing::ScratchDir;
using testing::WriteBytes;

TEST(CliIdentify, PrintsOneJsonLinePerFile) {
  ScratchDir dir;
  WriteBytes(dir / "u5iw0123", Bytes(300, 7));
  WriteBytes(dir / "TM000100.IMI", Bytes(10, 7));
  const auto run = RunProgram(KESTREL_CLI_PATH, {"identify", (dir / "u5iw0123").string(),
                                                 (dir / "TM000100.IMI").string()});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out,
            "{\"name\":\"U5IW0123\",\"fileWidth\":611,\"fileHeight\":576,\"fieldGap\":355,"
            "\"headerLength\":256,\"interlaced\":true,\"thumbnail\":false,\"spikeFilter\":true,"
            "\"leftTrim\":true,\"autoExposure\":true,\"wideAngleTmsat\":false}\n"
            "{\"name\":\"TM000100.IMI\",\"fileWidth\":611,\"fileHeight\":576,\"fieldGap\":0,"
            "\"headerLength\":0,\"interlaced\":true,\"thumbnail\":false,\"spikeFilter\":false,"
            "\"leftTrim\":false,\"autoExposure\":true,\"wideAngleTmsat\":true}\n");
}

TEST(CliIdentify, MissingFileFailsWithTheProgramsMessage) {
  ScratchDir dir;
  const auto run = RunProgram(KESTREL_CLI_PATH, {"identify", (dir / "kbin0042").string()});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "[Error] Can't open file KBIN0042\n");
  EXPECT_EQ(run.out, "");
}

TEST(CliConvert, SatelliteFileBecomesItsPicture) {
  ScratchDir dir;
  WriteBytes(dir / "kbe00001", Bytes(611 * 576, 90));
  const auto run = RunProgram(KESTREL_CLI_PATH,
                              {"convert", (dir / "kbe00001").string(), "-o", (dir / "out.bmp").string()});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const BitmapReadResult picture = ReadBitmapFile(dir / "out.bmp");
  ASSERT_TRUE(picture.dib);
  const BitmapInfoHeader header = *LoadInfoHeader(*picture.dib);
  EXPECT_EQ(header.biWidth, 612);
  EXPECT_EQ(header.biHeight, 576);
  EXPECT_EQ(header.biBitCount, 8);
}

TEST(CliConvert, RefusalsAndOtherKindsSaySo) {
  ScratchDir dir;
  WriteBytes(dir / "IM000123.ACT", Bytes(1000, 9));
  WriteBytes(dir / "TM400001.IMI", Bytes(1000, 9));
  WriteBytes(dir / "NOTHING1", Bytes(1000, 9));
  const auto act = RunProgram(KESTREL_CLI_PATH, {"convert", (dir / "IM000123.ACT").string(), "-o",
                                                 (dir / "out.png").string()});
  EXPECT_EQ(act.exitCode, 1);
  EXPECT_EQ(act.err, "[Command Line Open] Unsupported from Command Line - Use File/Preview ACT\n");
  const auto video = RunProgram(KESTREL_CLI_PATH, {"convert", (dir / "TM400001.IMI").string(), "-o",
                                                   (dir / "out.png").string()});
  EXPECT_EQ(video.exitCode, 1);
  EXPECT_NE(video.err.find("TM400001.IMI"), std::string::npos);
  const auto unknown = RunProgram(KESTREL_CLI_PATH, {"convert", (dir / "NOTHING1").string(), "-o",
                                                     (dir / "out.png").string()});
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_EQ(unknown.err, "[CCD Image Error] Invalid Parameters - Image cannot be processed\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "out.png"));
}

TEST(CliClean, WritesTheUpperCaseCcdCopyBesideTheRawFile) {
  ScratchDir dir;
  Bytes raw(108, 1);
  Bytes block(109);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i);
  for (int k = 0; k < 3; ++k) raw.insert(raw.end(), block.begin(), block.end());
  WriteBytes(dir / "u5iw0001", raw);
  const auto run = RunProgram(KESTREL_CLI_PATH, {"clean", (dir / "u5iw0001").string()});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ReadBytes(dir / "U5IW0001.CCD").size(), 108u + 109u);
  const auto named = RunProgram(KESTREL_CLI_PATH, {"clean", (dir / "u5iw0001").string(), "-o",
                                                   (dir / "mine.ccd").string()});
  ASSERT_EQ(named.exitCode, 0) << named.err;
  EXPECT_EQ(ReadBytes(dir / "mine.ccd"), DropRepeatedBlocks(raw));
  const auto missing = RunProgram(KESTREL_CLI_PATH, {"clean", (dir / "u5iw0002").string()});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.err, "[Error] Can't open file U5IW0002\n");
}

TEST(CliAct, PreviewsADownloadInThePresetsLayout) {
  ScratchDir dir;
  Bytes download(95, 0);
  download.resize(95 + 511 * 502, 120);
  WriteBytes(dir / "pass.act", download);
  const auto run = RunProgram(KESTREL_CLI_PATH, {"act", (dir / "pass.act").string(), "--preset",
                                                 "kbiw", "-o", (dir / "out.bmp").string()});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const BitmapReadResult picture = ReadBitmapFile(dir / "out.bmp");
  ASSERT_TRUE(picture.dib);
  EXPECT_EQ(LoadInfoHeader(*picture.dib)->biWidth, 512);
  EXPECT_EQ(LoadInfoHeader(*picture.dib)->biHeight, 500);
  const auto bad = RunProgram(KESTREL_CLI_PATH, {"act", (dir / "pass.act").string(), "--preset",
                                                 "landsat", "-o", (dir / "out.bmp").string()});
  EXPECT_EQ(bad.exitCode, 2);
}

}  // namespace
}  // namespace kestrel
