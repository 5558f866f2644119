#include "geo/geojson.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/json.h"
#include "base/text.h"
#include "geo/antimeridian.h"

namespace kestrel {
namespace {

// Twice the area of a ring in the plane of longitude and latitude: positive when it turns
// counter-clockwise.
double TwiceSignedArea(const LonLatRing& ring) {
  double sum = 0;
  for (size_t i = 0; i < ring.size(); ++i) {
    const LonLat& p = ring[i];
    const LonLat& q = ring[(i + 1) % ring.size()];
    sum += p.lon * q.lat - q.lon * p.lat;
  }
  return sum;
}

// A polygon's coordinates: its one ring, counter-clockwise and closed.
std::string PolygonCoordinatesJson(LonLatRing ring) {
  if (TwiceSignedArea(ring) < 0) std::reverse(ring.begin(), ring.end());
  ring.push_back(ring.front());
  std::string json = "[[";
  for (const LonLat& point : ring) {
    if (json.size() > 2) json += ',';
    json += FormatText("[%.6f,%.6f]", point.lon, point.lat);
  }
  return json.append("]]");
}

std::string GeometryJson(const Footprint& footprint) {
  std::vector<LonLatRing> parts;
  for (LonLatRing& part : FootprintPartsWithin180(footprint))
    if (std::fabs(TwiceSignedArea(part)) > 0) parts.push_back(std::move(part));
  if (parts.size() == 1)
    return JsonObject()
        .Text("type", "Polygon")
        .Raw("coordinates", PolygonCoordinatesJson(parts.front()))
        .Json();
  std::string polygons = "[";
  for (const LonLatRing& part : parts) {
    if (polygons.size() > 1) polygons += ',';
    polygons += PolygonCoordinatesJson(part);
  }
  return JsonObject().Text("type", "MultiPolygon").Raw("coordinates", polygons.append("]")).Json();
}

// The members of a JSON object without its braces; empty for an empty object or none.
std::string_view ObjectMembers(std::string_view object) {
  const size_t open = object.find('{'), close = object.rfind('}');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return {};
  std::string_view members = object.substr(open + 1, close - open - 1);
  const size_t first = members.find_first_not_of(" \t\r\n");
  return first == std::string_view::npos ? std::string_view() : members.substr(first);
}

}  // namespace

std::string FootprintGeoJson(const Footprint& footprint, std::string_view propertiesJson) {
  const CameraGround& ground = footprint.ground;
  const std::string ours = JsonObject()
                               .Text("approximate", kFootprintCaveat)
                               .Text("camera", ground.camera)
                               .Number("groundAcrossKm", ground.acrossKm, 1)
                               .Number("groundAlongKm", ground.alongKm, 1)
                               .Bool("groundSizeEstimated", ground.estimate)
                               .Json();
  const std::string_view given = ObjectMembers(propertiesJson);
  // Built by appending: GCC 12 takes "{" + string for an overlapping copy at -O3.
  std::string properties = ours;
  if (!given.empty()) properties.replace(0, 1, std::string("{").append(given).append(","));
  return JsonObject()
      .Text("type", "Feature")
      .Raw("geometry", GeometryJson(footprint))
      .Raw("properties", properties)
      .Json();
}

}  // namespace kestrel
