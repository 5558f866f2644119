#include "geo/kml.h"

#include "base/text.h"
#include "geo/antimeridian.h"
#include "geo/xml_text.h"

namespace kestrel {
namespace {

std::string Coordinate(double lon, double lat) { return FormatText("%.6f,%.6f", lon, lat); }

std::string Coordinate(const GeoPoint& point) {
  return Coordinate(point.longitude, point.latitude);
}

std::string LineString(const std::vector<LonLat>& piece) {
  std::string coordinates;
  for (const LonLat& point : piece) {
    if (!coordinates.empty()) coordinates += ' ';
    coordinates += Coordinate(point.lon, point.lat);
  }
  return "<LineString><tessellate>1</tessellate><coordinates>" + coordinates +
         "</coordinates></LineString>";
}

std::string TrackPlacemark(const std::vector<GeoPoint>& track) {
  if (track.size() < 2) return "";
  const auto pieces = LinePiecesWithin180(track);
  std::string geometry;
  for (const auto& piece : pieces) geometry += LineString(piece);
  if (pieces.size() > 1) geometry = "<MultiGeometry>" + geometry + "</MultiGeometry>";
  return "<Placemark><name>Ground track</name><description>The sub-satellite point from ten "
         "minutes before the picture to ten minutes after it.</description>" +
         geometry + "</Placemark>\n";
}

}  // namespace

std::string KmlDocument(const KmlContent& content) {
  const std::string name = XmlText(content.name);
  const std::string caveat = XmlText(kFootprintCaveat);
  const auto& corners = content.footprint.corners;
  // The quad runs from the picture's lower left anticlockwise: lower right, upper right,
  // upper left.
  const std::string quad = Coordinate(corners[3]) + ' ' + Coordinate(corners[2]) + ' ' +
                           Coordinate(corners[1]) + ' ' + Coordinate(corners[0]);
  std::string kml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<kml xmlns=\"http://www.opengis.net/kml/2.2\" "
      "xmlns:gx=\"http://www.google.com/kml/ext/2.2\">\n"
      "<Document>\n<name>" +
      name + "</name>\n<description>" + caveat + "</description>\n";
  kml += "<GroundOverlay><name>" + name + "</name><description>" + caveat +
         "</description><Icon><href>" + XmlText(content.overlayImage) +
         "</href></Icon><gx:LatLonQuad><coordinates>" + quad +
         "</coordinates></gx:LatLonQuad></GroundOverlay>\n";
  kml += "<Placemark><name>Sub-satellite point</name><description>" +
         XmlText(content.description + "\n\n" + std::string(kFootprintCaveat)) +
         "</description><Point><coordinates>" + Coordinate(content.subSatellitePoint) +
         "</coordinates></Point></Placemark>\n";
  kml += TrackPlacemark(content.track);
  return kml + "</Document>\n</kml>\n";
}

}  // namespace kestrel
