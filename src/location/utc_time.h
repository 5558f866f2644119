#pragma once
// Moments in UTC as the location code and its users write them: ISO 8601 text and Julian
// dates.

#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

inline constexpr double kUnixEpochJulianDate = 2440587.5;
inline constexpr double kSecondsPerDay = 86400;

// "1995-03-27T10:41:00Z", to the nearest second.
std::string IsoUtcText(double julianDate);

// "1995-03-27T10:41:00Z", "1995-03-27 10:41", "1995-03-27T10:41:07.25" (UTC whether or not a
// "Z" ends it) or a date alone, as a Julian date. None for anything else, an impossible date
// included.
std::optional<double> ParseIsoUtc(std::string_view text);

}  // namespace kestrel
