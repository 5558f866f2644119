#include "codec/decompression.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "location/element_set.h"
#include "location/places.h"
#include "pair_builders.h"
#include "test_support.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using testing::PairFile;
using testing::ReadBytes;
using testing::WriteBytes;

// Four blocks in a row, the first a quadrant block, and the picture they decode to.
const Bytes kThumbnail = PairFile(4, 1, {100, 50, 60, 70});
const Bytes kCompressed = PairFile(16, 4, {0x02, 110, 90, 100, 5, 10, 0, 20, 0x33, 0xC0});
const Bytes kPixels{100, 100, 110, 110, 50, 50, 50, 50, 60, 60, 60, 60, 70, 70, 70, 70,
                    100, 100, 110, 110, 50, 50, 50, 50, 60, 60, 60, 60, 70, 70, 70, 70,
                    90,  90,  80,  80,  50, 50, 50, 50, 60, 60, 60, 60, 70, 70, 70, 70,
                    90,  90,  120, 120, 50, 50, 50, 50, 60, 60, 60, 60, 70, 70, 70, 70};

struct DecompressionTest : ::testing::Test, testing::SessionFixture {
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
  bool DecompressAndShow(const std::string& chosen, SingleImageDecompression options = {false, false}) {
    state.currentFilePath = chosen;
    return DecompressSingleImage(session, options);
  }
};

TEST_F(DecompressionTest, WritesTheDecodedFileFromReadOnlyInputsAndDescribesIt) {
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
  EXPECT_EQ(id.fileWidth, 16);
  EXPECT_EQ(id.fileHeight, 4);
  EXPECT_EQ(id.fieldGap, 0);
  EXPECT_EQ(id.headerLength, 256);
  EXPECT_FALSE(id.interlaced || id.thumbnail || id.spikeFilter || id.leftTrim || id.autoExposure ||
               id.wideAngleTmsat);
  EXPECT_EQ(ReadBytes(dir / "U5TW0001.CCD"), kThumbnail);
  EXPECT_EQ(ReadBytes(dir / "U5CW0001"), kCompressed);
}

TEST_F(DecompressionTest, MissingAndHostileFilesGetAClearMessageAndLoseNothing) {
  EXPECT_FALSE(Decompress("U5TW0001.CCD"));
  EXPECT_EQ(platform.BoxTexts(), std::vector<std::string>{"Can't open file U5TW0001.CCD"});
  EXPECT_FALSE(state.loadedImage || state.current.imageDisplayable);
  WriteBytes(dir / "U5TW0001", kThumbnail);  // without ".CCD" no compressed name can be made
  EXPECT_FALSE(Decompress("U5TW0001"));
  EXPECT_EQ(platform.BoxTexts().back(), "Can't open file ");
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
    EXPECT_EQ(platform.boxes[0].text, c.text);
    EXPECT_EQ(platform.boxes[0].caption, c.caption);
    EXPECT_EQ(state.currentFilePath, "U5TW0001.CCD");
    EXPECT_FALSE(state.current.imageDisplayable);
    EXPECT_EQ(ReadBytes(dir / "U5TW0001.CCD"), c.thumbnail);
    EXPECT_FALSE(fs::exists(dir / "U5DW0001.CCD"));
    if (c.compressed.empty()) {  // the thumbnail's size stays in the record
      EXPECT_EQ(state.identification.fileWidth, 4);
      EXPECT_EQ(state.identification.fileHeight, 1);
    }
  }
}

TEST_F(DecompressionTest, WhatHasTheDecodedNameIsNeverReplacedNorDeleted) {
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

TEST_F(DecompressionTest, SingleImageShowsThePictureAndDeletesOnlyTheDecodedFile) {
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
    EXPECT_EQ(testing::TopDownRows(*state.current.currentDib, 16, 4), kPixels);
    EXPECT_EQ(state.currentFilePath, decoded);
    EXPECT_FALSE(fs::exists(dir / decoded));
    EXPECT_EQ(ReadBytes(dir / thumbnail), kThumbnail);
    EXPECT_EQ(ReadBytes(dir / compressed), kCompressed);
    EXPECT_EQ(platform.cursorDepth, 0);
  }
}

TEST_F(DecompressionTest, TheReportIsStampedIntoTheThumbnailThatStays) {
  // A UO-22 picture taken at the epoch of its element set, 1998-09-07 10:20:30.
  Bytes compressed = kCompressed;
  StoreU32(compressed.data() + 4, 905163630);
  WritePair("U5TW0001.CCD", "U5CW0001", compressed);
  const auto set = EncodeElementSet("UO-22", {.epochRevolution = 37218, .epochDay = 250.0,
      .decayRate = 1.6e-7, .inclination = 98.42, .raan = 318.5, .eccentricity = 0.0008,
      .argPerigee = 150.2, .meanAnomaly = 210.0, .meanMotion = 14.3716, .epochYear = 98});
  WriteBytes(dir / "WiSP.Kep", Bytes(set.begin(), set.end()));
  const auto place = EncodePlace("Anchorage", 61.22, -149.90);
  WriteBytes(dir / "WiSP.Obs", Bytes(place.begin(), place.end()));

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

}  // namespace
}  // namespace kestrel
