// The pair kernels: names, the block decoder against a plain reference, the encoder's choice
// of block codes, and round trips through both.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "codec/pair_decoder.h"
#include "codec/pair_encoder.h"
#include "codec/pair_format.h"
#include "pair_builders.h"

namespace kestrel {
namespace {

using testing::PairFile;
using Rows = std::array<std::array<uint8_t, 4>, 4>;

// The 4 x 4 block at block column `bx` of the top block row.
Rows BlockAt(const Bytes& picture, size_t width, size_t bx) {
  Rows block{};
  for (size_t i = 0; i < 16; ++i) block[i / 4][i % 4] = picture[i / 4 * width + 4 * bx + i % 4];
  return block;
}

Rows Flat(uint8_t v) { return {{{v, v, v, v}, {v, v, v, v}, {v, v, v, v}, {v, v, v, v}}}; }

// Pixels with their bit (4 x row + column) set in `plane` are `high`, the others `low`.
Rows TwoLevel(uint16_t plane, uint8_t low, uint8_t high) {
  Rows block{};
  for (size_t i = 0; i < 16; ++i) block[i / 4][i % 4] = (plane >> i) & 1 ? high : low;
  return block;
}

TEST(PairNames, FollowTheThumbnailOrTheSourceName) {
  struct Case {
    const char* name;
    bool secondNumbering;
    const char* compressed;
    const char* decoded;
  };
  const Case decoder[] = {
      {"U5TW0123.CCD", false, "U5CW0123", "U5DW0123.CCD"},
      {"KBTN0042", false, "", "KBDN0042.CCD"},  // no ".CCD": no compressed name
      {"P1TWCCD1", false, "", "P1DWCCD1"},      // "CCD" already in the name
      {"A.CCD", false, "", "A.DCD"},
      {"TM112345.IMT", false, "TM112345.IMC", "TM112345.IMI"},
      {"TM212345.IMT", true, "TM222345.IMC", "TM212345.IMI"},  // '2' where the thumbnail has '1'
      {"FB110001.IMT", true, "FB120001.IMC", "FB110001.IMI"},
      {"TM1.IMT", false, "", ""},  // too short for its positions
  };
  for (const Case& c : decoder) {
    SCOPED_TRACE(c.name);
    const DecoderNames names = DecoderNamesFor(c.name, c.secondNumbering);
    EXPECT_EQ(names.compressed, c.compressed);
    EXPECT_EQ(names.decoded, c.decoded);
  }
  // The compressor's thumbnail and compressed names for a source picture.
  const std::array<const char*, 3> compressor[] = {
      {"U5DW0123.CCD", "U5TW0123.CCD", "U5CW0123"},
      {"tm112345.imi", "TM112345.IMT", "TM112345.IMC"},
      {"FB110001.IMI", "FBT10001.IMI", "FBC10001"},  // named like camera files
      {"TM1", "", ""},
      {"ABC", "ABT", ""},
  };
  for (const auto& [source, thumbnail, compressed] : compressor) {
    EXPECT_EQ(CompressorNamesFor(source).thumbnail, thumbnail) << source;
    EXPECT_EQ(CompressorNamesFor(source).compressed, compressed) << source;
  }
}

TEST(PairDecoder, FirstBlockBesideFlatBlocks) {
  struct Case {
    const char* name;
    uint8_t t;  // the first thumbnail value; the other three are 50, 60 and 70
    Bytes body;  // map byte, then the first block's record
    Rows expected;
  };
  // clang-format off
  const Case cases[] = {
      {"quadrant block", 100, {0x02, 110, 90, 100, 5, 10, 0, 20, 0x33, 0xC0},
       {{{100, 100, 110, 110}, {100, 100, 110, 110}, {90, 90, 80, 80}, {90, 90, 120, 120}}}},
      // Whole-block levels follow the integer factor tables.
      {"one high: factors 3 and 0", 100, {0x03, 10, 0x01, 0x00}, TwoLevel(0x0001, 100, 130)},
      {"fifteen high: factors 0 and 3", 100, {0x03, 10, 0xFF, 0x7F}, TwoLevel(0x7FFF, 70, 100)},
      {"eight high: factors 1 and 1", 100, {0x03, 10, 0x0F, 0x0F}, TwoLevel(0x0F0F, 90, 110)},
      {"low level stops at black", 20, {0x03, 30, 0x5A, 0x5A}, TwoLevel(0x5A5A, 0, 50)},
      {"quadrant level stops at white", 200, {0x02, 250, 0, 0, 0, 10, 0, 0, 0x48, 0x00},
       {{{255, 255, 240, 255}, {255, 255, 255, 240}, {0, 0, 0, 0}, {0, 0, 0, 0}}}},
      // The top-left mean is 4t less the other three, bounded by black and white.
      {"765 exceeds 4 x 191", 191, {0x02, 255, 255, 255, 0, 0, 0, 0, 0, 0},
       {{{0, 0, 255, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}, {255, 255, 255, 255}}}},
      {"4 x 255 is white", 255, {0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0},
       {{{255, 255, 0, 0}, {255, 255, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}}},
      // Cut after the spread: both planes zero, all pixels low, which with none high is t.
      {"record ending early", 10, {0x03, 5}, Flat(10)},
      // Codes stand low bits first: flat, unused, quadrant, whole. The unused block uses up
      // the value 50 but takes no place, so the others move left and the last stays black.
      {"map byte 0xE4", 11, {0xE4, 60, 60, 60, 0, 0, 0, 0, 0, 0, 0, 0, 0}, Flat(11)},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DecodedPair decoded = DecodePair(PairFile(4, 1, {c.t, 50, 60, 70}), PairFile(16, 4, c.body));
    ASSERT_EQ(decoded.fault, PairFault::None);
    EXPECT_EQ(decoded.size.width, 16);
    EXPECT_EQ(decoded.size.height, 4);
    ASSERT_EQ(decoded.picture.size(), 64u);
    EXPECT_EQ(BlockAt(decoded.picture, 16, 0), c.expected);
    const bool shifted = c.body[0] == 0xE4;
    EXPECT_EQ(BlockAt(decoded.picture, 16, 1), Flat(shifted ? 60 : 50));
    EXPECT_EQ(BlockAt(decoded.picture, 16, 2), Flat(shifted ? 70 : 60));
    EXPECT_EQ(BlockAt(decoded.picture, 16, 3), Flat(shifted ? 0 : 70));
  }
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
      {"compressed as thumbnail", compressed, compressed, PairFault::SizesDisagree},
      {"thumbnail shorter than a header", Bytes(255, 0), compressed, PairFault::ThumbnailIncomplete},
      {"thumbnail value missing", PairFile(16, 16, Bytes(255, 0)), compressed,
       PairFault::ThumbnailIncomplete},
      // A 65535-wide thumbnail has no compressed partner; the largest that has one is refused
      // for want of values rather than allocated for.
      {"largest sizes", PairFile(0xFFFF, 0xFFFF, Bytes(64, 0)), PairFile(0xFFFF, 0xFFFF),
       PairFault::SizesDisagree},
      {"largest partnered sizes", PairFile(16383, 16383, Bytes(64, 0)), PairFile(65532, 65532),
       PairFault::ThumbnailIncomplete},
      {"no width", PairFile(0, 16, Bytes(64, 0)), PairFile(0, 64), PairFault::EmptyPicture},
      {"no height", PairFile(16, 0), PairFile(64, 0), PairFault::EmptyPicture},
      {"compressed shorter than a header", thumbnail, Bytes(255, 0), PairFault::CompressedIncomplete},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodePair(c.thumbnail, c.compressed).fault, c.fault) << c.name;
}

// The decoder as the procedure describes it, pixel by pixel: a flat block is one part of
// spread 0, a whole block one part, a quadrant block four.
Bytes ReferenceDecode(const Bytes& thumbnailFile, const Bytes& compressedFile) {
  const size_t t = thumbnailFile.size() - 256, mapLength = t / 4;
  const size_t width = LoadU16(compressedFile.data() + 251);
  auto byteAt = [&](size_t offset) -> uint32_t {
    return offset < compressedFile.size() ? compressedFile[offset] : 0;
  };
  auto factor = [](uint32_t numerator, uint32_t denominator) {
    return static_cast<uint32_t>(std::floor(std::sqrt(static_cast<double>(numerator / denominator))));
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
      const uint32_t lowStep = (n < p ? factor(n, p - n) : 0) * spreads[q];
      const uint32_t highStep = (n > 0 ? factor(p - n, n) : 0) * spreads[q];
      const uint32_t level = (plane >> i) & 1 ? std::min<uint32_t>(means[q] + highStep, 255)
                                              : (lowStep > means[q] ? 0 : means[q] - lowStep);
      if (at < picture.size()) picture[at] = static_cast<uint8_t>(level);
    }
    x += 4;
    if (x == width) x = 0, y += 4;
  }
  return picture;
}

TEST(PairDecoder, MatchesThePixelByPixelProcedureOnRandomPairs) {
  std::mt19937 random(20240601);
  for (int round = 0; round < 300; ++round) {
    const auto tw = static_cast<uint16_t>(1 + random() % 12);
    const auto th = static_cast<uint16_t>(1 + random() % 12);
    // Sometimes extra values, sometimes a cut map or cut records.
    Bytes values(size_t{tw} * th + (random() % 4 == 0 ? random() % 9 : 0));
    for (auto& v : values) v = static_cast<uint8_t>(random());
    Bytes body(values.size() / 4 + values.size() * 9);
    for (auto& v : body) v = static_cast<uint8_t>(random());
    if (random() % 3 == 0) body.resize(random() % (body.size() + 1));
    if (round % 8 == 0) std::fill(body.begin(), body.end(), 0);  // every block flat
    const Bytes thumbnail = PairFile(tw, th, values);
    const Bytes compressed = PairFile(static_cast<uint16_t>(4 * tw), static_cast<uint16_t>(4 * th), body);
    const DecodedPair decoded = DecodePair(thumbnail, compressed);
    ASSERT_EQ(decoded.fault, PairFault::None);
    ASSERT_EQ(decoded.picture, ReferenceDecode(thumbnail, compressed)) << "round " << round;
  }
}

EncodedBlocks Encode(const Bytes& picture, size_t width, PairSize size) {
  return EncodeBlocks(picture, width, size, [] {});
}

// The picture the decoder rebuilds from an encoding.
Bytes RoundTrip(const EncodedBlocks& encoded, PairSize size) {
  Bytes body = encoded.map;
  body.insert(body.end(), encoded.records.begin(), encoded.records.end());
  const DecodedPair decoded =
      DecodePair(PairFile(static_cast<uint16_t>(size.width / 4), static_cast<uint16_t>(size.height / 4),
                          encoded.thumbnail),
                 PairFile(size.width, size.height, body));
  EXPECT_EQ(decoded.fault, PairFault::None);
  return decoded.picture;
}

TEST(PairEncoder, FirstBlockCodes) {
  struct Case {
    const char* name;
    Rows first;  // the first block of a 16 x 16 picture whose other blocks are flat `fill`
    uint8_t fill, thumbnail;
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
      {"sigma exactly 10", TwoLevel(0xAAAA, 0, 20), 0, 10, kWholeBlock, {10, 0xAA, 0xAA}, true},
      {"sigma 11", TwoLevel(0xAAAA, 0, 22), 0, 11, kQuadrantBlock,
       {11, 11, 11, 11, 11, 11, 11, 0xAA, 0xAA}, true},
      {"nearly flat",
       {{{100, 101, 100, 101}, {101, 101, 101, 101}, {100, 100, 100, 100}, {101, 100, 101, 100}}},
       0, 100, kFlatBlock, {}, false},
      {"pixels at the mean are low",
       {{{100, 100, 97, 103}, {100, 100, 97, 103}, {100, 100, 97, 103}, {100, 100, 97, 103}}},
       0, 100, kWholeBlock, {2, 0x88, 0x88}, false},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes picture(16 * 16, c.fill);
    for (size_t i = 0; i < 16; ++i) picture[i / 4 * 16 + i % 4] = c.first[i / 4][i % 4];
    const EncodedBlocks encoded = Encode(picture, 16, {16, 16});
    EXPECT_EQ(encoded.thumbnail[0], c.thumbnail);
    EXPECT_EQ(encoded.map[0] & 3, c.code);
    EXPECT_EQ(encoded.records, c.records);
    if (c.exact) { EXPECT_EQ(RoundTrip(encoded, {16, 16}), picture); }
  }
}

TEST(PairEncoder, CompressedSizesAreWholeStripsAndDropOrReadOnPastThePicture) {
  struct Case {
    const char* name;
    uint16_t width, height, compressedWidth, compressedHeight;
  };
  const Case sizes[] = {
      {"U5DW0001.CCD", 100, 60, 96, 48},
      {"U5DW0001.CCD", 15, 200, 0, 192},
      {"TM112345.IMI", 96, 48, 112, 64},  // spectral planes get one strip more, even on a whole number
      {"TM112345.IMI", 1020, 1020, 1024, 1024},
      {"TM000100.IMI", 612, 576, 608, 576},
  };
  for (const Case& c : sizes) {
    const PairSize size = CompressedSizeFor(c.name, c.width, c.height);
    EXPECT_EQ(size.width, c.compressedWidth) << c.name << " " << c.width;
    EXPECT_EQ(size.height, c.compressedHeight) << c.name << " " << c.width;
  }
  // 100 x 60 coded as 96 x 48 drops the right columns and bottom rows.
  Bytes picture(100 * 60);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = i % 100 < 96 && i / 100 < 48 ? 40 : 250;
  EncodedBlocks encoded = Encode(picture, 100, {96, 48});
  EXPECT_EQ(encoded.thumbnail, Bytes(24 * 12, 40));
  EXPECT_EQ(encoded.map, Bytes(72, 0));
  EXPECT_TRUE(encoded.records.empty());
  // 96 x 48 coded as 112 x 64: block column 24 of row 0 reads the leading pixels of rows 1..4.
  picture.resize(96 * 48);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint8_t>(i / 96);
  encoded = Encode(picture, 96, {112, 64});
  ASSERT_EQ(encoded.thumbnail.size(), 28u * 16u);
  EXPECT_EQ(encoded.thumbnail[0], 1);   // rows 0..3: (0 + 1 + 2 + 3) / 4
  EXPECT_EQ(encoded.thumbnail[24], 2);  // rows 1..4 at the left edge
  EXPECT_EQ(encoded.thumbnail[28 * 11 + 24], 34);  // rows 45..47, then the end: 138 / 4
  EXPECT_EQ(encoded.thumbnail[28 * 12], 0);        // past the end of the picture
}

TEST(PairRoundTrip, ExactPicturesComeBackUnchangedSmoothOnesClose) {
  const Bytes exact = testing::ExactlyCodablePicture(128, 96);
  EXPECT_EQ(RoundTrip(Encode(exact, 128, {128, 96}), {128, 96}), exact);
  // Broad shading with gentle ripples and a soft-edged feature.
  Bytes picture(192 * 128);
  for (size_t i = 0; i < picture.size(); ++i) {
    const double x = static_cast<double>(i % 192), y = static_cast<double>(i / 192);
    const double v = 90 + 60 * std::sin(x / 37.0) * std::cos(y / 53.0) + 0.12 * y +
                     25 * std::exp(-((x - 70) * (x - 70) + (y - 40) * (y - 40)) / 300.0);
    picture[i] = static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
  }
  const Bytes decoded = RoundTrip(Encode(picture, 192, {192, 128}), {192, 128});
  double squared = 0;
  int worst = 0;
  for (size_t i = 0; i < picture.size(); ++i) {
    const int d = std::abs(picture[i] - decoded[i]);
    squared += d * d;
    worst = std::max(worst, d);
  }
  EXPECT_LT(squared / static_cast<double>(picture.size()), 6.5);  // better than 40 dB
  EXPECT_LE(worst, 12);  // no pixel further off than a flat block's spread allows
}

}  // namespace
}  // namespace kestrel
