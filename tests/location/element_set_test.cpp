#include "location/element_set.h"

#include <gtest/gtest.h>

#include "bitmap/block.h"

namespace kestrel {
namespace {

TEST(SatelliteForFile, FollowsTheNameTableLastMatchWinning) {
  EXPECT_EQ(SatelliteForFile("U5IW0123"), "UO-22");
  EXPECT_EQ(SatelliteForFile("IM000123"), "UO-22");
  EXPECT_EQ(SatelliteForFile("KA000001"), "KO-23");
  EXPECT_EQ(SatelliteForFile("KB1234.IMG"), "KO-25");
  EXPECT_EQ(SatelliteForFile("P1TW0042"), "POSAT");
  EXPECT_EQ(SatelliteForFile("TM1D0042.IMC"), "TO-31");
  // "IM" and "KA" both: the later row wins.
  EXPECT_EQ(SatelliteForFile("KAIM0001"), "KO-23");
  // A TMSat picture's extension names "IM" too; the "TM" row comes last.
  EXPECT_EQ(SatelliteForFile("TM000100.IMI"), "TO-31");
}

TEST(SatelliteForFile, KnowsNothingOfOtherNames) {
  EXPECT_FALSE(SatelliteForFile("PICTURE.BMP"));
  EXPECT_FALSE(SatelliteForFile(""));
}

ElementSet Sample(double meanMotion) {
  ElementSet set;
  set.epochRevolution = 0x01020304;
  set.epochDay = 250.123456789;
  set.decayRate = -1.5e-7;
  set.inclination = 98.5;
  set.raan = 321.25;
  set.eccentricity = 0.00123;
  set.argPerigee = 45.5;
  set.meanAnomaly = 314.5;
  set.meanMotion = meanMotion;
  set.epochYear = 98;
  return set;
}

void Append(Bytes& file, std::string_view name, const ElementSet& set) {
  const auto record = EncodeElementSet(name, set);
  file.insert(file.end(), record.begin(), record.end());
}

void ExpectSame(const ElementSet& a, const ElementSet& b) {
  EXPECT_EQ(a.epochRevolution, b.epochRevolution);
  EXPECT_EQ(a.epochDay, b.epochDay);
  EXPECT_EQ(a.decayRate, b.decayRate);
  EXPECT_EQ(a.inclination, b.inclination);
  EXPECT_EQ(a.raan, b.raan);
  EXPECT_EQ(a.eccentricity, b.eccentricity);
  EXPECT_EQ(a.argPerigee, b.argPerigee);
  EXPECT_EQ(a.meanAnomaly, b.meanAnomaly);
  EXPECT_EQ(a.meanMotion, b.meanMotion);
  EXPECT_EQ(a.epochYear, b.epochYear);
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
  ExpectSame(DecodeElementSet(record), Sample(14.37));
}

TEST(ElementSetRecord, ReadsANegativeYear) {
  ElementSet set = Sample(14.0);
  set.epochYear = -1;
  const auto record = EncodeElementSet("X", set);
  EXPECT_EQ(DecodeElementSet(record).epochYear, -1);
}

TEST(FindElementSet, FindsTheRecordWhoseNameContainsTheDesignation) {
  Bytes file;
  Append(file, "AO-10", Sample(2.05));
  Append(file, "UO-14", Sample(14.30));
  Append(file, "UoSAT5 UO-22", Sample(14.37));
  const auto found = FindElementSet(file, "UO-22");
  ASSERT_TRUE(found);
  ExpectSame(*found, Sample(14.37));
}

TEST(FindElementSet, StopsAtTheFirstMatch) {
  Bytes file;
  Append(file, "KO-25", Sample(14.28));
  Append(file, "KO-25", Sample(13.0));
  const auto found = FindElementSet(file, "KO-25");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->meanMotion, 14.28);
}

TEST(FindElementSet, SaysWhenNoRecordNamesTheSatellite) {
  Bytes file;
  Append(file, "AO-10", Sample(2.05));
  Append(file, "UO-2", Sample(14.30));
  EXPECT_FALSE(FindElementSet(file, "UO-22"));
  EXPECT_FALSE(FindElementSet({}, "UO-22"));
}

TEST(FindElementSet, SearchesATrailingPartialRecord) {
  Bytes file;
  Append(file, "AO-10", Sample(2.05));
  Append(file, "TO-31", Sample(14.23));
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
  Append(file, "UO-22", Sample(14.37));
  // The first record's name runs on through all of its bytes but never into the next one.
  EXPECT_EQ(FindElementSet(file, "AUO-22"), std::nullopt);
  EXPECT_TRUE(FindElementSet(file, "UO-22"));
}

}  // namespace
}  // namespace kestrel
