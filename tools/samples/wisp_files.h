#pragma once
// The ground-station files beside the sample pictures: "WiSP.Kep" with an element set for
// each satellite and "WiSP.Obs" with places around the world, so the pictures' information
// reports give positions.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

#include "location/element_set.h"

namespace samples {

struct NamedElementSet {
  std::string_view name;
  kestrel::ElementSet set;
  uint32_t catalogueNumber;
  std::string_view internationalDesignator;  // "91050B"
};

// The element set of each satellite that WiSP.Kep holds.
std::span<const NamedElementSet> SampleElementSets();

// Writes both files into `dir`; false (after a message) when one cannot be written.
bool WriteWispFiles(const std::filesystem::path& dir);

}  // namespace samples
