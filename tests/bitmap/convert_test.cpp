// RLE coding and depth conversion against hand-made expectations and plain references.

#include <gtest/gtest.h>

#include <random>

#include "bitmap/convert.h"
#include "dib_builders.h"

namespace kestrel {
namespace {

using testing::Colour;
using testing::MakeDib;

std::vector<Colour> Table(size_t n) {
  std::vector<Colour> table;
  for (size_t i = 0; i < n; ++i)
    table.push_back({static_cast<uint8_t>(i * 7), static_cast<uint8_t>(i * 13), static_cast<uint8_t>(255 - i)});
  return table;
}

// The colour of pixel (x, y from the top) of any uncompressed packed DIB, read plainly.
uint32_t ColourAt(const Bytes& dib, int x, int y) {
  const BitmapInfoHeader h = *LoadInfoHeader(dib);
  const size_t stride = (size_t{h.biBitCount} * static_cast<size_t>(h.biWidth) + 31) / 32 * 4;
  const uint8_t* row = dib.data() + PixelOffset(h) + stride * static_cast<size_t>(h.biHeight - 1 - y);
  const auto ux = static_cast<size_t>(x);
  uint32_t index = 0;
  switch (h.biBitCount) {
    case 24: return uint32_t{row[3 * ux + 2]} << 16 | uint32_t{row[3 * ux + 1]} << 8 | row[3 * ux];
    case 8: index = row[ux]; break;
    case 4: index = ux % 2 ? row[ux / 2] & 15u : row[ux / 2] >> 4u; break;
    default: index = (row[ux / 8] >> (7 - ux % 8)) & 1u;
  }
  const uint8_t* entry = dib.data() + 40 + 4 * index;
  return uint32_t{entry[2]} << 16 | uint32_t{entry[1]} << 8 | entry[0];
}

Bytes Rle8Dib(int32_t width, int32_t height, const Bytes& codes, uint32_t compression = 1) {
  Bytes dib = MakeDib(width, height, compression == 1 ? 8 : 4, Table(compression == 1 ? 256 : 16),
                      [](int, int) { return 0u; });
  const size_t tableBytes = compression == 1 ? 1024 : 64;
  dib.resize(40 + tableBytes);
  dib.insert(dib.end(), codes.begin(), codes.end());
  StoreU32(dib.data() + 16, compression);
  StoreU32(dib.data() + 20, static_cast<uint32_t>(codes.size()));
  return dib;
}

TEST(RleDecode, Rle8RunsAbsoluteDeltaAndEndsFollowTheFormat) {
  // Bottom row: run of 3 x 0x11, absolute 0x21 0x22 0x23 (padded), end of line.
  // Next row: delta right 2, run 1 x 0x30, end of bitmap; the last row stays 0.
  const Bytes dib = Rle8Dib(6, 3, {3, 0x11, 0, 3, 0x21, 0x22, 0x23, 0, 0, 0, 0, 2, 2, 0, 1, 0x30, 0, 1});
  const Block plain = DecodeRle(dib);
  ASSERT_TRUE(plain);
  const BitmapInfoHeader h = *LoadInfoHeader(*plain);
  EXPECT_EQ(h.biCompression, 0u);
  const uint8_t* p = plain->data() + 40 + 1024;
  const Bytes bottom(p, p + 6), middle(p + 8, p + 14), top(p + 16, p + 22);
  EXPECT_EQ(bottom, (Bytes{0x11, 0x11, 0x11, 0x21, 0x22, 0x23}));
  EXPECT_EQ(middle, (Bytes{0, 0, 0x30, 0, 0, 0}));
  EXPECT_EQ(top, (Bytes{0, 0, 0, 0, 0, 0}));
}

TEST(RleDecode, Rle4AlternatesNibbles) {
  // Run of 5 alternating 0xA, 0xB; absolute 3 nibbles 1 2 3.
  const Bytes dib = Rle8Dib(8, 1, {5, 0xAB, 0, 3, 0x12, 0x30, 0, 1}, 2);
  const Block plain = DecodeRle(dib);
  ASSERT_TRUE(plain);
  const uint8_t* p = plain->data() + 40 + 64;
  EXPECT_EQ(Bytes(p, p + 4), (Bytes{0xAB, 0xAB, 0xA1, 0x23}));
}

TEST(RleDecode, CodesOutsideThePictureAreDroppedAndCutCodesRefused) {
  // Run of 6 on a row of 4 (the padding coded too, as some encoders do), then a delta far
  // beyond the picture, then a run that must land nowhere.
  const Block clipped = DecodeRle(Rle8Dib(4, 2, {6, 5, 0, 0, 0, 2, 200, 200, 3, 9, 0, 1}));
  ASSERT_TRUE(clipped);
  const uint8_t* p = clipped->data() + 40 + 1024;
  EXPECT_EQ(Bytes(p, p + 8), (Bytes{5, 5, 5, 5, 0, 0, 0, 0}));
  EXPECT_TRUE(DecodeRle(Rle8Dib(4, 2, {0, 5, 1, 2, 3, 4, 5, 0})));  // absolute past the row
  EXPECT_FALSE(DecodeRle(Rle8Dib(4, 2, {0, 4, 1, 2})));             // literals cut off
  EXPECT_FALSE(DecodeRle(Rle8Dib(4, 2, {0, 2, 1})));                // delta cut off
  EXPECT_TRUE(DecodeRle(Rle8Dib(4, 2, {2, 9})));                    // no end code is fine
}

TEST(RleEncode, RoundTripsEveryRowShapeAtBothDepths) {
  std::mt19937 random(7);
  for (uint16_t bits : {uint16_t{4}, uint16_t{8}}) {
    for (int32_t width : {1, 2, 3, 4, 5, 17, 255, 256, 300, 611}) {
      const uint32_t mask = bits == 8 ? 255u : 15u;
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
      EXPECT_EQ(LoadInfoHeader(*encoded)->biCompression, bits == 8 ? 1u : 2u);
      const Block decoded = DecodeRle(*encoded);
      ASSERT_TRUE(decoded) << width;
      EXPECT_EQ(*decoded, dib) << "bits " << bits << " width " << width;
    }
  }
}

TEST(ConvertDepth, UpToTwentyFourBitsKeepsEveryColour) {
  for (uint16_t bits : {uint16_t{1}, uint16_t{4}, uint16_t{8}}) {
    const Bytes dib = MakeDib(13, 5, bits, Table(size_t{1} << bits),
                              [&](int x, int y) { return uint32_t(x * 3 + y) % (1u << bits); });
    const Block wide = ConvertDepth(dib, 24);
    ASSERT_TRUE(wide);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 13; ++x) ASSERT_EQ(ColourAt(*wide, x, y), ColourAt(dib, x, y)) << bits;
  }
}

TEST(ConvertDepth, PicturesWithFewColoursGoDownExactly) {
  const uint32_t colours[3] = {0x102030, 0xFFEE00, 0x0000FF};
  const Bytes dib = MakeDib(9, 6, 24, {}, [&](int x, int y) { return colours[(x + 2 * y) % 3]; });
  for (uint16_t bits : {uint16_t{4}, uint16_t{8}}) {
    const Block low = ConvertDepth(dib, bits);
    ASSERT_TRUE(low);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 9; ++x) ASSERT_EQ(ColourAt(*low, x, y), ColourAt(dib, x, y));
  }
  // An 8-bit grey picture with 16 levels in use goes to 4 bits unchanged.
  std::vector<Colour> grey;
  for (int i = 0; i < 256; ++i) grey.push_back({uint8_t(i), uint8_t(i), uint8_t(i)});
  const Bytes greyDib = MakeDib(16, 16, 8, grey, [](int x, int) { return uint32_t(x * 17); });
  const Block four = ConvertDepth(greyDib, 4);
  ASSERT_TRUE(four);
  for (int x = 0; x < 16; ++x) EXPECT_EQ(ColourAt(*four, x, 3), ColourAt(greyDib, x, 3));
}

TEST(ConvertDepth, ManyColoursMapToNearbyPaletteEntries) {
  // A smooth 24-bit gradient with 4096 colours squeezed into 16 and 256 entries.
  const Bytes dib = MakeDib(64, 64, 24, {}, [](int x, int y) {
    return uint32_t(x * 4) << 16 | uint32_t(y * 4) << 8 | uint32_t((x + y) * 2);
  });
  for (auto [bits, worst] : {std::pair{uint16_t{8}, 24}, std::pair{uint16_t{4}, 80}}) {
    const Block low = ConvertDepth(dib, bits);
    ASSERT_TRUE(low);
    int largest = 0;
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) {
        const uint32_t a = ColourAt(dib, x, y), b = ColourAt(*low, x, y);
        for (int shift : {0, 8, 16})
          largest = std::max(largest, std::abs(int((a >> shift) & 255) - int((b >> shift) & 255)));
      }
    EXPECT_LE(largest, worst) << bits;
  }
}

TEST(ConvertDib, RefusesRequestsABitmapCannotHold) {
  const Bytes dib = MakeDib(4, 4, 24, {}, [](int, int) { return 0u; });
  EXPECT_FALSE(ConvertDib(dib, 1, 4));   // RLE8 at 4 bits
  EXPECT_FALSE(ConvertDib(dib, 2, 8));   // RLE4 at 8 bits
  EXPECT_FALSE(ConvertDib(dib, 0, 16));
  EXPECT_TRUE(ConvertDib(dib, 1, 8));
  EXPECT_TRUE(ConvertDib(dib, 2, 4));
}

}  // namespace
}  // namespace kestrel
