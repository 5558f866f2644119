// Reading and writing bitmap files, including the old core header and hostile files.

#include <gtest/gtest.h>

#include "bitmap/bitmap_file.h"
#include "bitmap/palette.h"
#include "dib_builders.h"
#include "test_support.h"

namespace kestrel {
namespace {

using testing::Colour;
using testing::MakeDib;
using testing::ReadBytes;
using testing::ScratchDir;
using testing::WithFileHeader;
using testing::WriteBytes;

std::vector<Colour> GreyTable(size_t n) {
  std::vector<Colour> table;
  for (size_t i = 0; i < n; ++i) {
    const auto v = static_cast<uint8_t>(i * 255 / (n - 1));
    table.push_back({v, v, v});
  }
  return table;
}

TEST(DibGeometry, RowsPadToFourBytesAndInfoCompletesZeroFields) {
  EXPECT_EQ(RowLength(8, 611), 612u);
  EXPECT_EQ(RowLength(24, 5), 16u);
  EXPECT_EQ(RowLength(1, 33), 8u);
  EXPECT_EQ(RowLength(4, 9), 8u);

  BitmapInfoHeader h;
  h.biWidth = 611;
  h.biHeight = 576;
  h.biBitCount = 8;
  const BitmapInfoHeader info = GetDibInfo(h);
  EXPECT_EQ(info.biSizeImage, 612u * 576u);
  EXPECT_EQ(info.biClrUsed, 256u);
  h.biClrUsed = 17;
  EXPECT_EQ(ColourCount(h), 17u);
  EXPECT_EQ(ColourTableSize(h), 68u);
  h.biBitCount = 24;
  h.biClrUsed = 0;
  EXPECT_EQ(ColourCount(h), 0u);
}

TEST(Palette, TwentyFourBitPicturesGetTheColourCube) {
  const Bytes dib = MakeDib(2, 2, 24, {}, [](int, int) { return 0u; });
  const auto palette = MakePaletteFromDib(dib);
  ASSERT_TRUE(palette);
  ASSERT_EQ(palette->size(), 256u);
  EXPECT_EQ((*palette)[0], (PaletteEntry{0, 0, 0, 0}));
  EXPECT_EQ((*palette)[1], (PaletteEntry{32, 0, 0, 0}));
  EXPECT_EQ((*palette)[7], (PaletteEntry{224, 0, 0, 0}));
  EXPECT_EQ((*palette)[8], (PaletteEntry{0, 32, 0, 0}));
  EXPECT_EQ((*palette)[64], (PaletteEntry{0, 0, 64, 0}));
  EXPECT_EQ((*palette)[255], (PaletteEntry{224, 224, 192, 0}));
}

TEST(Palette, ColourTableIsSwappedToRedGreenBlue) {
  const Bytes dib = MakeDib(1, 1, 1, {{1, 2, 3}, {4, 5, 6}}, [](int, int) { return 0u; });
  const auto palette = MakePaletteFromDib(dib);
  ASSERT_TRUE(palette);
  ASSERT_EQ(palette->size(), 2u);
  EXPECT_EQ((*palette)[1], (PaletteEntry{6, 5, 4, 0}));
}

class BitmapFileTest : public ::testing::Test {
 protected:
  ScratchDir dir;
};

TEST_F(BitmapFileTest, WrittenFilesHaveTheRightOffsetsAndReadBackByteForByte) {
  // Reading completes biClrUsed, so the pictures here carry it already.
  const Bytes grey =
      MakeDib(611, 3, 8, GreyTable(256), [](int x, int y) { return (x + y) & 255u; }, 256);
  const Bytes colour = MakeDib(5, 4, 24, {}, [](int x, int y) { return uint32_t(x * 40 << 16 | y * 60); });
  for (const Bytes* dib : {&grey, &colour}) {
    const auto path = dir / "OUT.BMP";
    ASSERT_TRUE(WriteBitmapFile(path, *dib));
    const Bytes file = ReadBytes(path);
    ASSERT_EQ(file.size(), dib->size() + 14);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(LoadU32(file.data() + 2), file.size());
    EXPECT_EQ(LoadU32(file.data() + 10), dib == &grey ? 1078u : 54u);
    const BitmapReadResult read = ReadBitmapFile(path);
    ASSERT_EQ(read.error, BitmapReadError::None);
    EXPECT_EQ(*read.dib, *dib);
  }
}

TEST_F(BitmapFileTest, FileWithoutBmIsReadAsBarePackedDib) {
  const Bytes dib = MakeDib(3, 2, 8, GreyTable(256), [](int x, int) { return x * 100u; }, 256);
  WriteBytes(dir / "BARE.DIB", dib);
  const BitmapReadResult read = ReadBitmapFile(dir / "BARE.DIB");
  ASSERT_EQ(read.error, BitmapReadError::None);
  EXPECT_EQ(*read.dib, dib);
}

TEST_F(BitmapFileTest, CoreHeaderIsWidenedWithTheRightColours) {
  // 12-byte header, 8 bits, 256 three-byte entries, 4 x 2 pixels.
  Bytes core(12 + 256 * 3 + 8, 0);
  StoreU32(core.data(), 12);
  StoreU16(core.data() + 4, 4);
  StoreU16(core.data() + 6, 2);
  StoreU16(core.data() + 8, 1);
  StoreU16(core.data() + 10, 8);
  for (int i = 0; i < 256; ++i) {
    core[12 + 3 * static_cast<size_t>(i)] = static_cast<uint8_t>(i);            // blue
    core[13 + 3 * static_cast<size_t>(i)] = static_cast<uint8_t>(255 - i);      // green
    core[14 + 3 * static_cast<size_t>(i)] = static_cast<uint8_t>(i ^ 0x55);     // red
  }
  for (size_t i = 0; i < 8; ++i) core[12 + 768 + i] = static_cast<uint8_t>(i * 30);
  WriteBytes(dir / "CORE.BMP", WithFileHeader(core, 14 + 12 + 768));

  const BitmapReadResult read = ReadBitmapFile(dir / "CORE.BMP");
  ASSERT_EQ(read.error, BitmapReadError::None);
  const Bytes& dib = *read.dib;
  const BitmapInfoHeader h = *LoadInfoHeader(dib);
  EXPECT_EQ(h.biSize, 40u);
  EXPECT_EQ(h.biWidth, 4);
  EXPECT_EQ(h.biHeight, 2);
  EXPECT_EQ(h.biClrUsed, 256u);
  EXPECT_EQ(h.biSizeImage, 8u);
  ASSERT_EQ(dib.size(), 40u + 1024u + 8u);
  for (size_t i = 0; i < 256; ++i) {
    EXPECT_EQ(dib[40 + 4 * i], i);
    EXPECT_EQ(dib[41 + 4 * i], 255 - i);
    EXPECT_EQ(dib[42 + 4 * i], (i ^ 0x55));
    EXPECT_EQ(dib[43 + 4 * i], 0);
  }
  EXPECT_EQ(dib[40 + 1024 + 7], 210);
}

TEST_F(BitmapFileTest, TopDownFilesComeBackBottomUp) {
  const Bytes bottomUp =
      MakeDib(3, 3, 8, GreyTable(256), [](int x, int y) { return 10u * y + x; }, 256);
  Bytes topDown = bottomUp;
  StoreI32(topDown.data() + 8, -3);
  const size_t stride = 4, pixels = 40 + 1024;
  for (size_t r = 0; r < 3; ++r)
    std::copy_n(bottomUp.begin() + static_cast<ptrdiff_t>(pixels + (2 - r) * stride), stride,
                topDown.begin() + static_cast<ptrdiff_t>(pixels + r * stride));
  WriteBytes(dir / "TOPDOWN.BMP", WithFileHeader(topDown, 14 + 40 + 1024));
  const BitmapReadResult read = ReadBitmapFile(dir / "TOPDOWN.BMP");
  ASSERT_EQ(read.error, BitmapReadError::None);
  EXPECT_EQ(*read.dib, bottomUp);
}

TEST_F(BitmapFileTest, LongerHeaderVersionsAreReadAsTheFortyByteOne) {
  const Bytes dib = MakeDib(2, 2, 24, {}, [](int x, int y) { return uint32_t(x * 0x10203 + y); });
  Bytes v5(dib.begin(), dib.begin() + 40);
  v5.resize(124, 0);
  StoreU32(v5.data(), 124);
  v5.insert(v5.end(), dib.begin() + 40, dib.end());
  WriteBytes(dir / "V5.BMP", WithFileHeader(v5, 14 + 124));
  const BitmapReadResult read = ReadBitmapFile(dir / "V5.BMP");
  ASSERT_EQ(read.error, BitmapReadError::None);
  EXPECT_EQ(*read.dib, dib);
}

TEST_F(BitmapFileTest, HostileHeadersAreRefusedWithoutReadingPastTheFile) {
  const Bytes good = MakeDib(8, 8, 8, GreyTable(256), [](int x, int y) { return uint32_t(x ^ y); });
  struct Case {
    const char* what;
    std::function<void(Bytes&)> spoil;
    BitmapReadError expected;
  };
  const std::vector<Case> cases = {
      {"zero width", [](Bytes& d) { StoreI32(d.data() + 4, 0); }, BitmapReadError::NotBitmap},
      {"zero height", [](Bytes& d) { StoreI32(d.data() + 8, 0); }, BitmapReadError::NotBitmap},
      {"huge size", [](Bytes& d) { StoreI32(d.data() + 4, 0x7FFFFFFF); StoreI32(d.data() + 8, 0x7FFFFFFF); },
       BitmapReadError::ShortPixels},
      {"most negative height", [](Bytes& d) { StoreI32(d.data() + 8, INT32_MIN); }, BitmapReadError::NotBitmap},
      {"colours beyond the table", [](Bytes& d) { StoreU32(d.data() + 32, 300); }, BitmapReadError::NotBitmap},
      {"16-bit depth", [](Bytes& d) { StoreU16(d.data() + 14, 16); }, BitmapReadError::NotBitmap},
      {"unknown header size", [](Bytes& d) { StoreU32(d.data(), 41); }, BitmapReadError::NotBitmap},
      {"bit fields", [](Bytes& d) { StoreU32(d.data() + 16, 3); }, BitmapReadError::NotBitmap},
      {"RLE size beyond the file", [](Bytes& d) { StoreU32(d.data() + 16, 1); StoreU32(d.data() + 20, 1u << 30); },
       BitmapReadError::ShortPixels},
      {"truncated pixels", [](Bytes& d) { d.resize(d.size() - 9); }, BitmapReadError::ShortPixels},
      {"truncated table", [](Bytes& d) { d.resize(40 + 100); }, BitmapReadError::NotBitmap},
      {"truncated header", [](Bytes& d) { d.resize(20); }, BitmapReadError::NotBitmap},
  };
  for (const Case& c : cases) {
    Bytes dib = good;
    c.spoil(dib);
    WriteBytes(dir / "BAD.BMP", WithFileHeader(dib, 14 + 40 + 1024));
    EXPECT_EQ(ReadBitmapFile(dir / "BAD.BMP").error, c.expected) << c.what;
  }
  WriteBytes(dir / "EMPTY.BMP", {});
  EXPECT_EQ(ReadBitmapFile(dir / "EMPTY.BMP").error, BitmapReadError::NotBitmap);
  EXPECT_EQ(ReadBitmapFile(dir / "MISSING.BMP").error, BitmapReadError::CannotOpen);
  EXPECT_EQ(ReadBitmapFile(dir.path()).error, BitmapReadError::CannotOpen);
  // An offset to the pixels beyond the end of the file.
  WriteBytes(dir / "FAR.BMP", WithFileHeader(good, 1u << 30));
  EXPECT_NE(ReadBitmapFile(dir / "FAR.BMP").error, BitmapReadError::None);
}

TEST_F(BitmapFileTest, FailedWriteLeavesWhatWasThereAndNoLeftovers) {
  const Bytes dib = MakeDib(2, 2, 8, GreyTable(256), [](int, int) { return 7u; });
  // A folder in the way cannot be replaced by a file: the write fails after the data went out.
  std::filesystem::create_directory(dir / "TAKEN.BMP");
  WriteBytes(dir / "TAKEN.BMP" / "INSIDE", {1, 2, 3});
  EXPECT_FALSE(WriteBitmapFile(dir / "TAKEN.BMP", dib));
  EXPECT_EQ(ReadBytes(dir / "TAKEN.BMP" / "INSIDE"), (Bytes{1, 2, 3}));
  size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 1u);
  EXPECT_FALSE(WriteBitmapFile(dir / "NO" / "SUCH" / "FOLDER.BMP", dib));
}

}  // namespace
}  // namespace kestrel
