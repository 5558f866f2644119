// The places that come with the program: their layout, the fast search against measuring every
// place, and points beside well-known cities.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <tuple>

#include "location/builtin_places.h"
#include "where_fixture.h"

namespace kestrel {
namespace {
using namespace location_testing;

// Reading and Reykjavík, as the converter writes them.
Bytes TwoPlaceList() {
  Bytes list = {'K', 'P', 'L', '1', 2, 0, 0, 0, 2, 0, 'G', 'B', 'I', 'S'};
  for (const int value : {5146, 6414, -97, -2190}) {  // 1/100 degree
    list.push_back(static_cast<uint8_t>(value & 0xFF));
    list.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
  }
  Append(list, std::string_view("\x00\x01Reading\0Reykjav\xC3\xADk\0", 21));
  return list;
}

TEST(DecodeBuiltInPlaces, NamesEachPlaceWithItsCountryAndRefusesDamagedLists) {
  const auto places = DecodeBuiltInPlaces(TwoPlaceList()).value();
  ASSERT_EQ(places.size(), 2u);
  EXPECT_EQ(std::tuple(places[0].name, places[0].latitude, places[0].longitude),
            std::tuple("Reading, GB", 51.46, -0.97));
  EXPECT_EQ(std::tuple(places[1].name, places[1].latitude, places[1].longitude),
            std::tuple("Reykjav\xC3\xADk, IS", 64.14, -21.9));

  const std::pair<size_t, Bytes> damages[] = {
      {0, {'X'}},                     // tag
      {4, {0xFF, 0xFF, 0xFF, 0xFF}},  // a place count the bytes cannot hold
      {14, {0x29, 0x23}},             // latitude 90.01
      {18, {0xAF, 0xB9}},             // longitude -180.01
      {23, {2}}};                     // a country index past the codes
  for (const auto& [at, bytes] : damages) {
    Bytes list = TwoPlaceList();
    std::copy(bytes.begin(), bytes.end(), list.begin() + static_cast<ptrdiff_t>(at));
    EXPECT_FALSE(DecodeBuiltInPlaces(list)) << at;
  }
  Bytes list = TwoPlaceList();
  list.push_back(0);  // a trailing byte, and then every cut
  for (size_t size = 0; size < list.size(); ++size) {
    if (size != list.size() - 1) {
      EXPECT_FALSE(DecodeBuiltInPlaces(std::span(list).first(size))) << size;
    }
  }
}

TEST(NearestBuiltInPlace, GivesWhatMeasuringEveryPlaceGivesAnywhereOnTheGlobe) {
  const auto places = BuiltInPlaces();
  ASSERT_GT(BuiltInPlaceCount(), 20000u);
  // The same list as a places file, each place named by its position.
  Bytes file;
  for (size_t i = 0; i < places.size(); ++i)
    Append(file, EncodePlace(std::to_string(i), places[i].latitude, places[i].longitude));

  std::vector<std::pair<double, double>> points = {
      {90, 0}, {-90, 0}, {89.99, 137}, {-89.99, -42}, {0, 180}, {0, -180}, {-18.14, 179.99},
      {-18.14, -179.99}, {65.9, -180}, {-48.88, -123.39}, {0, -140}, {30, -40}, {-60, 80}};
  for (size_t i = 0; i < 40; ++i)  // right on a place
    points.emplace_back(places[i * 601].latitude, places[i * 601].longitude);
  uint32_t seed = 12345;
  const auto uniform = [&seed] { return (seed = seed * 1664525u + 1013904223u) / 4294967296.0; };
  for (int i = 0; i < 2000; ++i) {  // evenly over the sphere
    const double latitude = std::asin(2 * uniform() - 1) * 180 / std::numbers::pi;
    points.emplace_back(latitude, 360 * uniform() - 180);
  }

  for (const auto& [latitude, longitude] : points) {
    const auto expected = NearestPlace(file, latitude, longitude).value();
    const auto found = NearestBuiltInPlace(latitude, longitude).value();
    EXPECT_EQ(found.name, places[std::stoul(expected.name)].name) << latitude << ", " << longitude;
    EXPECT_EQ(std::tuple(found.distanceKm, found.bearingDegrees, found.pictureLiesEast),
              std::tuple(expected.distanceKm, expected.bearingDegrees, expected.pictureLiesEast))
        << latitude << ", " << longitude;
  }
  EXPECT_FALSE(NearestBuiltInPlace(NAN, 0));
}

TEST(NearestBuiltInPlace, NamesTheWellKnownCityBesideThePoint) {
  const std::tuple<double, double, std::string_view> cases[] = {
      {51.44, -0.99, "Reading, GB"},     {64.13, -21.9, "Reykjav\xC3\xADk, IS"},
      {-33.87, 151.2, "Sydney, AU"},     {-18.2, -179.9, "Suva, FJ"},  // across the date line
      {78.2, 15.7, "Longyearbyen, SJ"},  {-15.9, -5.8, "Jamestown, SH"},  // capitals, however small
      {1.29, 103.85, "Singapore, SG"}};
  for (const auto& [latitude, longitude, name] : cases)
    EXPECT_EQ(NearestBuiltInPlace(latitude, longitude).value().name, name) << name;
}

}  // namespace
}  // namespace kestrel
