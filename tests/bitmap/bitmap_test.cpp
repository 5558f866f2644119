// Packed DIBs and bitmap files: writing and reading back, the header variants other
// programs write, hostile files, RLE coding and depth conversion against a plain pixel reader.

#include <gtest/gtest.h>

#include <random>

#include "bitmap/bitmap_file.h"
#include "bitmap/convert.h"
#include "dib_builders.h"
#include "test_support.h"

namespace kestrel {
namespace {

using namespace kestrel::testing;

// A colour table of n entries that differ in every channel.
std::vector<testing::Colour> Table(size_t n) {
  std::vector<testing::Colour> table;
  for (size_t i = 0; i < n; ++i) table.push_back({uint8_t(i), uint8_t(255 - i), uint8_t(i * 7 ^ 0x55)});
  return table;
}

// An 8-bit picture of 256 colours, biClrUsed filled in as reading completes it.
Bytes Indexed(int32_t width, int32_t height) {
  return MakeDib(width, height, 8, Table(256), [](int x, int y) { return uint32_t(x + 10 * y) & 255u; }, 256);
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

// The 0xRRGGBB colour of pixel (x, y from the top) of an uncompressed packed DIB.
uint32_t ColourAt(const Bytes& dib, int x, int y) {
  const BitmapInfoHeader h = *LoadInfoHeader(dib);
  const size_t stride = (size_t{h.biBitCount} * static_cast<size_t>(h.biWidth) + 31) / 32 * 4;
  const uint8_t* row = dib.data() + PixelOffset(h) + stride * static_cast<size_t>(h.biHeight - 1 - y);
  const auto ux = static_cast<size_t>(x);
  const size_t bits = h.biBitCount;
  const uint8_t* entry = row + 3 * ux;  // a 24-bit pixel is its own entry
  if (bits < 24) {
    const size_t index = (row[ux * bits / 8] >> (8 - bits - ux * bits % 8)) & ((1u << bits) - 1);
    entry = dib.data() + 40 + 4 * index;
  }
  return uint32_t{entry[2]} << 16 | uint32_t{entry[1]} << 8 | entry[0];
}

// An 8-bit (RLE8) or 4-bit (RLE4) picture holding `codes`.
Bytes RleDib(int32_t width, int32_t height, const Bytes& codes, uint32_t compression = kCompressionRle8) {
  const uint16_t bits = compression == kCompressionRle8 ? 8 : 4;
  Bytes dib = MakeDib(width, height, bits, Table(size_t{1} << bits), [](int, int) { return 0u; });
  dib.resize(40 + (size_t{4} << bits));
  dib.insert(dib.end(), codes.begin(), codes.end());
  StoreU32(dib.data() + 16, compression);
  StoreU32(dib.data() + 20, static_cast<uint32_t>(codes.size()));
  return dib;
}

// The pixel bytes of an RLE picture once decoded.
Bytes Decoded(const Bytes& rle) {
  const Block plain = DecodeRle(rle);
  if (!plain) return {};
  EXPECT_EQ(LoadInfoHeader(*plain)->biCompression, kCompressionRgb);
  return Bytes(plain->begin() + PixelOffset(*LoadInfoHeader(*plain)), plain->end());
}

TEST(Rle, DecodingFollowsRunsLiteralsDeltasAndEndsAndDropsWhatFallsOutside) {
  // Bottom row: run of 3 x 0x11, literals 0x21 0x22 0x23 (padded), end of line. Next row: delta
  // right 2, run 1 x 0x30, end of bitmap; the top row stays 0.
  EXPECT_EQ(Decoded(RleDib(6, 3, {3, 0x11, 0, 3, 0x21, 0x22, 0x23, 0, 0, 0, 0, 2, 2, 0, 1, 0x30, 0, 1})),
            (Bytes{0x11, 0x11, 0x11, 0x21, 0x22, 0x23, 0, 0, 0, 0, 0x30, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  // RLE4 runs alternate their two nibbles.
  EXPECT_EQ(Decoded(RleDib(8, 1, {5, 0xAB, 0, 3, 0x12, 0x30, 0, 1}, kCompressionRle4)), (Bytes{0xAB, 0xAB, 0xA1, 0x23}));
  // A run of 6 on a row of 4 (the padding coded too), a delta far beyond the picture, then a
  // run that must land nowhere.
  EXPECT_EQ(Decoded(RleDib(4, 2, {6, 5, 0, 0, 0, 2, 200, 200, 3, 9, 0, 1})), (Bytes{5, 5, 5, 5, 0, 0, 0, 0}));
  EXPECT_TRUE(DecodeRle(RleDib(4, 2, {0, 5, 1, 2, 3, 4, 5, 0})));  // literals past the row
  EXPECT_TRUE(DecodeRle(RleDib(4, 2, {2, 9})));                    // no end code is fine
  EXPECT_FALSE(DecodeRle(RleDib(4, 2, {0, 4, 1, 2})));             // literals cut off
  EXPECT_FALSE(DecodeRle(RleDib(4, 2, {0, 2, 1})));                // delta cut off
}

TEST(Rle, EncodingRoundTripsEveryRowShapeAtBothDepths) {
  std::mt19937 random(7);
  for (uint16_t bits : {uint16_t{4}, uint16_t{8}}) {
    for (int32_t width : {1, 2, 3, 4, 5, 17, 255, 256, 300, 611}) {
      const uint32_t mask = (1u << bits) - 1;
      // Runs, literals and noise mixed, so every coding path is taken.
      const Bytes dib = MakeDib(width, 7, bits, Table(size_t{1} << bits), [&](int x, int y) {
        switch (y % 4) {
          case 0: return uint32_t(x / 5) & mask;
          case 1: return uint32_t(random()) & mask;
          case 2: return 3u;
          default: return uint32_t(x % 3 == 0 ? random() : 9) & mask;
        }
      });
      const Block encoded = EncodeRle(dib);
      ASSERT_TRUE(encoded) << width;
      EXPECT_EQ(LoadInfoHeader(*encoded)->biCompression, bits == 8 ? kCompressionRle8 : kCompressionRle4);
      const Block decoded = DecodeRle(*encoded);
      ASSERT_TRUE(decoded) << width;
      EXPECT_EQ(*decoded, dib) << "bits " << bits << " width " << width;
    }
  }
}

// The largest difference in any channel between two pictures of the same size.
int WorstError(const Bytes& from, const Bytes& to) {
  const BitmapInfoHeader h = *LoadInfoHeader(from);
  int worst = 0;
  for (int i = 0; i < h.biWidth * h.biHeight; ++i)
    for (int shift : {0, 8, 16}) {
      const uint32_t a = ColourAt(from, i % h.biWidth, i / h.biWidth), b = ColourAt(to, i % h.biWidth, i / h.biWidth);
      worst = std::max(worst, std::abs(int(a >> shift & 255) - int(b >> shift & 255)));
    }
  return worst;
}

TEST(ConvertDib, KeepsEveryColourThatFitsMapsTheRestNearbyAndRefusesWhatABitmapCannotHold) {
  for (uint16_t bits : {uint16_t{1}, uint16_t{4}, uint16_t{8}}) {  // up to 24 bits
    const Bytes dib = MakeDib(13, 5, bits, Table(size_t{1} << bits), [&](int x, int y) { return uint32_t(x * 3 + y) % (1u << bits); });
    const Block wide = ConvertDepth(dib, 24);
    ASSERT_TRUE(wide);
    EXPECT_EQ(WorstError(dib, *wide), 0) << bits;
  }
  const uint32_t three[3] = {0x102030, 0xFFEE00, 0x0000FF};
  const Bytes few = MakeDib(9, 6, 24, {}, [&](int x, int y) { return three[(x + 2 * y) % 3]; });
  // A smooth gradient of 4096 colours squeezed into 16 and 256 entries.
  const Bytes many = MakeDib(64, 64, 24, {}, [](int x, int y) { return uint32_t(x * 4) << 16 | uint32_t(y * 4) << 8 | uint32_t((x + y) * 2); });
  for (auto [bits, worst] : {std::pair{uint16_t{8}, 24}, std::pair{uint16_t{4}, 80}}) {
    for (const Bytes* dib : {&few, &many}) {
      const Block low = ConvertDepth(*dib, bits);
      ASSERT_TRUE(low);
      EXPECT_LE(WorstError(*dib, *low), dib == &few ? 0 : worst) << bits;
    }
  }
  EXPECT_FALSE(ConvertDib(few, kCompressionRle8, 4));
  EXPECT_FALSE(ConvertDib(few, kCompressionRle4, 8));
  EXPECT_FALSE(ConvertDib(few, kCompressionRgb, 16));
  EXPECT_TRUE(ConvertDib(few, kCompressionRle8, 8) && ConvertDib(few, kCompressionRle4, 4));
}

TEST(ConvertDepth, MedianCutPalettesAndIndicesWhereACutFallsOnABoundary) {
  // One row at 1 bit: three colours (0xRRGGBB) make two entries.
  const struct { const char* why; std::vector<uint32_t> pixels, palette, shown; } cases[] = {
      // Black holds exactly half the weight: the cut falls right after it; (128 + 255) / 2.
      {"cut at half the weight", {0x000000, 0x000000, 0x800000, 0xFF0000}, {0x000000, 0xBF0000}, {0x000000, 0x000000, 0xBF0000, 0xBF0000}},
      // Red and green both span 96: red, the first, is cut; (0 + 40) / 2, (96 + 0) / 2.
      {"equal spreads", {0x006000, 0x280000, 0x602800}, {0x143000, 0x602800}, {0x143000, 0x143000, 0x602800}},
      // 200 and 203 share a histogram bin, whose mean rounds down.
      {"one bin", {0x000000, 0xC80000, 0xCB0000}, {0x000000, 0xC90000}, {0x000000, 0xC90000, 0xC90000}},
  };
  for (const auto& c : cases) {
    const int width = static_cast<int>(c.pixels.size());
    const Block low = ConvertDepth(MakeDib(width, 1, 24, {}, [&](int x, int) { return c.pixels[size_t(x)]; }), 1);
    ASSERT_TRUE(low);
    std::vector<uint32_t> palette, shown;
    for (size_t i = 0; i < 2; ++i) palette.push_back(LoadU32(low->data() + 40 + 4 * i));
    for (int x = 0; x < width; ++x) shown.push_back(ColourAt(*low, x, 0));
    EXPECT_EQ(std::tie(palette, shown), std::tie(c.palette, c.shown)) << c.why;
  }
}

}  // namespace
}  // namespace kestrel
