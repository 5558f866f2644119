#include "location/element_set.h"

#include <gtest/gtest.h>

#include <tuple>

#include "where_fixture.h"

namespace kestrel {
namespace {
using location_testing::ElementSetFile;

TEST(SatelliteForFile, FollowsTheNameTableLastMatchWinning) {
  const std::pair<std::string_view, std::optional<std::string_view>> cases[] = {
      {"U5IW0123", "UO-22"}, {"IM000123", "UO-22"}, {"KA000001", "KO-23"},
      {"KB1234.IMG", "KO-25"}, {"P1TW0042", "POSAT"}, {"TM1D0042.IMC", "TO-31"},
      {"KAIM0001", "KO-23"},      // "IM" and "KA" both: the later row wins
      {"TM000100.IMI", "TO-31"},  // the extension names "IM" too; the "TM" row comes last
      {"PICTURE.BMP", std::nullopt}, {"", std::nullopt}};
  for (const auto& [name, satellite] : cases) EXPECT_EQ(SatelliteForFile(name), satellite) << name;
}

ElementSet Sample(double meanMotion, int16_t epochYear = 98) {
  return {.epochRevolution = 0x01020304, .epochDay = 250.123456789, .decayRate = -1.5e-7,
          .inclination = 98.5, .raan = 321.25, .eccentricity = 0.00123, .argPerigee = 45.5,
          .meanAnomaly = 314.5, .meanMotion = meanMotion, .epochYear = epochYear};
}

auto Fields(const ElementSet& s) {
  return std::tuple(s.epochRevolution, s.epochDay, s.decayRate, s.inclination, s.raan,
                    s.eccentricity, s.argPerigee, s.meanAnomaly, s.meanMotion, s.epochYear);
}

TEST(ElementSetRecord, HoldsItsFieldsLittleEndianAtTheirOffsets) {
  const auto record = EncodeElementSet("UO-22", Sample(14.37));
  ASSERT_EQ(record.size(), 166u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data())), "UO-22");
  EXPECT_EQ(record[19], 0x04);
  EXPECT_EQ(record[22], 0x01);
  // 98.5 is 0x4058A00000000000.
  EXPECT_EQ(record[39 + 7], 0x40);
  EXPECT_EQ(record[39 + 6], 0x58);
  EXPECT_EQ(record[39 + 5], 0xA0);
  EXPECT_EQ(record[95], 98);
  EXPECT_EQ(record[96], 0);
  EXPECT_EQ(Fields(DecodeElementSet(record)), Fields(Sample(14.37)));
  EXPECT_EQ(DecodeElementSet(EncodeElementSet("X", Sample(14.0, -1))).epochYear, -1);
}

TEST(FindElementSet, TakesTheFirstRecordWhoseNameContainsTheDesignation) {
  const Bytes file = ElementSetFile({{"AO-10", Sample(2.05)}, {"UO-2", Sample(14.30)},
                                     {"UoSAT5 UO-22", Sample(14.37)}, {"UO-22", Sample(13.0)}});
  const auto found = FindElementSet(file, "UO-22");
  ASSERT_TRUE(found);
  EXPECT_EQ(Fields(*found), Fields(Sample(14.37)));
  EXPECT_FALSE(FindElementSet(file, "KO-25"));
  EXPECT_FALSE(FindElementSet({}, "UO-22"));
}

TEST(FindElementSet, SearchesATrailingPartialRecord) {
  Bytes file = ElementSetFile({{"AO-10", Sample(2.05)}, {"TO-31", Sample(14.23)}});
  file.resize(166 + 79);  // cut before the mean motion
  const auto found = FindElementSet(file, "TO-31");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->inclination, 98.5);
  EXPECT_EQ(found->meanAnomaly, 314.5);
  EXPECT_EQ(found->meanMotion, 0);  // its missing bytes read as zero
  EXPECT_EQ(found->epochYear, 0);
}

TEST(FindElementSet, ReadsANameWithoutTerminatorOnlyWithinItsRecord) {
  Bytes file(166, 'A');
  const Bytes next = ElementSetFile({{"UO-22", Sample(14.37)}});
  file.insert(file.end(), next.begin(), next.end());
  // The first record's name runs on through all of its bytes but never into the next one.
  EXPECT_EQ(FindElementSet(file, "AUO-22"), std::nullopt);
  EXPECT_TRUE(FindElementSet(file, "UO-22"));
}

}  // namespace
}  // namespace kestrel
