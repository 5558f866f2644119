// The pair kernels: names, the block decoder against a plain reference, the encoder's choice
// of block codes, and round trips through both.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "codec/pair_decoder.h"
#include "codec/pair_encoder.h"
#include "pair_builders.h"

namespace kestrel {
namespace {

using testing::PairFile;
using Block16 = std::array<uint8_t, 16>;

// Pixels with their bit (4 x row + column) set in `plane` are `high`, the others `low`.
Block16 TwoLevel(uint16_t plane, uint8_t low, uint8_t high) {
  Block16 block{};
  for (size_t i = 0; i < 16; ++i) block[i] = (plane >> i) & 1 ? high : low;
  return block;
}
Block16 Flat(uint8_t v) { return TwoLevel(0, v, v); }
// The 4 x 4 block at block column `bx` of the top block row, row by row.
Block16 BlockAt(const Bytes& picture, size_t width, size_t bx) {
  Block16 block{};
  for (size_t i = 0; i < 16; ++i) block[i] = picture[i / 4 * width + 4 * bx + i % 4];
  return block;
}

TEST(PairNames, FollowTheThumbnailOrTheSourceName) {
  EXPECT_EQ(DecoderNamesFor("P1TWCCD1", false).decoded, "P1DWCCD1");  // "CCD" already in the name
  EXPECT_EQ(DecoderNamesFor("TM1.IMT", false).decoded, "");          // too short for its positions
  EXPECT_EQ(CompressorNamesFor("tm112345.imi").compressed, "TM112345.IMC");
  EXPECT_EQ(CompressorNamesFor("FB110001.IMI").thumbnail, "FBT10001.IMI");  // named like camera files
  EXPECT_EQ(CompressorNamesFor("ABC").compressed, "");
}

TEST(PairDecoder, FirstBlockBesideFlatBlocks) {
  struct Case {
    const char* name;
    uint8_t t;   // the first thumbnail value; the other three are 50, 60 and 70
    Bytes body;  // map byte, then the first block's record
    Block16 expected;
  };
  const Case cases[] = {
      {"quadrant block", 100, {0x02, 110, 90, 100, 5, 10, 0, 20, 0x33, 0xC0},
       {100, 100, 110, 110, 100, 100, 110, 110, 90, 90, 80, 80, 90, 90, 120, 120}},
      // Whole-block levels follow the integer factor tables.
      {"one high: factors 3 and 0", 100, {0x03, 10, 0x01, 0x00}, TwoLevel(0x0001, 100, 130)},
      {"fifteen high: factors 0 and 3", 100, {0x03, 10, 0xFF, 0x7F}, TwoLevel(0x7FFF, 70, 100)},
      {"eight high: factors 1 and 1", 100, {0x03, 10, 0x0F, 0x0F}, TwoLevel(0x0F0F, 90, 110)},
      {"low level stops at black", 20, {0x03, 30, 0x5A, 0x5A}, TwoLevel(0x5A5A, 0, 50)},
      {"quadrant level stops at white", 200, {0x02, 250, 0, 0, 0, 10, 0, 0, 0x48, 0x00},
       {255, 255, 240, 255, 255, 255, 255, 240, 0, 0, 0, 0, 0, 0, 0, 0}},
      // The top-left mean is 4t less the other three, bounded by black and white.
      {"765 exceeds 4 x 191", 191, {0x02, 255, 255, 255, 0, 0, 0, 0, 0, 0}, TwoLevel(0xFFCC, 0, 255)},
      {"4 x 255 is white", 255, {0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0}, TwoLevel(0x0033, 0, 255)},
      // Cut after the spread: both planes zero, all pixels low, which with none high is t.
      {"record ending early", 10, {0x03, 5}, Flat(10)},
      // Codes stand low bits first: flat, unused, quadrant, whole. The unused block uses up
      // the value 50 but takes no place, so the others move left and the last stays black.
      {"map byte 0xE4", 11, {0xE4, 60, 60, 60, 0, 0, 0, 0, 0, 0, 0, 0, 0}, Flat(11)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DecodedPair decoded = DecodePair(PairFile(4, 1, {c.t, 50, 60, 70}), PairFile(16, 4, c.body));
    ASSERT_EQ(decoded.fault, PairFault::None);
    ASSERT_EQ(decoded.picture.size(), 64u);
    EXPECT_EQ(BlockAt(decoded.picture, 16, 0), c.expected);
    const bool shifted = c.body[0] == 0xE4;
    EXPECT_EQ(BlockAt(decoded.picture, 16, 1), Flat(shifted ? 60 : 50));
    EXPECT_EQ(BlockAt(decoded.picture, 16, 2), Flat(shifted ? 70 : 60));
    EXPECT_EQ(BlockAt(decoded.picture, 16, 3), Flat(shifted ? 0 : 70));
  }
}

// The decoder as the procedure describes it, pixel by pixel.
Bytes ReferenceDecode(const Bytes& thumbnailFile, const Bytes& compressedFile) {
  const size_t t = thumbnailFile.size() - 256, width = LoadU16(compressedFile.data() + 251);
  auto at = [&](size_t offset) -> uint32_t { return offset < compressedFile.size() ? compressedFile[offset] : 0; };
  auto factor = [](uint32_t n, uint32_t d) { return static_cast<uint32_t>(std::sqrt(static_cast<double>(n / d))); };
  Bytes picture(16 * t, 0);
  size_t x = 0, y = 0, record = 256 + t / 4;
  for (size_t value = 0; value < t / 4 * 4; ++value) {
    const uint32_t m = thumbnailFile[256 + value], code = at(256 + value / 4) >> (2 * (value % 4)) & 3;
    if (code == 1) continue;
    // A flat block is one part of spread 0, a whole block one part, a quadrant block four.
    std::array<uint32_t, 4> means{m, m, m, m}, spreads{}, highs{}, sizes{};
    const size_t length = code == 3 ? 3 : code == 2 ? 9 : 0;
    const uint32_t plane = length ? at(record + length - 2) | at(record + length - 1) << 8 : 0;
    if (code == 3) spreads.fill(at(record));
    if (code == 2) {
      const uint32_t others = at(record) + at(record + 1) + at(record + 2);
      means = {others > 4 * m ? 0 : std::min<uint32_t>(4 * m - others, 255), at(record), at(record + 1), at(record + 2)};
      for (size_t q = 0; q < 4; ++q) spreads[q] = at(record + 3 + q);
    }
    record += length;
    auto partOf = [code](size_t i) { return code == 2 ? i / 8 * 2 + i % 4 / 2 : 0; };
    for (size_t i = 0; i < 16; ++i) {
      ++sizes[partOf(i)];
      highs[partOf(i)] += plane >> i & 1;
    }
    for (size_t i = 0; i < 16; ++i) {
      const size_t q = partOf(i), pixel = (y + i / 4) * width + x + i % 4;
      const uint32_t n = highs[q], p = sizes[q];
      const uint32_t low = (n < p ? factor(n, p - n) : 0) * spreads[q];
      const uint32_t high = (n > 0 ? factor(p - n, n) : 0) * spreads[q];
      if (pixel < picture.size())
        picture[pixel] = static_cast<uint8_t>(plane >> i & 1 ? std::min<uint32_t>(means[q] + high, 255)
                                                              : (low > means[q] ? 0 : means[q] - low));
    }
    x += 4;
    if (x == width) x = 0, y += 4;
  }
  return picture;
}

TEST(PairDecoder, MatchesThePixelByPixelProcedureOnRandomPairs) {
  std::mt19937 random(20240601);
  for (int round = 0; round < 300; ++round) {
    const auto tw = static_cast<uint16_t>(1 + random() % 12), th = static_cast<uint16_t>(1 + random() % 12);
    // Sometimes extra values (rows beyond the height), a cut map or cut records, or all flat.
    Bytes values(size_t{tw} * th + (random() % 4 == 0 ? random() % 9 : 0));
    for (auto& v : values) v = static_cast<uint8_t>(random());
    Bytes body(values.size() / 4 + values.size() * 9);
    for (auto& v : body) v = static_cast<uint8_t>(round % 8 ? random() : 0);
    if (random() % 3 == 0) body.resize(random() % (body.size() + 1));
    const Bytes thumbnail = PairFile(tw, th, values);
    const Bytes compressed = PairFile(static_cast<uint16_t>(4 * tw), static_cast<uint16_t>(4 * th), body);
    const DecodedPair decoded = DecodePair(thumbnail, compressed);
    ASSERT_EQ(decoded.fault, PairFault::None);
    ASSERT_EQ(decoded.picture, ReferenceDecode(thumbnail, compressed)) << "round " << round;
  }
}

// The picture the decoder rebuilds from an encoding of `picture` at its own size.
Bytes RoundTrip(const Bytes& picture, uint16_t width, uint16_t height, EncodedBlocks* encoding = nullptr) {
  const EncodedBlocks encoded = EncodeBlocks(picture, width, {width, height}, [] {});
  Bytes body = encoded.map;
  body.insert(body.end(), encoded.records.begin(), encoded.records.end());
  if (encoding) *encoding = encoded;
  return DecodePair(PairFile(width / 4, height / 4, encoded.thumbnail), PairFile(width, height, body)).picture;
}

TEST(PairEncoder, FirstBlockCodes) {
  struct Case {
    const char* name;
    Block16 first;  // the first block of a 16 x 16 picture whose other blocks are flat `fill`
    uint8_t fill, thumbnail;
    int code;
    Bytes records;
    bool exact;  // the decoder gives the picture back unchanged
  };
  const Case cases[] = {
      {"two-level columns", TwoLevel(0xCCCC, 10, 200), 50, 105, kQuadrantBlock, {200, 10, 200, 0, 0, 0, 0, 0, 0}, true},
      {"checkerboard", TwoLevel(0x5A5A, 100, 104), 7, 102, kWholeBlock, {2, 0x5A, 0x5A}, true},
      {"sigma exactly 10", TwoLevel(0xAAAA, 0, 20), 0, 10, kWholeBlock, {10, 0xAA, 0xAA}, true},
      {"sigma 11", TwoLevel(0xAAAA, 0, 22), 0, 11, kQuadrantBlock, {11, 11, 11, 11, 11, 11, 11, 0xAA, 0xAA}, true},
      {"nearly flat", TwoLevel(0x50FA, 100, 101), 0, 100, kFlatBlock, {}, false},
      {"pixels at the mean are low", {100, 100, 97, 103, 100, 100, 97, 103, 100, 100, 97, 103, 100, 100, 97, 103}, 0, 100, kWholeBlock, {2, 0x88, 0x88}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes picture(16 * 16, c.fill);
    for (size_t i = 0; i < 16; ++i) picture[i / 4 * 16 + i % 4] = c.first[i];
    EncodedBlocks encoded;
    const Bytes decoded = RoundTrip(picture, 16, 16, &encoded);
    EXPECT_EQ(encoded.thumbnail[0], c.thumbnail);
    EXPECT_EQ(encoded.map[0] & 3, c.code);
    EXPECT_EQ(encoded.records, c.records);
    if (c.exact) { EXPECT_EQ(decoded, picture); }
  }
}

TEST(PairEncoder, PartStripsAreDropped) {
  EXPECT_EQ(CompressedSizeFor("U5DW0001.CCD", 15, 200).height, 192);
  EXPECT_EQ(CompressedSizeFor("TM112345.IMI", 1020, 1020).width, 1024);  // spectral planes: one strip more
  Bytes picture(100 * 60);  // coded as 96 x 48: the right columns and bottom rows go
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = i % 100 < 96 && i / 100 < 48 ? 40 : 250;
  const EncodedBlocks encoded = EncodeBlocks(picture, 100, CompressedSizeFor("U5DW0001.CCD", 100, 60), [] {});
  EXPECT_EQ(encoded.thumbnail, Bytes(24 * 12, 40));
  EXPECT_EQ(encoded.map, Bytes(72, 0));
  EXPECT_TRUE(encoded.records.empty());
}

TEST(PairRoundTrip, ExactlyCodablePicturesComeBackUnchanged) {
  const Bytes exact = testing::ExactlyCodablePicture(128, 96);
  EXPECT_EQ(RoundTrip(exact, 128, 96), exact);
}

}  // namespace
}  // namespace kestrel
