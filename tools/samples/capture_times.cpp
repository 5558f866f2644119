#include "capture_times.h"

#include "location/utc_time.h"

namespace samples {
namespace {

constexpr uint32_t Utc(int year, int month, int day, int hour, int minute, int second) {
  return static_cast<uint32_t>(kestrel::DaysFromCivil(year, month, day) * 86400 + hour * 3600 +
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
