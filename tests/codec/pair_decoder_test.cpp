#include "codec/pair_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>

#include "codec/pair_format.h"
#include "pair_builders.h"

namespace kestrel {
namespace {

using testing::PairFile;
using Rows = std::array<std::array<uint8_t, 4>, 4>;

// The decoded 4 x 4 block at block column `bx` of block row `by`, row by row.
Rows BlockAt(const Bytes& picture, size_t width, size_t bx, size_t by = 0) {
  Rows block{};
  for (size_t r = 0; r < 4; ++r)
    for (size_t c = 0; c < 4; ++c) block[r][c] = picture[(4 * by + r) * width + 4 * bx + c];
  return block;
}

Rows Flat(uint8_t v) { return {{{v, v, v, v}, {v, v, v, v}, {v, v, v, v}, {v, v, v, v}}}; }

// A block whose pixels with their bit (4 x row + column) set in `plane` are `high`.
Rows TwoLevel(uint16_t plane, uint8_t low, uint8_t high) {
  Rows block{};
  for (size_t i = 0; i < 16; ++i) block[i / 4][i % 4] = (plane >> i) & 1 ? high : low;
  return block;
}

TEST(PairDecoder, FirstBlockBesideFlatBlocks) {
  struct Case {
    const char* name;
    uint8_t t;  // the first thumbnail value; the other three are 50, 60 and 70
    uint8_t code;
    Bytes record;
    Rows expected;
  };
  // clang-format off
  const Case cases[] = {
      {"quadrant block", 100, 0x02, {110, 90, 100, 5, 10, 0, 20, 0x33, 0xC0},
       {{{100, 100, 110, 110}, {100, 100, 110, 110}, {90, 90, 80, 80}, {90, 90, 120, 120}}}},
      // Whole-block levels follow the integer factor tables.
      {"one high: factors 3 and 0", 100, 0x03, {10, 0x01, 0x00}, TwoLevel(0x0001, 100, 130)},
      {"fifteen high: factors 0 and 3", 100, 0x03, {10, 0xFF, 0x7F}, TwoLevel(0x7FFF, 70, 100)},
      {"eight high: factors 1 and 1", 100, 0x03, {10, 0x0F, 0x0F}, TwoLevel(0x0F0F, 90, 110)},
      {"low level stops at black", 20, 0x03, {30, 0x5A, 0x5A}, TwoLevel(0x5A5A, 0, 50)},
      {"quadrant level stops at white", 200, 0x02, {250, 0, 0, 0, 10, 0, 0, 0x48, 0x00},
       {{{255, 255, 240, 255}, {255, 255, 255, 240}, {0, 0, 0, 0}, {0, 0, 0, 0}}}},
      // The top-left mean is 4t less the other three, bounded by black and white.
      {"765 exceeds 4 x 191", 191, 0x02, {255, 255, 255, 0, 0, 0, 0, 0, 0},
       {{{0, 0, 255, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}, {255, 255, 255, 255}}}},
      {"4 x 255 is white", 255, 0x02, {0, 0, 0, 0, 0, 0, 0, 0, 0},
       {{{255, 255, 0, 0}, {255, 255, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}}},
      // Cut after the spread: both planes zero, all pixels low, which with none high is t.
      {"record ending early", 10, 0x03, {5}, Flat(10)},
  };
  // clang-format on
  for (const Case& c : cases) {
    Bytes body{c.code};
    body.insert(body.end(), c.record.begin(), c.record.end());
    const DecodedPair decoded =
        DecodePair(PairFile(4, 1, {c.t, 50, 60, 70}), PairFile(16, 4, body));
    ASSERT_EQ(decoded.fault, PairFault::None) << c.name;
    EXPECT_EQ(decoded.size.width, 16) << c.name;
    EXPECT_EQ(decoded.size.height, 4) << c.name;
    ASSERT_EQ(decoded.picture.size(), 64u) << c.name;
    EXPECT_EQ(BlockAt(decoded.picture, 16, 0), c.expected) << c.name;
    EXPECT_EQ(BlockAt(decoded.picture, 16, 1), Flat(50)) << c.name;
    EXPECT_EQ(BlockAt(decoded.picture, 16, 2), Flat(60)) << c.name;
    EXPECT_EQ(BlockAt(decoded.picture, 16, 3), Flat(70)) << c.name;
  }
}

TEST(PairDecoder, MapCodesStandLowBitsFirstAndCodeOneTakesNoPlace) {
  // 0xE4: flat, unused, quadrant, whole. The unused block's value is used up and the blocks
  // after it move one place left, so the fourth place stays black.
  const DecodedPair decoded =
      DecodePair(PairFile(4, 1, {11, 22, 100, 100}),
                 PairFile(16, 4, {0xE4, 100, 100, 100, 0, 0, 0, 0, 0, 0, /* whole: */ 0, 0, 0}));
  ASSERT_EQ(decoded.fault, PairFault::None);
  EXPECT_EQ(BlockAt(decoded.picture, 16, 0), Flat(11));
  EXPECT_EQ(BlockAt(decoded.picture, 16, 1), Flat(100));
  EXPECT_EQ(BlockAt(decoded.picture, 16, 2), Flat(100));
  EXPECT_EQ(BlockAt(decoded.picture, 16, 3), Flat(0));
}

TEST(PairDecoder, ZeroOrMissingMapFillsEveryBlockWithItsThumbnailValue) {
  const Bytes values{1, 2, 3, 4, 5, 6, 7, 8};
  for (const Bytes& map : {Bytes{0, 0}, Bytes{}}) {
    const DecodedPair decoded = DecodePair(PairFile(4, 2, values), PairFile(16, 8, map));
    ASSERT_EQ(decoded.fault, PairFault::None);
    ASSERT_EQ(decoded.picture.size(), 128u);
    for (size_t by = 0; by < 2; ++by)
      for (size_t bx = 0; bx < 4; ++bx)
        EXPECT_EQ(BlockAt(decoded.picture, 16, bx, by), Flat(values[by * 4 + bx])) << map.size();
  }
}

TEST(PairDecoder, ThumbnailValuesPastAMultipleOfFourStayUndrawn) {
  DecodedPair decoded = DecodePair(PairFile(1, 1, {77}), PairFile(4, 4));
  ASSERT_EQ(decoded.fault, PairFault::None);
  EXPECT_EQ(decoded.picture, Bytes(16, 0));
  // Three by three blocks: two map bytes cover eight blocks, the ninth stays black.
  decoded = DecodePair(PairFile(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9}), PairFile(12, 12, {0, 0}));
  ASSERT_EQ(decoded.fault, PairFault::None);
  ASSERT_EQ(decoded.picture.size(), 144u);
  EXPECT_EQ(BlockAt(decoded.picture, 12, 1, 2), Flat(8));
  EXPECT_EQ(BlockAt(decoded.picture, 12, 2, 2), Flat(0));
}

TEST(PairDecoder, ExtraThumbnailValuesGiveRowsBeyondTheHeight) {
  // Eight blocks for a 2 x 2 thumbnail: two more block rows, all within 16 x 8 bytes.
  DecodedPair decoded =
      DecodePair(PairFile(2, 2, {1, 2, 3, 4, 5, 6, 7, 8}), PairFile(8, 8, {0, 0}));
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

TEST(PairDecoder, RefusesPairsThatCannotBeDecoded) {
  const Bytes thumbnail = PairFile(16, 16, Bytes(256, 9));
  const Bytes compressed = PairFile(64, 64, Bytes(64, 0));
  struct Case {
    const char* name;
    Bytes thumbnail, compressed;
    PairFault fault;
  };
  const Case cases[] = {
      {"agreeing sizes", thumbnail, compressed, PairFault::None},
      {"one column more", thumbnail, PairFile(65, 64, Bytes(64, 0)), PairFault::SizesDisagree},
      {"one row more", thumbnail, PairFile(64, 65, Bytes(64, 0)), PairFault::SizesDisagree},
      // A compressed file in place of the thumbnail: its size is four times too big.
      {"compressed as thumbnail", compressed, compressed, PairFault::SizesDisagree},
      {"thumbnail shorter than a header", Bytes(255, 0), compressed,
       PairFault::ThumbnailIncomplete},
      {"thumbnail value missing", PairFile(16, 16, Bytes(255, 0)), compressed,
       PairFault::ThumbnailIncomplete},
      // A 65535-wide thumbnail has no compressed partner at all; the largest that has one is
      // refused for want of values.
      {"largest sizes", PairFile(0xFFFF, 0xFFFF, Bytes(64, 0)), PairFile(0xFFFF, 0xFFFF),
       PairFault::SizesDisagree},
      {"largest partnered sizes", PairFile(16383, 16383, Bytes(64, 0)), PairFile(65532, 65532),
       PairFault::ThumbnailIncomplete},
      {"no width", PairFile(0, 16, Bytes(64, 0)), PairFile(0, 64), PairFault::EmptyPicture},
      {"no height", PairFile(16, 0), PairFile(64, 0), PairFault::EmptyPicture},
      {"compressed shorter than a header", PairFile(16, 16, Bytes(256, 0)), Bytes(255, 0),
       PairFault::CompressedIncomplete},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DecodePair(c.thumbnail, c.compressed).fault, c.fault) << c.name;
}

// The decoder as the procedure describes it, pixel by pixel, for comparison. A flat block is
// one part of spread 0, a whole block one part, a quadrant block four.
Bytes ReferenceDecode(const Bytes& thumbnailFile, const Bytes& compressedFile) {
  const size_t t = thumbnailFile.size() - 256, mapLength = t / 4;
  const size_t width = LoadU16(compressedFile.data() + 251);
  auto byteAt = [&](size_t offset) -> uint32_t {
    return offset < compressedFile.size() ? compressedFile[offset] : 0;
  };
  auto factor = [](uint32_t numerator, uint32_t denominator) {
    return static_cast<uint32_t>(
        std::floor(std::sqrt(static_cast<double>(numerator / denominator))));
  };
  Bytes picture(16 * t, 0);
  size_t x = 0, y = 0, record = 256 + mapLength;
  for (size_t value = 0; value < 4 * mapLength; ++value) {
    const uint32_t m = thumbnailFile[256 + value];
    const uint32_t code = (byteAt(256 + value / 4) >> (2 * (value % 4))) & 3;
    if (code == 1) continue;
    std::array<uint32_t, 4> means{m, m, m, m}, spreads{}, highs{}, sizes{};
    uint32_t plane = 0;
    if (code == 3) {
      spreads.fill(byteAt(record));
      plane = byteAt(record + 1) | byteAt(record + 2) << 8;
      record += 3;
    } else if (code == 2) {
      const uint32_t others = byteAt(record) + byteAt(record + 1) + byteAt(record + 2);
      means = {others > 4 * m ? 0 : std::min<uint32_t>(4 * m - others, 255), byteAt(record),
               byteAt(record + 1), byteAt(record + 2)};
      for (size_t q = 0; q < 4; ++q) spreads[q] = byteAt(record + 3 + q);
      plane = byteAt(record + 7) | byteAt(record + 8) << 8;
      record += 9;
    }
    auto partOf = [&](size_t i) { return code == 2 ? (i / 8) * 2 + (i % 4) / 2 : 0; };
    for (size_t i = 0; i < 16; ++i) {
      ++sizes[partOf(i)];
      highs[partOf(i)] += (plane >> i) & 1;
    }
    for (size_t i = 0; i < 16; ++i) {
      const size_t q = partOf(i), at = (y + i / 4) * width + x + i % 4;
      const uint32_t n = highs[q], p = sizes[q];
      const uint32_t lowFactor = n < p ? factor(n, p - n) : 0;
      const uint32_t highFactor = n > 0 ? factor(p - n, n) : 0;
      const uint32_t low =
          lowFactor * spreads[q] > means[q] ? 0 : means[q] - lowFactor * spreads[q];
      const uint32_t high = std::min<uint32_t>(means[q] + highFactor * spreads[q], 255);
      if (at < picture.size()) picture[at] = static_cast<uint8_t>((plane >> i) & 1 ? high : low);
    }
    x += 4;
    if (x == width) {
      x = 0;
      y += 4;
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
