// kestrel-cli convert on bitmap files: every depth and compression it writes must read back
// with the same pixels in another program's reader (ImageMagick).

#include <gtest/gtest.h>

#include "dib_builders.h"
#include "test_support.h"

namespace kestrel {
namespace {

using testing::MakeDib;
using testing::ReadBytes;
using testing::RunProgram;
using testing::ScratchDir;
using testing::WithFileHeader;
using testing::WriteBytes;

// Pixels as ImageMagick reads them: top row first, red, green, blue.
Bytes ImageMagickRgb(const std::filesystem::path& picture, const ScratchDir& dir) {
  const auto raw = dir / "pixels.rgb";
  const auto result = RunProgram("/usr/bin/convert", {picture.string(), "-depth", "8", "rgb:" + raw.string()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  return result.exitCode == 0 ? ReadBytes(raw) : Bytes{};
}

Bytes ExpectedRgb(int width, int height, const std::function<uint32_t(int, int)>& colour) {
  Bytes rgb;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t c = colour(x, y);
      rgb.insert(rgb.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    }
  return rgb;
}

TEST(ConvertBitmapCli, EveryDepthAndCompressionReadsBackInImageMagick) {
  ScratchDir dir;
  // Sixteen colours fit every depth from 4 bits up; two colours fit 1 bit.
  const auto sixteen = [](int x, int y) {
    const uint32_t i = uint32_t(x / 3 + y) % 16;
    return (i * 16) << 16 | (255 - i * 9) << 8 | (i * 5);
  };
  const auto two = [](int x, int y) { return (x * y) % 3 ? 0xFFFFFFu & 0xF0E0D0u : 0x102030u; };
  const int width = 37, height = 11;  // odd sizes exercise row padding
  WriteBytes(dir / "SIXTEEN.BMP", WithFileHeader(MakeDib(width, height, 24, {}, sixteen), 54));
  WriteBytes(dir / "TWO.BMP", WithFileHeader(MakeDib(width, height, 24, {}, two), 54));

  struct Case {
    const char* source;
    std::vector<std::string> options;
    std::function<uint32_t(int, int)> colour;
  };
  const std::vector<Case> cases = {
      {"SIXTEEN.BMP", {"--bits", "24"}, sixteen}, {"SIXTEEN.BMP", {"--bits", "8"}, sixteen},
      {"SIXTEEN.BMP", {"--bits", "4"}, sixteen},  {"SIXTEEN.BMP", {"--bits", "8", "--rle"}, sixteen},
      {"SIXTEEN.BMP", {"--bits", "4", "--rle"}, sixteen}, {"TWO.BMP", {"--bits", "1"}, two},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"convert", (dir / c.source).string(), "-o", (dir / "OUT.BMP").string()};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const auto run = RunProgram(KESTREL_CLI_PATH, args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ImageMagickRgb(dir / "OUT.BMP", dir), ExpectedRgb(width, height, c.colour))
        << c.source << " " << c.options[1] << (c.options.size() > 2 ? " RLE" : "");
  }
}

TEST(ConvertBitmapCli, PngOutputKeepsThePixels) {
  ScratchDir dir;
  const auto colour = [](int x, int y) { return uint32_t(x * 7) << 16 | uint32_t(y * 11) << 8 | 99u; };
  WriteBytes(dir / "IN.BMP", WithFileHeader(MakeDib(30, 20, 24, {}, colour), 54));
  const auto run = RunProgram(KESTREL_CLI_PATH, {"convert", (dir / "IN.BMP").string(), "-o", (dir / "out.png").string()});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ImageMagickRgb(dir / "out.png", dir), ExpectedRgb(30, 20, colour));
}

TEST(ConvertBitmapCli, ABadBitmapIsReportedAndNothingWritten) {
  ScratchDir dir;
  WriteBytes(dir / "JUNK.BMP", {'B', 'M', 0, 0});
  const auto run = RunProgram(KESTREL_CLI_PATH, {"convert", (dir / "junk.bmp").string(), "-o", (dir / "o.bmp").string()});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "[Error] JUNK.BMP is not a Legitimate DIB File!\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "o.bmp"));
}

}  // namespace
}  // namespace kestrel
