// Compressed picture pairs: names, the block decoder against a plain reference, the encoder's
// choice of block codes, round trips, and the decompression and compression flows through a
// session over the scripted platform.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>
#include <span>

#include "bitmap/dib.h"
#include "codec/compression.h"
#include "codec/decompression.h"
#include "codec/pair_decoder.h"
#include "codec/pair_encoder.h"
#include "codec/pair_format.h"
#include "location/where_fixture.h"
#include "satfiles/open_flows.h"
#include "test_support.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using namespace kestrel::testing;

// A pair file: a 256-byte header with the given size, then `body`.
Bytes PairFile(uint16_t width, uint16_t height, const Bytes& body = {}) {
  Bytes file(kPairHeaderLength, 0);
  StoreU16(file.data() + kPairWidthOffset, width);
  StoreU16(file.data() + kPairHeightOffset, height);
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

// The rows of an 8-bit packed DIB, top-down, `width` bytes each.
Bytes TopDownRows(std::span<const uint8_t> dib, size_t width, size_t height) {
  const BitmapInfoHeader header = *LoadInfoHeader(dib);
  const size_t stride = RowLength(8, static_cast<uint32_t>(header.biWidth));
  Bytes rows;
  for (size_t y = height; y-- > 0;) {
    const auto row = dib.subspan(PixelOffset(header) + y * stride, width);
    rows.insert(rows.end(), row.begin(), row.end());
  }
  return rows;
}

// Flat blocks and whole blocks of eight pixels each side of the mean by 2 to 10: pictures the
// two-level code represents exactly.
Bytes ExactlyCodablePicture(size_t width, size_t height) {
  std::mt19937 random(7);
  Bytes picture(width * height);
  for (size_t block = 0; block < width / 4 * (height / 4); ++block) {
    std::array<int, 16> values{};
    const int spread = random() % 2 ? 2 + static_cast<int>(random() % 9) : 0;
    const int mean = spread + static_cast<int>(random() % static_cast<unsigned>(256 - 2 * spread));
    for (size_t i = 0; i < 16; ++i) values[i] = mean + (i < 8 ? spread : -spread);
    std::shuffle(values.begin(), values.end(), random);
    const size_t left = block % (width / 4) * 4, top = block / (width / 4) * 4;
    for (size_t i = 0; i < 16; ++i)
      picture[(top + i / 4) * width + left + i % 4] = static_cast<uint8_t>(values[i]);
  }
  return picture;
}

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
  // The compressed name keeps the picture's number, with or without an extension on the source,
  // and is the one the decoder finds from the thumbnail.
  const std::array<std::string, 3> cases[] = {  // source, thumbnail, compressed
      {"KBDW0008", "KBTW0008", "KBCW0008"}, {"kbdw0014.ccd", "KBTW0014.CCD", "KBCW0014"},
      {"U5DW0003.C", "U5TW0003.C", "U5CW0003"}, {"P1DW.0001", "P1TW.0001", "P1CW.0001"},  // four after the dot
      {"tm112345.imi", "TM112345.IMT", "TM112345.IMC"}, {"ABC", "ABT", "ABC"}, {"AB", "", ""}};
  for (const auto& [source, thumbnail, compressed] : cases) {
    const CompressorNames names = CompressorNamesFor(source);
    EXPECT_EQ(std::tie(names.thumbnail, names.compressed), std::tie(thumbnail, compressed)) << source;
    EXPECT_EQ(DecoderNamesFor(thumbnail, false).compressed, compressed) << source;
  }
  EXPECT_EQ(CompressorNamesFor("FB110001.IMI").thumbnail, "FBT10001.IMI");  // named like camera files
  EXPECT_EQ(DecoderNamesFor("P1TWCCD1", false).decoded, "P1DWCCD1");  // "CCD" already in the name
  EXPECT_EQ(DecoderNamesFor("TM1.IMT", false).decoded, "");          // too short for its positions
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

TEST(PairDecoder, RefusesHostilePairs) {
  const Bytes thumbnail = PairFile(16, 16, Bytes(256, 9)), compressed = PairFile(64, 64, Bytes(64, 0));
  const std::tuple<const char*, Bytes, Bytes, PairFault> cases[] = {
      {"one row more", thumbnail, PairFile(64, 65, Bytes(64, 0)), PairFault::SizesDisagree},
      {"compressed as thumbnail", compressed, compressed, PairFault::SizesDisagree},
      {"thumbnail shorter than a header", Bytes(255, 0), compressed, PairFault::ThumbnailIncomplete},
      // Four times 65535 does not fit the compressed header: no partner, whatever 16 bits say.
      {"largest sizes", PairFile(0xFFFF, 0xFFFF, Bytes(64, 0)), PairFile(0xFFFF, 0xFFFF), PairFault::SizesDisagree},
      {"largest partnered sizes", PairFile(16383, 16383, Bytes(64, 0)), PairFile(65532, 65532), PairFault::ThumbnailIncomplete},
      {"no height", PairFile(16, 0), PairFile(64, 0), PairFault::EmptyPicture},
  };
  for (const auto& [name, thumbnailFile, compressedFile, fault] : cases)
    EXPECT_EQ(DecodePair(thumbnailFile, compressedFile).fault, fault) << name;
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

TEST(PairEncoder, FirstBlockRecordsOnBlocksWithRemainders) {
  // The thumbnail value is floor(S / 16) of the block's sum; sigma = sqrt(16 Q - S^2) / 16 of
  // its sum of squares picks the code: flat up to 1, whole up to 10, quadrants above. A whole
  // block keeps floor(sigma); a quadrant its mean floor(Sq / 4) and spread
  // floor(sqrt((4 Qq - Sq^2) / 16)). Pixels above their mean set their plane bit.
  struct Case {
    const char* name;
    Block16 first;  // the first block of a 16 x 16 picture whose other blocks are flat
    uint8_t thumbnail;
    int code;
    Bytes records;
  };
  const Case cases[] = {
      // Quadrant sums 95, 755, 311, 559; variances 8.19, 48.69, 213.69, 251.19; S = 1720.
      {"edge", {24, 20, 181, 186, 23, 28, 188, 200, 60, 89, 121, 150, 67, 95, 128, 160}, 107, kQuadrantBlock,
       {188, 77, 139, 2, 6, 14, 15, 0xA1, 0xAA}},
      // S = 1646: mean 102.9, sigma 4.65; 102 is low, 103 high.
      {"texture", {103, 105, 98, 111, 105, 98, 109, 98, 93, 106, 105, 103, 101, 100, 109, 102}, 102, kWholeBlock,
       {4, 0x5B, 0x4E}},
      // S = 2472, 16 Q - S^2 = 25600.
      {"sigma exactly 10", {155, 152, 155, 166, 155, 137, 166, 155, 152, 155, 137, 137, 166, 166, 166, 152}, 154,
       kWholeBlock, {10, 0xDD, 0x72}},
      // S = 1246, sigma 10.09; quadrant sums 310, 315, 319, 302.
      {"sigma just above 10", {79, 61, 78, 69, 92, 78, 82, 86, 84, 87, 69, 69, 90, 58, 90, 74}, 77, kQuadrantBlock,
       {78, 79, 75, 11, 6, 12, 8, 0xF1, 0x53}},
      // S = 1144, 16 Q - S^2 = 256.
      {"sigma exactly 1", {71, 72, 70, 71, 73, 71, 71, 71, 71, 71, 70, 73, 72, 73, 73, 71}, 71, kFlatBlock, {}},
      // S = 1609, sigma 1.06.
      {"sigma just above 1", {99, 100, 102, 99, 100, 102, 99, 101, 101, 100, 101, 101, 100, 100, 102, 102}, 100,
       kWholeBlock, {1, 0xA4, 0xCD}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes picture(16 * 16, 50);
    for (size_t i = 0; i < 16; ++i) picture[i / 4 * 16 + i % 4] = c.first[i];
    const EncodedBlocks encoded = EncodeBlocks(picture, 16, {16, 16}, [] {});
    EXPECT_EQ(encoded.thumbnail[0], c.thumbnail);
    EXPECT_EQ(encoded.map[0], c.code);  // the other blocks are flat
    EXPECT_EQ(encoded.records, c.records);
  }
}

// Four blocks in a row, the first a quadrant block, and the picture they decode to.
const Bytes kThumbnail = PairFile(4, 1, {100, 50, 60, 70});
const Bytes kCompressed = PairFile(16, 4, {0x02, 110, 90, 100, 5, 10, 0, 20, 0x33, 0xC0});
const Bytes kPixels{100, 100, 110, 110, 50, 50, 50, 50, 60, 60, 60, 60, 70, 70, 70, 70,
                    100, 100, 110, 110, 50, 50, 50, 50, 60, 60, 60, 60, 70, 70, 70, 70,
                    90,  90,  80,  80,  50, 50, 50, 50, 60, 60, 60, 60, 70, 70, 70, 70,
                    90,  90,  120, 120, 50, 50, 50, 50, 60, 60, 60, 60, 70, 70, 70, 70};

// A camera file whose header gives its size, so that any name loads at that size; the header
// bytes before the size carry a pattern to follow into the outputs.
Bytes CameraFile(uint16_t width, uint16_t height, const Bytes& pixels) {
  Bytes file = PairFile(width, height, pixels);
  for (size_t i = 0; i < 251; ++i) file[i] = static_cast<uint8_t>(i * 7 + 3);
  return file;
}

struct PairFlowTest : ::testing::Test, testing::SessionFixture {
  ImageState& state = session.state;

  void WritePair(const std::string& thumbnail, const std::string& compressed,
                 const Bytes& compressedFile = kCompressed) {
    WriteBytes(dir / thumbnail, kThumbnail);
    WriteBytes(dir / compressed, compressedFile);
  }
  bool Decompress(const std::string& thumbnail) {
    state.currentFilePath = thumbnail;
    state.loadedImage = NewBlock(16);  // something on show, to see it released
    state.current.imageDisplayable = true;
    return DecompressPair(session, false);
  }
  bool DecompressAndShow(const std::string& chosen, DecompressionOptions options = {false, false}) {
    state.currentFilePath = chosen;
    return DecompressSingleImage(session, options);
  }
  // Writes a camera file and opens it as the command line does.
  void Open(const std::string& name, uint16_t width, uint16_t height, const Bytes& pixels) {
    WriteBytes(dir / name, CameraFile(width, height, pixels));
    state.currentFilePath = name;
    ASSERT_EQ(OpenSingleSatelliteFile(session), OpenResult::Shown) << platform.BoxTexts()[0];
  }
};

TEST_F(PairFlowTest, WritesTheDecodedFileFromReadOnlyInputsAndDescribesIt) {
  WritePair("U5TW0001.CCD", "U5CW0001");
  fs::permissions(dir / "U5TW0001.CCD", fs::perms::owner_read);
  fs::permissions(dir / "U5CW0001", fs::perms::owner_read);
  ASSERT_TRUE(Decompress("U5TW0001.CCD"));
  EXPECT_TRUE(platform.boxes.empty());
  EXPECT_FALSE(state.loadedImage || state.current.imageDisplayable);
  EXPECT_EQ(state.currentFilePath, "U5DW0001.CCD");
  Bytes expected(kCompressed.begin(), kCompressed.begin() + 256);
  expected.insert(expected.end(), kPixels.begin(), kPixels.end());
  EXPECT_EQ(ReadBytes(dir / "U5DW0001.CCD"), expected);
  EXPECT_TRUE(std::equal(state.fileHeaderBuffer.begin(), state.fileHeaderBuffer.end(), kCompressed.begin()));
  const IdentificationRecord& id = state.identification;
  EXPECT_EQ(std::tuple(id.fileWidth, id.fileHeight, id.fieldGap, id.headerLength), std::tuple(16, 4, 0, 256));
  EXPECT_FALSE(id.interlaced || id.thumbnail || id.spikeFilter || id.leftTrim || id.autoExposure || id.wideAngleTmsat);
  EXPECT_EQ(ReadBytes(dir / "U5TW0001.CCD"), kThumbnail);
  EXPECT_EQ(ReadBytes(dir / "U5CW0001"), kCompressed);
}

TEST_F(PairFlowTest, MissingAndHostileFilesGetAClearMessageAndLoseNothing) {
  EXPECT_FALSE(Decompress("U5TW0001.CCD"));
  EXPECT_EQ(platform.BoxTexts(), std::vector<std::string>{"Can't open file U5TW0001.CCD"});
  EXPECT_FALSE(state.loadedImage || state.current.imageDisplayable);
  WriteBytes(dir / "U5TW0001", kThumbnail);  // the same pair's thumbnail without its extension
  EXPECT_FALSE(Decompress("U5TW0001"));
  EXPECT_EQ(platform.BoxTexts().back(), "Can't open file U5CW0001");
  struct Case {
    Bytes thumbnail, compressed;
    const char* caption;
    const char* text;
  };
  const Case cases[] = {
      {kThumbnail, {}, "Error", "Can't open file U5CW0001"},  // no compressed file
      {PairFile(16, 16, Bytes(256, 5)), PairFile(65, 64, Bytes(64, 0)), "Image Allocation Error",
       "The relationship Thumb to Compressed is incorrect"},
      {PairFile(16, 16, Bytes(255, 5)), PairFile(64, 64, Bytes(64, 0)), "Error",
       "U5TW0001.CCD is not a complete thumbnail file"},
      {kThumbnail, Bytes(200, 0), "Error", "U5CW0001 is not a complete compressed image file"},
      {PairFile(0, 0, Bytes(32, 1)), PairFile(0, 0), "Error", "The thumbnail U5TW0001.CCD describes an empty picture"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    platform.boxes.clear();
    WriteBytes(dir / "U5TW0001.CCD", c.thumbnail);
    fs::remove(dir / "U5CW0001");
    if (!c.compressed.empty()) WriteBytes(dir / "U5CW0001", c.compressed);
    EXPECT_FALSE(DecompressAndShow("U5TW0001.CCD"));
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(std::tie(platform.boxes[0].text, platform.boxes[0].caption), std::tuple(c.text, c.caption));
    EXPECT_EQ(state.currentFilePath, "U5TW0001.CCD");
    EXPECT_FALSE(state.current.imageDisplayable);
    EXPECT_EQ(ReadBytes(dir / "U5TW0001.CCD"), c.thumbnail);
    EXPECT_FALSE(fs::exists(dir / "U5DW0001.CCD"));
    if (c.compressed.empty()) {  // the thumbnail's size stays in the record
      EXPECT_EQ(std::tuple(state.identification.fileWidth, state.identification.fileHeight), std::tuple(4, 1));
    }
  }
}

TEST_F(PairFlowTest, WhatHasTheDecodedNameIsNeverReplacedNorDeleted) {
  // The picture the pair was made from sits under the decoded name.
  WritePair("U5TW0001.CCD", "U5CW0001");
  WriteBytes(dir / "u5dw0001.ccd", Bytes{1, 2, 3});
  EXPECT_FALSE(DecompressAndShow("U5TW0001.CCD"));
  EXPECT_EQ(platform.BoxTexts().back(), "U5DW0001.CCD already exists and is not replaced by a decoded picture");
  EXPECT_EQ(ReadBytes(dir / "u5dw0001.ccd"), (Bytes{1, 2, 3}));
  EXPECT_EQ(state.currentFilePath, "U5TW0001.CCD");
  // A decoded picture chosen in place of a thumbnail would be its own decoded file.
  WriteBytes(dir / "U5CW0002", kCompressed);
  WriteBytes(dir / "U5DW0002.CCD", kThumbnail);
  EXPECT_FALSE(Decompress("U5DW0002.CCD"));
  EXPECT_EQ(ReadBytes(dir / "U5DW0002.CCD"), kThumbnail);
  // A folder in the way of the decoded file: the thumbnail stays current.
  fs::remove(dir / "u5dw0001.ccd");
  fs::create_directory(dir / "U5DW0001.CCD");
  EXPECT_FALSE(Decompress("U5TW0001.CCD"));
  EXPECT_EQ(platform.BoxTexts().back(), "Can't open file U5DW0001.CCD");
  EXPECT_EQ(state.currentFilePath, "U5TW0001.CCD");
  EXPECT_EQ(state.identification.fileWidth, 16);
  EXPECT_TRUE(fs::is_directory(dir / "U5DW0001.CCD"));
}

TEST_F(PairFlowTest, SingleImageShowsThePictureAndDeletesOnlyTheDecodedFile) {
  const std::array<const char*, 4> cases[] = {  // thumbnail, compressed, chosen, decoded
      {"U5TW0001.CCD", "U5CW0001", "u5tw0001.ccd", "U5DW0001.CCD"},
      {"FB110001.IMT", "FB120001.IMC", "FB120001.IMC", "FB110001.IMI"},  // chosen compressed
      {"TM112345.IMT", "TM112345.IMC", "TM112345.IMT", "TM112345.IMI"},
      {"TM210001.IMT", "TM220001.IMC", "TM210001.IMT", "TM210001.IMI"},  // second numbering
  };
  for (const auto& [thumbnail, compressed, chosen, decoded] : cases) {
    SCOPED_TRACE(chosen);
    platform.boxes.clear();
    WritePair(thumbnail, compressed);
    ASSERT_TRUE(DecompressAndShow(chosen));
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_TRUE(state.current.imageDisplayable && state.processing.singleImageShown);
    EXPECT_EQ(TopDownRows(*state.current.currentDib, 16, 4), kPixels);
    EXPECT_EQ(state.currentFilePath, decoded);
    EXPECT_FALSE(fs::exists(dir / decoded));
    EXPECT_EQ(ReadBytes(dir / thumbnail), kThumbnail);
    EXPECT_EQ(ReadBytes(dir / compressed), kCompressed);
    EXPECT_EQ(platform.cursorDepth, 0);
  }
}

TEST_F(PairFlowTest, TheReportIsStampedIntoTheThumbnailThatStays) {
  // A UO-22 picture taken at the epoch of its element set, 1998-09-07 10:20:30.
  Bytes compressed = kCompressed;
  StoreU32(compressed.data() + 4, location_testing::kCaptureTime);
  WritePair("U5TW0001.CCD", "U5CW0001", compressed);
  WriteBytes(dir / "WiSP.Kep", location_testing::ElementSetFile({{"UO-22", location_testing::UoSat5Elements()}}));
  WriteBytes(dir / "WiSP.Obs", location_testing::PlacesFile({{"Anchorage", 61.22, -149.90}}));

  ASSERT_TRUE(DecompressAndShow("U5TW0001.CCD", {true, false}));
  ASSERT_EQ(platform.boxes.size(), 1u) << platform.BoxTexts()[0];
  EXPECT_EQ(platform.boxes[0].caption, "CCD Image Information");
  EXPECT_NE(platform.boxes[0].text.find("from Anchorage"), std::string::npos);
  const Bytes thumbnail = ReadBytes(dir / "U5TW0001.CCD");
  EXPECT_EQ(std::string(thumbnail.begin() + 11, thumbnail.begin() + 13), "Cj");
  EXPECT_EQ(Bytes(thumbnail.begin() + 256, thumbnail.end()), Bytes(kThumbnail.begin() + 256, kThumbnail.end()));
  EXPECT_EQ(ReadBytes(dir / "U5CW0001"), compressed);
  EXPECT_EQ(state.currentFilePath, "U5DW0001.CCD");
  EXPECT_FALSE(fs::exists(dir / "U5DW0001.CCD"));
}

TEST_F(PairFlowTest, SaveAsCompWritesThePairThatGivesThePictureBack) {
  // Two pictures of one camera, saved with an extension and without: each pair keeps its
  // picture's number, so neither takes the other's place.
  const Bytes first = ExactlyCodablePicture(64, 32), second(first.rbegin(), first.rend());
  const struct { const char *source, *thumbnail, *compressed; const Bytes& pixels; } cases[] = {
      {"KADW0001.CCD", "KATW0001.CCD", "KACW0001", first}, {"KADW0002", "KATW0002", "KACW0002", second}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    Open(c.source, 64, 32, c.pixels);
    SaveAsComp(session);
    EXPECT_TRUE(platform.boxes.empty()) << platform.BoxTexts()[0];

    const Bytes thumbnail = ReadBytes(dir / c.thumbnail), compressed = ReadBytes(dir / c.compressed);
    ASSERT_EQ(thumbnail.size(), 256u + 16 * 8);
    // Both headers are the source's with their own sizes.
    EXPECT_EQ(Bytes(thumbnail.begin(), thumbnail.begin() + 256), CameraFile(16, 8, {}));
    EXPECT_EQ(Bytes(compressed.begin(), compressed.begin() + 256), CameraFile(64, 32, {}));
    const RecordedProgress& progress = *platform.progressWindows.back();
    EXPECT_EQ(progress.request.title + "|" + progress.request.line, "CCD Image Compression|Now compressing the Image File");
    EXPECT_EQ(progress.steps, 0);  // fewer than 40 rows: the bar never moves
    EXPECT_FALSE(progress.open);

    // The thumbnail is on show and described.
    EXPECT_EQ(state.currentFilePath, c.thumbnail);
    EXPECT_TRUE(state.processing.compressionDone && state.processing.singleImageShown);
    EXPECT_EQ(LoadInfoHeader(*state.current.currentDib)->biWidth, 16);
    EXPECT_EQ(state.exposureLevel, 255 - state.imageAverage);
    const IdentificationRecord& id = state.identification;
    EXPECT_EQ(std::tuple(id.fileWidth, id.fileHeight), std::tuple(16, 8));
    EXPECT_TRUE(id.thumbnail && id.headerLength == 256 && id.autoExposure);  // auto exposure kept from the source
    EXPECT_FALSE(id.interlaced || id.spikeFilter || id.leftTrim);
    EXPECT_EQ(platform.cursorDepth, 0);
  }
  // With the sources moved away, Decompress finds each thumbnail's partner and shows the
  // picture exactly.
  for (const auto& c : cases) fs::remove(dir / c.source);
  for (const auto& c : cases) {
    ASSERT_TRUE(DecompressAndShow(c.thumbnail)) << c.thumbnail;
    EXPECT_EQ(TopDownRows(*state.current.currentDib, 64, 32), c.pixels) << c.thumbnail;
  }
}

TEST_F(PairFlowTest, ProgressStepsEveryFortiethOfTheHeightAndPartStripsAreLeftOut) {
  EXPECT_EQ(CompressedSizeFor("U5DW0001.CCD", 15, 200).height, 192);
  EXPECT_EQ(CompressedSizeFor("TM112345.IMI", 1020, 1020).width, 1024);  // spectral planes: one strip more
  Open("U5DW0003.CCD", 16, 400, Bytes(16 * 400, 10));
  ASSERT_TRUE(CompressCurrentImage(session));
  EXPECT_EQ(std::pair(platform.progressWindows[0]->steps, platform.progressWindows[0]->position), std::pair(10, 100));
  // One grey level: the header and a zero map.
  EXPECT_EQ(ReadBytes(dir / "U5CW0003"), CameraFile(16, 400, Bytes(16 * 400 / 64, 0)));
  Open("U5DW0004.CCD", 12, 40, Bytes(12 * 40, 10));  // below one strip: headers only
  ASSERT_TRUE(CompressCurrentImage(session));
  EXPECT_EQ(ReadBytes(dir / "U5TW0004.CCD").size(), 256u);
  EXPECT_EQ(ReadBytes(dir / "U5CW0004").size(), 256u);
}

TEST_F(PairFlowTest, AFailedOrRefusedCompressionLosesNothing) {
  SaveAsComp(session);  // nothing loaded: nothing to do
  EXPECT_TRUE(platform.boxes.empty() && platform.progressWindows.empty());
  EXPECT_TRUE(fs::is_empty(dir.path()));

  Open("U5DW0005.CCD", 32, 32, Bytes(32 * 32, 60));
  fs::create_directory(dir / "U5TW0005.CCD");  // in the way of the thumbnail
  SaveAsComp(session);
  EXPECT_EQ(platform.BoxTexts(), std::vector<std::string>{"Can't open file U5TW0005.CCD"});
  EXPECT_FALSE(fs::exists(dir / "U5CW0005"));
  EXPECT_EQ(state.currentFilePath, "U5DW0005.CCD");
  EXPECT_FALSE(state.processing.compressionDone);
  EXPECT_FALSE(platform.progressWindows[0]->open);
  EXPECT_EQ(LoadInfoHeader(*state.current.currentDib)->biWidth, 32);

  // A thumbnail is not compressed into itself.
  platform.boxes.clear();
  Open("U5TW0006.CCD", 32, 32, Bytes(32 * 32, 60));
  const Bytes before = ReadBytes(dir / "U5TW0006.CCD");
  SaveAsComp(session);
  EXPECT_EQ(platform.BoxTexts().front(), "Compressing U5TW0006.CCD would replace it");
  EXPECT_EQ(ReadBytes(dir / "U5TW0006.CCD"), before);
  EXPECT_FALSE(fs::exists(dir / "U5CW0006"));
}

}  // namespace
}  // namespace kestrel
