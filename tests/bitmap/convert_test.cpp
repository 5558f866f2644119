// RLE coding and depth conversion against hand-made expectations and a plain pixel reader.

#include <gtest/gtest.h>

#include <random>

#include "bitmap/convert.h"
#include "dib_builders.h"

namespace kestrel {
namespace {

using testing::MakeDib;

std::vector<testing::Colour> Table(size_t n) {
  std::vector<testing::Colour> table;
  for (size_t i = 0; i < n; ++i) table.push_back({uint8_t(i * 7), uint8_t(i * 13), uint8_t(255 - i)});
  return table;
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

}  // namespace
}  // namespace kestrel
