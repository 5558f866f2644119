#include "codec/compression.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "codec/decompression.h"
#include "pair_builders.h"
#include "satfiles/open_flows.h"
#include "test_support.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;

// A camera file whose header gives its size, so that any name loads at that size; the header
// bytes before the size carry a pattern to follow into the outputs.
Bytes CameraFile(uint16_t width, uint16_t height, const Bytes& pixels) {
  Bytes file = testing::PairFile(width, height, pixels);
  for (size_t i = 0; i < 251; ++i) file[i] = static_cast<uint8_t>(i * 7 + 3);
  return file;
}

struct CompressionTest : ::testing::Test, testing::SessionFixture {
  // Writes a camera file and opens it as the command line does.
  void Open(const std::string& name, uint16_t width, uint16_t height, const Bytes& pixels) {
    testing::WriteBytes(dir / name, CameraFile(width, height, pixels));
    session.state.currentFilePath = name;
    ASSERT_EQ(OpenSingleSatelliteFile(session), OpenResult::Shown) << platform.BoxTexts()[0];
  }
  ImageState& state = session.state;
};

TEST_F(CompressionTest, SaveAsCompWritesThePairThatGivesThePictureBack) {
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

TEST_F(CompressionTest, ProgressStepsEveryFortiethOfTheHeightAndPartStripsAreLeftOut) {
  Open("U5DW0003.CCD", 16, 400, Bytes(16 * 400, 10));
  state.rotationWorkCopy = NewBlock(8);
  ASSERT_TRUE(CompressCurrentImage(session));
  EXPECT_FALSE(state.topDownCopy || state.rotationWorkCopy);
  EXPECT_EQ(LoadU16(state.fileHeaderBuffer.data() + 253), 400);  // the compressed file's size
  EXPECT_EQ(platform.progressWindows[0]->steps, 10);
  EXPECT_EQ(platform.progressWindows[0]->position, 100);
  // One grey level: the header and a zero map.
  EXPECT_EQ(ReadBytes(dir / "U5CW0003"), CameraFile(16, 400, Bytes(16 * 400 / 64, 0)));
  // Pictures below one strip give headers only.
  Open("U5DW0004.CCD", 12, 40, Bytes(12 * 40, 10));
  ASSERT_TRUE(CompressCurrentImage(session));
  EXPECT_EQ(ReadBytes(dir / "U5TW0004.CCD").size(), 256u);
  EXPECT_EQ(ReadBytes(dir / "U5CW0004").size(), 256u);
}

TEST_F(CompressionTest, SpectralPlanesNeedToBeOpenedFromOutsideWideAngleOnesDoNot) {
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

  // Wide-angle pictures are compressed without advice, at their own size.
  platform.boxes.clear();
  Open("TM000100.IMI", 64, 32, Bytes(64 * 32, 50));
  SaveAsComp(session);
  EXPECT_TRUE(platform.boxes.empty()) << platform.BoxTexts()[0];
  EXPECT_EQ(LoadU16(ReadBytes(dir / "TM000100.IMC").data() + 251), 64);
}

TEST_F(CompressionTest, AFailedOrRefusedCompressionLosesNothing) {
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
