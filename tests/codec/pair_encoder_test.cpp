#include "codec/pair_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <random>

#include "codec/pair_decoder.h"
#include "codec/pair_format.h"
#include "pair_builders.h"

namespace kestrel {
namespace {

using testing::PairFile;
using testing::Psnr;

const std::function<void()> kNoProgress = [] {};

// A 16 x 16 picture (one map byte's worth of blocks in a row is 16 x 4) whose first block is
// `rows` and whose other blocks are flat `fill`.
Bytes PictureWithFirstBlock(const std::array<std::array<uint8_t, 4>, 4>& rows, uint8_t fill,
                            size_t width = 16, size_t height = 16) {
  Bytes picture(width * height, fill);
  for (size_t r = 0; r < 4; ++r)
    for (size_t c = 0; c < 4; ++c) picture[r * width + c] = rows[r][c];
  return picture;
}

EncodedBlocks Encode(const Bytes& picture, size_t width, PairSize size) {
  return EncodeBlocks(picture, width, size, kNoProgress);
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

TEST(PairEncoder, TwoLevelColumnsMakeAnExactQuadrantBlock) {
  const Bytes picture = PictureWithFirstBlock(
      {{{10, 10, 200, 200}, {10, 10, 200, 200}, {10, 10, 200, 200}, {10, 10, 200, 200}}}, 50);
  const EncodedBlocks encoded = Encode(picture, 16, {16, 16});
  EXPECT_EQ(encoded.thumbnail[0], 105);
  EXPECT_EQ(encoded.map[0] & 3, kQuadrantBlock);
  ASSERT_EQ(encoded.records.size(), 9u);
  EXPECT_EQ(encoded.records, (Bytes{200, 10, 200, 0, 0, 0, 0, 0x00, 0x00}));
  EXPECT_EQ(RoundTrip(encoded, {16, 16}), picture);
}

TEST(PairEncoder, CheckerboardMakesAnExactWholeBlock) {
  const Bytes picture = PictureWithFirstBlock(
      {{{100, 104, 100, 104}, {104, 100, 104, 100}, {100, 104, 100, 104}, {104, 100, 104, 100}}},
      7);
  const EncodedBlocks encoded = Encode(picture, 16, {16, 16});
  EXPECT_EQ(encoded.thumbnail[0], 102);
  EXPECT_EQ(encoded.map[0] & 3, kWholeBlock);
  EXPECT_EQ(encoded.records, (Bytes{2, 0x5A, 0x5A}));
  EXPECT_EQ(RoundTrip(encoded, {16, 16}), picture);
}

TEST(PairEncoder, SpreadOfExactlyTenIsStillAWholeBlock) {
  // Eight pixels 0 and eight 20: sigma 10, threshold 10.
  const std::array<std::array<uint8_t, 4>, 4> ten{
      {{0, 20, 0, 20}, {0, 20, 0, 20}, {0, 20, 0, 20}, {0, 20, 0, 20}}};
  EncodedBlocks encoded = Encode(PictureWithFirstBlock(ten, 0), 16, {16, 16});
  EXPECT_EQ(encoded.map[0] & 3, kWholeBlock);
  EXPECT_EQ(encoded.records, (Bytes{10, 0xAA, 0xAA}));
  // Eight 0 and eight 22: sigma 11.
  const std::array<std::array<uint8_t, 4>, 4> eleven{
      {{0, 22, 0, 22}, {0, 22, 0, 22}, {0, 22, 0, 22}, {0, 22, 0, 22}}};
  encoded = Encode(PictureWithFirstBlock(eleven, 0), 16, {16, 16});
  EXPECT_EQ(encoded.map[0] & 3, kQuadrantBlock);
  EXPECT_EQ(encoded.records, (Bytes{11, 11, 11, 11, 11, 11, 11, 0xAA, 0xAA}));
}

TEST(PairEncoder, NearlyFlatBlocksAreFlatAndPixelsAtTheThresholdAreLow) {
  // Values 100 and 101: sigma at most 0.5.
  const std::array<std::array<uint8_t, 4>, 4> nearly{
      {{100, 101, 100, 101}, {101, 101, 101, 101}, {100, 100, 100, 100}, {101, 100, 101, 100}}};
  EncodedBlocks encoded = Encode(PictureWithFirstBlock(nearly, 0), 16, {16, 16});
  EXPECT_EQ(encoded.map[0] & 3, kFlatBlock);
  EXPECT_TRUE(encoded.records.empty());
  // Mean 100 with pixels of exactly 100: their bits are 0.
  const std::array<std::array<uint8_t, 4>, 4> atMean{
      {{100, 100, 97, 103}, {100, 100, 97, 103}, {100, 100, 97, 103}, {100, 100, 97, 103}}};
  encoded = Encode(PictureWithFirstBlock(atMean, 0), 16, {16, 16});
  EXPECT_EQ(encoded.thumbnail[0], 100);
  EXPECT_EQ(encoded.map[0] & 3, kWholeBlock);
  EXPECT_EQ(encoded.records, (Bytes{2, 0x88, 0x88}));
}

TEST(PairEncoder, OneGreyLevelGivesAZeroMapAndNoRecords) {
  const Bytes picture(64 * 32, 77);
  const EncodedBlocks encoded = Encode(picture, 64, {64, 32});
  EXPECT_EQ(encoded.thumbnail, Bytes(16 * 8, 77));
  EXPECT_EQ(encoded.map, Bytes(64 * 32 / 64, 0));
  EXPECT_TRUE(encoded.records.empty());
}

TEST(PairEncoder, CompressedSizesAreWholeStrips) {
  EXPECT_EQ(CompressedSizeFor("U5DW0001.CCD", 100, 60).width, 96);
  EXPECT_EQ(CompressedSizeFor("U5DW0001.CCD", 100, 60).height, 48);
  // TMSat spectral planes get one strip more, even on a whole number of strips.
  EXPECT_EQ(CompressedSizeFor("TM112345.IMI", 96, 48).width, 112);
  EXPECT_EQ(CompressedSizeFor("TM112345.IMI", 96, 48).height, 64);
  EXPECT_EQ(CompressedSizeFor("TM112345.IMI", 1020, 1020).width, 1024);
  EXPECT_EQ(CompressedSizeFor("TM000100.IMI", 612, 576).width, 608);
  EXPECT_EQ(CompressedSizeFor("U5DW0001.CCD", 15, 200).width, 0);
}

TEST(PairEncoder, NarrowerCompressedPictureDropsTheRightColumnsAndBottomRows) {
  // 100 x 60, coded as 96 x 48: the map has 72 bytes.
  Bytes picture(100 * 60);
  for (size_t y = 0; y < 60; ++y)
    for (size_t x = 0; x < 100; ++x)
      picture[y * 100 + x] = static_cast<uint8_t>(x < 96 && y < 48 ? 40 : 250);
  const EncodedBlocks encoded = Encode(picture, 100, {96, 48});
  EXPECT_EQ(encoded.thumbnail, Bytes(24 * 12, 40));
  EXPECT_EQ(encoded.map, Bytes(72, 0));
}

TEST(PairEncoder, WiderCompressedPictureReadsOnIntoTheNextRowThenZeros) {
  // 96 x 48 coded as 112 x 64: block column 24 of row 0 reads the leading pixels of rows 1..4.
  Bytes picture(96 * 48);
  for (size_t y = 0; y < 48; ++y)
    for (size_t x = 0; x < 96; ++x) picture[y * 96 + x] = static_cast<uint8_t>(y);
  const EncodedBlocks encoded = Encode(picture, 96, {112, 64});
  ASSERT_EQ(encoded.thumbnail.size(), 28u * 16u);
  EXPECT_EQ(encoded.thumbnail[0], 1);   // rows 0..3: (0 + 1 + 2 + 3) / 4
  EXPECT_EQ(encoded.thumbnail[24], 2);  // rows 1..4 at the left edge: (1 + 2 + 3 + 4) / 4
  // Rows 44..47 at the right edge read rows 45..47 and then the end: (45 + 46 + 47) / 4.
  EXPECT_EQ(encoded.thumbnail[28 * 11 + 24], 34);
  EXPECT_EQ(encoded.thumbnail[28 * 12], 0);  // past the end of the picture
}

TEST(PairEncoder, ProgressRunsOncePerBlockRow) {
  int rows = 0;
  EncodeBlocks(Bytes(32 * 48, 0), 32, {32, 48}, [&] { ++rows; });
  EXPECT_EQ(rows, 12);
}

// A picture of blocks that the two-level code represents exactly: flat blocks, whole blocks
// of eight pixels each side of the mean by 2 to 10, and quadrant blocks of two pixels each
// side of quadrant means whose sum is a multiple of four.
Bytes ExactlyCodablePicture(size_t width, size_t height, std::mt19937& random) {
  Bytes picture(width * height);
  auto put = [&](size_t bx, size_t by, size_t r, size_t c, int v) {
    picture[(4 * by + r) * width + 4 * bx + c] = static_cast<uint8_t>(v);
  };
  for (size_t by = 0; by < height / 4; ++by)
    for (size_t bx = 0; bx < width / 4; ++bx) {
      const auto kind = random() % 3;
      if (kind == 0) {
        const int v = static_cast<int>(random() % 256);
        for (size_t i = 0; i < 16; ++i) put(bx, by, i / 4, i % 4, v);
      } else if (kind == 1) {
        const int s = 2 + static_cast<int>(random() % 9);
        const int m = s + static_cast<int>(random() % static_cast<unsigned>(256 - 2 * s));
        std::array<int, 16> order{};
        for (int i = 0; i < 16; ++i) order[static_cast<size_t>(i)] = i < 8 ? 1 : -1;
        std::shuffle(order.begin(), order.end(), random);
        for (size_t i = 0; i < 16; ++i) put(bx, by, i / 4, i % 4, m + order[i] * s);
      } else {
        std::array<int, 4> means{};
        do {
          for (auto& m : means) m = 30 + static_cast<int>(random() % 196);
        } while ((means[0] + means[1] + means[2] + means[3]) % 4 != 0 ||
                 std::abs(means[0] - means[3]) < 60);
        for (size_t q = 0; q < 4; ++q) {
          const int s = static_cast<int>(random() % 30);
          std::array<int, 4> order{1, 1, -1, -1};
          std::shuffle(order.begin(), order.end(), random);
          for (size_t i = 0; i < 4; ++i)
            put(bx, by, (q / 2) * 2 + i / 2, (q % 2) * 2 + i % 2, means[q] + order[i] * s);
        }
      }
    }
  return picture;
}

TEST(PairRoundTrip, ExactlyCodablePicturesComeBackUnchanged) {
  std::mt19937 random(7);
  const Bytes picture = ExactlyCodablePicture(128, 96, random);
  const EncodedBlocks encoded = Encode(picture, 128, {128, 96});
  EXPECT_EQ(RoundTrip(encoded, {128, 96}), picture);
}

// A smooth scene: broad shading with gentle ripples and a few soft-edged features.
Bytes SmoothScene(size_t width, size_t height) {
  Bytes picture(width * height);
  for (size_t y = 0; y < height; ++y)
    for (size_t x = 0; x < width; ++x) {
      const double fx = static_cast<double>(x), fy = static_cast<double>(y);
      double v = 90 + 60 * std::sin(fx / 37.0) * std::cos(fy / 53.0) + 0.12 * fy;
      v += 25 * std::exp(-((fx - 70) * (fx - 70) + (fy - 40) * (fy - 40)) / 300.0);
      picture[y * width + x] = static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
    }
  return picture;
}

TEST(PairRoundTrip, SmoothSceneComesBackWithinTheBlockCodesError) {
  const Bytes picture = SmoothScene(192, 128);
  const EncodedBlocks encoded = Encode(picture, 192, {192, 128});
  const Bytes decoded = RoundTrip(encoded, {192, 128});
  const double psnr = Psnr(picture, decoded);
  RecordProperty("psnr_db", std::to_string(psnr));
  std::printf("smooth scene PSNR %.2f dB\n", psnr);
  EXPECT_GT(psnr, 40.0);
  // No pixel strays further from its block mean's level than a flat block's spread allows.
  int worst = 0;
  for (size_t i = 0; i < picture.size(); ++i)
    worst = std::max(worst, std::abs(picture[i] - decoded[i]));
  EXPECT_LE(worst, 12);
}

}  // namespace
}  // namespace kestrel
