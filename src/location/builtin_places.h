#pragma once
// The places that come with the program, for users without a places file of their own:
// GeoNames' cities of 15,000 people or more and the capitals, compiled in from
// resources/places/cities.bin (tools/places/make_cities.js writes it).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "location/places.h"

namespace kestrel {

struct BuiltInPlace {
  std::string name;  // "Name, CC" with the ISO country code, UTF-8
  double latitude, longitude;  // degrees, north and east positive
};

// The places of a list in the built-in layout, in its order; none when the bytes are not such
// a list (wrong tag, cut short, trailing bytes, coordinates off the globe, unknown country).
std::optional<std::vector<BuiltInPlace>> DecodeBuiltInPlaces(std::span<const uint8_t> bytes);

// The built-in list, decoded once (thread-safe) and indexed for fast nearest search.
std::span<const BuiltInPlace> BuiltInPlaces();
size_t BuiltInPlaceCount();

// Exactly what NearestPlace gives for a places file holding the built-in list in its order,
// found without measuring every place. Degrees, longitude east in -180 … 180; none for a point
// whose coordinates are not numbers.
std::optional<NearestPlaceResult> NearestBuiltInPlace(double latitude, double longitude);

}  // namespace kestrel
