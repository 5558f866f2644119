// kestrel-cli on pictures it improves: colour sets, turns, exposure and sharpening as the menu
// commands make them, the frames of a video, and a compressed colour set.

#include <gtest/gtest.h>

#include "bitmap/dib.h"
#include "test_support.h"

namespace kestrel {
namespace {
using namespace kestrel::testing;

ProcessResult Cli(const ScratchDir& dir, std::vector<std::string> args) {
  return RunProgram(KESTREL_CLI_PATH, args, dir.path());
}

// The packed DIB behind a bitmap file's 14-byte header.
Bytes Dib(const std::filesystem::path& bmp) {
  const Bytes file = ReadBytes(bmp);
  EXPECT_EQ(LoadU32(file.data() + 2), file.size());
  return Bytes(file.begin() + 14, file.end());
}

TEST(ImproveCli, ColourSetsTurnsExposureAndSharpening) {
  ScratchDir dir;
  // A grey U5DW picture (608 x 576, sequential) with a ramp across it.
  Bytes grey(256 + 608 * 576);
  for (size_t i = 256; i < grey.size(); ++i) grey[i] = static_cast<uint8_t>((i - 256) % 608 / 3);
  WriteBytes(dir / "U5DW0001.CCD", grey);
  for (char plane : {'1', '2', '3'}) WriteBytes(dir / (std::string("TM") + plane + "00001.IMI"), Bytes(1020 * 1020, 90));

  const auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), "convert");
    args.push_back("-o");
    args.push_back("OUT.BMP");
    return Cli(dir, args);
  };
  ASSERT_EQ(run({"TM100001.IMI"}).exitCode, 0);
  EXPECT_EQ(LoadInfoHeader(Dib(dir / "OUT.BMP"))->biWidth, 1220);
  EXPECT_EQ(run({"TM100001.IMI", "--exposure", "40"}).exitCode, 2);  // levels are for grey pictures
  EXPECT_EQ(run({"TM100001.IMI", "--rotate", "cw", "--sharpen", "preview"}).exitCode, 0);

  ASSERT_EQ(run({"U5DW0001.CCD"}).exitCode, 0);
  const Bytes plain = Dib(dir / "OUT.BMP");
  ASSERT_EQ(run({"U5DW0001.CCD", "--rotate", "cw"}).exitCode, 0);
  const auto turned = *LoadInfoHeader(Dib(dir / "OUT.BMP"));
  EXPECT_EQ(turned.biWidth, 576);
  EXPECT_EQ(turned.biHeight, 608);
  ASSERT_EQ(run({"U5DW0001.CCD", "--rotate", "cw", "--rotate", "ccw"}).exitCode, 0);
  EXPECT_EQ(Dib(dir / "OUT.BMP"), plain);  // turned back: as loaded
  ASSERT_EQ(run({"U5DW0001.CCD", "--exposure", "128"}).exitCode, 0);
  const Bytes neutral = Dib(dir / "OUT.BMP");
  EXPECT_EQ(Bytes(neutral.begin() + 40 + 4 * 200, neutral.begin() + 40 + 4 * 201), (Bytes{200, 200, 200, 0}));
  EXPECT_TRUE(std::equal(plain.begin() + 1064, plain.end(), neutral.begin() + 1064));  // pixels stay
  ASSERT_EQ(run({"U5DW0001.CCD", "--sharpen", "hidef"}).exitCode, 0);
  EXPECT_NE(Dib(dir / "OUT.BMP"), plain);
  EXPECT_EQ(run({"U5DW0001.CCD", "--rotate", "up"}).exitCode, 2);
}

TEST(ImproveCli, VideoFramesAndCompressedSets) {
  ScratchDir dir;
  Bytes tm5(3 * 144 * 144 + 100, 0);
  for (size_t i = 0; i < tm5.size(); ++i) tm5[i] = static_cast<uint8_t>(i / (141 * 141));
  WriteBytes(dir / "TM500001.IMI", tm5);
  ASSERT_EQ(Cli(dir, {"video", "TM500001.IMI", "-o", "frame"}).exitCode, 0);
  for (int k = 0; k < 3; ++k) {
    const Bytes frame = Dib(dir / ("frame-0" + std::to_string(k) + ".bmp"));
    EXPECT_EQ(frame[1064 + 144 * 140], k);  // the frame's top row, stored last
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "frame-03.bmp"));
  EXPECT_EQ(Cli(dir, {"video", "U5DW0001.CCD", "-o", "frame"}).exitCode, 1);

  for (char plane : {'1', '3'}) {
    WriteBytes(dir / (std::string("TM") + plane + "00002.IMI"), Bytes(1020 * 1020, 77));
    ASSERT_EQ(Cli(dir, {"compress", std::string("TM") + plane + "00002.IMI"}).exitCode, 0);
    std::filesystem::remove(dir / (std::string("TM") + plane + "00002.IMI"));
  }
  const ProcessResult incomplete = Cli(dir, {"decompress", "TM100002.IMT", "--colour-set", "-o", "SET.BMP"});
  EXPECT_EQ(incomplete.exitCode, 0);
  EXPECT_NE(incomplete.err.find("[Retrieved Compressed File Status] Incomplete File Set Retrieved\\nFiles "
                                "retrieved\\n      File #1 : TM100002.IMI\\n      File #2 : TM300002.IMI\\n"
                                "      File #3 : Missing"),
            std::string::npos)
      << incomplete.err;
  EXPECT_EQ(LoadInfoHeader(Dib(dir / "SET.BMP"))->biBitCount, 8);
  EXPECT_FALSE(std::filesystem::exists(dir / "TM100002.IMI"));
}

}  // namespace
}  // namespace kestrel
