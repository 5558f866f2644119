#include "location/places.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "where_fixture.h"

namespace kestrel {
namespace {
using location_testing::NamedPlace;
using location_testing::PlacesFile;

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
  // Right over a place no direction means anything.
  const auto over = NearestPlace(PlacesFile({{"Lisbon", 38.72, -9.14}}), 38.72, -9.14);
  ASSERT_TRUE(over);
  EXPECT_LT(over->distanceKm, 0.5);
  EXPECT_FALSE(over->bearingDegrees);
}

TEST(NearestPlace, NamesThePlaceAndTheSideThePictureLiesOn) {
  struct Case {
    std::vector<NamedPlace> places;
    double latitude, longitude;
    std::string_view name, word;
  };
  const Case cases[] = {
      {{{"Guildford", 51.24, -0.59}, {"Seoul", 37.57, 126.98}, {"Lisbon", 38.72, -9.14}},
       52.0, 0.5, "Guildford", "NorthEast"},
      {{{"West", 10, -5}, {"East", 10, 5}, {"Far", -40, 100}}, 10, 0, "West", "East"},
      {{{"Surrey Space Centre", 51.24, -0.59}}, 48.0, 5.0, "Surrey Space Centre", "SouthEast"},
      {{{"Surrey Space Centre", 51.24, -0.59}}, 55.0, -8.0, "Surrey Space Centre", "NorthWest"},
      {{{"Suva", -18.14, 178.44}}, -18.14, -178.0, "Suva", "East"},  // across the date line
  };
  for (const Case& c : cases) {
    const auto nearest = NearestPlace(PlacesFile(c.places), c.latitude, c.longitude);
    ASSERT_TRUE(nearest) << c.name;
    EXPECT_EQ(nearest->name, c.name);
    EXPECT_EQ(CompassWord(*nearest->bearingDegrees, nearest->pictureLiesEast), c.word) << c.name;
  }
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
  const std::tuple<double, bool, std::string_view> cases[] = {
      {0, true, "North"},          {22.5, true, "North"},        {22.6, true, "NorthEast"},
      {22.6, false, "NorthWest"},  {67.5, false, "NorthWest"},   {67.6, false, "West"},
      {112.6, true, "SouthEast"},  {112.6, false, "SouthWest"},  {157.6, false, "South"},
      {180, true, "South"}};
  for (const auto& [bearing, east, word] : cases) {
    EXPECT_EQ(CompassWord(bearing, east), word) << bearing << (east ? " east" : " west");
  }
}

}  // namespace
}  // namespace kestrel
