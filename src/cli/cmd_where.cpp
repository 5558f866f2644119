// where FILE [--elements FILE] [--places FILE] [--no-stamp] [--json] [--kml OUT] [--geotiff OUT]
// [--geojson OUT]: where on Earth a picture was taken. The report is printed as its box shows
// it, and the file stamped as the desktop program stamps it; --json prints the location as one
// object and leaves the file as it is. The exports lay the picture on its footprint.

#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/cli.h"
#include "geo/exports.h"
#include "location/image_information.h"
#include "location/report.h"
#include "shell/settings.h"

namespace kestrel::cli {
namespace {

struct WhereOptions {
  std::string file;
  std::string elements;
  std::string places;
  bool noStamp = false;
  bool json = false;
  std::string kml, geotiff, geojson;
} options;

void DefineWhere(CLI::App& app) {
  app.add_option("FILE", options.file, "camera picture or a set's information file")->required();
  app.add_option("--elements,--kep", options.elements,
                 "element sets: two-line element text or a WiSP.Kep file (default: the settings')");
  app.add_option("--places,--obs", options.places,
                 "places: a WiSP.Obs file (default: the settings', else the built-in list)");
  app.add_flag("--no-stamp", options.noStamp, "leave the file unstamped");
  app.add_flag("--json", options.json, "print the location as one JSON object (never stamps)");
  app.add_option("--kml", options.kml, "write KML for Google Earth, the picture as OUT.png beside it");
  app.add_option("--geotiff", options.geotiff, "write the picture as a GeoTIFF in WGS-84");
  app.add_option("--geojson", options.geojson, "write the footprint as a GeoJSON Feature");
}

// The exports asked for, each after the checks that keep it off the input.
struct Export {
  std::string& typed;
  std::optional<std::string> (*write)(const PlacedPicture&, const Session&, const std::filesystem::path&);
};

const Export kExports[] = {
    {options.kml,
     [](const PlacedPicture& placed, const Session& session, const std::filesystem::path& out) {
       return ExportKml(placed, *session.state.current.currentDib, session.state.currentFilePath, out);
     }},
    {options.geotiff,
     [](const PlacedPicture& placed, const Session& session, const std::filesystem::path& out) {
       return ExportGeoTiff(placed, *session.state.current.currentDib, out);
     }},
    {options.geojson,
     [](const PlacedPicture& placed, const Session& session, const std::filesystem::path& out) {
       return ExportGeoJson(placed, session.state.currentFilePath, out);
     }},
};

// Writes every export asked for of a picture placed already, or placed now; the exit status.
int WriteExports(Session& session, const LocationFiles& files, std::optional<PlacedPicture> placed) {
  const std::string& name = session.state.currentFilePath;
  if (!placed) {
    PlacedPictureOutcome outcome = PlacePicture(name, session.state.fileHeaderBuffer, 0, files);
    if (!outcome.placed) return Complain("%s: nothing written: %s", name.c_str(), outcome.problem.c_str());
    placed = std::move(outcome.placed);
  }
  for (const Export& e : kExports) {
    if (e.typed.empty()) continue;
    if (const auto problem = e.write(*placed, session, OutputPath(e.typed)))
      return Complain("%s", problem->c_str());
  }
  return kExitSuccess;
}

// None of the outputs may land on the input, nor the KML's picture.
bool OutputsLandOnTheInput(const Session& session) {
  const std::string& name = session.state.currentFilePath;
  for (const Export& e : kExports) {
    if (e.typed.empty()) continue;
    if (OutputIsAnInput(session, OutputPath(e.typed), {name})) return true;
  }
  if (options.kml.empty()) return false;
  return OutputIsAnInput(session, OutputPath(options.kml).replace_extension(".png"), {name});
}

void ReportSkippedSets(const std::filesystem::path& file, const std::vector<SkippedSet>& skipped) {
  for (const SkippedSet& set : skipped)
    Complain("%s, line %zu: %s; set skipped", file.c_str(), set.lineNumber, set.reason.c_str());
}

int RunWhere(Session& session) {
  // As the desktop program starts: the settings find the element sets and places, then the
  // picture's own folder becomes the session's directory.
  LoadSettings(session);
  // The picture opens as from the command line, which leaves its header for the report; an
  // information file is reported on by itself, with no picture loaded.
  const OpenResult opened = OpenFromOutside(session, options.file);
  const std::string name = session.state.currentFilePath;
  if (opened == OpenResult::InformationFile && !options.json) {
    session.state.shownImage.reset();
  } else if (opened != OpenResult::Shown) {
    if (opened != OpenResult::Failed) return Complain("%s has no picture to report on", name.c_str());
    return kExitFailure;
  }

  if (OutputsLandOnTheInput(session)) return kExitFailure;
  const bool exporting = !options.kml.empty() || !options.geotiff.empty() || !options.geojson.empty();
  if (exporting && opened != OpenResult::Shown) return Complain("%s has no picture to export", name.c_str());

  LocationFiles files = LocationFilesFromSettings(session);
  if (!options.elements.empty()) files.elementSetFile = std::filesystem::absolute(options.elements);
  if (!options.places.empty()) files.placesFile = std::filesystem::absolute(options.places);
  const auto noCaptureTime = [&name] {
    return Complain("%s: no report to give: its header holds no capture time", name.c_str());
  };

  if (options.json) {
    const uint32_t captureTime = HeaderCaptureTime(session.state.fileHeaderBuffer, name);
    if (captureTime == 0) return noCaptureTime();
    const auto location = LocatePicture(session, name, captureTime, files);
    if (!location) return kExitFailure;
    ReportSkippedSets(files.elementSetFile, location->skippedSets);
    // With the footprint when the camera is known.
    const auto placed = PlaceLocatedPicture(*location, name, 0);
    std::printf("%s\n", placed ? PlacedPictureJson(*placed, name).c_str()
                               : PictureLocationJson(*location, name).c_str());
    return exporting ? WriteExports(session, files, placed) : kExitSuccess;
  }

  const InformationOutcome outcome =
      ReportImageInformation(session, name, {files, !options.noStamp});
  ReportSkippedSets(files.elementSetFile, outcome.skippedSets);
  if (outcome.result != 1) return kExitFailure;  // after the message of what stopped it
  if (!outcome.shownReport) return noCaptureTime();
  std::printf("%s\n", outcome.shownReport->c_str());
  return exporting ? WriteExports(session, files, std::nullopt) : kExitSuccess;
}

const Registrar kWhere({"where", "print where on Earth a picture was taken, as its report shows it",
                        DefineWhere, RunWhere});

}  // namespace
}  // namespace kestrel::cli
