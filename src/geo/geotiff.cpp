#include "geo/geotiff.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <type_traits>
#include <vector>

#include "bitmap/convert.h"
#include "bitmap/dib.h"
#include "bitmap/palette.h"
#include "platform/files.h"

namespace kestrel {
namespace {

// The file is a little-endian classic TIFF with one image, written here rather than through
// libtiff: a dozen tags and deflated strips are all it needs, and libtiff with the codecs it
// loads would add milliseconds to the start of every kestrel-cli run (a file manager starts
// one for each thumbnail).

// Classic TIFF addresses its bytes with 32-bit offsets.
constexpr uint64_t kClassicTiffLimit = UINT32_MAX;
// Rows are deflated in strips of about this many bytes, as TIFF readers expect.
constexpr size_t kStripBytes = 64 << 10;

enum TiffType : uint16_t { kAscii = 2, kShort = 3, kLong = 4, kDouble = 12 };

// One tag of the image file directory: its values as they lie in the file.
struct TiffTag {
  uint16_t tag;
  TiffType type;
  uint32_t count;
  Bytes values;
};

// Numbers go into the file little-endian, whatever the machine.
template <typename T>
void Put(Bytes& out, T value) {
  using Bits = std::conditional_t<sizeof(T) == 8, uint64_t,
                                  std::conditional_t<sizeof(T) == 4, uint32_t, uint16_t>>;
  const auto bits = std::bit_cast<Bits>(value);
  for (size_t i = 0; i < sizeof bits; ++i) out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

template <typename T, typename Values>
TiffTag Tag(uint16_t tag, TiffType type, const Values& values) {
  TiffTag made{tag, type, static_cast<uint32_t>(std::size(values)), {}};
  for (const T value : values) Put<T>(made.values, value);
  return made;
}

template <typename T>
TiffTag Tag(uint16_t tag, TiffType type, std::initializer_list<T> values) {
  return Tag<T, std::initializer_list<T>>(tag, type, values);
}

// The key directory of a picture in longitude and latitude on WGS 84: version 1.1.0, then each
// key as (id, where its value lies (0: here), count, value), in the order of their ids.
constexpr std::initializer_list<uint16_t> kGeoKeys = {
    1, 1, 0, 3,        //
    1024, 0, 1, 2,     // model type: geographic
    1025, 0, 1, 1,     // raster type: a pixel is an area
    2048, 0, 1, 4326,  // geographic coordinate system: WGS 84
};

// Appends the directory of `tags` (in rising tag order) and the values too long to lie in it,
// and points the header at it.
void AppendDirectory(Bytes& file, const std::vector<TiffTag>& tags) {
  if (file.size() % 2) file.push_back(0);  // everything starts on a word boundary
  const auto directory = static_cast<uint32_t>(file.size());
  Bytes place;
  Put(place, directory);
  std::copy(place.begin(), place.end(), file.begin() + 4);
  const uint32_t valuesAt = directory + 2 + 12 * static_cast<uint32_t>(tags.size()) + 4;
  Put(file, static_cast<uint16_t>(tags.size()));
  Bytes outOfLine;
  for (const TiffTag& tag : tags) {
    Put(file, tag.tag);
    Put(file, static_cast<uint16_t>(tag.type));
    Put(file, tag.count);
    if (tag.values.size() <= 4) {  // values that fit lie in the entry, left-justified
      file.insert(file.end(), tag.values.begin(), tag.values.end());
      file.resize(file.size() + 4 - tag.values.size(), 0);
      continue;
    }
    Put(file, valuesAt + static_cast<uint32_t>(outOfLine.size()));
    outOfLine.insert(outOfLine.end(), tag.values.begin(), tag.values.end());
    if (outOfLine.size() % 2) outOfLine.push_back(0);
  }
  Put(file, uint32_t{0});  // no next directory
  file.insert(file.end(), outOfLine.begin(), outOfLine.end());
}

// What the TIFF's samples are made of: grey levels, or RGB triples from the colour table or
// from 24-bit pixels.
enum class Samples { Grey, PaletteRgb, Rgb };

// The 4 x 4 model transformation, row by row, that takes (column, row, 0, 1) to
// (longitude, latitude, 0, 1).
std::array<double, 16> ModelTransformation(const PictureToGround& map) {
  const auto& x = map.longitude;
  const auto& y = map.latitude;
  return {x[1], x[2], 0, x[0],  //
          y[1], y[2], 0, y[0],  //
          0,    0,    0, 0,     //
          0,    0,    0, 1};
}

bool IsUsable(const Footprint& footprint) {
  return std::all_of(footprint.corners.begin(), footprint.corners.end(), [](GeoPoint corner) {
    return std::isfinite(corner.longitude) && std::isfinite(corner.latitude) &&
           std::abs(corner.latitude) <= 90;
  });
}

// The TIFF of a plain 8- or 24-bit packed DIB; none with libtiff's reason in `error`.
std::optional<Bytes> EncodeGeoTiff(const Bytes& plain, const Footprint& footprint,
                                   std::string& error) {
  const BitmapInfoHeader h = *LoadInfoHeader(plain);
  const auto width = static_cast<uint32_t>(h.biWidth);
  const auto height = static_cast<uint32_t>(h.biHeight);
  const uint32_t stride = RowLength(h.biBitCount, width);
  const uint8_t* pixels = plain.data() + PixelOffset(h);
  const Palette palette =
      h.biBitCount == 8 ? MakePaletteFromDib(plain).value_or(Palette{}) : Palette{};
  const bool allGrey = std::all_of(palette.begin(), palette.end(), [](PaletteEntry entry) {
    return entry.red == entry.green && entry.green == entry.blue;
  });
  const Samples samples = h.biBitCount == 24 ? Samples::Rgb
                          : allGrey          ? Samples::Grey
                                             : Samples::PaletteRgb;
  const uint16_t samplesPerPixel = samples == Samples::Grey ? 1 : 3;
  if (!PictureBlockSize(uint64_t{width} * height, samplesPerPixel)) {
    error = "the picture is too large";
    return std::nullopt;
  }

  const size_t rowBytes = size_t{width} * samplesPerPixel;
  const auto rowsPerStrip =
      static_cast<uint32_t>(std::clamp<size_t>(kStripBytes / rowBytes, 1, height));
  Bytes file{'I', 'I', 42, 0, 0, 0, 0, 0};  // the directory's place is filled in at the end
  std::vector<uint32_t> stripOffsets, stripSizes;
  Bytes strip, packed;
  for (uint32_t firstRow = 0; firstRow < height; firstRow += rowsPerStrip) {
    const uint32_t rows = std::min(rowsPerStrip, height - firstRow);
    strip.resize(size_t{rows} * rowBytes);
    for (uint32_t i = 0; i < rows; ++i) {
      const uint32_t y = firstRow + i;
      const uint8_t* source = pixels + size_t{height - 1 - y} * stride;  // DIB rows are bottom-up
      uint8_t* row = strip.data() + size_t{i} * rowBytes;
      for (uint32_t x = 0; x < width; ++x) {
        uint8_t* sample = row + size_t{x} * samplesPerPixel;
        if (samples == Samples::Rgb) {
          sample[0] = source[3 * x + 2];
          sample[1] = source[3 * x + 1];
          sample[2] = source[3 * x + 0];
          continue;
        }
        // An index past the colour table shows black.
        const PaletteEntry colour = source[x] < palette.size() ? palette[source[x]] : PaletteEntry{};
        sample[0] = colour.red;
        if (samples == Samples::PaletteRgb) {
          sample[1] = colour.green;
          sample[2] = colour.blue;
        }
      }
      // The horizontal predictor: each sample less the one of the pixel before it.
      for (size_t k = rowBytes; k-- > samplesPerPixel;)
        row[k] = static_cast<uint8_t>(row[k] - row[k - samplesPerPixel]);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(strip.size()));
    packed.resize(packedSize);
    if (compress2(packed.data(), &packedSize, strip.data(), static_cast<uLong>(strip.size()),
                  Z_DEFAULT_COMPRESSION) != Z_OK) {
      error = "the picture could not be compressed";
      return std::nullopt;
    }
    if (file.size() + packedSize + kStripBytes > kClassicTiffLimit) {
      error = "the picture is too large";
      return std::nullopt;
    }
    stripOffsets.push_back(static_cast<uint32_t>(file.size()));
    stripSizes.push_back(static_cast<uint32_t>(packedSize));
    file.insert(file.end(), packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(packedSize));
  }

  const std::string description(kFootprintCaveat);
  TiffTag descriptionTag{270, kAscii, static_cast<uint32_t>(description.size() + 1),
                         Bytes(description.begin(), description.end())};
  descriptionTag.values.push_back(0);
  const std::array<double, 16> transformation =
      ModelTransformation(FitPictureToGround(footprint, width, height));
  const uint16_t grey = samples == Samples::Grey;
  AppendDirectory(
      file, {Tag<uint32_t>(256, kLong, {width}),
             Tag<uint32_t>(257, kLong, {height}),
             Tag<uint16_t>(258, kShort, std::vector<uint16_t>(samplesPerPixel, 8)),  // bits per sample
             Tag<uint16_t>(259, kShort, {8}),                              // deflate
             Tag<uint16_t>(262, kShort, {static_cast<uint16_t>(grey ? 1 : 2)}),  // grey or RGB
             descriptionTag,
             Tag<uint32_t>(273, kLong, stripOffsets),
             Tag<uint16_t>(277, kShort, {samplesPerPixel}),
             Tag<uint32_t>(278, kLong, {rowsPerStrip}),
             Tag<uint32_t>(279, kLong, stripSizes),
             Tag<uint16_t>(284, kShort, {1}),  // samples of a pixel together
             Tag<uint16_t>(317, kShort, {2}),  // horizontal predictor
             Tag<double>(34264, kDouble, transformation),
             Tag<uint16_t>(34735, kShort, kGeoKeys)});
  return file;
}

}  // namespace

PictureToGround FitPictureToGround(const Footprint& footprint, uint32_t width, uint32_t height) {
  const auto& c = footprint.corners;
  std::array<double, 4> longitude{};
  for (size_t i = 0; i < 4; ++i)
    longitude[i] = c[0].longitude + std::remainder(c[i].longitude - c[0].longitude, 360.0);
  const double unwrappedCentre = (longitude[0] + longitude[1] + longitude[2] + longitude[3]) / 4;
  const double shift = unwrappedCentre > 180 ? -360 : unwrappedCentre < -180 ? 360 : 0;
  for (double& value : longitude) value += shift;
  const std::array<double, 4> latitude{c[0].latitude, c[1].latitude, c[2].latitude, c[3].latitude};

  // The corners (0, 0), (w, 0), (w, h), (0, h) lie symmetrically about the centre, so the
  // normal equations come apart: each slope is the mean difference across the picture, and
  // the fit passes through the corners' mean at the centre.
  const double w = width, h = height;
  const auto fit = [&](const std::array<double, 4>& v) {
    const double mean = (v[0] + v[1] + v[2] + v[3]) / 4;
    const double perColumn = (v[1] + v[2] - v[0] - v[3]) / (2 * w);
    const double perRow = (v[2] + v[3] - v[0] - v[1]) / (2 * h);
    return std::array<double, 3>{mean - perColumn * w / 2 - perRow * h / 2, perColumn, perRow};
  };
  return {fit(longitude), fit(latitude)};
}

std::optional<std::string> WriteGeoTiff(const Bytes& packedDib, const Footprint& footprint,
                                        const std::filesystem::path& out) {
  const std::string name = out.string();
  if (!IsUsable(footprint))
    return "the footprint's corners are not places on Earth; " + name + " was not written";
  const auto header = LoadInfoHeader(packedDib);
  // Whole rows of whole bytes: RLE decoded, 1 and 4 bits spread to 8 (ConvertDib checks the DIB).
  const Block plain =
      header ? ConvertDib(packedDib, kCompressionRgb, header->biBitCount == 24 ? 24 : 8) : nullptr;
  if (!plain) return "the picture is not a whole bitmap; " + name + " was not written";
  std::string error;
  const std::optional<Bytes> tiff = EncodeGeoTiff(*plain, footprint, error);
  if (!tiff) return name + " was not written: " + error;
  std::error_code writeError;
  if (!WriteFileReplacing(out, *tiff, writeError))
    return "could not write " + name + ": " + writeError.message();
  return std::nullopt;
}

}  // namespace kestrel
