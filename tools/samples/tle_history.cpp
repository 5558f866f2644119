#include "tle_history.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/text.h"
#include "location/two_line_elements.h"
#include "platform/files.h"
#include "wisp_files.h"

namespace samples {
namespace {

using kestrel::FormatText;

constexpr int kSetsPerSatellite = 50;
// Epochs this far apart, the first ones well before the picture, so that the set nearest it
// is never the first of its satellite.
constexpr double kDaysBetweenSets = 1.7;
constexpr int kSetsBeforeTheWispEpoch = 30;
constexpr double kEarthRadiusKm = 6378.135;
constexpr double kJ2 = 0.001082616;
constexpr double kMu = 398600.8;
constexpr double kPi = 3.14159265358979323846;
constexpr double kBstar = 0.00011;

// Name lines as catalogues differ in them; none for KO-25.
constexpr std::string_view kNameLines[] = {"UOSAT 5", "KITSAT 1 (KO-23)", "", "0 POSAT 1", "TMSAT-1"};

std::string WithChecksum(std::string line) {
  return line + char('0' + kestrel::TwoLineChecksum(line));
}

// " 12345-3" for 0.12345e-3: sign, five digits of the mantissa, the exponent.
std::string ExponentField(double value) {
  if (value == 0) return " 00000-0";
  int exponent = static_cast<int>(std::ceil(std::log10(std::fabs(value))));
  long digits = std::lround(std::fabs(value) / std::pow(10.0, exponent) * 1e5);
  if (digits >= 100000) digits /= 10, ++exponent;
  return FormatText("%c%05ld%c%d", value < 0 ? '-' : ' ', digits, exponent < 0 ? '-' : '+',
                    std::abs(exponent));
}

double Wrap360(double degrees) { return std::fmod(std::fmod(degrees, 360) + 360, 360); }

// Set `k` of the history of `base`: its elements carried to the set's epoch by the Earth's
// oblateness and the mean motion, with the small scatter of real orbit determinations.
std::string SetText(const NamedElementSet& base, int k, int elementNumber) {
  const kestrel::ElementSet& e = base.set;
  const double dt = (k - kSetsBeforeTheWispEpoch) * kDaysBetweenSets;
  const double n = e.meanMotion + e.decayRate * dt;  // rev/day
  const double a = std::cbrt(kMu / std::pow(n * 2 * kPi / 86400, 2));
  const double p = a * (1 - e.eccentricity * e.eccentricity);
  const double rate = 1.5 * n * 360 * kJ2 * std::pow(kEarthRadiusKm / p, 2);  // degrees/day
  const double cosI = std::cos(e.inclination * kPi / 180);
  const double raan = Wrap360(e.raan - rate * cosI * dt);
  const double argPerigee = Wrap360(e.argPerigee + rate / 2 * (5 * cosI * cosI - 1) * dt);
  const double scatter = 0.05 * std::sin(k * 1.3);
  const double meanAnomaly = Wrap360(e.meanAnomaly + 360 * (e.meanMotion * dt + e.decayRate * dt * dt / 2) + scatter);
  // The day of year carried across the ends of years (the samples' years lie in 1901-2099).
  const auto daysIn = [](int year) { return year % 4 == 0 ? 366 : 365; };
  int year = e.epochYear + 1900;
  double epochDay = e.epochDay + dt;
  while (epochDay >= daysIn(year) + 1) epochDay -= daysIn(year++);
  while (epochDay < 1) epochDay += daysIn(--year);
  const long revolution = (static_cast<long>(e.epochRevolution + std::floor(n * dt)) % 100000 + 100000) % 100000;

  const std::string line1 = FormatText(
      "1 %05uU %-8s %02d%012.8f %c.%08ld %s %s 0 %4d", base.catalogueNumber,
      std::string(base.internationalDesignator).c_str(), year % 100, epochDay,
      e.decayRate < 0 ? '-' : ' ', std::lround(std::fabs(e.decayRate / 2) * 1e8),
      ExponentField(0).c_str(), ExponentField(kBstar).c_str(), elementNumber % 10000);
  const std::string line2 = FormatText(
      "2 %05u %8.4f %8.4f %07ld %8.4f %8.4f %11.8f%5ld", base.catalogueNumber, e.inclination,
      raan, std::lround(e.eccentricity * 1e7), argPerigee, meanAnomaly, n, revolution);
  return WithChecksum(line1) + "\n" + WithChecksum(line2) + "\n";
}

}  // namespace

bool WriteTwoLineElementHistory(const std::filesystem::path& dir) {
  std::string text;
  const auto sets = SampleElementSets();
  for (size_t s = 0; s < sets.size(); ++s) {
    for (int k = 0; k < kSetsPerSatellite; ++k) {
      if (!kNameLines[s].empty()) text += std::string(kNameLines[s]) + "\n";
      text += SetText(sets[s], k, 900 + k);
    }
  }
  const std::filesystem::path path = dir / "ELEMENTS.TLE";
  if (!kestrel::WriteFileReplacing(path, kestrel::Bytes(text.begin(), text.end()))) {
    std::fprintf(stderr, "kestrel-samples: cannot write %s\n", path.c_str());
    return false;
  }
  std::printf("%-14s %8zu bytes\n", path.filename().c_str(), text.size());
  return true;
}

}  // namespace samples
