#include "wisp_files.h"

#include <cstdio>
#include <string_view>

#include "base/block.h"
#include "location/element_set.h"
#include "location/places.h"
#include "platform/files.h"

namespace samples {
namespace {

// Element sets a few days older than each satellite's sample picture (see capture_times.cpp).
// Source: the NORAD two-line sets of the time as AMSAT distributed them, written down from
// memory, not copied from an archive: mean motion, decay, inclination and eccentricity are
// close to those published for each satellite then, to the few digits remembered. The node of
// the sun-synchronous orbits follows their 10:30 descending-node plane at the epoch; argument
// of perigee and mean anomaly are chosen to put each sample picture in daylight.
// Fields: revolution, epoch day, decay (rev/day²), inclination, RAAN, eccentricity,
// argument of perigee, mean anomaly (degrees), mean motion (rev/day), epoch year.
const NamedElementSet kElementSets[] = {
    // UoSat-5 (UO-22), NORAD 21575, 1991-050B; epoch 1996 day 70.45 (10 March 1996).
    {"UO-22", {24400, 70.45, 0.00000020, 98.4600, 148.4464, 0.0008, 90.0, 330.75,
               14.3716, 96}, 21575, "91050B"},
    // KITSAT-1 (KO-23), NORAD 22077, 1992-052B; epoch 1994 day 150.52 (30 May 1994).
    {"KO-23", {8464, 150.52, -0.00000037, 66.0800, 10.0, 0.0015, 90.0, 358.50, 12.8629, 94},
     22077, "92052B"},
    // KITSAT-2 (KO-25), NORAD 22828, 1993-061F; epoch 1996 day 229.38 (16 August 1996).
    {"KO-25", {15065, 229.38, 0.00000016, 98.5700, 303.5925, 0.0010, 90.0, 52.50, 14.2803, 96},
     22828, "93061F"},
    // PoSAT-1 (PO-28), NORAD 22829, 1993-061G; epoch 1997 day 39.61 (8 February 1997).
    {"POSAT", {17579, 39.61, 0.00000015, 98.5700, 119.7908, 0.0010, 90.0, 273.00, 14.2806, 97},
     22829, "93061G"},
    // TMSAT-1 (TO-31), NORAD 25396, 1998-043D; epoch 1999 day 140.29 (20 May 1999).
    {"TO-31", {4467, 140.29, 0.00000025, 98.7700, 214.1140, 0.0002, 90.0, 348.00, 14.2266, 99},
     25396, "98043D"},
};

struct NamedPlace {
  std::string_view name;
  double latitude;   // degrees north
  double longitude;  // degrees east
};

// Towns and the satellites' ground stations; longitudes east positive.
const NamedPlace kPlaces[] = {
    {"Guildford (UoSAT)", 51.24, -0.59},
    {"Taejon (KAIST)", 36.37, 127.36},
    {"Lisbon (PoSAT)", 38.72, -9.14},
    {"Bangkok (TMSAT)", 13.75, 100.50},
    {"Kourou", 5.16, -52.65},
    {"Baikonur", 45.92, 63.34},
    {"London", 51.51, -0.13},
    {"Paris", 48.86, 2.35},
    {"Madrid", 40.42, -3.70},
    {"Rome", 41.90, 12.50},
    {"Berlin", 52.52, 13.40},
    {"Prague", 50.08, 14.44},
    {"Vienna", 48.21, 16.37},
    {"Tunis", 36.81, 10.18},
    {"Cairo", 30.04, 31.24},
    {"Moscow", 55.76, 37.62},
    {"Reykjavik", 64.15, -21.94},
    {"Dakar", 14.69, -17.44},
    {"Lagos", 6.52, 3.38},
    {"Nairobi", -1.29, 36.82},
    {"Cape Town", -33.92, 18.42},
    {"Tehran", 35.69, 51.39},
    {"Karachi", 24.86, 67.01},
    {"Delhi", 28.61, 77.21},
    {"Colombo", 6.93, 79.86},
    {"Singapore", 1.35, 103.82},
    {"Jakarta", -6.21, 106.85},
    {"Hong Kong", 22.32, 114.17},
    {"Beijing", 39.90, 116.41},
    {"Seoul", 37.57, 126.98},
    {"Tokyo", 35.68, 139.69},
    {"Darwin", -12.46, 130.84},
    {"Perth", -31.95, 115.86},
    {"Adelaide", -34.93, 138.60},
    {"Melbourne", -37.81, 144.96},
    {"Sydney", -33.87, 151.21},
    {"Hobart", -42.88, 147.33},
    {"Auckland", -36.85, 174.76},
    {"Honolulu", 21.31, -157.86},
    {"Anchorage", 61.22, -149.90},
    {"Vancouver", 49.28, -123.12},
    {"Los Angeles", 34.05, -118.24},
    {"Denver", 39.74, -104.99},
    {"Mexico City", 19.43, -99.13},
    {"Chicago", 41.88, -87.63},
    {"Washington", 38.91, -77.04},
    {"Bogota", 4.71, -74.07},
    {"Lima", -12.05, -77.04},
    {"Santiago", -33.45, -70.67},
    {"Buenos Aires", -34.60, -58.38},
    {"Rio de Janeiro", -22.91, -43.17},
};

bool Write(const std::filesystem::path& path, const kestrel::Bytes& bytes) {
  if (!kestrel::WriteFileReplacing(path, bytes)) {
    std::fprintf(stderr, "kestrel-samples: cannot write %s\n", path.c_str());
    return false;
  }
  std::printf("%-14s %8zu bytes\n", path.filename().c_str(), bytes.size());
  return true;
}

}  // namespace

std::span<const NamedElementSet> SampleElementSets() { return kElementSets; }

bool WriteWispFiles(const std::filesystem::path& dir) {
  kestrel::Bytes elementSets;
  for (const NamedElementSet& entry : kElementSets) {
    const auto record = kestrel::EncodeElementSet(entry.name, entry.set);
    elementSets.insert(elementSets.end(), record.begin(), record.end());
  }
  kestrel::Bytes places;
  for (const NamedPlace& place : kPlaces) {
    const auto record = kestrel::EncodePlace(place.name, place.latitude, place.longitude);
    places.insert(places.end(), record.begin(), record.end());
  }
  const bool keps = Write(dir / "WiSP.Kep", elementSets);
  return Write(dir / "WiSP.Obs", places) && keps;
}

}  // namespace samples
