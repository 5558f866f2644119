// Installing the picture on show, through a scripted platform, and its scroll ranges.

#include <gtest/gtest.h>

#include "session/current_image.h"
#include "dib_builders.h"
#include "test_support.h"

namespace kestrel {
namespace {

using namespace kestrel::testing;

Bytes GreyPicture(int32_t width, int32_t height) {
  std::vector<testing::Colour> grey;
  for (int i = 0; i < 256; ++i) grey.push_back({uint8_t(i), uint8_t(i), uint8_t(i)});
  return MakeDib(width, height, 8, grey, [](int x, int y) { return uint32_t(x + y) & 255u; }, 256);
}

// An RLE8 picture 8 wide and 2 high whose codes are `codes`, with `declared` coded bytes.
Bytes RleFile(const Bytes& codes, uint32_t declared) {
  Bytes rle = GreyPicture(8, 2);
  rle.resize(40 + 1024);
  rle.insert(rle.end(), codes.begin(), codes.end());
  StoreU32(rle.data() + 16, kCompressionRle8);
  StoreU32(rle.data() + 20, declared);
  return WithFileHeader(rle, 14 + 40 + 1024);
}

struct CurrentImageTest : ::testing::Test, testing::SessionFixture {
  const CurrentImage& current = session.state.current;
};

TEST_F(CurrentImageTest, OpeningABitmapInstallsItAndCaptionsTheWindow) {
  WriteBytes(dir / "scene.bmp", WithFileHeader(GreyPicture(611, 4), 14 + 40 + 1024));
  session.state.currentFilePath = "SCENE.BMP";  // found whatever the case on disk
  ASSERT_TRUE(OpenBitmapAsCurrent(session));
  EXPECT_TRUE(platform.boxes.empty());
  ASSERT_TRUE(current.imageDisplayable && current.currentDib && current.currentPalette);
  EXPECT_EQ(current.currentDib, current.currentHeader);
  EXPECT_EQ(std::tuple(current.pixelOffsetInFile, current.displayWidth, current.displayHeight, current.currentPalette->size()),
            std::tuple(40u + 1024u, 611, 4, 256u));
  EXPECT_EQ(platform.caption, "Kestrel (SCENE.BMP 611x4x8 RGB)");
  EXPECT_EQ(platform.pictureChanges.back(), PictureChange::Installed);
}

TEST_F(CurrentImageTest, BadFilesGiveTheirMessagesAndLeaveNothingInstalled) {
  WriteBytes(dir / "TEXT.BMP", {'h', 'e', 'l', 'l', 'o'});
  WriteBytes(dir / "CUT.RLE", RleFile({2, 9, 0, 1}, 5000));  // more coded bytes than the file holds
  WriteBytes(dir / "BROKEN.RLE", RleFile({0, 6, 1, 2}, 4));  // six literals announced, two present
  const std::pair<const char*, const char*> cases[] = {
      {"MISSING.BMP", "Can't open file 'MISSING.BMP'"},
      {"TEXT.BMP", "TEXT.BMP is not a Legitimate DIB File!"},
      {"CUT.RLE", "Could not load RLE!"},
      {"BROKEN.RLE", "Could not load RLE!"},
  };
  for (const auto& [name, message] : cases) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(SetCurrentImage(session, std::make_shared<Bytes>(GreyPicture(8, 8))));
    platform.boxes.clear();
    session.state.currentFilePath = name;
    EXPECT_FALSE(OpenBitmapAsCurrent(session));
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(std::tie(platform.boxes[0].text, platform.boxes[0].caption, platform.boxes[0].icon),
              std::tuple(message, "Error", BoxIcon::Exclamation));
    EXPECT_FALSE(current.imageDisplayable || current.currentDib);
  }
  // A block too short for its own header is not installed either.
  platform.boxes.clear();
  const auto tooShort = std::make_shared<Bytes>(GreyPicture(4, 4));
  tooShort->resize(100);
  EXPECT_FALSE(SetCurrentImage(session, tooShort));
  EXPECT_EQ(platform.BoxTexts(), std::vector<std::string>{"Could not create bitmap!"});
  EXPECT_FALSE(current.imageDisplayable);
}

TEST(UpdateScrollRanges, OneBarTakesItsRoomFromTheOtherDirection) {
  // A client area of 400 x 300; the vertical bar is 17 wide, the horizontal one 15 high.
  const struct { int width, height, horizontal, vertical; } cases[] = {
      {400, 300, 0, 0}, {500, 400, 117, 115},
      {383, 301, 0, 1}, {384, 301, 1, 1},  // tall: 383 columns left beside its bar
      {401, 285, 1, 0}, {401, 286, 1, 1},  // wide: 285 rows left above its bar
      {390, 301, 7, 1}};                   // two passes only: the second pass's bar takes no room
  for (const auto& c : cases) {
    const ScrollRange range = UpdateScrollRanges({c.width, c.height, 400, 300, 17, 15});
    EXPECT_EQ(std::pair(range.horizontalMax, range.verticalMax), std::pair(c.horizontal, c.vertical))
        << c.width << " x " << c.height;
  }
}

}  // namespace
}  // namespace kestrel
