#pragma once
// Moments in UTC as the location code and its users write them: ISO 8601 text and Julian
// dates.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

inline constexpr double kUnixEpochJulianDate = 2440587.5;
inline constexpr double kSecondsPerDay = 86400;

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar (month 1 … 12).
constexpr int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

// "1995-03-27T10:41:00Z", to the nearest second.
std::string IsoUtcText(double julianDate);

// "1995-03-27T10:41:00Z", "1995-03-27 10:41", "1995-03-27T10:41:07.25" (UTC whether or not a
// "Z" ends it) or a date alone, as a Julian date. None for anything else, an impossible date
// included.
std::optional<double> ParseIsoUtc(std::string_view text);

}  // namespace kestrel
