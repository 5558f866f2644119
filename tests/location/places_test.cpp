#include "location/places.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "bitmap/block.h"

namespace kestrel {
namespace {

struct Place {
  std::string_view name;
  double latitude;
  double longitude;
};

Bytes PlacesFile(std::initializer_list<Place> places) {
  Bytes file;
  for (const Place& place : places) {
    const auto record = EncodePlace(place.name, place.latitude, place.longitude);
    file.insert(file.end(), record.begin(), record.end());
  }
  return file;
}

TEST(PlaceRecord, HoldsNameAndCoordinatesAtTheirOffsets) {
  const auto record = EncodePlace("Guildford", 51.24, -0.59);
  ASSERT_EQ(record.size(), 50u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data())), "Guildford");
  // 51.24 is 0x4049 9EB8 51EB 851F.
  EXPECT_EQ(record[26 + 7], 0x40);
  EXPECT_EQ(record[26 + 6], 0x49);
  EXPECT_EQ(record[34 + 7], 0xBF);  // negative longitude
}

TEST(NearestPlace, MeasuresGreatCircleDistance) {
  // A quarter of a great circle along the equator; the program's radius makes a degree
  // exactly 111.2 km.
  const auto nearest = NearestPlace(PlacesFile({{"Gulf of Guinea", 0, 0}}), 0, 90);
  ASSERT_TRUE(nearest);
  EXPECT_NEAR(nearest->distanceKm, 90 * 111.2, 1e-6);
  EXPECT_NEAR(*nearest->bearingDegrees, 90, 1e-6);
  EXPECT_TRUE(nearest->pictureLiesEast);
}

TEST(NearestPlace, ReportsTheFirstRecordWhenItIsNearest) {
  const auto nearest = NearestPlace(
      PlacesFile({{"Guildford", 51.24, -0.59}, {"Seoul", 37.57, 126.98}, {"Lisbon", 38.72, -9.14}}),
      52.0, 0.5);
  ASSERT_TRUE(nearest);
  EXPECT_EQ(nearest->name, "Guildford");
  // North-east of Guildford.
  EXPECT_GT(*nearest->bearingDegrees, 22.5);
  EXPECT_LT(*nearest->bearingDegrees, 67.5);
  EXPECT_EQ(CompassWord(*nearest->bearingDegrees, nearest->pictureLiesEast), "NorthEast");
}

TEST(NearestPlace, KeepsTheEarlierOfTwoEquallyNearPlaces) {
  const auto nearest =
      NearestPlace(PlacesFile({{"West", 10, -5}, {"East", 10, 5}, {"Far", -40, 100}}), 10, 0);
  ASSERT_TRUE(nearest);
  EXPECT_EQ(nearest->name, "West");
}

TEST(NearestPlace, NamesTheSideThePictureLiesOnForAnEastPositiveFile) {
  const Bytes places = PlacesFile({{"Surrey Space Centre", 51.24, -0.59}});
  const auto east = NearestPlace(places, 48.0, 5.0);
  ASSERT_TRUE(east);
  EXPECT_EQ(CompassWord(*east->bearingDegrees, east->pictureLiesEast), "SouthEast");
  const auto west = NearestPlace(places, 55.0, -8.0);
  ASSERT_TRUE(west);
  EXPECT_EQ(CompassWord(*west->bearingDegrees, west->pictureLiesEast), "NorthWest");
}

TEST(NearestPlace, KnowsEastAndWestAcrossTheDateLine) {
  const Bytes places = PlacesFile({{"Suva", -18.14, 178.44}});
  const auto picture = NearestPlace(places, -18.14, -178.0);
  ASSERT_TRUE(picture);
  EXPECT_TRUE(picture->pictureLiesEast);
  EXPECT_EQ(CompassWord(*picture->bearingDegrees, picture->pictureLiesEast), "East");
}

TEST(NearestPlace, GivesNoBearingRightOverAPlace) {
  const auto nearest = NearestPlace(PlacesFile({{"Lisbon", 38.72, -9.14}}), 38.72, -9.14);
  ASSERT_TRUE(nearest);
  EXPECT_LT(nearest->distanceKm, 0.5);
  EXPECT_FALSE(nearest->bearingDegrees);
}

TEST(NearestPlace, PassesOverPartialRecordsAndCoordinatesThatAreNoNumbers) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Bytes places =
      PlacesFile({{"Broken", nan, 0}, {"Also broken", 10, INFINITY}, {"Dakar", 14.7, -17.4}});
  const auto partial = EncodePlace("Nearer", 14.0, -17.0);
  places.insert(places.end(), partial.begin(), partial.begin() + 49);
  const auto nearest = NearestPlace(places, 14.0, -17.0);
  ASSERT_TRUE(nearest);
  EXPECT_EQ(nearest->name, "Dakar");
  EXPECT_FALSE(NearestPlace({}, 0, 0));
  EXPECT_FALSE(NearestPlace(PlacesFile({{"Broken", nan, nan}}), 0, 0));
}

TEST(NearestPlace, ReadsAFullWidthNameWithoutItsTerminator) {
  Bytes places(50, 0);
  for (size_t i = 0; i < 26; ++i) places[i] = static_cast<uint8_t>('a' + i);
  places[26] = 0xFF;  // first byte of the latitude, never part of the name
  const auto nearest = NearestPlace(places, 0, 0);
  ASSERT_TRUE(nearest);
  EXPECT_EQ(nearest->name, "abcdefghijklmnopqrstuvwxyz");
}

TEST(CompassWord, ChoosesTheLastWordWhoseThresholdThePointPasses) {
  EXPECT_EQ(CompassWord(0, true), "North");
  EXPECT_EQ(CompassWord(22.5, true), "North");
  EXPECT_EQ(CompassWord(22.6, true), "NorthEast");
  EXPECT_EQ(CompassWord(22.6, false), "NorthWest");
  EXPECT_EQ(CompassWord(67.5, false), "NorthWest");
  EXPECT_EQ(CompassWord(67.6, false), "West");
  EXPECT_EQ(CompassWord(112.6, true), "SouthEast");
  EXPECT_EQ(CompassWord(112.6, false), "SouthWest");
  EXPECT_EQ(CompassWord(157.6, false), "South");
  EXPECT_EQ(CompassWord(180, true), "South");
}

}  // namespace
}  // namespace kestrel
