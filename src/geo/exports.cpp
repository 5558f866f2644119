#include "geo/exports.h"

#include <system_error>

#include "base/json.h"
#include "base/text.h"
#include "bitmap/png_file.h"
#include "geo/geojson.h"
#include "geo/geotiff.h"
#include "geo/kml.h"
#include "location/image_information.h"
#include "platform/files.h"

namespace kestrel {
namespace fs = std::filesystem;
namespace {

std::optional<std::string> WriteText(const fs::path& out, std::string_view text) {
  std::error_code error;
  if (WriteFileReplacing(out, {reinterpret_cast<const uint8_t*>(text.data()), text.size()}, error))
    return std::nullopt;
  return FormatText("Cannot write %s: %s", out.c_str(), error.message().c_str());
}

}  // namespace

MapContent MapContentOf(const PlacedPicture& placed) {
  const PictureLocation& location = placed.location;
  MapContent content;
  content.footprint = placed.footprint;
  for (const TrackPoint& point : location.groundTrack)
    content.track.push_back({point.latitude, point.longitude});
  content.subSatellitePoint = GeoPoint{location.latitude, location.longitude};
  content.placeLabel = NearestPlacePhrase(location.nearestPlace);
  return content;
}

std::string PlacedPictureJson(const PlacedPicture& placed, std::string_view fileName) {
  return JsonObject::Extending(PictureLocationJson(placed.location, fileName))
      .Raw("footprint", FootprintGeoJson(placed.footprint, {}))
      .Json();
}

std::optional<std::string> ExportKml(const PlacedPicture& placed, const Bytes& dib,
                                     std::string_view fileName, const fs::path& out) {
  fs::path picture = out;
  picture.replace_extension(".png");
  const auto png = EncodePng(dib);
  if (!png) return FormatText("Cannot write %s: the picture cannot be encoded", picture.c_str());
  std::error_code error;
  if (!WriteFileReplacing(picture, *png, error))
    return FormatText("Cannot write %s: %s", picture.c_str(), error.message().c_str());
  KmlContent content{placed.footprint, picture.filename().string(), std::string(fileName),
                     ReportText(placed.location), {}, {placed.location.latitude, placed.location.longitude}};
  for (const TrackPoint& point : placed.location.groundTrack)
    content.track.push_back({point.latitude, point.longitude});
  return WriteText(out, KmlDocument(content));
}

std::optional<std::string> ExportGeoJson(const PlacedPicture& placed, std::string_view fileName,
                                         const fs::path& out) {
  return WriteText(out, FootprintGeoJson(placed.footprint, PictureLocationJson(placed.location, fileName)));
}

std::optional<std::string> ExportGeoTiff(const PlacedPicture& placed, const Bytes& dib,
                                         const fs::path& out) {
  return WriteGeoTiff(dib, placed.footprint, out);
}

std::optional<std::string> ExportMapSvg(const PlacedPicture& placed, int width, int height,
                                        const fs::path& out) {
  const MapContent content = MapContentOf(placed);
  return WriteText(out, MapSvg(BuildMapScene(HomeView(content, width, height), content)));
}

}  // namespace kestrel
