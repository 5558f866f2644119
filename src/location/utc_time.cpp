#include "location/utc_time.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "base/text.h"
#include "location/report.h"

namespace kestrel {
namespace {

bool LeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && LeapYear(year) ? 29 : kDays[month - 1];
}

// Reads exactly `digits` digits at `at`.
std::optional<int> Digits(std::string_view text, size_t at, size_t digits) {
  if (at + digits > text.size()) return std::nullopt;
  int value = 0;
  const auto [end, error] = std::from_chars(text.data() + at, text.data() + at + digits, value);
  if (error != std::errc() || end != text.data() + at + digits) return std::nullopt;
  return value;
}

}  // namespace

std::string IsoUtcText(double julianDate) {
  // Rounded to the second first, so that 10:40:59.9996 does not print as 10:40:60.
  const double seconds = std::round((julianDate - kUnixEpochJulianDate) * kSecondsPerDay);
  const std::tm utc = UtcCalendarFields(static_cast<int64_t>(seconds));
  return FormatText("%04d-%02d-%02dT%02d:%02d:%02dZ", utc.tm_year + 1900, utc.tm_mon + 1,
                    utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
}

std::optional<double> ParseIsoUtc(std::string_view text) {
  if (text.ends_with('Z')) text.remove_suffix(1);
  const auto year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2);
  if (!year || !month || !day || text[4] != '-' || text[7] != '-' || *month < 1 || *month > 12 ||
      *day < 1 || *day > DaysInMonth(*year, *month))
    return std::nullopt;
  double secondOfDay = 0;
  if (text.size() > 10) {
    const auto hour = Digits(text, 11, 2), minute = Digits(text, 14, 2);
    if ((text[10] != 'T' && text[10] != ' ') || !hour || !minute || text.size() < 16 ||
        text[13] != ':' || *hour > 23 || *minute > 59)
      return std::nullopt;
    double second = 0;
    if (text.size() > 16) {
      if (text[16] != ':') return std::nullopt;
      const char* begin = text.data() + 17;
      const char* end = text.data() + text.size();
      const auto [stop, error] = std::from_chars(begin, end, second, std::chars_format::fixed);
      if (error != std::errc() || stop != end || end - begin < 2 || !(second >= 0 && second < 60))
        return std::nullopt;
    }
    secondOfDay = *hour * 3600.0 + *minute * 60.0 + second;
  }
  const double days = static_cast<double>(DaysFromCivil(*year, *month, *day));
  return kUnixEpochJulianDate + days + secondOfDay / kSecondsPerDay;
}

}  // namespace kestrel
