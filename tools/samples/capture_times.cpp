#include "capture_times.h"

namespace samples {
namespace {

// Days from 1970-01-01 to a Gregorian date.
constexpr int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

constexpr uint32_t Utc(int year, int month, int day, int hour, int minute, int second) {
  return static_cast<uint32_t>(DaysFromCivil(year, month, day) * 86400 + hour * 3600 +
                               minute * 60 + second);
}
static_assert(Utc(1998, 9, 7, 10, 20, 30) == 905163630);

}  // namespace

uint32_t SampleCaptureTime(Satellite satellite) {
  switch (satellite) {
    case Satellite::Uosat5: return Utc(1996, 3, 14, 10, 21, 36);   // UO-22, launched 1991
    case Satellite::Kitsat1: return Utc(1994, 6, 2, 9, 47, 10);    // KO-23, launched 1992
    case Satellite::Kitsat2: return Utc(1996, 8, 19, 11, 5, 42);   // KO-25, launched 1993
    case Satellite::Posat1: return Utc(1997, 2, 11, 10, 33, 5);    // PO-28, launched 1993
    case Satellite::Tmsat1: return Utc(1999, 5, 23, 6, 12, 48);    // TO-31, launched 1998
  }
  return 0;
}

}  // namespace samples
