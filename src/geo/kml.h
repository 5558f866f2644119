#pragma once
// A located picture as KML 2.2 for Google Earth and other globes: the picture laid on its
// footprint, the sub-satellite point with the report, and the ground track.

#include <string>
#include <vector>

#include "geo/footprint.h"

namespace kestrel {

struct KmlContent {
  Footprint footprint;
  std::string overlayImage;  // the picture's file name, beside the KML file
  std::string name;          // of the document and the picture, e.g. its file name
  std::string description;   // the information report
  std::vector<GeoPoint> track;
  GeoPoint subSatellitePoint;
};

// The KML document: a GroundOverlay whose gx:LatLonQuad puts the picture's corners on the
// footprint's, a Placemark at the sub-satellite point described by the report and
// kFootprintCaveat, and the ground track as a LineString, a MultiGeometry of them when it
// crosses ±180°, or nothing below two points. Every text is escaped.
std::string KmlDocument(const KmlContent& content);

}  // namespace kestrel
