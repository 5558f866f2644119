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
using testing::ExactlyCodablePicture;
using testing::PairFile;
using testing::ReadBytes;
using testing::SessionFixture;
using testing::WriteBytes;

constexpr std::string_view kAdvice =
    "    To compress individual TM1,TM2,TM3 Images\r\n"
    "Open each file individually from Windows Explorer\r\n"
    "                        or Drag and Drop\r\n"
    "          Then use the Compress function";

// A camera file whose header gives its size, so that any name loads at that size; header
// bytes before the size carry a pattern to follow into the outputs.
Bytes CameraFile(uint16_t width, uint16_t height, const Bytes& pixels) {
  Bytes file = PairFile(width, height, pixels);
  for (size_t i = 0; i < 251; ++i) file[i] = static_cast<uint8_t>(i * 7 + 3);
  return file;
}

class CompressionTest : public ::testing::Test {
 protected:
  // Writes a camera file and opens it as the command line does.
  void Open(const std::string& name, uint16_t width, uint16_t height, const Bytes& pixels) {
    WriteBytes(f.dir / name, CameraFile(width, height, pixels));
    session.state.currentFilePath = name;
    ASSERT_EQ(OpenSingleSatelliteFile(session), OpenResult::Shown)
        << f.platform.BoxTexts()[0];
  }
  SessionFixture f;
  Session& session = f.session;
};

TEST_F(CompressionTest, SaveAsCompWritesThePairAndShowsTheThumbnail) {
  const Bytes pixels = ExactlyCodablePicture(64, 32);
  Open("U5DW0001.CCD", 64, 32, pixels);
  SaveAsComp(session);
  EXPECT_TRUE(f.platform.boxes.empty()) << f.platform.BoxTexts()[0];

  const Bytes thumbnail = ReadBytes(f.dir / "U5TW0001.CCD");
  const Bytes compressed = ReadBytes(f.dir / "U5CW0001");
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

  ASSERT_EQ(f.platform.progressWindows.size(), 1u);
  const RecordedProgress& progress = *f.platform.progressWindows[0];
  EXPECT_EQ(progress.request.title, "CCD Image Compression");
  EXPECT_EQ(progress.request.line, "Now compressing the Image File");
  EXPECT_EQ(progress.maximum, 100);
  EXPECT_EQ(progress.step, 10);
  EXPECT_EQ(progress.steps, 0);  // fewer than 40 rows: the bar never moves
  EXPECT_FALSE(progress.open);

  EXPECT_EQ(session.state.currentFilePath, "U5TW0001.CCD");
  EXPECT_TRUE(session.state.processing.compressionDone);
  EXPECT_TRUE(session.state.processing.singleImageShown);
  const BitmapInfoHeader shown = *LoadInfoHeader(*session.state.current.currentDib);
  EXPECT_EQ(shown.biWidth, 16);
  EXPECT_EQ(shown.biHeight, 8);
  EXPECT_EQ(session.state.exposureLevel, 255 - session.state.imageAverage);
  EXPECT_EQ(f.platform.cursorDepth, 0);

  // With the source moved away, the pair gives the picture back exactly.
  fs::rename(f.dir / "U5DW0001.CCD", f.dir / "SOURCE.CCD");
  session.state.currentFilePath = "U5TW0001.CCD";
  ASSERT_TRUE(DecompressPair(session, false));
  const Bytes decoded = ReadBytes(f.dir / "U5DW0001.CCD");
  EXPECT_EQ(Bytes(decoded.begin() + 256, decoded.end()), pixels);
}

TEST_F(CompressionTest, CompressingReleasesTheWorkingCopiesAndDescribesTheThumbnail) {
  Open("KADW0002.CCD", 48, 48, Bytes(48 * 48, 90));
  session.state.rotationWorkCopy = NewBlock(8);
  ASSERT_TRUE(CompressCurrentImage(session));
  EXPECT_FALSE(session.state.topDownCopy);
  EXPECT_FALSE(session.state.rotationWorkCopy);
  const IdentificationRecord& id = session.state.identification;
  EXPECT_EQ(id.fileWidth, 12);
  EXPECT_EQ(id.fileHeight, 12);
  EXPECT_EQ(id.headerLength, 256);
  EXPECT_TRUE(id.thumbnail);
  EXPECT_TRUE(id.autoExposure);  // kept from the source
  EXPECT_FALSE(id.interlaced || id.spikeFilter || id.leftTrim);
  // One grey level: the header, a zero map and no records.
  EXPECT_EQ(ReadBytes(f.dir / "KACW0002"), CameraFile(48, 48, Bytes(48 * 48 / 64, 0)));
  // The header buffer keeps the compressed file's size.
  EXPECT_EQ(LoadU16(session.state.fileHeaderBuffer.data() + 251), 48);
}

TEST_F(CompressionTest, ProgressStepsEveryFortiethOfTheHeightAndPartStripsAreLeftOut) {
  Open("U5DW0003.CCD", 16, 400, Bytes(16 * 400, 10));
  ASSERT_TRUE(CompressCurrentImage(session));
  ASSERT_EQ(f.platform.progressWindows.size(), 1u);
  EXPECT_EQ(f.platform.progressWindows[0]->steps, 10);
  EXPECT_EQ(f.platform.progressWindows[0]->position, 100);
  // Pictures below one strip give headers only.
  Open("U5DW0004.CCD", 12, 40, Bytes(12 * 40, 10));
  ASSERT_TRUE(CompressCurrentImage(session));
  EXPECT_EQ(ReadBytes(f.dir / "U5TW0004.CCD").size(), 256u);
  EXPECT_EQ(ReadBytes(f.dir / "U5CW0004").size(), 256u);
}

TEST_F(CompressionTest, SpectralPlanesNeedToBeOpenedFromOutsideWideAngleOnesDoNot) {
  Open("TM112345.IMI", 96, 48, Bytes(96 * 48, 50));
  SaveAsComp(session);
  ASSERT_EQ(f.platform.boxes.size(), 1u);
  EXPECT_EQ(f.platform.boxes[0].text, kAdvice);
  EXPECT_EQ(f.platform.boxes[0].caption, "Compression Information");
  EXPECT_FALSE(fs::exists(f.dir / "TM112345.IMT"));

  // Opened from the command line: compressed one strip larger each way, under the header the
  // image report kept.
  session.state.openedFromShell = true;
  session.state.tmHeaderCopy.fill(0xA5);
  SaveAsComp(session);
  EXPECT_FALSE(session.state.openedFromShell);
  const Bytes thumbnail = ReadBytes(f.dir / "TM112345.IMT");
  const Bytes compressed = ReadBytes(f.dir / "TM112345.IMC");
  EXPECT_EQ(thumbnail.size(), 256u + 28 * 16);
  EXPECT_EQ(LoadU16(compressed.data() + 251), 112);
  EXPECT_EQ(LoadU16(compressed.data() + 253), 64);
  EXPECT_EQ(compressed[0], 0xA5);
  EXPECT_EQ(compressed[255], 0xA5);
  EXPECT_EQ(session.state.currentFilePath, "TM112345.IMT");

  // Wide-angle pictures are compressed without advice, at their own size.
  f.platform.boxes.clear();
  Open("TM000100.IMI", 64, 32, Bytes(64 * 32, 50));
  SaveAsComp(session);
  EXPECT_TRUE(f.platform.boxes.empty()) << f.platform.BoxTexts()[0];
  EXPECT_EQ(LoadU16(ReadBytes(f.dir / "TM000100.IMC").data() + 251), 64);
}

TEST_F(CompressionTest, AFailedOrRefusedCompressionLosesNothing) {
  Open("U5DW0005.CCD", 32, 32, Bytes(32 * 32, 60));
  fs::create_directory(f.dir / "U5TW0005.CCD");  // in the way of the thumbnail
  SaveAsComp(session);
  EXPECT_EQ(f.platform.BoxTexts(), std::vector<std::string>{"Can't open file U5TW0005.CCD"});
  EXPECT_FALSE(fs::exists(f.dir / "U5CW0005"));
  EXPECT_EQ(session.state.currentFilePath, "U5DW0005.CCD");
  EXPECT_FALSE(session.state.processing.compressionDone);
  EXPECT_FALSE(f.platform.progressWindows[0]->open);
  const BitmapInfoHeader shown = *LoadInfoHeader(*session.state.current.currentDib);
  EXPECT_EQ(shown.biWidth, 32);

  // A thumbnail is not compressed into itself.
  f.platform.boxes.clear();
  Open("U5TW0006.CCD", 32, 32, Bytes(32 * 32, 60));
  const Bytes before = ReadBytes(f.dir / "U5TW0006.CCD");
  SaveAsComp(session);
  EXPECT_EQ(f.platform.BoxTexts().front(), "Compressing U5TW0006.CCD would replace it");
  EXPECT_EQ(ReadBytes(f.dir / "U5TW0006.CCD"), before);
  EXPECT_FALSE(fs::exists(f.dir / "U5CW0006"));
}

TEST_F(CompressionTest, SaveAsCompNeedsALoadedPicture) {
  session.state.currentFilePath = "U5DW0007.CCD";
  SaveAsComp(session);
  EXPECT_TRUE(f.platform.boxes.empty());
  EXPECT_TRUE(f.platform.progressWindows.empty());
  EXPECT_TRUE(fs::is_empty(f.dir.path()));
}

}  // namespace
}  // namespace kestrel
