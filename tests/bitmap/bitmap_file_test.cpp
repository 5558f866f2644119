// Bitmap files: the rows and palettes of packed DIBs, writing and reading back, the header
// variants other programs write, and hostile files.

#include <gtest/gtest.h>

#include "bitmap/bitmap_file.h"
#include "bitmap/palette.h"
#include "dib_builders.h"
#include "test_support.h"

namespace kestrel {
namespace {

using testing::MakeDib;
using testing::ReadBytes;
using testing::WithFileHeader;
using testing::WriteBytes;

// An 8-bit picture whose 256 colours differ in every channel, biClrUsed filled in as reading
// completes it.
Bytes Indexed(int32_t width, int32_t height) {
  std::vector<testing::Colour> table;
  for (int i = 0; i < 256; ++i) table.push_back({uint8_t(i), uint8_t(255 - i), uint8_t(i ^ 0x55)});
  return MakeDib(width, height, 8, table, [](int x, int y) { return uint32_t(x + 10 * y) & 255u; }, 256);
}

TEST(Palette, FollowsTheColourTableOrIsTheColourCube) {
  auto palette = MakePaletteFromDib(MakeDib(1, 1, 1, {{1, 2, 3}, {4, 5, 6}}, [](int, int) { return 0u; }));
  ASSERT_TRUE(palette && palette->size() == 2u);
  EXPECT_EQ((*palette)[1], (PaletteEntry{6, 5, 4, 0}));  // red, green, blue
  palette = MakePaletteFromDib(MakeDib(2, 2, 24, {}, [](int, int) { return 0u; }));
  ASSERT_TRUE(palette && palette->size() == 256u);
  const std::pair<size_t, PaletteEntry> cube[] = {{0, {0, 0, 0, 0}},    {1, {32, 0, 0, 0}},
                                                  {7, {224, 0, 0, 0}},  {8, {0, 32, 0, 0}},
                                                  {64, {0, 0, 64, 0}}, {255, {224, 224, 192, 0}}};
  for (const auto& [index, entry] : cube) EXPECT_EQ((*palette)[index], entry) << index;
}

struct BitmapFileTest : ::testing::Test {
  testing::ScratchDir dir;

  BitmapReadResult Read(const std::string& name, const Bytes& file) {
    WriteBytes(dir / name, file);
    return ReadBitmapFile(dir / name);
  }
};

TEST_F(BitmapFileTest, WrittenFilesHaveTheRightOffsetsAndReadBackByteForByte) {
  const Bytes colour = MakeDib(5, 4, 24, {}, [](int x, int y) { return uint32_t(x * 40 << 16 | y * 60); });
  for (const Bytes& dib : {Indexed(611, 3), colour}) {  // rows of 611 bytes padded to 612
    ASSERT_TRUE(WriteBitmapFile(dir / "OUT.BMP", dib));
    EXPECT_EQ(ReadBytes(dir / "OUT.BMP"), WithFileHeader(dib, dib.size() == colour.size() ? 54u : 1078u));
    const BitmapReadResult read = ReadBitmapFile(dir / "OUT.BMP");
    ASSERT_EQ(read.error, BitmapReadError::None);
    EXPECT_EQ(*read.dib, dib);
  }
}

TEST_F(BitmapFileTest, OtherHeaderVariantsReadAsTheFortyByteBottomUpDib) {
  const Bytes dib = Indexed(3, 3);
  Bytes topDown = dib;  // rows first to last, a negative height
  StoreI32(topDown.data() + 8, -3);
  for (ptrdiff_t r = 0; r < 3; ++r) std::copy_n(dib.begin() + 1064 + (2 - r) * 4, 4, topDown.begin() + 1064 + r * 4);
  Bytes v5(dib.begin(), dib.begin() + 40);  // a 124-byte header
  v5.resize(124, 0);
  StoreU32(v5.data(), 124);
  v5.insert(v5.end(), dib.begin() + 40, dib.end());
  Bytes core(12, 0);  // a 12-byte header with three-byte colour entries
  StoreU32(core.data(), 12);
  StoreU16(core.data() + 4, 3);
  StoreU16(core.data() + 6, 3);
  StoreU16(core.data() + 8, 1);
  StoreU16(core.data() + 10, 8);
  for (ptrdiff_t i = 0; i < 256; ++i) core.insert(core.end(), dib.begin() + 40 + 4 * i, dib.begin() + 43 + 4 * i);
  core.insert(core.end(), dib.begin() + 1064, dib.end());
  Bytes widened = dib;  // the old header has no count of important colours: all are
  StoreU32(widened.data() + 36, 256);
  const std::tuple<const char*, Bytes, const Bytes&> files[] = {
      {"BARE.DIB", dib, dib},
      {"TOPDOWN.BMP", WithFileHeader(topDown, 14 + 1064), dib},
      {"V5.BMP", WithFileHeader(v5, 14 + 124 + 1024), dib},
      {"CORE.BMP", WithFileHeader(core, 14 + 12 + 768), widened}};
  for (const auto& [name, file, expected] : files) {
    const BitmapReadResult read = Read(name, file);
    ASSERT_EQ(read.error, BitmapReadError::None) << name;
    EXPECT_EQ(*read.dib, expected) << name;
  }
}

TEST_F(BitmapFileTest, HostileFilesAreRefusedWithoutReadingPastTheFile) {
  struct Case {
    const char* what;
    std::function<void(Bytes&)> spoil;
    BitmapReadError expected;
  };
  using enum BitmapReadError;
  const Case cases[] = {
      {"zero width", [](Bytes& d) { StoreI32(d.data() + 4, 0); }, NotBitmap},
      {"zero height", [](Bytes& d) { StoreI32(d.data() + 8, 0); }, NotBitmap},
      {"colours beyond the table", [](Bytes& d) { StoreU32(d.data() + 32, 300); }, NotBitmap},
      {"16-bit depth", [](Bytes& d) { StoreU16(d.data() + 14, 16); }, NotBitmap},
      {"unknown header size", [](Bytes& d) { StoreU32(d.data(), 41); }, NotBitmap},
      {"bit fields", [](Bytes& d) { StoreU32(d.data() + 16, 3); }, NotBitmap},
      {"RLE size beyond the file", [](Bytes& d) { StoreU32(d.data() + 16, 1); StoreU32(d.data() + 20, 1u << 30); }, ShortPixels},
      {"truncated pixels", [](Bytes& d) { d.resize(d.size() - 9); }, ShortPixels},
      {"truncated table", [](Bytes& d) { d.resize(40 + 100); }, NotBitmap},
      {"truncated header", [](Bytes& d) { d.resize(20); }, NotBitmap},
  };
  for (const Case& c : cases) {
    Bytes dib = Indexed(8, 8);
    c.spoil(dib);
    EXPECT_EQ(Read("BAD.BMP", WithFileHeader(dib, 14 + 40 + 1024)).error, c.expected) << c.what;
  }
  EXPECT_EQ(Read("EMPTY.BMP", {}).error, NotBitmap);
  EXPECT_EQ(ReadBitmapFile(dir / "MISSING.BMP").error, CannotOpen);
  EXPECT_EQ(ReadBitmapFile(dir.path()).error, CannotOpen);
}

TEST_F(BitmapFileTest, FailedWriteLeavesWhatWasThereAndNoLeftovers) {
  // A folder in the way cannot be replaced by a file: the write fails after the data went out.
  std::filesystem::create_directory(dir / "TAKEN.BMP");
  WriteBytes(dir / "TAKEN.BMP" / "INSIDE", {1, 2, 3});
  EXPECT_FALSE(WriteBitmapFile(dir / "TAKEN.BMP", Indexed(2, 2)));
  EXPECT_EQ(ReadBytes(dir / "TAKEN.BMP" / "INSIDE"), (Bytes{1, 2, 3}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
  EXPECT_FALSE(WriteBitmapFile(dir / "NO" / "SUCH" / "FOLDER.BMP", Indexed(2, 2)));
}

}  // namespace
}  // namespace kestrel
