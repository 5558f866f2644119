#pragma once
// "ELEMENTS.TLE": two-line element text as the public catalogues publish it, a history of
// fifty sets for each satellite around its sample picture, so that the report places the
// pictures without the ground-station program.

#include <filesystem>

namespace samples {

// Writes the file into `dir`; false (after a message) when it cannot be written.
bool WriteTwoLineElementHistory(const std::filesystem::path& dir);

}  // namespace samples
