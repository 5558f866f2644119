// map FILE -o OUT.svg [--size WxH] [--elements FILE] [--places FILE]: the map the window shows
// of a picture, as SVG, without a window.

#include <filesystem>
#include <regex>
#include <string>

#include "cli/cli.h"
#include "geo/exports.h"
#include "shell/settings.h"

namespace kestrel::cli {
namespace {

constexpr int kLargestSide = 16384;

struct MapOptions {
  std::string file;
  std::string out;
  std::string size = "1280x720";
  std::string elements;
  std::string places;
} options;

void DefineMap(CLI::App& app) {
  app.add_option("FILE", options.file, "camera picture")->required();
  app.add_option("-o", options.out, "the SVG file to write")->required();
  app.add_option("--size", options.size, "width x height in pixels (default 1280x720)");
  app.add_option("--elements,--kep", options.elements,
                 "element sets: two-line element text or a WiSP.Kep file (default: the settings')");
  app.add_option("--places,--obs", options.places,
                 "places: a WiSP.Obs file (default: the settings', else the built-in list)");
}

int RunMap(Session& session) {
  std::smatch size;
  if (!std::regex_match(options.size, size, std::regex(R"(([0-9]{1,5})x([0-9]{1,5}))")))
    return UsageError("--size " + options.size + ": give it as WIDTHxHEIGHT, e.g. 1280x720");
  const int width = std::stoi(size[1]), height = std::stoi(size[2]);
  if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide)
    return UsageError("--size " + options.size + ": each side from 1 to 16384 pixels");

  LoadSettings(session);
  const OpenResult opened = OpenFromOutside(session, options.file);
  const std::string name = session.state.currentFilePath;
  if (opened != OpenResult::Shown) {
    if (opened != OpenResult::Failed) return Complain("%s has no picture to map", name.c_str());
    return kExitFailure;
  }
  const std::filesystem::path out = OutputPath(options.out);
  if (OutputIsAnInput(session, out, {name})) return kExitFailure;
  LocationFiles files = LocationFilesFromSettings(session);
  if (!options.elements.empty()) files.elementSetFile = std::filesystem::absolute(options.elements);
  if (!options.places.empty()) files.placesFile = std::filesystem::absolute(options.places);
  const PlacedPictureOutcome outcome = PlacePicture(name, session.state.fileHeaderBuffer, 0, files);
  if (!outcome.placed) return Complain("%s: no map: %s", name.c_str(), outcome.problem.c_str());
  if (const auto problem = ExportMapSvg(*outcome.placed, width, height, out))
    return Complain("%s", problem->c_str());
  return kExitSuccess;
}

const Registrar kMap({"map", "draw where a picture lies on a world map, as SVG", DefineMap, RunMap});

}  // namespace
}  // namespace kestrel::cli
