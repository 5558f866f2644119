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

TEST(CliConvertAndAct, SatelliteFileAndActDownloadBecomeTheirPictures) {
  ScratchDir dir;
  WriteBytes(dir / "kbe00001", Bytes(611 * 576, 90));
  Bytes download(95, 0);
  download.resize(95 + 511 * 502, 120);
  WriteBytes(dir / "pass.act", download);
  const std::string out = (dir / "out.bmp").string();
  struct Case {
    std::vector<std::string> args;
    int32_t width, height;
  };
  for (const Case& c : {Case{{"convert", (dir / "kbe00001").string(), "-o", out}, 612, 576},
                        Case{{"act", (dir / "pass.act").string(), "--preset", "kbiw", "-o", out}, 512, 500}}) {
    SCOPED_TRACE(c.args[0]);
    const auto run = RunProgram(KESTREL_CLI_PATH, c.args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const BitmapReadResult picture = ReadBitmapFile(out);
    ASSERT_TRUE(picture.dib);
    const BitmapInfoHeader header = *LoadInfoHeader(*picture.dib);
    EXPECT_EQ(header.biWidth, c.width);
    EXPECT_EQ(header.biHeight, c.height);
    EXPECT_EQ(header.biBitCount, 8);
  }
  const auto bad = RunProgram(KESTREL_CLI_PATH, {"act", (dir / "pass.act").string(), "--preset", "landsat", "-o", out});
  EXPECT_EQ(bad.exitCode, 2);
}

TEST(CliConvert, RefusalsAndMissingFilesSaySoAndWriteNothing) {
  struct Case {
    const char* command;
    const char* name;
    const char* err;
  };
  const Case cases[] = {
      {"convert", "IM000123.ACT", "[Command Line Open] Unsupported from Command Line - Use File/Preview ACT\n"},
      {"convert", "TM400001.IMI", "kestrel-cli: TM400001.IMI is a video file: use video\n"},
      {"convert", "NOTHING1", "[CCD Image Error] Invalid Parameters - Image cannot be processed\n"},
      {"identify", "kbin0042", "[Error] Can't open file KBIN0042\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    std::vector<std::string> args{c.command, (dir / c.name).string()};
    if (args[0] == "convert") {
      WriteBytes(dir / c.name, Bytes(1000, 9));
      args.insert(args.end(), {"-o", (dir / "out.png").string()});
    }
    const auto run = RunProgram(KESTREL_CLI_PATH, args);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, c.err);
    EXPECT_FALSE(std::filesystem::exists(dir / "out.png"));
  }
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

}  // namespace
}  // namespace kestrel
