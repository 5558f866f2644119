#include "codec/pair_decoder.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <map>
#include <random>
#include <utility>

#include "codec/pair_format.h"
#include "pair_builders.h"

namespace kestrel {
namespace {

using testing::Concat;
using testing::PairFile;

// The decoded 4 x 4 block at block column `bx` of block row `by`, row by row.
std::array<std::array<uint8_t, 4>, 4> BlockAt(const Bytes& picture, size_t width, size_t bx,
                                              size_t by = 0) {
  std::array<std::array<uint8_t, 4>, 4> block{};
  for (size_t r = 0; r < 4; ++r)
    for (size_t c = 0; c < 4; ++c) block[r][c] = picture[(4 * by + r) * width + 4 * bx + c];
  return block;
}

using Rows = std::array<std::array<uint8_t, 4>, 4>;

Rows Flat(uint8_t v) { return {{{v, v, v, v}, {v, v, v, v}, {v, v, v, v}, {v, v, v, v}}}; }

// A single 4 x 4 block pair: thumbnail value t, one map byte, the record.
DecodedPair DecodeOneBlock(uint8_t t, uint8_t code, std::initializer_list<uint8_t> record) {
  // Four blocks in a row (one map byte); the other three are flat zero.
  const Bytes thumbnail = PairFile(4, 1, {t, 0, 0, 0});
  const Bytes body = Concat(
      {std::array<uint8_t, 1>{code}, std::span<const uint8_t>(record.begin(), record.size())});
  return DecodePair(thumbnail, PairFile(16, 4, body));
}

// The 16-pixel block's values by their count, for the whole-block examples.
std::map<int, int> Histogram(const Rows& rows) {
  std::map<int, int> counts;
  for (const auto& row : rows)
    for (uint8_t p : row) ++counts[p];
  return counts;
}

TEST(PairDecoder, WorkedExampleOfAQuadrantBlockBesideFlatBlocks) {
  const Bytes thumbnail = PairFile(4, 1, {100, 50, 60, 70});
  const Bytes compressed = PairFile(16, 4, {0x02, 110, 90, 100, 5, 10, 0, 20, 0x33, 0xC0});
  const DecodedPair decoded = DecodePair(thumbnail, compressed);
  ASSERT_EQ(decoded.fault, PairFault::None);
  EXPECT_EQ(decoded.size.width, 16);
  EXPECT_EQ(decoded.size.height, 4);
  ASSERT_EQ(decoded.picture.size(), 64u);
  const Rows first{
      {{100, 100, 110, 110}, {100, 100, 110, 110}, {90, 90, 80, 80}, {90, 90, 120, 120}}};
  EXPECT_EQ(BlockAt(decoded.picture, 16, 0), first);
  EXPECT_EQ(BlockAt(decoded.picture, 16, 1), Flat(50));
  EXPECT_EQ(BlockAt(decoded.picture, 16, 2), Flat(60));
  EXPECT_EQ(BlockAt(decoded.picture, 16, 3), Flat(70));
}

TEST(PairDecoder, WholeBlockLevelsFollowTheIntegerFactorTables) {
  // One high pixel: high factor 3, low factor 0.
  Rows rows = BlockAt(DecodeOneBlock(100, 0x03, {10, 0x01, 0x00}).picture, 16, 0);
  EXPECT_EQ(rows[0][0], 130);
  EXPECT_EQ(Histogram(rows), (std::map<int, int>{{100, 15}, {130, 1}}));
  // Fifteen high: low factor 3, high factor 0.
  rows = BlockAt(DecodeOneBlock(100, 0x03, {10, 0xFF, 0x7F}).picture, 16, 0);
  EXPECT_EQ(rows[3][3], 70);
  EXPECT_EQ(Histogram(rows), (std::map<int, int>{{70, 1}, {100, 15}}));
  // Eight high: both factors 1.
  rows = BlockAt(DecodeOneBlock(100, 0x03, {10, 0x0F, 0x0F}).picture, 16, 0);
  const Rows eight{
      {{110, 110, 110, 110}, {90, 90, 90, 90}, {110, 110, 110, 110}, {90, 90, 90, 90}}};
  EXPECT_EQ(rows, eight);
}

TEST(PairDecoder, LevelsStopAtBlackAndWhite) {
  // t = 20, s = 30, N = 8: the low level would be -10.
  EXPECT_EQ(Histogram(BlockAt(DecodeOneBlock(20, 0x03, {30, 0x5A, 0x5A}).picture, 16, 0)),
            (std::map<int, int>{{0, 8}, {50, 8}}));
  // A quadrant of mean 250 and spread 10 with two high bits.
  const Rows rows =
      BlockAt(DecodeOneBlock(200, 0x02, {250, 0, 0, 0, 10, 0, 0, 0x48, 0x00}).picture, 16, 0);
  EXPECT_EQ(rows[0][2], 240);
  EXPECT_EQ(rows[0][3], 255);
  EXPECT_EQ(rows[1][2], 255);
  EXPECT_EQ(rows[1][3], 240);
}

TEST(PairDecoder, TopLeftMeanIsBoundedByBlackAndWhite) {
  // 765 exceeds 4 x 191 = 764: the top-left quadrant is black.
  Rows rows = BlockAt(DecodeOneBlock(191, 0x02, {255, 255, 255, 0, 0, 0, 0, 0, 0}).picture, 16, 0);
  EXPECT_EQ(rows[0][0], 0);
  EXPECT_EQ(rows[1][1], 0);
  EXPECT_EQ(rows[0][2], 255);
  // 4 x 255 - 0 is above 255: white.
  rows = BlockAt(DecodeOneBlock(255, 0x02, {0, 0, 0, 0, 0, 0, 0, 0, 0}).picture, 16, 0);
  EXPECT_EQ(rows[0][0], 255);
  EXPECT_EQ(rows[3][3], 0);
}

TEST(PairDecoder, MapCodesStandLowBitsFirstAndCodeOneTakesNoPlace) {
  // 0xE4: flat, unused, quadrant, whole. The unused block's value is used up and the blocks
  // after it move one place left, so the fourth place stays black.
  const Bytes thumbnail = PairFile(4, 1, {11, 22, 100, 100});
  const Bytes compressed =
      PairFile(16, 4, {0xE4, 100, 100, 100, 0, 0, 0, 0, 0, 0, /* whole: */ 0, 0, 0});
  const DecodedPair decoded = DecodePair(thumbnail, compressed);
  ASSERT_EQ(decoded.fault, PairFault::None);
  EXPECT_EQ(BlockAt(decoded.picture, 16, 0), Flat(11));
  EXPECT_EQ(BlockAt(decoded.picture, 16, 1), Flat(100));
  EXPECT_EQ(BlockAt(decoded.picture, 16, 2), Flat(100));
  EXPECT_EQ(BlockAt(decoded.picture, 16, 3), Flat(0));
}

TEST(PairDecoder, AllZeroMapFillsEveryBlockWithItsThumbnailValue) {
  const Bytes values{1, 2, 3, 4, 5, 6, 7, 8};
  const Bytes thumbnail = PairFile(4, 2, values);
  const DecodedPair decoded = DecodePair(thumbnail, PairFile(16, 8, {0, 0}));
  ASSERT_EQ(decoded.fault, PairFault::None);
  ASSERT_EQ(decoded.picture.size(), 128u);
  for (size_t by = 0; by < 2; ++by)
    for (size_t bx = 0; bx < 4; ++bx)
      EXPECT_EQ(BlockAt(decoded.picture, 16, bx, by), Flat(values[by * 4 + bx]));
}

TEST(PairDecoder, OneValueThumbnailDecodesNothing) {
  const DecodedPair decoded = DecodePair(PairFile(1, 1, {77}), PairFile(4, 4));
  ASSERT_EQ(decoded.fault, PairFault::None);
  EXPECT_EQ(decoded.picture, Bytes(16, 0));
}

TEST(PairDecoder, RefusesSizesThatDoNotAgree) {
  const Bytes thumbnail = PairFile(16, 16, Bytes(256, 9));
  EXPECT_EQ(DecodePair(thumbnail, PairFile(65, 64, Bytes(64, 0))).fault, PairFault::SizesDisagree);
  EXPECT_EQ(DecodePair(thumbnail, PairFile(64, 65, Bytes(64, 0))).fault, PairFault::SizesDisagree);
  EXPECT_EQ(DecodePair(thumbnail, PairFile(64, 64, Bytes(64, 0))).fault, PairFault::None);
  // A compressed file handed over in place of the thumbnail: its size is four times too big.
  const Bytes compressed = PairFile(64, 64, Bytes(64, 0));
  EXPECT_EQ(DecodePair(compressed, compressed).fault, PairFault::SizesDisagree);
}

TEST(PairDecoder, RefusesThumbnailsThatCannotBackTheirSize) {
  const Bytes compressed = PairFile(64, 64, Bytes(64, 0));
  EXPECT_EQ(DecodePair(Bytes(255, 0), compressed).fault, PairFault::ThumbnailIncomplete);
  EXPECT_EQ(DecodePair(PairFile(16, 16, Bytes(255, 0)), compressed).fault,
            PairFault::ThumbnailIncomplete);
  // Headers claiming the largest sizes over a few bytes: a 65535-wide thumbnail has no
  // compressed partner at all, the largest that has one is refused for want of values.
  EXPECT_EQ(DecodePair(PairFile(0xFFFF, 0xFFFF, Bytes(64, 0)), PairFile(0xFFFF, 0xFFFF)).fault,
            PairFault::SizesDisagree);
  EXPECT_EQ(DecodePair(PairFile(16383, 16383, Bytes(64, 0)), PairFile(65532, 65532)).fault,
            PairFault::ThumbnailIncomplete);
  EXPECT_EQ(DecodePair(PairFile(0, 16, Bytes(64, 0)), PairFile(0, 64)).fault,
            PairFault::EmptyPicture);
  EXPECT_EQ(DecodePair(PairFile(16, 0), PairFile(64, 0)).fault, PairFault::EmptyPicture);
  EXPECT_EQ(DecodePair(PairFile(16, 16, Bytes(256, 0)), Bytes(255, 0)).fault,
            PairFault::CompressedIncomplete);
}

TEST(PairDecoder, MapOrRecordsEndingEarlyReadAsZeros) {
  const Bytes thumbnail = PairFile(4, 2, {10, 20, 30, 40, 50, 60, 70, 80});
  // No map at all: every block flat.
  DecodedPair decoded = DecodePair(thumbnail, PairFile(16, 8));
  ASSERT_EQ(decoded.fault, PairFault::None);
  EXPECT_EQ(BlockAt(decoded.picture, 16, 3, 1), Flat(80));
  // A whole block whose record is cut after the spread: both planes zero, all pixels low,
  // which with no high pixel is the mean.
  decoded = DecodePair(thumbnail, PairFile(16, 8, {0x03, 0x00, 5}));
  ASSERT_EQ(decoded.fault, PairFault::None);
  EXPECT_EQ(BlockAt(decoded.picture, 16, 0), Flat(10));
  EXPECT_EQ(BlockAt(decoded.picture, 16, 1), Flat(20));
}

TEST(PairDecoder, ThumbnailValuesPastAMultipleOfFourStayUndrawn) {
  // Three by three blocks: two map bytes cover eight blocks, the ninth stays black.
  const Bytes thumbnail = PairFile(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  const DecodedPair decoded = DecodePair(thumbnail, PairFile(12, 12, {0, 0}));
  ASSERT_EQ(decoded.fault, PairFault::None);
  ASSERT_EQ(decoded.picture.size(), 144u);
  EXPECT_EQ(BlockAt(decoded.picture, 12, 1, 2), Flat(8));
  EXPECT_EQ(BlockAt(decoded.picture, 12, 2, 2), Flat(0));
}

TEST(PairDecoder, ExtraThumbnailValuesGiveRowsBeyondTheHeight) {
  // Eight blocks for a 2 x 2 thumbnail: two more block rows, all within 16 x 8 bytes.
  const Bytes thumbnail = PairFile(2, 2, {1, 2, 3, 4, 5, 6, 7, 8});
  DecodedPair decoded = DecodePair(thumbnail, PairFile(8, 8, {0, 0}));
  ASSERT_EQ(decoded.fault, PairFault::None);
  ASSERT_EQ(decoded.picture.size(), 128u);
  EXPECT_EQ(BlockAt(decoded.picture, 8, 1, 3), Flat(8));
  // Four values more than a 16 x 1 thumbnail: the fifth block row is only 64 bytes long, so
  // only its first rows fit; nothing is written past the picture.
  Bytes values(20, 0);
  for (size_t i = 0; i < values.size(); ++i) values[i] = static_cast<uint8_t>(i + 1);
  decoded = DecodePair(PairFile(16, 1, values), PairFile(64, 4, Bytes(5, 0)));
  ASSERT_EQ(decoded.fault, PairFault::None);
  ASSERT_EQ(decoded.picture.size(), 320u);
  EXPECT_EQ(decoded.picture[256], 17);  // row 4, block 16
  EXPECT_EQ(decoded.picture[256 + 12], 20);
  EXPECT_EQ(decoded.picture[319], 0);  // row 4 column 63: no block reached it
}

// The decoder as the procedure describes it, pixel by pixel, for comparison.
Bytes ReferenceDecode(const Bytes& thumbnailFile, const Bytes& compressedFile) {
  const size_t t = thumbnailFile.size() - 256;
  const size_t width = LoadU16(compressedFile.data() + 251);
  Bytes map(t / 4, 0);
  for (size_t i = 0; i < map.size() && 256 + i < compressedFile.size(); ++i)
    map[i] = compressedFile[256 + i];
  auto recordByte = [&](size_t at) -> uint32_t {
    const size_t offset = 256 + map.size() + at;
    return offset < compressedFile.size() ? compressedFile[offset] : 0;
  };
  auto factor = [](uint32_t numerator, uint32_t denominator) {
    return static_cast<uint32_t>(
        std::floor(std::sqrt(static_cast<double>(numerator / denominator))));
  };
  auto levels = [&](uint32_t m, uint32_t s, uint32_t n, uint32_t p) {
    const uint32_t lowFactor = n < p ? factor(n, p - n) : 0;
    const uint32_t highFactor = n > 0 ? factor(p - n, n) : 0;
    const uint32_t low = lowFactor * s > m ? 0 : m - lowFactor * s;
    const uint32_t high = m + highFactor * s > 255 ? 255 : m + highFactor * s;
    return std::pair{low, high};
  };
  Bytes picture(16 * t, 0);
  auto set = [&](size_t x, size_t y, uint32_t v) {
    if (y * width + x < picture.size()) picture[y * width + x] = static_cast<uint8_t>(v);
  };
  size_t x = 0, y = 0, value = 0, record = 0;
  for (uint8_t codes : map) {
    for (int k = 0; k < 4; ++k) {
      const uint32_t m = thumbnailFile[256 + value++];
      const int code = (codes >> (2 * k)) & 3;
      if (code == 1) continue;
      if (code == 0) {
        for (size_t r = 0; r < 4; ++r)
          for (size_t c = 0; c < 4; ++c) set(x + c, y + r, m);
      } else if (code == 3) {
        const uint32_t s = recordByte(record), top = recordByte(record + 1),
                       bottom = recordByte(record + 2);
        record += 3;
        const uint32_t planes = top | (bottom << 8);
        const auto [low, high] = levels(m, s, static_cast<uint32_t>(std::popcount(planes)), 16);
        for (size_t r = 0; r < 4; ++r)
          for (size_t c = 0; c < 4; ++c)
            set(x + c, y + r, (planes >> (4 * r + c)) & 1 ? high : low);
      } else {
        uint32_t b[9];
        for (size_t i = 0; i < 9; ++i) b[i] = recordByte(record + i);
        record += 9;
        const uint32_t others = b[0] + b[1] + b[2];
        const uint32_t topLeft = others > 4 * m ? 0 : std::min<uint32_t>(4 * m - others, 255);
        const uint32_t means[4] = {topLeft, b[0], b[1], b[2]};
        const uint32_t spreads[4] = {b[3], b[4], b[5], b[6]};
        for (size_t q = 0; q < 4; ++q) {
          const uint32_t plane = q < 2 ? b[7] : b[8];
          const size_t c0 = (q % 2) * 2;
          uint32_t n = 0;
          for (size_t r = 0; r < 2; ++r)
            for (size_t c = c0; c < c0 + 2; ++c) n += (plane >> (4 * r + c)) & 1;
          const auto [low, high] = levels(means[q], spreads[q], n, 4);
          for (size_t r = 0; r < 2; ++r)
            for (size_t c = c0; c < c0 + 2; ++c)
              set(x + c, y + (q / 2) * 2 + r, (plane >> (4 * r + c)) & 1 ? high : low);
        }
      }
      x += 4;
      if (x == width) {
        x = 0;
        y += 4;
      }
    }
  }
  return picture;
}

TEST(PairDecoder, MatchesThePixelByPixelProcedureOnRandomPairs) {
  std::mt19937 random(20240601);
  for (int round = 0; round < 300; ++round) {
    const auto tw = static_cast<uint16_t>(1 + random() % 12);
    const auto th = static_cast<uint16_t>(1 + random() % 12);
    // Sometimes extra values, sometimes a cut map or cut records.
    const size_t values = size_t{tw} * th + (random() % 4 == 0 ? random() % 9 : 0);
    Bytes thumbnailValues(values);
    for (auto& v : thumbnailValues) v = static_cast<uint8_t>(random());
    Bytes body(values / 4 + values * 9);
    for (auto& v : body) v = static_cast<uint8_t>(random());
    if (random() % 3 == 0) body.resize(random() % (body.size() + 1));
    const Bytes thumbnail = PairFile(tw, th, thumbnailValues);
    const Bytes compressed =
        PairFile(static_cast<uint16_t>(4 * tw), static_cast<uint16_t>(4 * th), body);
    const DecodedPair decoded = DecodePair(thumbnail, compressed);
    ASSERT_EQ(decoded.fault, PairFault::None);
    ASSERT_EQ(decoded.picture, ReferenceDecode(thumbnail, compressed)) << "round " << round;
  }
}

}  // namespace
}  // namespace kestrel
