#pragma once
// The element-set file of the ground-station software: fixed 166-byte records, one
// Keplerian element set per satellite, and the choice of satellite from a file name.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace kestrel {

inline constexpr size_t kElementSetRecordSize = 166;

// Offsets of the fields read from a record; the other bytes belong to the ground station.
namespace element_field {
inline constexpr size_t kName = 0;
inline constexpr size_t kEpochRevolution = 19;
inline constexpr size_t kEpochDay = 23;
inline constexpr size_t kDecayRate = 31;
inline constexpr size_t kInclination = 39;
inline constexpr size_t kRaan = 47;
inline constexpr size_t kEccentricity = 55;
inline constexpr size_t kArgPerigee = 63;
inline constexpr size_t kMeanAnomaly = 71;
inline constexpr size_t kMeanMotion = 79;
inline constexpr size_t kEpochYear = 95;
}  // namespace element_field

struct ElementSet {
  uint32_t epochRevolution = 0;
  double epochDay = 0;      // day of year with fraction, 1.0 = 1 January 0 h
  double decayRate = 0;     // revolutions/day²
  double inclination = 0;   // degrees
  double raan = 0;          // degrees
  double eccentricity = 0;
  double argPerigee = 0;    // degrees
  double meanAnomaly = 0;   // degrees
  double meanMotion = 0;    // revolutions/day
  int16_t epochYear = 0;    // two digits
};

// The designation searched for in the element-set file, from the 8.3 file name; none when
// the name tells no satellite.
std::optional<std::string_view> SatelliteForFile(std::string_view fileName);

// The satellite's number in the public satellite catalogue, by its designation ("UO-22",
// "POSAT" or "PO-28", ...), in any case. None for a satellite the program does not know.
std::optional<uint32_t> CatalogueNumberOf(std::string_view designation);

// Decodes one record. A short (trailing) record reads as if its missing bytes were zero.
ElementSet DecodeElementSet(std::span<const uint8_t> record);

// The first record of the file whose leading name contains `designation`, a trailing
// partial record included.
std::optional<ElementSet> FindElementSet(std::span<const uint8_t> file,
                                         std::string_view designation);

// One record as the ground-station software would write it (its own bytes left zero).
std::array<uint8_t, kElementSetRecordSize> EncodeElementSet(std::string_view name,
                                                            const ElementSet& set);

}  // namespace kestrel
