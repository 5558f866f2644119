#pragma once
// The ground-station files beside the sample pictures: "WiSP.Kep" with an element set for
// each satellite and "WiSP.Obs" with places around the world, so the pictures' information
// reports give positions.

#include <filesystem>

namespace samples {

// Writes both files into `dir`; false (after a message) when one cannot be written.
bool WriteWispFiles(const std::filesystem::path& dir);

}  // namespace samples
