// track --elements FILE --satellite NAME|NUMBER --at TIME [--minutes M --step S] [--json]:
// where a satellite is by a two-line element set, without a picture; how an element set is
// checked.

#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "base/json.h"
#include "base/text.h"
#include "cli/cli.h"
#include "location/earth_frames.h"
#include "location/element_set.h"
#include "location/sgp4.h"
#include "location/two_line_elements.h"
#include "location/utc_time.h"
#include "platform/files.h"

namespace kestrel::cli {
namespace {

// Far beyond a lifetime's history of one satellite; guards memory against a hostile file.
constexpr uint64_t kMaxElementFileSize = uint64_t{64} << 20;
constexpr double kMinutesPerDay = 1440;
// More lines than anyone reads; a typing slip in --minutes or --step stops here.
constexpr double kMaxPositions = 1e6;

struct TrackOptions {
  std::string elements;
  std::string satellite;
  std::string at;
  double minutes = 0;
  double step = 60;
  bool json = false;
} options;

void DefineTrack(CLI::App& app) {
  app.add_option("--elements", options.elements, "two-line element text")->required();
  app.add_option("--satellite", options.satellite,
                 "catalogue number, designation (UO-22, KO-23, KO-25, PO-28, TO-31) or name")
      ->required();
  app.add_option("--at", options.at, "UTC moment, ISO 8601 (1995-03-27T10:41:00Z)")->required();
  app.add_option("--minutes", options.minutes, "minutes to follow the satellite from --at")
      ->check(CLI::NonNegativeNumber);
  app.add_option("--step", options.step, "seconds between positions (default 60)")
      ->check(CLI::PositiveNumber);
  app.add_flag("--json", options.json, "one JSON object a line");
}

bool AllDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The catalogue number that --satellite names: a number, a known designation, or else a name
// line of the file holding it.
std::optional<uint32_t> CatalogueNumberNamed(std::string_view named,
                                             const std::vector<TwoLineElementSet>& sets) {
  if (AllDigits(named) && named.size() <= 9) return static_cast<uint32_t>(std::stoul(std::string(named)));
  if (const auto known = CatalogueNumberOf(named)) return known;
  const std::string upper = ToUpperAscii(named);
  for (const TwoLineElementSet& set : sets)
    if (ToUpperAscii(set.name).find(upper) != std::string::npos) return set.catalogueNumber;
  return std::nullopt;
}

std::string PositionText(double julianDate, const TemeState& state, const GeodeticPoint& ground) {
  const auto& r = state.positionKm;
  const auto& v = state.velocityKmPerS;
  if (options.json) {
    const auto vector = [](const std::array<double, 3>& xyz, int decimals) {
      return FormatText("[%.*f,%.*f,%.*f]", decimals, xyz[0], decimals, xyz[1], decimals, xyz[2]);
    };
    return JsonObject()
        .Text("time", IsoUtcText(julianDate))
        .Raw("temePositionKm", vector(r, 6))
        .Raw("temeVelocityKmPerS", vector(v, 9))
        .Number("latitude", ground.latitude, 6)
        .Number("longitude", ground.longitude, 6)
        .Number("heightKm", ground.heightKm, 3)
        .Json();
  }
  return FormatText("%s %14.6f %14.6f %14.6f %12.9f %12.9f %12.9f %11.6f %11.6f %10.3f",
                    IsoUtcText(julianDate).c_str(), r[0], r[1], r[2], v[0], v[1], v[2],
                    ground.latitude, ground.longitude, ground.heightKm);
}

int RunTrack(Session&) {
  const auto start = ParseIsoUtc(options.at);
  if (!start) return UsageError("--at " + options.at + ": not an ISO 8601 UTC time");
  const double count = std::floor(options.minutes * 60 / options.step) + 1;
  if (!(count <= kMaxPositions)) return UsageError("--minutes and --step ask for more than a million positions");

  const std::filesystem::path path = std::filesystem::absolute(options.elements);
  FileContents contents = ReadWholeFile(path, kMaxElementFileSize);
  if (contents.error == FileReadError::TooLarge) return Complain("%s: the file is too large", path.c_str());
  if (!contents.ok()) return Complain("%s: cannot open the file", path.c_str());
  if (!IsTwoLineElementText(contents.bytes))
    return Complain("%s: holds no two-line element text", path.c_str());
  const TwoLineElementText parsed = ParseTwoLineElements(AsText(contents.bytes));
  for (const SkippedSet& skipped : parsed.skipped)
    Complain("%s, line %zu: %s; set skipped", path.c_str(), skipped.lineNumber, skipped.reason.c_str());

  const auto number = CatalogueNumberNamed(options.satellite, parsed.sets);
  const TwoLineElementSet* set = number ? NearestSetInTime(parsed.sets, *number, *start) : nullptr;
  if (!set) {
    if (parsed.sets.empty() && !parsed.skipped.empty())
      return Complain("%s, line %zu: %s", path.c_str(), parsed.skipped.front().lineNumber,
                      parsed.skipped.front().reason.c_str());
    if (number) return Complain("no element set for %s (%u) in %s", options.satellite.c_str(), *number, path.c_str());
    return Complain("no element set for %s in %s", options.satellite.c_str(), path.c_str());
  }
  const Sgp4Start model = InitialiseSgp4(*set);
  const auto failed = [&](Sgp4Error error) {
    return Complain("%s, line %zu: %s", path.c_str(), set->lineNumber,
                    std::string(Sgp4ErrorText(error)).c_str());
  };
  if (model.error != Sgp4Error::None) return failed(model.error);

  if (!options.json)
    std::printf("# time (UTC)         TEME x, y, z (km)                          "
                "TEME vx, vy, vz (km/s)                  latitude  longitude  height (km)\n");
  for (double i = 0; i < count; ++i) {
    const double julianDate = *start + i * options.step / kSecondsPerDay;
    const TemeState state = PropagateSgp4(model.model, (julianDate - set->epochJulianDate) * kMinutesPerDay);
    if (state.error != Sgp4Error::None) return failed(state.error);
    const GeodeticPoint ground = EarthFixedToGeodetic(TemeToEarthFixed(state.positionKm, julianDate));
    std::printf("%s\n", PositionText(julianDate, state, ground).c_str());
  }
  return kExitSuccess;
}

const Registrar kTrack({"track", "print where a satellite is by its two-line element set",
                        DefineTrack, RunTrack});

}  // namespace
}  // namespace kestrel::cli
