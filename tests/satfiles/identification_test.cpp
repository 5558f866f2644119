// Identification of satellite files by name, and the size probe of decoded files.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/files.h"
#include "satfiles/identification.h"
#include "test_support.h"

namespace kestrel {
namespace {

using testing::SessionFixture;
using testing::WriteBytes;

struct Expected {
  const char* name;
  uint16_t width, height, gap, header;
  bool interlaced, thumbnail, spike, trim, wide;
};

// One row per rule, and the names where a later rule overrides an earlier one.
const Expected kNames[] = {
    {"U5IW0123", 611, 576, 355, 256, true, false, true, true, false},
    {"IM000123", 611, 576, 355, 256, true, false, true, true, false},
    {"KAIW0001", 611, 576, 355, 256, true, false, false, true, false},
    {"KAIN0001", 611, 576, 355, 256, true, false, false, true, false},
    {"KBIN0042", 611, 576, 355, 256, true, false, false, true, false},
    {"IMT00123", 152, 144, 0, 256, false, true, false, false, false},
    {"KBTN0001", 152, 144, 0, 256, false, true, false, false, false},
    {"U5TW0001", 152, 144, 0, 256, false, true, false, false, false},
    {"KATW0001", 152, 144, 0, 256, false, true, false, false, false},
    {"KBTW0001", 128, 124, 0, 256, false, true, false, false, false},
    {"TM500001.IMI", 141, 141, 0, 0, false, true, false, false, false},
    {"P1TW0001", 144, 140, 0, 256, false, true, false, false, false},
    {"U5E00001", 611, 576, 0, 0, true, false, false, false, false},
    {"KAE00001", 611, 576, 0, 0, true, false, false, false, false},
    {"KBE00001", 611, 576, 0, 0, true, false, false, false, false},
    {"KBIW0001", 511, 502, 0, 256, true, false, false, false, false},
    {"P1D00001", 576, 560, 0, 256, false, false, false, false, false},
    {"KBDW0001", 512, 496, 0, 256, false, false, false, false, false},
    {"IMD00123", 608, 576, 0, 256, false, false, false, true, false},
    {"KBDN0001", 608, 576, 0, 256, false, false, false, true, false},
    {"U5DW0001", 608, 576, 0, 256, false, false, false, true, false},
    {"KADW0001", 608, 576, 0, 256, false, false, false, true, false},
    {"TM112345.IMI", 1020, 1020, 0, 0, false, false, false, false, false},
    {"TM212345.IMI", 1020, 1020, 0, 0, false, false, false, false, false},
    {"TM312345.IMI", 1020, 1020, 0, 0, false, false, false, false, false},
    {"TM000100.IMI", 611, 576, 0, 0, true, false, false, false, true},
    {"TM012345.IMT", 141, 145, 0, 0, false, true, false, false, false},
    {"TM400001.IMI", 382, 287, 0, 0, false, false, false, false, false},
    {"SPECIAL1", 1020, 1020, 0, 0, false, false, false, false, false},
    {"TOPAZ001", 1008, 1024, 0, 0, false, false, false, false, false},
    {"THUMB001", 252, 256, 0, 0, false, true, false, false, false},
    {"TM112345.IMT", 1020, 1020, 0, 0, false, true, false, false, false},
    // Rule 19 turns any name containing IMT into a non-interlaced thumbnail.
    {"U5IWIMT1", 611, 576, 355, 256, false, true, true, true, false},
};

TEST(IdentifyByName, EveryRuleGivesItsGeometryAndFlags) {
  for (const Expected& e : kNames) {
    SCOPED_TRACE(e.name);
    const IdentificationRecord r = IdentifyByName(e.name);
    EXPECT_EQ(r.fileWidth, e.width);
    EXPECT_EQ(r.fileHeight, e.height);
    EXPECT_EQ(r.fieldGap, e.gap);
    EXPECT_EQ(r.headerLength, e.header);
    EXPECT_EQ(r.interlaced, e.interlaced);
    EXPECT_EQ(r.thumbnail, e.thumbnail);
    EXPECT_EQ(r.spikeFilter, e.spike);
    EXPECT_EQ(r.leftTrim, e.trim);
    EXPECT_EQ(r.wideAngleTmsat, e.wide);
    EXPECT_TRUE(r.autoExposure);
    EXPECT_EQ(r.storedWidth, 0);
    EXPECT_EQ(r.storedHeight, 0);
  }
}

TEST(IdentifyByName, KeywordsCountOnlyAtTheStart) {
  const IdentificationRecord r = IdentifyByName("XSPECIAL");
  EXPECT_EQ(r.fileWidth, 0);
  EXPECT_EQ(r.fileHeight, 0);
  EXPECT_FALSE(r.autoExposure);
}

TEST(IdentifyByName, ShortAndUnknownNamesMatchNothing) {
  for (const char* name : {"", "U", "U5", "U5I", "KB", "TM", "P1T", "ABCDEFGH", "README.TXT"}) {
    SCOPED_TRACE(name);
    const IdentificationRecord r = IdentifyByName(name);
    EXPECT_EQ(r.fileWidth, 0);
    EXPECT_EQ(r.fileHeight, 0);
    EXPECT_FALSE(r.interlaced || r.thumbnail || r.spikeFilter || r.leftTrim || r.autoExposure ||
                 r.wideAngleTmsat);
  }
}

TEST(IdentifyByName, ImtAloneMakesAThumbnailWithoutGeometry) {
  const IdentificationRecord r = IdentifyByName("XIMT0001");
  EXPECT_EQ(r.fileWidth, 0);
  EXPECT_TRUE(r.thumbnail);
  EXPECT_TRUE(r.autoExposure);
}

Bytes HeaderWithSize(uint8_t b251, uint8_t b252, uint8_t b253, uint8_t b254) {
  Bytes header(256, 0x11);
  header[251] = b251;
  header[252] = b252;
  header[253] = b253;
  header[254] = b254;
  return header;
}

TEST(ProbeHeaderSize, ReadsLittleEndianSizesUpToHighByteFour) {
  const auto size = ProbeHeaderSize(HeaderWithSize(0xFB, 0x01, 0xF6, 0x01));
  ASSERT_TRUE(size);
  EXPECT_EQ(size->width, 507);
  EXPECT_EQ(size->height, 502);
  const auto largest = ProbeHeaderSize(HeaderWithSize(0xFF, 4, 0xFF, 4));
  ASSERT_TRUE(largest);
  EXPECT_EQ(largest->width, 1279);
}

TEST(ProbeHeaderSize, RejectsHighBytesAboveFourZeroSizesAndShortHeaders) {
  EXPECT_FALSE(ProbeHeaderSize(HeaderWithSize(0xFB, 5, 0xF6, 1)));
  EXPECT_FALSE(ProbeHeaderSize(HeaderWithSize(0xFB, 1, 0xF6, 5)));
  EXPECT_FALSE(ProbeHeaderSize(HeaderWithSize(0, 0, 0xF6, 1)));
  EXPECT_FALSE(ProbeHeaderSize(HeaderWithSize(0xFB, 1, 0, 0)));
  Bytes shortHeader = HeaderWithSize(0xFB, 1, 0xF6, 1);
  shortHeader.resize(254);
  EXPECT_FALSE(ProbeHeaderSize(shortHeader));
}

TEST(IdentifyImageFile, ProbedSizeOverridesTheNameButKeepsItsFlags) {
  SessionFixture f;
  WriteBytes(f.dir / "KBIN0042", HeaderWithSize(0xFB, 0x01, 0xF6, 0x01));
  f.session.state.currentFilePath = "KBIN0042";
  ASSERT_TRUE(IdentifyImageFile(f.session));
  const IdentificationRecord& r = f.session.state.identification;
  EXPECT_EQ(r.fileWidth, 507);
  EXPECT_EQ(r.fileHeight, 502);
  EXPECT_EQ(r.headerLength, 256);
  EXPECT_EQ(r.fieldGap, 355);
  EXPECT_TRUE(r.interlaced);
  EXPECT_TRUE(r.leftTrim);
  EXPECT_TRUE(f.platform.boxes.empty());
}

TEST(IdentifyImageFile, ProbeGivesAnUnknownNameASizeAndHeader) {
  SessionFixture f;
  WriteBytes(f.dir / "PICTURE1", HeaderWithSize(0x40, 0, 0x20, 0));
  f.session.state.currentFilePath = "PICTURE1";
  ASSERT_TRUE(IdentifyImageFile(f.session));
  EXPECT_EQ(f.session.state.identification.fileWidth, 64);
  EXPECT_EQ(f.session.state.identification.fileHeight, 32);
  EXPECT_EQ(f.session.state.identification.headerLength, 256);
  EXPECT_FALSE(f.session.state.identification.autoExposure);
}

TEST(IdentifyImageFile, ShortFileIsNotAnErrorAndTheNameDecides) {
  SessionFixture f;
  WriteBytes(f.dir / "U5IW0123", Bytes(100, 1));
  f.session.state.currentFilePath = "U5IW0123";
  ASSERT_TRUE(IdentifyImageFile(f.session));
  EXPECT_EQ(f.session.state.identification.fileWidth, 611);
  WriteBytes(f.dir / "EMPTY", Bytes{});
  f.session.state.currentFilePath = "EMPTY";
  ASSERT_TRUE(IdentifyImageFile(f.session));
  EXPECT_EQ(f.session.state.identification.fileWidth, 0);
}

TEST(IdentifyImageFile, LowerCaseFileOpensUnderItsUpperCaseName) {
  SessionFixture f;
  WriteBytes(f.dir / "u5iw0123", Bytes(300, 7));
  f.session.state.currentFilePath = "u5iw0123";
  ASSERT_TRUE(IdentifyImageFile(f.session));
  EXPECT_EQ(f.session.state.currentFilePath, "U5IW0123");
  EXPECT_EQ(f.session.state.identification.fileWidth, 611);
  EXPECT_TRUE(f.platform.boxes.empty());
}

TEST(IdentifyImageFile, ReadOnlyFileIdentifies) {
  SessionFixture f;
  WriteBytes(f.dir / "KBIW0001", Bytes(300, 7));
  std::filesystem::permissions(f.dir / "KBIW0001", std::filesystem::perms::owner_read);
  f.session.state.currentFilePath = "KBIW0001";
  EXPECT_TRUE(IdentifyImageFile(f.session));
  EXPECT_EQ(f.session.state.identification.fileWidth, 511);
}

TEST(IdentifyImageFile, MissingFileOrDirectoryLeavesTheRecordAndSaysSo) {
  SessionFixture f;
  std::filesystem::create_directory(f.dir / "U5IW0002");
  for (const char* name : {"u5iw0001", "U5IW0002"}) {
    f.platform.boxes.clear();
    f.session.state.identification = IdentifyByName("KBIW0001");
    f.session.state.currentFilePath = name;
    EXPECT_FALSE(IdentifyImageFile(f.session));
    ASSERT_EQ(f.platform.boxes.size(), 1u);
    EXPECT_EQ(f.platform.boxes[0].text, "Can't open file " + ToUpperAscii(name));
    EXPECT_EQ(f.platform.boxes[0].caption, "Error");
    EXPECT_EQ(f.session.state.identification.fileWidth, 511);
  }
}

}  // namespace
}  // namespace kestrel
