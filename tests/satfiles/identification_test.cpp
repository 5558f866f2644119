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
  }
}

TEST(IdentifyByName, UnknownShortAndMisplacedNamesGiveNoGeometry) {
  // Keywords count only at the start; IMT anywhere still marks a thumbnail.
  for (const char* name : {"", "U", "U5", "U5I", "KB", "TM", "P1T", "ABCDEFGH", "README.TXT",
                           "XSPECIAL", "XIMT0001"}) {
    SCOPED_TRACE(name);
    const IdentificationRecord r = IdentifyByName(name);
    const bool imt = std::string(name) == "XIMT0001";
    EXPECT_EQ(r.fileWidth, 0);
    EXPECT_EQ(r.fileHeight, 0);
    EXPECT_EQ(r.thumbnail, imt);
    EXPECT_EQ(r.autoExposure, imt);
    EXPECT_FALSE(r.interlaced || r.spikeFilter || r.leftTrim || r.wideAngleTmsat);
  }
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
  Bytes shortHeader = HeaderWithSize(0xFB, 1, 0xF6, 1);
  shortHeader.resize(254);
  // High bytes above four, zero sizes and short headers.
  for (const Bytes& header : {HeaderWithSize(0xFB, 5, 0xF6, 1), HeaderWithSize(0xFB, 1, 0xF6, 5),
                              HeaderWithSize(0, 0, 0xF6, 1), HeaderWithSize(0xFB, 1, 0, 0), shortHeader})
    EXPECT_FALSE(ProbeHeaderSize(header));
}

TEST(IdentifyImageFile, ProbedSizeOverridesTheNameButKeepsItsFlags) {
  struct Case {
    const char* onDisk;
    Bytes content;
    const char* upperName;
    uint16_t width, height, header;
  };
  const Case cases[] = {{"KBIN0042", HeaderWithSize(0xFB, 0x01, 0xF6, 0x01), "KBIN0042", 507, 502, 256},
                        {"PICTURE1", HeaderWithSize(0x40, 0, 0x20, 0), "PICTURE1", 64, 32, 256},
                        // A short file is no error: the name decides.
                        {"U5IW0123", Bytes(100, 1), "U5IW0123", 611, 576, 256},
                        {"EMPTY", Bytes{}, "EMPTY", 0, 0, 0},
                        {"u5iw0123", Bytes(300, 7), "U5IW0123", 611, 576, 256},
                        {"KBIW0001", Bytes(300, 7), "KBIW0001", 511, 502, 256}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.onDisk);
    SessionFixture f;
    WriteBytes(f.dir / c.onDisk, c.content);
    std::filesystem::permissions(f.dir / c.onDisk, std::filesystem::perms::owner_read);
    f.session.state.currentFilePath = c.onDisk;
    ASSERT_TRUE(IdentifyImageFile(f.session));
    EXPECT_EQ(f.session.state.currentFilePath, c.upperName);
    const IdentificationRecord& r = f.session.state.identification;
    const IdentificationRecord byName = IdentifyByName(c.upperName);
    EXPECT_EQ(r.fileWidth, c.width);
    EXPECT_EQ(r.fileHeight, c.height);
    EXPECT_EQ(r.headerLength, c.header);
    EXPECT_EQ(r.fieldGap, byName.fieldGap);
    EXPECT_EQ(r.interlaced, byName.interlaced);
    EXPECT_EQ(r.leftTrim, byName.leftTrim);
    EXPECT_EQ(r.spikeFilter, byName.spikeFilter);
    EXPECT_EQ(r.autoExposure, byName.autoExposure);
    EXPECT_TRUE(f.platform.boxes.empty());
  }
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
