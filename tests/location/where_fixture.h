#pragma once
// Element sets, places and camera files for the tests of the information report.

#include <string>
#include <utility>
#include <vector>

#include "base/block.h"
#include "location/element_set.h"
#include "location/places.h"

namespace kestrel::location_testing {

// 1998-09-07 10:20:30 UTC.
inline constexpr uint32_t kCaptureTime = 905163630;

// A UO-22-like element set whose epoch is the start of the capture day.
inline ElementSet UoSat5Elements() {
  return {.epochRevolution = 37218, .epochDay = 250.0, .decayRate = 1.6e-7,
          .inclination = 98.42, .raan = 318.5, .eccentricity = 0.0008, .argPerigee = 150.2,
          .meanAnomaly = 210.0, .meanMotion = 14.3716, .epochYear = 98};
}

struct NamedPlace {
  std::string_view name;
  double latitude, longitude;
};

inline const std::vector<NamedPlace> kPlaces = {
    {"Guildford", 51.24, -0.59}, {"Seoul", 37.57, 126.98}, {"Lisbon", 38.72, -9.14},
    {"Kuala Lumpur", 3.14, 101.69}, {"Perth", -31.95, 115.86}, {"Cape Town", -33.92, 18.42},
    {"Quito", -0.18, -78.47}, {"Honolulu", 21.31, -157.86}, {"Anchorage", 61.22, -149.90},
    {"Nairobi", -1.29, 36.82}, {"Reykjavik", 64.15, -21.94}, {"Tokyo", 35.68, 139.69},
};

inline void Append(Bytes& file, const auto& record) {
  file.insert(file.end(), record.begin(), record.end());
}

inline Bytes ElementSetFile(const std::vector<std::pair<std::string_view, ElementSet>>& sets) {
  Bytes file;
  for (const auto& set : sets) Append(file, EncodeElementSet(set.first, set.second));
  return file;
}

inline Bytes PlacesFile(const std::vector<NamedPlace>& places) {
  Bytes file;
  for (const NamedPlace& p : places) Append(file, EncodePlace(p.name, p.latitude, p.longitude));
  return file;
}

// A camera file: a 256-byte header holding the capture time, then pixels.
inline Bytes CameraFile(uint32_t captureTime, size_t timeOffset = 4, size_t size = 256 + 3000) {
  Bytes file(size);
  for (size_t i = 0; i < size; ++i) file[i] = static_cast<uint8_t>(i * 7 + 3);
  StoreU32(file.data() + timeOffset, captureTime);
  return file;
}

// KO-25's sample picture: 1996-08-19 11:05:42 UTC.
inline constexpr uint32_t kKitsat2CaptureTime = 840452742;

// Two-line sets as a catalogue lists them: three of KO-25, the nearest to its picture last,
// and one of UO-22; name lines for some.
inline const std::string kTwoLineSets =
    "KITSAT 2\n"
    "1 22828U 93061F   96178.38000000  .00000008  00000-0  11000-3 0  9008\n"
    "2 22828  98.5700 253.4761 0010000 239.4855 306.2669 14.28029184143366\n"
    "1 22828U 93061F   96231.08000000  .00000008  00000-0  11000-3 0  9319\n"
    "2 22828  98.5700 305.2631 0010000  85.0171 152.0694 14.28030027150893\n"
    "1 22828U 93061F   96232.78000000  .00000008  00000-0  11000-3 0  9328\n"
    "2 22828  98.5700 306.9336 0010000  80.0343 251.5531 14.28030054151132\n"
    "UOSAT 5\n"
    "1 21575U 91050B   96075.55000000  .00000010  00000-0  11000-3 0  9336\n"
    "2 21575  98.4600 153.4683 0008000  74.7795  76.9644 14.37160102244737\n";

inline Bytes TwoLineText(const std::string& text = kTwoLineSets) { return Bytes(text.begin(), text.end()); }

// The report on a UO-22 picture taken at kCaptureTime, with UoSat5Elements and kPlaces.
inline const std::string kTitle =
    std::string(23, ' ') + "UO-22 Image\nRecorded on Mon Sep 07 10:20:30 1998\n";
inline const std::string kReportAtEpoch = kTitle +
                                          "           66.7 Degrees North Latitude\n"
                                          "         157.4 Degrees East Longitude\n"
                                          "    54 Deg NorthWest and 2560 kilometres\n"
                                          "        from Anchorage";

}  // namespace kestrel::location_testing
