#include "geo/kml.h"

#include <gtest/gtest.h>

#include <fstream>

#include "base/text.h"
#include "run_python.h"
#include "test_support.h"

namespace kestrel {
namespace {

// xml.etree's reading: the quad, the overlay, the count of MultiGeometry, each line of the
// track, and the document's name and the point's description as hex of their UTF-8 bytes.
constexpr const char* kReadKml = R"(
import sys, xml.etree.ElementTree as ET
ns = {'k': 'http://www.opengis.net/kml/2.2', 'gx': 'http://www.google.com/kml/ext/2.2'}
document = ET.parse(sys.argv[1]).getroot().find('k:Document', ns)
print(document.find('k:GroundOverlay/gx:LatLonQuad/k:coordinates', ns).text)
print(document.find('k:GroundOverlay/k:Icon/k:href', ns).text)
print(len(document.findall('.//k:MultiGeometry', ns)))
for line in document.findall('.//k:LineString/k:coordinates', ns): print(line.text)
print(document.find('k:name', ns).text.encode().hex())
print(document.find('k:Placemark/k:description', ns).text.encode().hex())
)";

std::string Hex(std::string_view text) {
  std::string hex;
  for (char c : text) hex += FormatText("%02x", static_cast<unsigned char>(c));
  return hex;
}

TEST(KmlDocument, IsWellFormedAndPutsThePictureOnItsFootprint) {
  struct Case {
    GeoPoint centre;
    std::vector<GeoPoint> track;
    std::string lines;  // the track's, as the document gives them
  } const cases[] = {
      {{47, 8}, {{46, 7.5}, {48, 8.5}}, "0\n7.500000,46.000000 8.500000,48.000000\n"},
      {{-10, 179},
       {{-11, 178}, {-10, 179.5}, {-9, -179}},
       "1\n178.000000,-11.000000 179.500000,-10.000000 180.000000,-9.666667\n"
       "-180.000000,-9.666667 -179.000000,-9.000000\n"},
      {{0, 0}, {{0, 0}}, "0\n"},  // no line of one point
  };
  for (const Case& c : cases) {
    const KmlContent content{FootprintOf(c.centre, 10, {"KO-23 wide", 2e3, 2e3}, 0),
                             "KAIW0002 & co.png",
                             "KAIW<0002> \"a\" 'b'\x01 caf\xE9",
                             "UO-22 over Z\xC3\xBCrich\nnext & <more>",
                             c.track,
                             c.centre};
    testing::ScratchDir dir;
    std::ofstream(dir / "picture.kml") << KmlDocument(content);
    if (std::system("command -v xmllint >/dev/null") == 0) {
      EXPECT_EQ(std::system(("xmllint --noout " + (dir / "picture.kml").string()).c_str()), 0);
    }
    // Lower left, lower right, upper right, upper left of the picture.
    std::string quad;
    for (size_t corner : {3u, 2u, 1u, 0u}) {
      const GeoPoint& p = content.footprint.corners[corner];
      quad += FormatText("%s%.6f,%.6f", quad.empty() ? "" : " ", p.longitude, p.latitude);
    }
    // The control character is left out, the Latin-1 byte read as é.
    EXPECT_EQ(
        testing::RunPythonOn(kReadKml, dir / "picture.kml"),
        quad + "\nKAIW0002 & co.png\n" + c.lines + Hex("KAIW<0002> \"a\" 'b' caf\xC3\xA9") + "\n" +
            Hex("UO-22 over Z\xC3\xBCrich\nnext & <more>\n\n" + std::string(kFootprintCaveat)) +
            "\n");
  }
}

}  // namespace
}  // namespace kestrel
