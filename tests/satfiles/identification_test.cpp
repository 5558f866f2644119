// Identification of satellite files by name, and the size kept in decoded files' headers.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "base/text.h"
#include "satfiles/identification.h"
#include "test_support.h"

namespace kestrel {
namespace {

using testing::SessionFixture;

// A record's flags as letters: interlaced, thumbnail, spike filter, left trim, wide-angle TMSAT.
std::string Flags(const IdentificationRecord& r) {
  std::string flags;
  for (const auto& [on, letter] : {std::pair{r.interlaced, 'i'}, {r.thumbnail, 't'},
                                   {r.spikeFilter, 's'}, {r.leftTrim, 'l'}, {r.wideAngleTmsat, 'w'}})
    if (on) flags += letter;
  return flags;
}

TEST(IdentifyByName, EveryRuleGivesItsGeometryAndFlagsAndTheLastMatchWins) {
  struct Case {
    const char* name;
    uint16_t width = 0, height = 0, gap = 0, header = 0;
    const char* flags = "";
  };
  const Case cases[] = {
      {"U5IW0123", 611, 576, 355, 256, "isl"}, {"IM000123", 611, 576, 355, 256, "isl"}, {"KAIW0001", 611, 576, 355, 256, "il"},
      {"KAIN0001", 611, 576, 355, 256, "il"}, {"KBIN0042", 611, 576, 355, 256, "il"}, {"IMT00123", 152, 144, 0, 256, "t"},
      {"KBTN0001", 152, 144, 0, 256, "t"}, {"U5TW0001", 152, 144, 0, 256, "t"}, {"KATW0001", 152, 144, 0, 256, "t"},
      {"KBTW0001", 128, 124, 0, 256, "t"}, {"TM500001.IMI", 141, 141, 0, 0, "t"}, {"P1TW0001", 144, 140, 0, 256, "t"},
      {"U5E00001", 611, 576, 0, 0, "i"}, {"KAE00001", 611, 576, 0, 0, "i"}, {"KBE00001", 611, 576, 0, 0, "i"},
      {"KBIW0001", 511, 502, 0, 256, "i"}, {"P1D00001", 576, 560, 0, 256, ""}, {"KBDW0001", 512, 496, 0, 256, ""},
      {"IMD00123", 608, 576, 0, 256, "l"}, {"KBDN0001", 608, 576, 0, 256, "l"}, {"U5DW0001", 608, 576, 0, 256, "l"},
      {"KADW0001", 608, 576, 0, 256, "l"}, {"TM112345.IMI", 1020, 1020, 0, 0, ""}, {"TM212345.IMI", 1020, 1020, 0, 0, ""},
      {"TM312345.IMI", 1020, 1020, 0, 0, ""}, {"TM000100.IMI", 611, 576, 0, 0, "iw"}, {"TM012345.IMT", 141, 145, 0, 0, "t"},
      {"TM400001.IMI", 382, 287, 0, 0, ""}, {"SPECIAL1", 1020, 1020, 0, 0, ""}, {"TOPAZ001", 1008, 1024, 0, 0, ""},
      {"THUMB001", 252, 256, 0, 0, "t"}, {"TM112345.IMT", 1020, 1020, 0, 0, "t"},
      // IMT anywhere makes a non-interlaced thumbnail and leaves the rest as it was.
      {"U5IWIMT1", 611, 576, 355, 256, "tsl"},  {"XIMT0001", 0, 0, 0, 0, "t"},
      // Keywords count only at the start of the name.
      {""}, {"U"}, {"U5"}, {"U5I"}, {"KB"}, {"TM"}, {"P1T"}, {"ABCDEFGH"}, {"README.TXT"}, {"XSPECIAL"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const IdentificationRecord r = IdentifyByName(c.name);
    EXPECT_EQ((std::array{r.fileWidth, r.fileHeight, r.fieldGap, r.headerLength}),
              (std::array{c.width, c.height, c.gap, c.header}));
    EXPECT_EQ(Flags(r), c.flags);
    // Every rule turns automatic exposure on.
    EXPECT_EQ(r.autoExposure, c.width != 0 || r.thumbnail);
  }
}

// A camera header whose bytes 251..254 are `size`.
Bytes HeaderWithSize(std::array<uint8_t, 4> size) {
  Bytes header(256, 0x11);
  std::copy(size.begin(), size.end(), header.begin() + 251);
  return header;
}

TEST(IdentifyImageFile, ProbedSizeUpToHighByteFourOverridesTheNameButKeepsItsFlags) {
  struct Case {
    const char* onDisk;
    Bytes content;
    uint16_t width, height, header;
  };
  Bytes shortHeader = HeaderWithSize({0xFB, 1, 0xF6, 1});
  shortHeader.resize(254);
  // KBIN0042 is 611 x 576 by name; a side of 0 or with a high byte over 4 is no size.
  const Case cases[] = {
      {"KBIN0042", HeaderWithSize({0xFB, 1, 0xF6, 1}), 507, 502, 256}, {"KBIN0042", HeaderWithSize({0xFF, 4, 0xFF, 4}), 1279, 1279, 256},
      {"KBIN0042", HeaderWithSize({0xFB, 5, 0xF6, 1}), 611, 576, 256}, {"KBIN0042", HeaderWithSize({0xFB, 1, 0xF6, 5}), 611, 576, 256},
      {"KBIN0042", HeaderWithSize({0, 0, 0xF6, 1}), 611, 576, 256},    {"KBIN0042", HeaderWithSize({0xFB, 1, 0, 0}), 611, 576, 256},
      {"PICTURE1", HeaderWithSize({0x40, 0, 0x20, 0}), 64, 32, 256},
      // A short file is no error: the name decides.
      {"KBIN0042", shortHeader, 611, 576, 256}, {"u5iw0123", Bytes(100, 1), 611, 576, 256}, {"EMPTY", {}, 0, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.onDisk << " " << c.content.size() << " " << c.width);
    SessionFixture f;
    testing::WriteBytes(f.dir / c.onDisk, c.content);
    std::filesystem::permissions(f.dir / c.onDisk, std::filesystem::perms::owner_read);
    f.session.state.currentFilePath = c.onDisk;
    ASSERT_TRUE(IdentifyImageFile(f.session));
    EXPECT_EQ(f.session.state.currentFilePath, ToUpperAscii(c.onDisk));
    const IdentificationRecord& r = f.session.state.identification;
    const IdentificationRecord byName = IdentifyByName(ToUpperAscii(c.onDisk));
    EXPECT_EQ((std::array{r.fileWidth, r.fileHeight, r.headerLength, r.fieldGap}),
              (std::array{c.width, c.height, c.header, byName.fieldGap}));
    EXPECT_EQ(Flags(r), Flags(byName));
    EXPECT_EQ(r.autoExposure, byName.autoExposure);
    EXPECT_TRUE(f.platform.boxes.empty());
  }
}

TEST(IdentifyImageFile, MissingFileOrDirectoryLeavesTheRecordAndSaysSo) {
  SessionFixture f;
  std::filesystem::create_directory(f.dir / "U5IW0002");
  f.session.state.identification = IdentifyByName("KBIW0001");
  for (const char* name : {"u5iw0001", "U5IW0002"}) {
    f.session.state.currentFilePath = name;
    EXPECT_FALSE(IdentifyImageFile(f.session));
    EXPECT_EQ(f.session.state.identification.fileWidth, 511);
  }
  EXPECT_EQ(f.platform.BoxTexts(), (std::vector<std::string>{"Can't open file U5IW0001", "Can't open file U5IW0002"}));
  for (const RecordedBox& box : f.platform.boxes) EXPECT_EQ(box.caption, "Error");
}

}  // namespace
}  // namespace kestrel
