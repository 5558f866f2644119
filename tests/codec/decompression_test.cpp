#include "codec/decompression.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

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
  bool Decompress(const std::string& thumbnail) {
    session.state.currentFilePath = thumbnail;
    return DecompressPair(session, false);
  }
  void ExpectReleased() {
    EXPECT_FALSE(session.state.loadedImage);
    EXPECT_FALSE(session.state.current.imageDisplayable);
  }

  SessionFixture f;
  Session& session = f.session;
};

TEST_F(DecompressPairTest, WritesTheDecodedFileFromReadOnlyInputsAndDescribesIt) {
  WritePair("U5TW0001.CCD", "U5CW0001");
  fs::permissions(f.dir / "U5TW0001.CCD", fs::perms::owner_read);
  fs::permissions(f.dir / "U5CW0001", fs::perms::owner_read);
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
  EXPECT_EQ(ReadBytes(f.dir / "U5TW0001.CCD"), kExampleThumbnail);
  EXPECT_EQ(ReadBytes(f.dir / "U5CW0001"), kExampleCompressed);
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

TEST_F(DecompressPairTest, HostileFilesGetAClearMessageAndWriteNothing) {
  struct Case {
    const char* name;
    Bytes thumbnail, compressed;
    const char* caption;
    const char* text;
  };
  const char* kNotAThumbnail = "U5TW0001.CCD is not a complete thumbnail file";
  const Case cases[] = {
      {"sizes disagree", PairFile(16, 16, Bytes(256, 5)), PairFile(65, 64, Bytes(64, 0)),
       "Image Allocation Error", "The relationship Thumb to Compressed is incorrect"},
      {"largest picture over a few values", PairFile(16383, 16383, Bytes(64, 0)),
       PairFile(65532, 65532, Bytes(16, 0)), "Error", kNotAThumbnail},
      {"thumbnail shorter than a header", Bytes(100, 0), kExampleCompressed, "Error",
       kNotAThumbnail},
      {"compressed shorter than a header", kExampleThumbnail, Bytes(200, 0), "Error",
       "U5CW0001 is not a complete compressed image file"},
      {"zero sizes", PairFile(0, 0, Bytes(32, 1)), PairFile(0, 0), "Error",
       "The thumbnail U5TW0001.CCD describes an empty picture"},
  };
  for (const Case& c : cases) {
    f.platform.boxes.clear();
    WriteBytes(f.dir / "U5TW0001.CCD", c.thumbnail);
    WriteBytes(f.dir / "U5CW0001", c.compressed);
    EXPECT_FALSE(Decompress("U5TW0001.CCD")) << c.name;
    ASSERT_EQ(f.platform.boxes.size(), 1u) << c.name;
    EXPECT_EQ(f.platform.boxes[0].text, c.text) << c.name;
    EXPECT_EQ(f.platform.boxes[0].caption, c.caption) << c.name;
    EXPECT_EQ(session.state.currentFilePath, "U5TW0001.CCD") << c.name;
    EXPECT_FALSE(fs::exists(f.dir / "U5DW0001.CCD")) << c.name;
  }
}

TEST_F(DecompressPairTest, WhatHasTheDecodedNameIsNeverReplaced) {
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
  // A folder in the way of the decoded file: the thumbnail stays current.
  fs::remove(f.dir / "u5dw0001.ccd");
  fs::create_directory(f.dir / "U5DW0001.CCD");
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
};

TEST_F(DecompressSingleImageTest, ShowsThePictureAndDeletesOnlyTheDecodedFile) {
  struct Case {
    const char* thumbnail;
    const char* compressed;
    const char* chosen;
    const char* decoded;
  };
  const Case cases[] = {
      {"U5TW0001.CCD", "U5CW0001", "u5tw0001.ccd", "U5DW0001.CCD"},
      {"FB110001.IMT", "FB120001.IMC", "FB120001.IMC", "FB110001.IMI"},  // chosen compressed
      {"TM112345.IMT", "TM112345.IMC", "TM112345.IMT", "TM112345.IMI"},
      {"TM210001.IMT", "TM220001.IMC", "TM210001.IMT", "TM210001.IMI"},  // second numbering
  };
  for (const Case& c : cases) {
    f.platform.boxes.clear();
    WritePair(c.thumbnail, c.compressed);
    ASSERT_TRUE(Run(c.chosen)) << c.chosen;
    EXPECT_TRUE(f.platform.boxes.empty()) << c.chosen;
    EXPECT_TRUE(session.state.current.imageDisplayable) << c.chosen;
    EXPECT_TRUE(session.state.processing.singleImageShown) << c.chosen;
    EXPECT_EQ(testing::TopDownRows(*session.state.current.currentDib, 16, 4), kExamplePixels)
        << c.chosen;
    EXPECT_EQ(session.state.currentFilePath, c.decoded) << c.chosen;
    EXPECT_FALSE(fs::exists(f.dir / c.decoded)) << c.chosen;
    EXPECT_EQ(ReadBytes(f.dir / c.thumbnail), kExampleThumbnail) << c.chosen;
    EXPECT_EQ(ReadBytes(f.dir / c.compressed), kExampleCompressed) << c.chosen;
    EXPECT_EQ(f.platform.cursorDepth, 0) << c.chosen;
  }
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
