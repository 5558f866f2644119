#include "codec/decompression.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "bitmap/dib.h"
#include "pair_builders.h"
#include "test_support.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using testing::PairFile;
using testing::ReadBytes;
using testing::SessionFixture;
using testing::WriteBytes;

// The worked example: four blocks in a row, the first a quadrant block.
const Bytes kExampleThumbnail = PairFile(4, 1, {100, 50, 60, 70});
const Bytes kExampleCompressed = PairFile(16, 4, {0x02, 110, 90, 100, 5, 10, 0, 20, 0x33, 0xC0});
const Bytes kExamplePixels{100, 100, 110, 110, 50, 50, 50, 50, 60, 60, 60, 60, 70, 70, 70, 70,
                           100, 100, 110, 110, 50, 50, 50, 50, 60, 60, 60, 60, 70, 70, 70, 70,
                           90,  90,  80,  80,  50, 50, 50, 50, 60, 60, 60, 60, 70, 70, 70, 70,
                           90,  90,  120, 120, 50, 50, 50, 50, 60, 60, 60, 60, 70, 70, 70, 70};

class DecompressPairTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Something on show, to see it released.
    session.state.loadedImage = NewBlock(16);
    session.state.current.imageDisplayable = true;
  }
  void WritePair(const std::string& thumbnail, const std::string& compressed) {
    WriteBytes(f.dir / thumbnail, kExampleThumbnail);
    WriteBytes(f.dir / compressed, kExampleCompressed);
  }
  bool Decompress(const std::string& thumbnail, bool secondNumbering = false) {
    session.state.currentFilePath = thumbnail;
    return DecompressPair(session, secondNumbering);
  }
  void ExpectReleased() {
    EXPECT_FALSE(session.state.loadedImage);
    EXPECT_FALSE(session.state.current.imageDisplayable);
  }

  SessionFixture f;
  Session& session = f.session;
};

TEST_F(DecompressPairTest, WritesTheDecodedFileAndDescribesIt) {
  WritePair("U5TW0001.CCD", "U5CW0001");
  ASSERT_TRUE(Decompress("U5TW0001.CCD"));
  EXPECT_TRUE(f.platform.boxes.empty());
  ExpectReleased();
  EXPECT_EQ(session.state.currentFilePath, "U5DW0001.CCD");
  Bytes expected(kExampleCompressed.begin(), kExampleCompressed.begin() + 256);
  expected.insert(expected.end(), kExamplePixels.begin(), kExamplePixels.end());
  EXPECT_EQ(ReadBytes(f.dir / "U5DW0001.CCD"), expected);
  EXPECT_TRUE(std::equal(session.state.fileHeaderBuffer.begin(),
                         session.state.fileHeaderBuffer.end(), kExampleCompressed.begin()));
  const IdentificationRecord& id = session.state.identification;
  EXPECT_EQ(id.fileWidth, 16);
  EXPECT_EQ(id.fileHeight, 4);
  EXPECT_EQ(id.fieldGap, 0);
  EXPECT_EQ(id.headerLength, 256);
  EXPECT_FALSE(id.interlaced || id.thumbnail || id.spikeFilter || id.leftTrim || id.autoExposure ||
               id.wideAngleTmsat);
  // The inputs are as they were.
  EXPECT_EQ(ReadBytes(f.dir / "U5TW0001.CCD"), kExampleThumbnail);
  EXPECT_EQ(ReadBytes(f.dir / "U5CW0001"), kExampleCompressed);
}

TEST_F(DecompressPairTest, ReadOnlyInputsAreDecoded) {
  WritePair("U5TW0001.CCD", "U5CW0001");
  fs::permissions(f.dir / "U5TW0001.CCD", fs::perms::owner_read);
  fs::permissions(f.dir / "U5CW0001", fs::perms::owner_read);
  EXPECT_TRUE(Decompress("U5TW0001.CCD"));
  EXPECT_TRUE(f.platform.boxes.empty());
}

TEST_F(DecompressPairTest, MissingFilesAreNamedInTheMessage) {
  EXPECT_FALSE(Decompress("U5TW0001.CCD"));
  EXPECT_EQ(f.platform.BoxTexts(), std::vector<std::string>{"Can't open file U5TW0001.CCD"});
  ExpectReleased();
  EXPECT_EQ(session.state.identification.fileWidth, 0);

  WriteBytes(f.dir / "U5TW0001.CCD", kExampleThumbnail);
  EXPECT_FALSE(Decompress("U5TW0001.CCD"));
  EXPECT_EQ(f.platform.BoxTexts().back(), "Can't open file U5CW0001");
  // The thumbnail's size stays in the record.
  EXPECT_EQ(session.state.identification.fileWidth, 4);
  EXPECT_EQ(session.state.identification.fileHeight, 1);
  EXPECT_EQ(session.state.currentFilePath, "U5TW0001.CCD");

  // Without ".CCD" no compressed name can be made.
  WriteBytes(f.dir / "U5TW0001", kExampleThumbnail);
  EXPECT_FALSE(Decompress("U5TW0001"));
  EXPECT_EQ(f.platform.BoxTexts().back(), "Can't open file ");
  EXPECT_FALSE(fs::exists(f.dir / "U5DW0001.CCD"));
}

TEST_F(DecompressPairTest, SizesThatDoNotAgreeAreRefused) {
  WriteBytes(f.dir / "U5TW0001.CCD", PairFile(16, 16, Bytes(256, 5)));
  WriteBytes(f.dir / "U5CW0001", PairFile(65, 64, Bytes(64, 0)));
  EXPECT_FALSE(Decompress("U5TW0001.CCD"));
  ASSERT_EQ(f.platform.boxes.size(), 1u);
  EXPECT_EQ(f.platform.boxes[0].text, "The relationship Thumb to Compressed is incorrect");
  EXPECT_EQ(f.platform.boxes[0].caption, "Image Allocation Error");
  EXPECT_EQ(session.state.currentFilePath, "U5TW0001.CCD");
  EXPECT_FALSE(fs::exists(f.dir / "U5DW0001.CCD"));
}

TEST_F(DecompressPairTest, HostileFilesGetAClearMessageAndWriteNothing) {
  // A header claiming the largest picture over a few values.
  WriteBytes(f.dir / "U5TW0001.CCD", PairFile(16383, 16383, Bytes(64, 0)));
  WriteBytes(f.dir / "U5CW0001", PairFile(65532, 65532, Bytes(16, 0)));
  EXPECT_FALSE(Decompress("U5TW0001.CCD"));
  EXPECT_EQ(f.platform.BoxTexts().back(), "U5TW0001.CCD is not a complete thumbnail file");
  // Shorter than a header.
  WriteBytes(f.dir / "U5TW0001.CCD", Bytes(100, 0));
  EXPECT_FALSE(Decompress("U5TW0001.CCD"));
  EXPECT_EQ(f.platform.BoxTexts().back(), "U5TW0001.CCD is not a complete thumbnail file");
  WriteBytes(f.dir / "U5TW0001.CCD", kExampleThumbnail);
  WriteBytes(f.dir / "U5CW0001", Bytes(200, 0));
  EXPECT_FALSE(Decompress("U5TW0001.CCD"));
  EXPECT_EQ(f.platform.BoxTexts().back(), "U5CW0001 is not a complete compressed image file");
  // Zero sizes.
  WriteBytes(f.dir / "U5TW0001.CCD", PairFile(0, 0, Bytes(32, 1)));
  WriteBytes(f.dir / "U5CW0001", PairFile(0, 0));
  EXPECT_FALSE(Decompress("U5TW0001.CCD"));
  EXPECT_EQ(f.platform.BoxTexts().back(), "The thumbnail U5TW0001.CCD describes an empty picture");
  EXPECT_FALSE(fs::exists(f.dir / "U5DW0001.CCD"));
}

TEST_F(DecompressPairTest, AnExistingFileOfTheDecodedNameIsNeverReplaced) {
  // The picture the pair was made from sits under the decoded name.
  WritePair("U5TW0001.CCD", "U5CW0001");
  WriteBytes(f.dir / "u5dw0001.ccd", Bytes{1, 2, 3});
  EXPECT_FALSE(Decompress("U5TW0001.CCD"));
  EXPECT_EQ(f.platform.BoxTexts().back(),
            "U5DW0001.CCD already exists and is not replaced by a decoded picture");
  EXPECT_EQ(ReadBytes(f.dir / "u5dw0001.ccd"), (Bytes{1, 2, 3}));
  EXPECT_EQ(session.state.currentFilePath, "U5TW0001.CCD");
  // A decoded picture chosen in place of a thumbnail would be its own decoded file.
  WriteBytes(f.dir / "U5CW0002", kExampleCompressed);
  WriteBytes(f.dir / "U5DW0002.CCD", kExampleThumbnail);
  EXPECT_FALSE(Decompress("U5DW0002.CCD"));
  EXPECT_EQ(ReadBytes(f.dir / "U5DW0002.CCD"), kExampleThumbnail);
}

TEST_F(DecompressPairTest, AnUnwritableDecodedFileKeepsTheThumbnailCurrent) {
  WritePair("U5TW0001.CCD", "U5CW0001");
  fs::create_directory(f.dir / "U5DW0001.CCD");  // in the way of the decoded file
  EXPECT_FALSE(Decompress("U5TW0001.CCD"));
  EXPECT_EQ(f.platform.BoxTexts().back(), "Can't open file U5DW0001.CCD");
  EXPECT_EQ(session.state.currentFilePath, "U5TW0001.CCD");
  EXPECT_EQ(session.state.identification.fileWidth, 16);
  EXPECT_TRUE(fs::is_directory(f.dir / "U5DW0001.CCD"));
}

class DecompressSingleImageTest : public DecompressPairTest {
 protected:
  bool Run(const std::string& chosen, SingleImageDecompression options = {false, false}) {
    session.state.currentFilePath = chosen;
    return DecompressSingleImage(session, options);
  }
  // The picture on show, rows top-down, `width` bytes each.
  Bytes ShownRows(size_t width, size_t height) {
    const Bytes& dib = *session.state.current.currentDib;
    const BitmapInfoHeader header = *LoadInfoHeader(dib);
    const size_t stride = RowLength(8, static_cast<uint32_t>(header.biWidth));
    Bytes rows;
    for (size_t y = 0; y < height; ++y) {
      const size_t at = PixelOffset(header) + (height - 1 - y) * stride;
      rows.insert(rows.end(), dib.begin() + static_cast<std::ptrdiff_t>(at),
                  dib.begin() + static_cast<std::ptrdiff_t>(at + width));
    }
    return rows;
  }
};

TEST_F(DecompressSingleImageTest, ShowsThePictureAndDeletesOnlyTheDecodedFile) {
  WritePair("U5TW0001.CCD", "U5CW0001");
  ASSERT_TRUE(Run("u5tw0001.ccd"));
  EXPECT_TRUE(f.platform.boxes.empty()) << f.platform.BoxTexts()[0];
  EXPECT_TRUE(session.state.current.imageDisplayable);
  EXPECT_TRUE(session.state.singleImageShown);
  EXPECT_EQ(ShownRows(16, 4), kExamplePixels);
  EXPECT_EQ(session.state.currentFilePath, "U5DW0001.CCD");
  EXPECT_FALSE(fs::exists(f.dir / "U5DW0001.CCD"));
  EXPECT_EQ(ReadBytes(f.dir / "U5TW0001.CCD"), kExampleThumbnail);
  EXPECT_EQ(ReadBytes(f.dir / "U5CW0001"), kExampleCompressed);
  EXPECT_EQ(f.platform.cursorDepth, 0);
}

TEST_F(DecompressSingleImageTest, AFailedDecodingDeletesNothing) {
  WriteBytes(f.dir / "U5TW0001.CCD", kExampleThumbnail);
  EXPECT_FALSE(Run("U5TW0001.CCD"));
  EXPECT_EQ(f.platform.BoxTexts(), std::vector<std::string>{"Can't open file U5CW0001"});
  EXPECT_EQ(ReadBytes(f.dir / "U5TW0001.CCD"), kExampleThumbnail);
  EXPECT_FALSE(session.state.current.imageDisplayable);
  // Nor does one refused for the source picture sitting under the decoded name.
  WritePair("U5TW0001.CCD", "U5CW0001");
  WriteBytes(f.dir / "U5DW0001.CCD", Bytes{1, 2, 3});
  EXPECT_FALSE(Run("U5TW0001.CCD"));
  EXPECT_EQ(ReadBytes(f.dir / "U5DW0001.CCD"), (Bytes{1, 2, 3}));
}

TEST_F(DecompressSingleImageTest, FbPairsAreChosenByTheirCompressedName) {
  WritePair("FB110001.IMT", "FB120001.IMC");
  ASSERT_TRUE(Run("FB120001.IMC"));
  EXPECT_EQ(ShownRows(16, 4), kExamplePixels);
  EXPECT_FALSE(fs::exists(f.dir / "FB110001.IMI"));
  EXPECT_TRUE(fs::exists(f.dir / "FB120001.IMC"));
}

TEST_F(DecompressSingleImageTest, TmsatPairsInEitherNumbering) {
  WritePair("TM112345.IMT", "TM112345.IMC");
  ASSERT_TRUE(Run("TM112345.IMT"));
  EXPECT_FALSE(fs::exists(f.dir / "TM112345.IMI"));
  WritePair("TM210001.IMT", "TM220001.IMC");
  ASSERT_TRUE(Run("TM210001.IMT"));
  EXPECT_EQ(ShownRows(16, 4), kExamplePixels);
  EXPECT_FALSE(fs::exists(f.dir / "TM210001.IMI"));
}

TEST_F(DecompressSingleImageTest, ReportIsMadeForTheThumbnailName) {
  WritePair("U5TW0001.CCD", "U5CW0001");
  ASSERT_TRUE(Run("U5TW0001.CCD", {true, false}));
  // Without element sets the report can only complain; it names nothing decoded.
  for (const std::string& text : f.platform.BoxTexts())
    EXPECT_EQ(text.find("U5DW0001"), std::string::npos) << text;
  EXPECT_EQ(session.state.currentFilePath, "U5DW0001.CCD");
  EXPECT_FALSE(fs::exists(f.dir / "U5DW0001.CCD"));
}

}  // namespace
}  // namespace kestrel
