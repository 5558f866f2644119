// kestrel-cli identify, convert (satellite files), clean and act, run as a user would.

#include <gtest/gtest.h>

#include <filesystem>

#include "bitmap/bitmap_file.h"
#include "bitmap/dib.h"
#include "test_support.h"

namespace kestrel {
namespace {

using testing::ReadBytes;
using testing::RunProgram;
using testing::WriteBytes;

TEST(CliIdentify, PrintsOneJsonLinePerFile) {
  testing::ScratchDir dir;
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

TEST(Cli, ConvertsPreviewsAndCleansOrSaysWhyNotAndWritesNothing) {
  testing::ScratchDir dir;
  WriteBytes(dir / "kbe00001", Bytes(611 * 576, 90));
  Bytes download(95, 0);
  download.resize(95 + 511 * 502, 120);
  WriteBytes(dir / "pass.act", download);
  WriteBytes(dir / "TM400001.IMI", Bytes(1000, 9));
  Bytes raw(108 + 3 * 109);  // a header, then one block three times
  for (size_t i = 108; i < raw.size(); ++i) raw[i] = static_cast<uint8_t>((i - 108) % 109);
  WriteBytes(dir / "u5iw0001", raw);
  struct Case {
    std::vector<std::string> args;  // names in the scratch folder
    int exitCode;
    std::string err;
    int32_t width = 0, height = 0;  // of the bitmap written
  };
  const Case cases[] = {
      {{"convert", "kbe00001", "-o", "out.bmp"}, 0, "", 612, 576},
      {{"act", "pass.act", "--preset", "kbiw", "-o", "out.bmp"}, 0, "", 512, 500},
      {{"convert", "TM400001.IMI", "-o", "out.png"}, 1, "kestrel-cli: TM400001.IMI is a video file: use video\n"},
      {{"clean", "u5iw0002"}, 1, "[Error] Can't open file U5IW0002\n"}, {{"clean", "u5iw0001"}, 0, ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    std::vector<std::string> args = c.args;
    for (size_t i = 1; i < args.size(); ++i)
      if (i == 1 || args[i - 1] == "-o") args[i] = (dir / args[i]).string();
    const auto run = RunProgram(KESTREL_CLI_PATH, args);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.out, "");
    if (c.width) {
      const BitmapReadResult picture = ReadBitmapFile(dir / "out.bmp");
      ASSERT_TRUE(picture.dib);
      const BitmapInfoHeader header = *LoadInfoHeader(*picture.dib);
      EXPECT_EQ(std::tuple(header.biWidth, header.biHeight, header.biBitCount), std::tuple(c.width, c.height, 8));
    }
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "out.png"));
  // The cleaned copy takes the upper-case name beside the raw file.
  EXPECT_EQ(ReadBytes(dir / "U5IW0001.CCD"), Bytes(raw.begin(), raw.begin() + 108 + 109));
}

}  // namespace
}  // namespace kestrel
