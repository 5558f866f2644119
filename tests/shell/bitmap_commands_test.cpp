// Open Bmp, Save Bmp, Paste DIB and Copy through the scripted platform, and the rules of the
// bitmap file dialog's name field and format panel.

#include <gtest/gtest.h>

#include "base/text.h"
#include "bitmap/convert.h"
#include "shell/bitmap_commands.h"
#include "support/dib_builders.h"
#include "support/test_support.h"

namespace kestrel {
namespace {

using Names = std::vector<std::string>;
FileChoice Typed(std::string name, int formatWord = 0) { return {std::move(name), static_cast<uint16_t>(formatWord)}; }

// 13 x 5 in two colours, which every depth holds exactly.
const Bytes kPicture = testing::MakeDib(13, 5, 24, {}, [](int x, int y) { return (x * y + x) % 3 ? 0x0AC81Eu : 0xF00578u; });

// The rows of a picture at 24 bits, which has no colour table.
Bytes TrueColourRows(const Bytes& dib) {
  const Block rows = ConvertDib(dib, kCompressionRgb, 24);
  return rows ? Bytes(rows->begin() + kInfoHeaderSize, rows->end()) : Bytes{};
}

struct BitmapCommands : ::testing::Test, testing::SessionFixture {
  ImageState& s = session.state;
  BitmapCommands() { testing::WriteBytes(dir / "source.bmp", testing::WithFileHeader(kPicture, 54)); }
  void Open(const std::string& typed) {
    platform.openAnswers = {Typed(typed)};
    ASSERT_TRUE(OpenBmpCommand(session));
  }
};

TEST(BitmapDialog, NameRulesAndFormatPanel) {
  EXPECT_EQ(PatternNames("*.BMP;  *.DIB;*.RLE"), (Names{"*.BMP", "*.DIB", "*.RLE"}));
  const char* names[][3] = {{"picture", "*.BMP;*.DIB", "PICTURE.BMP"}, {"Scan.dib", "*.BMP", "SCAN.DIB"},
                            {"../pic", "*.BMP", "../PIC.BMP"}, {".hidden", "*.RLE", ".HIDDEN.RLE"},
                            {"/Pics/v1.2/out", "*.DIB", "/Pics/v1.2/OUT.DIB"}, {"note", "*.*", "NOTE"}};
  for (const auto& [typed, pattern, name] : names) EXPECT_EQ(CompletedName(typed, pattern), name) << typed;
  const uint16_t clicks[][3] = {{kFormatRgb | kFormat24Bpp, kFormatRle8, kFormatRle8 | kFormat8Bpp},
                                {kFormatRgb | kFormat8Bpp, kFormatRle4, kFormatRle4 | kFormat4Bpp},
                                {kFormatRle8 | kFormat8Bpp, kFormatRgb, kFormatRgb | kFormat8Bpp}};
  for (const auto& [before, compression, after] : clicks) EXPECT_EQ(ClickCompression(before, compression), after);
}

TEST_F(BitmapCommands, SaveBmpInEveryFormatOpensToTheSamePixels) {
  struct Case { int formatWord; uint32_t compression; uint16_t bitCount; const char* name; };
  // A group left unchosen keeps the picture's own; a compression brings the one depth it allows.
  const Case cases[] = {{kFormatRgb | kFormat24Bpp, kCompressionRgb, 24, "rgb24"}, {kFormat8Bpp, kCompressionRgb, 8, "rgb8"},
                        {kFormatRgb | kFormat4Bpp, kCompressionRgb, 4, "rgb4"}, {kFormat1Bpp, kCompressionRgb, 1, "rgb1"},
                        {kFormatRle8, kCompressionRle8, 8, "rle8"}, {kFormatRle4 | kFormat24Bpp, kCompressionRle4, 4, "rle4"}};
  for (const Case& c : cases) {
    Open("SOURCE");
    platform.saveAnswers = {Typed(c.name, c.formatWord)};
    EXPECT_TRUE(SaveBmpCommand(session));
    Open(c.name);
    const BitmapInfoHeader h = *LoadInfoHeader(*s.current.currentDib);
    EXPECT_EQ(std::pair(h.biCompression, h.biBitCount), std::pair(c.compression, c.bitCount)) << c.name;
    EXPECT_EQ(TrueColourRows(*s.current.currentDib), TrueColourRows(kPicture)) << c.name;
  }
  EXPECT_EQ(platform.saveRequests[0].formatWord, kFormatRgb | kFormat24Bpp);
}

TEST_F(BitmapCommands, RlePicturesAreSavedAsReadByteForByte) {
  for (const uint16_t bits : {uint16_t{8}, uint16_t{4}}) {
    const auto stripes = [](int x, int y) { return static_cast<uint32_t>(x / 3 + y % 2); };
    Bytes rle = *EncodeRle(testing::MakeDib(13, 5, bits, std::vector<testing::Colour>(1u << bits), stripes, 1u << bits));
    // Padding behind the end of the picture, which coding it afresh would not write.
    rle.insert(rle.end(), {0, 0, 0, 0});
    StoreU32(rle.data() + dib_field::kSizeImage, LoadU32(rle.data() + dib_field::kSizeImage) + 4);
    const Bytes file = testing::WithFileHeader(rle, 54 + (4u << bits));
    testing::WriteBytes(dir / "SCAN.RLE", file);
    Open("scan.rle");
    for (const char* target : {"scan.rle", "copy.rle"}) {  // over its own file, and beside it
      platform.saveAnswers = {Typed(target, bits == 8 ? kFormatRle8 | kFormat8Bpp : kFormatRle4)};
      EXPECT_TRUE(SaveBmpCommand(session));
      EXPECT_EQ(testing::ReadBytes(dir / ToUpperAscii(target)), file) << target << bits;
    }
  }
}

TEST_F(BitmapCommands, DialogAsksAgainForMissingFilesAndPatternsAndCancelLeavesTheStarName) {
  platform.openAnswers = {Typed("missing"), Typed((dir / "Source.BMP").string())};
  EXPECT_TRUE(OpenBmpCommand(session));
  EXPECT_EQ(platform.openRequests.size(), 2u);
  EXPECT_TRUE(SaveBmpCommand(session));  // cancelled
  EXPECT_EQ(s.currentFilePath, "*.BMP");
  platform.saveAnswers = {Typed("*.DIB"), Typed("picture")};
  EXPECT_TRUE(SaveBmpCommand(session));
  EXPECT_EQ(platform.saveRequests.back().filters[0].patterns, Names{"*.DIB"});
  EXPECT_EQ(testing::ReadBytes(dir / "PICTURE.DIB"), testing::ReadBytes(dir / "source.bmp"));
  platform.saveAnswers = {Typed("picture.png")};  // the picture as shown, as a PNG file
  EXPECT_TRUE(SaveBmpCommand(session));
  Bytes png = testing::ReadBytes(dir / "PICTURE.PNG");
  png.resize(4);
  EXPECT_EQ(png, (Bytes{0x89, 0x50, 0x4E, 0x47}));
  EXPECT_TRUE(platform.BoxTexts().empty());
}

TEST_F(BitmapCommands, CopyThenPasteAndWhatEachLeavesAlone) {
  platform.clipboard = Bytes{1, 2, 3};
  EXPECT_EQ(CopyCommand(session), 0);  // nothing on show
  EXPECT_EQ(platform.clipboard, Bytes({1, 2, 3}));
  Open("source.bmp");
  EXPECT_FALSE(PasteDibCommand(session));  // not a picture: the one on show stays
  EXPECT_EQ(platform.BoxTexts(), Names{"<Clipboard> is not a Legitimate DIB File!"});
  platform.clipboard.reset();
  s.processing.rotationAvailable = true, s.fileHeaderBuffer[7] = 9;
  EXPECT_TRUE(PasteDibCommand(session));  // no picture to paste: only the flags and header go
  EXPECT_EQ(std::tuple(s.processing.rotationAvailable, s.fileHeaderBuffer[7], s.currentFilePath),
            std::tuple(false, 0, "SOURCE.BMP"));
  EXPECT_EQ(CopyCommand(session), 1);
  const Bytes shown = *s.current.currentDib;
  s.current = {};
  EXPECT_TRUE(PasteDibCommand(session));
  EXPECT_EQ(std::pair(s.currentFilePath, *s.current.currentDib), std::pair(std::string("<Clipboard>"), shown));
}

}  // namespace
}  // namespace kestrel
