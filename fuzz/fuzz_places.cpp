// Element-set and places files of any content: the record readers, the two-line element reader
// with SGP4 and the nearest-place search must take any bytes, short records and numbers that
// are none included. The first byte picks the satellite, the time and the point searched from;
// the rest is the file.

#include <array>
#include <cmath>
#include <cstdint>
#include <span>
#include <string_view>

#include "base/text.h"
#include "location/element_set.h"
#include "location/places.h"
#include "location/sgp4.h"
#include "location/two_line_elements.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kestrel;
  if (size < 1) return 0;
  constexpr std::array<std::string_view, 6> kNames{"U5IW0001", "KAIW0001", "KBIW0001", "P1TW0001",
                                                   "TM112345.IMI", "PICTURE"};
  const uint8_t choice = data[0];
  const std::span<const uint8_t> file(data + 1, size - 1);
  if (const auto designation = SatelliteForFile(kNames[choice % kNames.size()])) {
    if (const auto set = FindElementSet(file, *designation)) {
      // A record found decodes as it encodes: the fields it holds come back as they were.
      const auto record = EncodeElementSet(*designation, *set);
      if (DecodeElementSet(record).epochRevolution != set->epochRevolution) __builtin_trap();
    }
  }
  // Every set read propagates, or says why not, from its epoch to weeks either side of it.
  if (IsTwoLineElementText(file)) {
    for (const TwoLineElementSet& set : ParseTwoLineElements(AsText(file)).sets) {
      const Sgp4Start start = InitialiseSgp4(set);
      if (start.error != Sgp4Error::None) continue;
      const TemeState state = PropagateSgp4(start.model, (choice - 128) * 300.0);
      if (state.error == Sgp4Error::None && !std::isfinite(state.positionKm[0])) __builtin_trap();
    }
  }
  const double latitude = (choice % 181) - 90.0;
  const double longitude = (choice * 7 % 361) - 180.0;
  if (const auto place = NearestPlace(file, latitude, longitude)) {
    if (!(place->distanceKm >= 0) || place->name.size() > place_field::kNameWidth) __builtin_trap();
    if (place->bearingDegrees) CompassWord(*place->bearingDegrees, place->pictureLiesEast);
  }
  return 0;
}
