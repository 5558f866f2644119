// Decompressing and compressing pairs through a session over the scripted platform.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "codec/compression.h"
#include "codec/decompression.h"
#include "location/element_set.h"
#include "location/places.h"
#include "pair_builders.h"
#include "satfiles/open_flows.h"
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
  bool DecompressAndShow(const std::string& chosen, SingleImageDecompression options = {false, false}) {
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
  EXPECT_EQ(id.fileWidth, 16);
  EXPECT_EQ(id.fileHeight, 4);
  EXPECT_EQ(id.fieldGap, 0);
  EXPECT_EQ(id.headerLength, 256);
  EXPECT_FALSE(id.interlaced || id.thumbnail || id.spikeFilter || id.leftTrim || id.autoExposure ||
               id.wideAngleTmsat);
  EXPECT_EQ(ReadBytes(dir / "U5TW0001.CCD"), kThumbnail);
  EXPECT_EQ(ReadBytes(dir / "U5CW0001"), kCompressed);
}

TEST_F(PairFlowTest, MissingAndHostileFilesGetAClearMessageAndLoseNothing) {
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
    EXPECT_EQ(testing::TopDownRows(*state.current.currentDib, 16, 4), kPixels);
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

TEST_F(PairFlowTest, SaveAsCompWritesThePairThatGivesThePictureBack) {
  const Bytes pixels = testing::ExactlyCodablePicture(64, 32);
  Open("KADW0001.CCD", 64, 32, pixels);
  SaveAsComp(session);
  EXPECT_TRUE(platform.boxes.empty()) << platform.BoxTexts()[0];

  const Bytes thumbnail = ReadBytes(dir / "KATW0001.CCD");
  const Bytes compressed = ReadBytes(dir / "KACW0001");
  ASSERT_EQ(thumbnail.size(), 256u + 16 * 8);
  // Both headers are the source's with their own sizes.
  EXPECT_EQ(Bytes(thumbnail.begin(), thumbnail.begin() + 256), CameraFile(16, 8, {}));
  EXPECT_EQ(Bytes(compressed.begin(), compressed.begin() + 256), CameraFile(64, 32, {}));
  // Header, map, then 9 bytes per quadrant block and 3 per whole block.
  size_t recordBytes = 0;
  for (size_t k = 0; k < 128; ++k) {
    const int code = (compressed[256 + k / 4] >> (2 * (k % 4))) & 3;
    recordBytes += code == 2 ? 9 : code == 3 ? 3 : 0;
  }
  EXPECT_GT(recordBytes, 0u);
  EXPECT_EQ(compressed.size(), 256 + 64 * 32 / 64 + recordBytes);

  const RecordedProgress& progress = *platform.progressWindows.at(0);
  EXPECT_EQ(progress.request.title + "|" + progress.request.line, "CCD Image Compression|Now compressing the Image File");
  EXPECT_EQ(progress.steps, 0);  // fewer than 40 rows: the bar never moves
  EXPECT_FALSE(progress.open);

  // The thumbnail is on show and described.
  EXPECT_EQ(state.currentFilePath, "KATW0001.CCD");
  EXPECT_TRUE(state.processing.compressionDone && state.processing.singleImageShown);
  EXPECT_EQ(LoadInfoHeader(*state.current.currentDib)->biWidth, 16);
  EXPECT_EQ(state.exposureLevel, 255 - state.imageAverage);
  const IdentificationRecord& id = state.identification;
  EXPECT_EQ(id.fileWidth, 16);
  EXPECT_EQ(id.fileHeight, 8);
  EXPECT_TRUE(id.thumbnail && id.headerLength == 256 && id.autoExposure);  // auto exposure kept from the source
  EXPECT_FALSE(id.interlaced || id.spikeFilter || id.leftTrim);
  EXPECT_EQ(platform.cursorDepth, 0);

  // With the source moved away, the pair gives the picture back exactly.
  fs::rename(dir / "KADW0001.CCD", dir / "SOURCE.CCD");
  state.currentFilePath = "KATW0001.CCD";
  ASSERT_TRUE(DecompressPair(session, false));
  const Bytes decoded = ReadBytes(dir / "KADW0001.CCD");
  EXPECT_EQ(Bytes(decoded.begin() + 256, decoded.end()), pixels);
}

TEST_F(PairFlowTest, ProgressStepsEveryFortiethOfTheHeightAndPartStripsAreLeftOut) {
  Open("U5DW0003.CCD", 16, 400, Bytes(16 * 400, 10));
  ASSERT_TRUE(CompressCurrentImage(session));
  EXPECT_EQ(platform.progressWindows[0]->steps, 10);
  EXPECT_EQ(platform.progressWindows[0]->position, 100);
  // One grey level: the header and a zero map.
  EXPECT_EQ(ReadBytes(dir / "U5CW0003"), CameraFile(16, 400, Bytes(16 * 400 / 64, 0)));
  Open("U5DW0004.CCD", 12, 40, Bytes(12 * 40, 10));  // below one strip: headers only
  ASSERT_TRUE(CompressCurrentImage(session));
  EXPECT_EQ(ReadBytes(dir / "U5TW0004.CCD").size(), 256u);
  EXPECT_EQ(ReadBytes(dir / "U5CW0004").size(), 256u);
}

TEST_F(PairFlowTest, SpectralPlanesNeedToBeOpenedFromOutsideWideAngleOnesDoNot) {
  Open("TM112345.IMI", 96, 48, Bytes(96 * 48, 50));
  SaveAsComp(session);
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].text, "    To compress individual TM1,TM2,TM3 Images\r\n"
                                    "Open each file individually from Windows Explorer\r\n"
                                    "                        or Drag and Drop\r\n"
                                    "          Then use the Compress function");
  EXPECT_EQ(platform.boxes[0].caption, "Compression Information");
  EXPECT_FALSE(fs::exists(dir / "TM112345.IMT"));

  // Opened from the command line: one strip larger each way, under the header the report kept.
  state.openedFromShell = true;
  state.tmHeaderCopy.fill(0xA5);
  SaveAsComp(session);
  EXPECT_FALSE(state.openedFromShell);
  EXPECT_EQ(ReadBytes(dir / "TM112345.IMT").size(), 256u + 28 * 16);
  const Bytes compressed = ReadBytes(dir / "TM112345.IMC");
  EXPECT_EQ(LoadU16(compressed.data() + 251), 112);
  EXPECT_EQ(LoadU16(compressed.data() + 253), 64);
  EXPECT_EQ(compressed[0], 0xA5);
  EXPECT_EQ(compressed[255], 0xA5);
  EXPECT_EQ(state.currentFilePath, "TM112345.IMT");

  platform.boxes.clear();  // wide-angle pictures need no advice
  Open("TM000100.IMI", 64, 32, Bytes(64 * 32, 50));
  SaveAsComp(session);
  EXPECT_TRUE(platform.boxes.empty() && fs::exists(dir / "TM000100.IMC"));
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
