// Colour sets from spectral planes and from compressed pairs, and TMSAT video, driven through
// their flows with the scripted Platform.

#include <gtest/gtest.h>

#include "bitmap/dib.h"
#include "codec/colour_set_decompression.h"
#include "satfiles/identification.h"
#include "satfiles/spectral_set.h"
#include "satfiles/video.h"
#include "shell/open_file.h"
#include "test_support.h"

namespace kestrel {
namespace {
using namespace kestrel::testing;
namespace fs = std::filesystem;

constexpr size_t kSide = 1020;

Bytes Plane(uint8_t value) { return Bytes(kSide * kSide, value); }

// The 24-bit pixel at column x of canvas row y counted from the top.
std::array<uint8_t, 3> PixelAt(const Bytes& dib, size_t x, size_t y) {
  const auto h = *LoadInfoHeader(dib);
  const size_t row = static_cast<size_t>(h.biHeight) - 1 - y;
  const uint8_t* p = dib.data() + kInfoHeaderSize + row * 3 * static_cast<size_t>(h.biWidth) + 3 * x;
  return {p[0], p[1], p[2]};
}

struct ColourSetTest : ::testing::Test, SessionFixture {};

TEST_F(ColourSetTest, ComposesRegistersAndDerivesTheCompensation) {
  // Constant planes, each with one marker pixel at file row 500, column 500.
  std::array<Bytes, 3> planes{Plane(200), Plane(100), Plane(50)};
  for (auto& plane : planes) plane[500 * kSide + 500] = 255;
  for (size_t k = 0; k < 3; ++k) WriteBytes(dir / ("TM" + std::to_string(k + 1) + "12345.IMI"), planes[k]);
  session.state.currentFilePath = "TM112345.IMI";
  ASSERT_TRUE(IdentifyImageFile(session));
  const Block dib = LoadSpectralSet(session, {"TM112345.IMI", "TM212345.IMI", "TM312345.IMI"});
  ASSERT_TRUE(dib);
  EXPECT_EQ(std::pair(LoadInfoHeader(*dib)->biWidth, LoadInfoHeader(*dib)->biBitCount), std::pair(1220, uint16_t{24}));
  EXPECT_EQ(PixelAt(*dib, 610, 610), (std::array<uint8_t, 3>{50, 100, 200}));
  // Plane 2 is where the file has it; plane 1 three pixels to the right; plane 3 14 rows higher
  // and 38 pixels to the right.
  EXPECT_EQ(PixelAt(*dib, 600, 600)[1], 255);
  EXPECT_EQ(PixelAt(*dib, 603, 600)[2], 255);
  EXPECT_EQ(PixelAt(*dib, 638, 586)[0], 255);
  for (size_t edge : {size_t{0}, size_t{99}, size_t{1120}, size_t{1219}}) {
    EXPECT_EQ(PixelAt(*dib, edge, 610), (std::array<uint8_t, 3>{0, 0, 0}));
    EXPECT_EQ(PixelAt(*dib, 610, edge), (std::array<uint8_t, 3>{0, 0, 0}));
  }
  // Means 199, 100 and 49 (registration leaves zeros in planes 1 and 3): lighten by 11.
  const ImageState& s = session.state;
  EXPECT_EQ(s.exposureLevel, 0x10B);
  EXPECT_EQ((std::array{s.channelCompensation[2] & 0xFF, s.channelCompensation[1] & 0xFF, s.channelCompensation[0] & 0xFF}),
            (std::array{184, 27, 78}));
  EXPECT_EQ(s.loadedImage, dib);
}

TEST_F(ColourSetTest, OpensTheSetOrTheChosenPlaneAlone) {
  const struct {
    std::string present;
    size_t wrongSize;  // 0: every plane the right size
    uint16_t bitCount;
  } cases[] = {{"123", 0, 24}, {"12", 0, 8}, {"123", 3, 8}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.present + " " + std::to_string(c.wrongSize));
    SessionFixture g;
    for (char d : c.present) {
      Bytes plane = Plane(d == '1' ? 200 : d == '2' ? 100 : 50);
      if (static_cast<size_t>(d - '0') == c.wrongSize) plane.pop_back();
      WriteBytes(g.dir / ("TM" + std::string(1, d) + "12345.IMI"), plane);
    }
    ASSERT_EQ(OpenFromOutside(g.session, g.dir / "tm112345.imi", true), OpenResult::Shown);
    EXPECT_EQ(LoadInfoHeader(*g.session.state.current.currentDib)->biBitCount, c.bitCount);
    EXPECT_FALSE(g.platform.loadingLogOpen);
    if (c.bitCount == 8) continue;
    // Mixed (67, 110, 190) and lightened by 11 under the averaged mode.
    EXPECT_EQ(PixelAt(*g.session.state.current.currentDib, 610, 610), (std::array<uint8_t, 3>{78, 121, 201}));
    EXPECT_EQ(g.session.state.loadingText,
              "Initial Processing Complete\nGreen Plane Image Rotated\nRefreshing Image\n"
              "Automatic Exposure Compensation-Lighten");
    EXPECT_EQ(g.session.state.mixedColourImage->size(), g.session.state.loadedImage->size());
  }
}

// A flat pair of a 1020 x 1020 plane: every block takes the thumbnail's value.
void WriteFlatPair(const fs::path& dir, const std::string& thumbnail, const std::string& compressed, uint8_t value) {
  const auto file = [](size_t side, size_t body, uint8_t fill) {
    Bytes bytes(256, 0);
    StoreU16(bytes.data() + 251, static_cast<uint16_t>(side));
    StoreU16(bytes.data() + 253, static_cast<uint16_t>(side));
    bytes.resize(256 + body, fill);
    return bytes;
  };
  WriteBytes(dir / thumbnail, file(kSide / 4, kSide * kSide / 16, value));
  WriteBytes(dir / compressed, file(kSide, kSide * kSide / 64, 0));
}

TEST_F(ColourSetTest, DecompressesWholeAndIncompleteSets) {
  const struct {
    std::string planes;
    bool secondNumbering;
    uint16_t bitCount;
    std::string report;  // the incomplete-set box, "" for none
  } cases[] = {
      {"123", false, 24, ""},
      {"123", true, 24, ""},
      {"13", false, 8,
       "Incomplete File Set Retrieved\nFiles retrieved\n      File #1 : TM112345.IMI\n"
       "      File #2 : TM312345.IMI\n      File #3 : Missing"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.planes + (c.secondNumbering ? " second numbering" : ""));
    SessionFixture g;
    for (char d : c.planes)
      WriteFlatPair(g.dir.path(), std::string("TM") + d + "12345.IMT",
                    std::string("TM") + d + (c.secondNumbering ? "2" : "1") + "2345.IMC",
                    static_cast<uint8_t>(60 * (d - '0')));
    EnterFile(g.session, g.dir / (c.secondNumbering ? "TM122345.IMC" : "TM112345.IMC"));
    DecompressColouredSet(g.session);
    const auto& boxes = g.platform.boxes;
    const bool reported = std::any_of(boxes.begin(), boxes.end(), [&](const RecordedBox& b) {
      return b.caption == "Retrieved Compressed File Status" && b.text == c.report;
    });
    EXPECT_EQ(reported, !c.report.empty());
    ASSERT_TRUE(g.session.state.current.currentDib);
    EXPECT_EQ(LoadInfoHeader(*g.session.state.current.currentDib)->biBitCount, c.bitCount);
    for (const auto& entry : fs::directory_iterator(g.dir.path()))
      EXPECT_NE(entry.path().extension(), ".IMI") << entry.path();  // transit files are gone
  }
}

TEST(Video, CountsPassesPausesAndScannedFrames) {
  const struct {
    bool scanned;
    uint64_t size;
    uint32_t frames, passes, pause;
  } formats[] = {{false, 10 * 20736, 10, 3, 500}, {false, 25 * 20736, 25, 1, 0},
                 {false, 20000, 0, 1, 0},         {true, 2 * (384 * 288 + 29000), 2, 3, 1000}};
  for (const auto& c : formats) {
    const VideoFormat format = VideoFormatFor(c.scanned, c.scanned ? 382 : 141, c.scanned ? 287 : 141, c.size, 0);
    EXPECT_EQ(format.frameCount, c.frames);
    EXPECT_EQ(format.passes, c.passes);
    EXPECT_EQ(format.pauseMs, c.pause);
  }
  // A scanned frame is the frame-sized run that ends just before the zero closing its run.
  VideoFormat format{true, 4, 2, 2, 0, 1};
  const Bytes body{0, 0, 9, 1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 7, 0};
  Bytes frame = *NewVideoFrame(format);
  std::vector<Bytes> shown;
  ForEachVideoFrame(body, format, frame, [&] { shown.push_back(frame); });
  ASSERT_EQ(shown.size(), 2u);
  const uint8_t* first = shown[0].data() + kInfoHeaderSize + 1024;
  EXPECT_EQ(Bytes(first, first + 8), (Bytes{5, 6, 7, 8, 1, 2, 3, 4}));  // bottom-up rows
  const uint8_t* second = shown[1].data() + kInfoHeaderSize + 1024;
  EXPECT_EQ(Bytes(second, second + 8), (Bytes{8, 0, 0, 7, 4, 5, 6, 7}));
}

}  // namespace
}  // namespace kestrel
