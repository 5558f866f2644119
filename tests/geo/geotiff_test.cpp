// GeoTIFF export: the affine fit against maps it must reproduce exactly, and the files as GDAL
// reads them (datum, bands, corners, pixels the right way up); failed writes say why and leave
// every file as it was.

#include "geo/geotiff.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "dib_builders.h"
#include "run_python.h"
#include "test_support.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using namespace kestrel::testing;

Footprint Corners(GeoPoint topLeft, GeoPoint topRight, GeoPoint bottomRight, GeoPoint bottomLeft) {
  return {{topLeft, topRight, bottomRight, bottomLeft}, {}, {}};
}

// Parallelograms, so an affine map fits them exactly; the last crosses the antimeridian.
const Footprint kLevel = Corners({52, 10}, {52, 12}, {50, 12}, {50, 10});
const Footprint kTurned = Corners({40, -5}, {41, -3.5}, {39.5, -2.5}, {38.5, -4});
const Footprint kOver180 = Corners({-16, 179.5}, {-16, -179.25}, {-17, -179.25}, {-17, 179.5});

// Each corner where the footprint has it, and the picture no wider than the footprint: the
// long way round the world between the same corners is no fit.
void ExpectCorners(const GeoPoint (&seen)[4], const Footprint& wanted, double tolerance) {
  for (size_t i = 0; i < 4; ++i) {
    const double longitudeError = seen[i].longitude - wanted.corners[i].longitude;
    EXPECT_NEAR(std::remainder(longitudeError, 360.0), 0, tolerance);
    EXPECT_NEAR(seen[i].latitude, wanted.corners[i].latitude, tolerance);
    EXPECT_LT(std::abs(seen[i].longitude - seen[0].longitude), 5);
  }
}

TEST(GeoTiffFit, ReproducesAnAffineMapFromItsCorners) {
  for (const Footprint& footprint : {kLevel, kTurned, kOver180}) {
    const PictureToGround map = FitPictureToGround(footprint, 40, 30);
    const auto at = [&](double column, double row) {
      const auto& x = map.longitude;
      const auto& y = map.latitude;
      return GeoPoint{y[0] + y[1] * column + y[2] * row, x[0] + x[1] * column + x[2] * row};
    };
    ExpectCorners({at(0, 0), at(40, 0), at(40, 30), at(0, 30)}, footprint, 1e-9);
    EXPECT_LE(std::abs(at(20, 15).longitude), 180);
  }
}

// One value a line: EPSG 4326 on WGS 84, the band types, the four corners, the description
// (gdalinfo), then the top-left and bottom-right pixels of each band (gdallocationinfo).
constexpr const char* kGdalReport = R"(import json, subprocess, sys
def run(*words): return subprocess.run(words, check=True, capture_output=True, text=True).stdout
d = json.loads(run('gdalinfo', '-json', sys.argv[1]))
wkt = d['coordinateSystem']['wkt']
print('ID["EPSG",4326]' in wkt and 'WGS 84' in wkt)
print(*(band['type'] for band in d['bands']))
for corner in ('upperLeft', 'upperRight', 'lowerRight', 'lowerLeft'):
    print(*d['cornerCoordinates'][corner])
print(d['metadata']['']['TIFFTAG_IMAGEDESCRIPTION'])
print(run('gdallocationinfo', '-valonly', sys.argv[1], '0', '0'), end='')
print(run('gdallocationinfo', '-valonly', sys.argv[1], '5', '3'), end='')
)";

TEST(GeoTiff, GdalReadsTheDatumBandsCornersAndPixels) {
  if (std::system("(command -v gdalinfo && command -v gdallocationinfo) >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "gdalinfo (gdal-bin) is not installed";
  // 6 x 4 pictures whose top-left pixel is colour 0 and bottom-right colour 2.
  const auto index = [](int x, int y) { return x + y == 0 ? 0u : x + y == 8 ? 2u : 1u; };
  const Bytes grey = MakeDib(6, 4, 8, {{10, 10, 10}, {99, 99, 99}, {200, 200, 200}}, index, 3);
  const Bytes palette =
      MakeDib(6, 4, 8, {{0x30, 0x20, 0x10}, {0, 0, 0}, {0xA0, 0xB0, 0xC0}}, index, 3);
  const Bytes colour = MakeDib(6, 4, 24, {}, [&](int x, int y) {
    return std::array{0x102030u, 0x445566u, 0xC0B0A0u}[index(x, y)];
  });
  const std::string rgbBands = "Byte Byte Byte|16 32 48 192 176 160 ";
  const struct {
    const Bytes& dib;
    const Footprint& footprint;
    std::string bandsAndPixels;
  } cases[] = {{grey, kLevel, "Byte|10 200 "},
               {palette, kTurned, rgbBands},
               {colour, kOver180, rgbBands}};
  for (const auto& c : cases) {
    const ScratchDir dir;
    ASSERT_EQ(WriteGeoTiff(c.dib, c.footprint, dir / "PICTURE.TIF"), std::nullopt);
    std::istringstream report(RunPythonOn(kGdalReport, dir / "PICTURE.TIF"));
    std::string datum, bands, description, pixel, pixels;
    std::getline(report, datum);
    std::getline(report, bands);
    EXPECT_EQ(datum, "True");
    GeoPoint seen[4];
    for (GeoPoint& corner : seen) report >> corner.longitude >> corner.latitude;
    ExpectCorners(seen, c.footprint, 0.01);
    std::getline(report >> std::ws, description);
    EXPECT_EQ(description, kFootprintCaveat);
    while (report >> pixel) pixels += pixel + " ";
    EXPECT_EQ(bands + "|" + pixels, c.bandsAndPixels);
  }
}

TEST(GeoTiff, GdalReadsEveryPixelOfManyStrips) {
  if (std::system("command -v gdal_translate >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "gdal_translate (gdal-bin) is not installed";
  // Wide enough for several deflated strips, with neighbours that differ in every way.
  const int width = 301, height = 250;
  const auto value = [](int x, int y) { return (uint32_t(x) * 2654435761u) ^ (uint32_t(y) * 40503u); };
  std::vector<Colour> greys(256);
  for (size_t i = 0; i < 256; ++i) greys[i] = {uint8_t(i), uint8_t(i), uint8_t(i)};
  const struct { Bytes dib; int bands; } cases[] = {
      {MakeDib(width, height, 24, {}, [&](int x, int y) { return value(x, y) & 0xFFFFFF; }), 3},
      {MakeDib(width, height, 8, greys, [&](int x, int y) { return value(x, y) & 0xFF; }), 1},
  };
  for (const auto& c : cases) {
    const ScratchDir dir;
    ASSERT_EQ(WriteGeoTiff(c.dib, kLevel, dir / "PICTURE.TIF"), std::nullopt);
    const std::string command = "gdal_translate -q -of ENVI -co INTERLEAVE=BSQ " + (dir / "PICTURE.TIF").string() + " " +
                                (dir / "PIXELS").string();
    ASSERT_EQ(std::system(command.c_str()), 0);
    // Band after band, each row from the top; red first.
    const Bytes pixels = ReadBytes(dir / "PIXELS");
    ASSERT_EQ(pixels.size(), size_t(c.bands * width * height));
    size_t wrong = 0;
    for (int band = 0, at = 0; band < c.bands; ++band)
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x, ++at)
          wrong += pixels[size_t(at)] != uint8_t(value(x, y) >> (8 * (c.bands - 1 - band)));
    EXPECT_EQ(wrong, 0u) << c.bands << " bands";
  }
}

TEST(GeoTiff, AFailedWriteSaysWhyAndLeavesEveryFileAsItWas) {
  const Bytes picture = MakeDib(6, 4, 8, {{1, 1, 1}}, [](int, int) { return 0u; }, 1);
  const Bytes cut(picture.begin(), picture.begin() + 50);
  Footprint nowhere = kLevel;
  nowhere.corners[2].latitude = NAN;
  const struct {
    const Bytes& dib;
    const Footprint& footprint;
    const char* out;
  } cases[] = {{cut, kLevel, "OLD.TIF"},  // a truncated picture
               {picture, nowhere, "OLD.TIF"},
               {picture, kLevel, "FOLDER"},  // a folder in the way of the rename
               {picture, kLevel, "MISSING/PICTURE.TIF"}};
  for (const auto& c : cases) {
    const ScratchDir dir;
    WriteBytes(dir / "OLD.TIF", {1, 2, 3});
    fs::create_directory(dir / "FOLDER");
    WriteBytes(dir / "FOLDER" / "INSIDE", {4});
    const auto reason = WriteGeoTiff(c.dib, c.footprint, dir / c.out);
    ASSERT_TRUE(reason.has_value()) << c.out;
    EXPECT_NE(reason->find((dir / c.out).string()), std::string::npos) << *reason;
    EXPECT_EQ(ReadBytes(dir / "OLD.TIF"), (Bytes{1, 2, 3}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 2) << "a temporary was left";
  }
}

}  // namespace
}  // namespace kestrel
