#include "codec/pair_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <utility>

#include "codec/pair_decoder.h"
#include "codec/pair_format.h"
#include "pair_builders.h"

namespace kestrel {
namespace {

using testing::PairFile;
using Rows = std::array<std::array<uint8_t, 4>, 4>;

EncodedBlocks Encode(const Bytes& picture, size_t width, PairSize size) {
  return EncodeBlocks(picture, width, size, [] {});
}

// The picture the decoder rebuilds from an encoding.
Bytes RoundTrip(const EncodedBlocks& encoded, PairSize size) {
  const Bytes thumbnail = PairFile(static_cast<uint16_t>(size.width / 4),
                                   static_cast<uint16_t>(size.height / 4), encoded.thumbnail);
  Bytes body = encoded.map;
  body.insert(body.end(), encoded.records.begin(), encoded.records.end());
  const DecodedPair decoded = DecodePair(thumbnail, PairFile(size.width, size.height, body));
  EXPECT_EQ(decoded.fault, PairFault::None);
  return decoded.picture;
}

TEST(PairEncoder, FirstBlockCodes) {
  struct Case {
    const char* name;
    Rows first;  // the first block of a 16 x 16 picture whose other blocks are flat `fill`
    uint8_t fill;
    uint8_t thumbnail;
    int code;
    Bytes records;
    bool exact;  // the decoder gives the picture back unchanged
  };
  // clang-format off
  const Case cases[] = {
      {"two-level columns",
       {{{10, 10, 200, 200}, {10, 10, 200, 200}, {10, 10, 200, 200}, {10, 10, 200, 200}}},
       50, 105, kQuadrantBlock, {200, 10, 200, 0, 0, 0, 0, 0x00, 0x00}, true},
      {"checkerboard",
       {{{100, 104, 100, 104}, {104, 100, 104, 100}, {100, 104, 100, 104}, {104, 100, 104, 100}}},
       7, 102, kWholeBlock, {2, 0x5A, 0x5A}, true},
      {"sigma exactly 10", {{{0, 20, 0, 20}, {0, 20, 0, 20}, {0, 20, 0, 20}, {0, 20, 0, 20}}},
       0, 10, kWholeBlock, {10, 0xAA, 0xAA}, true},
      {"sigma 11", {{{0, 22, 0, 22}, {0, 22, 0, 22}, {0, 22, 0, 22}, {0, 22, 0, 22}}},
       0, 11, kQuadrantBlock, {11, 11, 11, 11, 11, 11, 11, 0xAA, 0xAA}, true},
      {"nearly flat",
       {{{100, 101, 100, 101}, {101, 101, 101, 101}, {100, 100, 100, 100}, {101, 100, 101, 100}}},
       0, 100, kFlatBlock, {}, false},
      {"pixels at the mean are low",
       {{{100, 100, 97, 103}, {100, 100, 97, 103}, {100, 100, 97, 103}, {100, 100, 97, 103}}},
       0, 100, kWholeBlock, {2, 0x88, 0x88}, false},
  };
  // clang-format on
  for (const Case& c : cases) {
    Bytes picture(16 * 16, c.fill);
    for (size_t r = 0; r < 4; ++r)
      for (size_t col = 0; col < 4; ++col) picture[r * 16 + col] = c.first[r][col];
    const EncodedBlocks encoded = Encode(picture, 16, {16, 16});
    EXPECT_EQ(encoded.thumbnail[0], c.thumbnail) << c.name;
    EXPECT_EQ(encoded.map[0] & 3, c.code) << c.name;
    EXPECT_EQ(encoded.records, c.records) << c.name;
    if (c.exact) {
      EXPECT_EQ(RoundTrip(encoded, {16, 16}), picture) << c.name;
    }
  }
}

TEST(PairEncoder, CompressedSizesAreWholeStrips) {
  auto size = [](const char* name, uint16_t width, uint16_t height) {
    const PairSize s = CompressedSizeFor(name, width, height);
    return std::pair<int, int>{s.width, s.height};
  };
  EXPECT_EQ(size("U5DW0001.CCD", 100, 60), std::pair(96, 48));
  // TMSat spectral planes get one strip more, even on a whole number of strips.
  EXPECT_EQ(size("TM112345.IMI", 96, 48), std::pair(112, 64));
  EXPECT_EQ(size("TM112345.IMI", 1020, 1020), std::pair(1024, 1024));
  EXPECT_EQ(size("TM000100.IMI", 612, 576), std::pair(608, 576));
  EXPECT_EQ(size("U5DW0001.CCD", 15, 200), std::pair(0, 192));
}

TEST(PairEncoder, CompressedSizeOtherThanThePictures) {
  // 100 x 60 coded as 96 x 48 drops the right columns and bottom rows.
  Bytes picture(100 * 60);
  for (size_t y = 0; y < 60; ++y)
    for (size_t x = 0; x < 100; ++x)
      picture[y * 100 + x] = static_cast<uint8_t>(x < 96 && y < 48 ? 40 : 250);
  EncodedBlocks encoded = Encode(picture, 100, {96, 48});
  EXPECT_EQ(encoded.thumbnail, Bytes(24 * 12, 40));
  EXPECT_EQ(encoded.map, Bytes(72, 0));
  EXPECT_TRUE(encoded.records.empty());

  // 96 x 48 coded as 112 x 64: block column 24 of row 0 reads the leading pixels of rows 1..4.
  picture.assign(96 * 48, 0);
  for (size_t y = 0; y < 48; ++y)
    for (size_t x = 0; x < 96; ++x) picture[y * 96 + x] = static_cast<uint8_t>(y);
  encoded = Encode(picture, 96, {112, 64});
  ASSERT_EQ(encoded.thumbnail.size(), 28u * 16u);
  EXPECT_EQ(encoded.thumbnail[0], 1);   // rows 0..3: (0 + 1 + 2 + 3) / 4
  EXPECT_EQ(encoded.thumbnail[24], 2);  // rows 1..4 at the left edge: (1 + 2 + 3 + 4) / 4
  // Rows 44..47 at the right edge read rows 45..47 and then the end: (45 + 46 + 47) / 4.
  EXPECT_EQ(encoded.thumbnail[28 * 11 + 24], 34);
  EXPECT_EQ(encoded.thumbnail[28 * 12], 0);  // past the end of the picture
}

TEST(PairRoundTrip, ExactlyCodablePicturesComeBackUnchanged) {
  const Bytes picture = testing::ExactlyCodablePicture(128, 96);
  EXPECT_EQ(RoundTrip(Encode(picture, 128, {128, 96}), {128, 96}), picture);
}

TEST(PairRoundTrip, SmoothSceneComesBackWithinTheBlockCodesError) {
  // Broad shading with gentle ripples and a soft-edged feature.
  Bytes picture(192 * 128);
  for (size_t y = 0; y < 128; ++y)
    for (size_t x = 0; x < 192; ++x) {
      const double fx = static_cast<double>(x), fy = static_cast<double>(y);
      double v = 90 + 60 * std::sin(fx / 37.0) * std::cos(fy / 53.0) + 0.12 * fy;
      v += 25 * std::exp(-((fx - 70) * (fx - 70) + (fy - 40) * (fy - 40)) / 300.0);
      picture[y * 192 + x] = static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
    }
  const Bytes decoded = RoundTrip(Encode(picture, 192, {192, 128}), {192, 128});
  const double psnr = testing::Psnr(picture, decoded);
  RecordProperty("psnr_db", std::to_string(psnr));
  EXPECT_GT(psnr, 40.0);
  // No pixel strays further from its block mean's level than a flat block's spread allows.
  int worst = 0;
  for (size_t i = 0; i < picture.size(); ++i)
    worst = std::max(worst, std::abs(picture[i] - decoded[i]));
  EXPECT_LE(worst, 12);
}

}  // namespace
}  // namespace kestrel
