// Installing, releasing and captioning the picture on show, through a scripted platform.

#include <gtest/gtest.h>

#include "bitmap/bitmap_file.h"
#include "session/current_image.h"
#include "dib_builders.h"
#include "test_support.h"

namespace kestrel {
namespace {

using testing::MakeDib;
using testing::SessionFixture;
using testing::WithFileHeader;
using testing::WriteBytes;

Bytes GreyPicture(int32_t width, int32_t height) {
  std::vector<testing::Colour> grey;
  for (int i = 0; i < 256; ++i) grey.push_back({uint8_t(i), uint8_t(i), uint8_t(i)});
  return MakeDib(width, height, 8, grey, [](int x, int y) { return uint32_t(x + y) & 255u; }, 256);
}

class CurrentImageTest : public ::testing::Test, protected SessionFixture {};

TEST_F(CurrentImageTest, OpeningABitmapInstallsItAndCaptionsTheWindow) {
  WriteBytes(dir / "scene.bmp", WithFileHeader(GreyPicture(611, 4), 14 + 40 + 1024));
  session.state.currentFilePath = "SCENE.BMP";  // found whatever the case on disk
  ASSERT_TRUE(OpenBitmapAsCurrent(session));
  EXPECT_TRUE(platform.boxes.empty());
  const CurrentImage& current = session.state.current;
  EXPECT_TRUE(current.imageDisplayable);
  ASSERT_TRUE(current.currentDib);
  EXPECT_EQ(current.currentDib, current.currentHeader);
  EXPECT_EQ(current.pixelOffsetInFile, 40u + 1024u);
  EXPECT_EQ(current.displayWidth, 611);
  EXPECT_EQ(current.displayHeight, 4);
  ASSERT_TRUE(current.currentPalette);
  EXPECT_EQ(current.currentPalette->size(), 256u);
  EXPECT_EQ(platform.caption, "Kestrel (SCENE.BMP 611x4x8 RGB)");
  EXPECT_EQ(platform.pictureChanges.back(), PictureChange::Installed);
}

TEST_F(CurrentImageTest, CaptionNamesTheCompressionAndOnlyTheFileName) {
  BitmapInfoHeader h;
  h.biWidth = 20;
  h.biHeight = 10;
  h.biBitCount = 8;
  h.biCompression = kCompressionRle8;
  EXPECT_EQ(ImageCaption("C:\\PICS\\U5IW0123", h), "Kestrel (U5IW0123 20x10x8 RLE8)");
  h.biBitCount = 4;
  h.biCompression = kCompressionRle4;
  EXPECT_EQ(ImageCaption("A:KB.RLE", h), "Kestrel (KB.RLE 20x10x4 RLE4)");
}

TEST_F(CurrentImageTest, BadFilesGiveTheirMessagesAndLeaveNothingInstalled) {
  const Bytes good = GreyPicture(8, 8);
  Bytes rle = good;
  StoreU32(rle.data() + 16, kCompressionRle8);
  StoreU32(rle.data() + 20, 5000);  // more coded bytes than the file holds
  WriteBytes(dir / "CUT.RLE", WithFileHeader(rle, 14 + 40 + 1024));
  Bytes cut = WithFileHeader(good, 14 + 40 + 1024);
  cut.resize(cut.size() - 1);
  WriteBytes(dir / "CUT.BMP", cut);
  WriteBytes(dir / "TEXT.BMP", {'h', 'e', 'l', 'l', 'o'});

  const std::pair<const char*, const char*> cases[] = {
      {"MISSING.BMP", "Can't open file 'MISSING.BMP'"},
      {"TEXT.BMP", "TEXT.BMP is not a Legitimate DIB File!"},
      {"CUT.BMP", "CUT.BMP is not a Legitimate DIB File!"},
      {"CUT.RLE", "Could not load RLE!"},
  };
  for (const auto& [name, message] : cases) {
    ASSERT_TRUE(SetCurrentImage(session, std::make_shared<Bytes>(good)));
    platform.boxes.clear();
    session.state.currentFilePath = name;
    EXPECT_FALSE(OpenBitmapAsCurrent(session)) << name;
    ASSERT_EQ(platform.boxes.size(), 1u) << name;
    EXPECT_EQ(platform.boxes[0].text, message);
    EXPECT_EQ(platform.boxes[0].caption, "Error");
    EXPECT_EQ(platform.boxes[0].icon, BoxIcon::Exclamation);
    EXPECT_FALSE(session.state.current.imageDisplayable) << name;
    EXPECT_FALSE(session.state.current.currentDib) << name;
  }
}

TEST_F(CurrentImageTest, RleWhoseCodesEndInsideALiteralRunIsRefused) {
  Bytes rle = GreyPicture(8, 2);
  rle.resize(40 + 1024);
  rle.insert(rle.end(), {0, 6, 1, 2});  // six literals announced, two present
  StoreU32(rle.data() + 16, kCompressionRle8);
  StoreU32(rle.data() + 20, 4);
  WriteBytes(dir / "BROKEN.RLE", WithFileHeader(rle, 14 + 40 + 1024));
  session.state.currentFilePath = "BROKEN.RLE";
  EXPECT_FALSE(OpenBitmapAsCurrent(session));
  EXPECT_EQ(platform.BoxTexts(), std::vector<std::string>{"Could not load RLE!"});
  EXPECT_FALSE(session.state.current.imageDisplayable);
}

TEST_F(CurrentImageTest, FreeCurrentImageReleasesEveryBlock) {
  Block picture = std::make_shared<Bytes>(GreyPicture(4, 4));
  session.state.loadedImage = picture;
  session.state.shownImage = picture;
  session.state.imageAdjustOriginal = DuplicateBlock(picture);
  session.state.topDownCopy = NewBlock(16);
  session.state.rotationWorkCopy = NewBlock(16);
  ASSERT_TRUE(SetCurrentImage(session, picture));
  session.state.current.selectionRectangle = {1, 1, 3, 3};
  FreeCurrentImage(session);
  EXPECT_EQ(picture.use_count(), 1);
  EXPECT_FALSE(session.state.topDownCopy || session.state.rotationWorkCopy ||
               session.state.imageAdjustOriginal);
  EXPECT_FALSE(session.state.current.imageDisplayable);
  EXPECT_TRUE(session.state.current.selectionRectangle.Empty());
  EXPECT_EQ(platform.pictureChanges.back(), PictureChange::Cleared);
}

TEST_F(CurrentImageTest, MalformedBlocksAreNotInstalled) {
  Bytes bad = GreyPicture(4, 4);
  bad.resize(100);
  EXPECT_FALSE(SetCurrentImage(session, std::make_shared<Bytes>(bad)));
  EXPECT_EQ(platform.BoxTexts(), std::vector<std::string>{"Could not create bitmap!"});
  EXPECT_FALSE(session.state.current.imageDisplayable);
}

TEST_F(CurrentImageTest, ConvertingForSaveLeavesThePictureOnShowWhole) {
  Block picture = std::make_shared<Bytes>(
      MakeDib(16, 16, 24, {}, [](int x, int y) { return uint32_t(x * 16) << 16 | uint32_t(y * 16); }));
  EXPECT_FALSE(ConvertDibFormat(session, kCompressionRgb, 8));  // nothing on show
  ASSERT_TRUE(SetCurrentImage(session, picture));
  const Block one = ConvertDibFormat(session, kCompressionRgb, 1);
  ASSERT_TRUE(one);
  EXPECT_EQ(LoadInfoHeader(*one)->biBitCount, 1);
  EXPECT_EQ(session.state.current.currentDib, picture);
  EXPECT_EQ(ConvertDibFormat(session, kCompressionRgb, 24), picture);
  const Block rle = ConvertDibFormat(session, kCompressionRle8, 8);
  ASSERT_TRUE(rle);
  EXPECT_EQ(LoadInfoHeader(*rle)->biCompression, kCompressionRle8);
}

TEST(ScrollRanges, BarsTakeRoomFromTheClientArea) {
  // 1020-wide picture in a window clamped to an 800 x 600 work area.
  ScrollRange r = UpdateScrollRanges({1020, 1020, 790, 540, 17, 17});
  EXPECT_EQ(r.horizontalMax, 1020 - 773);
  EXPECT_EQ(r.verticalMax, 1020 - 523);
  // A narrower picture has no horizontal range.
  r = UpdateScrollRanges({300, 200, 400, 300, 17, 17});
  EXPECT_EQ(r.horizontalMax, 0);
  EXPECT_EQ(r.verticalMax, 0);
  // Only the second pass finds that the vertical bar makes the picture too wide.
  r = UpdateScrollRanges({390, 400, 400, 300, 17, 17});
  EXPECT_EQ(r.verticalMax, 100);
  EXPECT_EQ(r.horizontalMax, 7);
}

}  // namespace
}  // namespace kestrel
