#include "geo/geotiff.h"

#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "bitmap/convert.h"
#include "bitmap/dib.h"
#include "bitmap/palette.h"
#include "platform/files.h"

namespace kestrel {
namespace {

// Classic TIFF addresses its bytes with 32-bit offsets.
constexpr uint64_t kClassicTiffLimit = UINT32_MAX;

// The TIFF as libtiff writes it, kept in memory so that the file itself is written in one go.
struct MemoryFile {
  Bytes bytes;
  uint64_t position = 0;
};

MemoryFile& FileOf(thandle_t handle) { return *static_cast<MemoryFile*>(handle); }

tmsize_t ReadMemory(thandle_t handle, void* buffer, tmsize_t size) {
  MemoryFile& file = FileOf(handle);
  if (size < 0 || file.position >= file.bytes.size()) return 0;
  const auto count = std::min(static_cast<uint64_t>(size), file.bytes.size() - file.position);
  std::memcpy(buffer, file.bytes.data() + file.position, count);
  file.position += count;
  return static_cast<tmsize_t>(count);
}

tmsize_t WriteMemory(thandle_t handle, void* buffer, tmsize_t size) {
  MemoryFile& file = FileOf(handle);
  if (size < 0 || file.position + static_cast<uint64_t>(size) > kClassicTiffLimit) return -1;
  const uint64_t end = file.position + static_cast<uint64_t>(size);
  if (end > file.bytes.size()) file.bytes.resize(end);
  std::memcpy(file.bytes.data() + file.position, buffer, static_cast<size_t>(size));
  file.position = end;
  return size;
}

toff_t SeekMemory(thandle_t handle, toff_t offset, int whence) {
  MemoryFile& file = FileOf(handle);
  const uint64_t base = whence == SEEK_CUR   ? file.position
                        : whence == SEEK_END ? file.bytes.size()
                                             : 0;
  // libtiff passes a negative offset as its two's complement.
  const uint64_t target = base + offset;
  if (target > kClassicTiffLimit) return static_cast<toff_t>(-1);
  file.position = target;
  return target;
}

int CloseMemory(thandle_t) { return 0; }
toff_t SizeOfMemory(thandle_t handle) { return FileOf(handle).bytes.size(); }
int MapNothing(thandle_t, void**, toff_t*) { return 0; }
void UnmapNothing(thandle_t, void*, toff_t) {}

// Keeps libtiff's first complaint for the caller instead of printing it.
int KeepFirstError(TIFF*, void* userData, const char*, const char* format, va_list arguments) {
  auto& message = *static_cast<std::string*>(userData);
  if (message.empty()) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    message = text;
  }
  return 1;
}

int IgnoreWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffOptions {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  ~TiffOptions() { TIFFOpenOptionsFree(options); }
};

struct TiffWriter {
  TIFF* tiff = nullptr;
  ~TiffWriter() {
    if (tiff) TIFFClose(tiff);
  }
};

// The two GeoTIFF tags the file needs, taught to libtiff here rather than through libgeotiff,
// whose projection library and its network stack would add tens of milliseconds to the start of
// every kestrel-cli run (a file manager starts one per thumbnail).
constexpr ttag_t kModelTransformationTag = 34264;
constexpr ttag_t kGeoKeyDirectoryTag = 34735;
const TIFFFieldInfo kGeoTiffFields[] = {
    {kModelTransformationTag, TIFF_VARIABLE, TIFF_VARIABLE, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1,
     const_cast<char*>("ModelTransformationTag")},
    {kGeoKeyDirectoryTag, TIFF_VARIABLE, TIFF_VARIABLE, TIFF_SHORT, FIELD_CUSTOM, 1, 1,
     const_cast<char*>("GeoKeyDirectoryTag")},
};

// The key directory of a picture in longitude and latitude on WGS 84: version 1.1.0, then each
// key as (id, where its value lies (0: here), count, value), in the order of their ids.
constexpr uint16_t kGeoKeys[] = {
    1, 1, 0, 3,        //
    1024, 0, 1, 2,     // model type: geographic
    1025, 0, 1, 1,     // raster type: a pixel is an area
    2048, 0, 1, 4326,  // geographic coordinate system: WGS 84
};

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

  MemoryFile file;
  TiffOptions options;
  TIFFOpenOptionsSetErrorHandlerExtR(options.options, KeepFirstError, &error);
  TIFFOpenOptionsSetWarningHandlerExtR(options.options, IgnoreWarning, nullptr);
  TiffWriter writer;
  writer.tiff =
      TIFFClientOpenExt("GeoTIFF", "wm", &file, ReadMemory, WriteMemory, SeekMemory, CloseMemory,
                        SizeOfMemory, MapNothing, UnmapNothing, options.options);
  if (!writer.tiff) return std::nullopt;
  TIFF* tiff = writer.tiff;
  if (TIFFMergeFieldInfo(tiff, kGeoTiffFields, std::size(kGeoTiffFields)) != 0) return std::nullopt;
  const std::string description(kFootprintCaveat);
  const std::array<double, 16> transformation =
      ModelTransformation(FitPictureToGround(footprint, width, height));
  bool ok = TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width) &&
            TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height) &&
            TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8) &&
            TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samplesPerPixel) &&
            TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC,
                         samples == Samples::Grey ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB) &&
            TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
            TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE) &&
            TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL) &&
            TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0)) &&
            TIFFSetField(tiff, TIFFTAG_IMAGEDESCRIPTION, description.c_str()) &&
            TIFFSetField(tiff, kModelTransformationTag, 16, transformation.data()) &&
            TIFFSetField(tiff, kGeoKeyDirectoryTag, static_cast<int>(std::size(kGeoKeys)), kGeoKeys);

  Bytes row(size_t{width} * samplesPerPixel);
  for (uint32_t y = 0; ok && y < height; ++y) {
    const uint8_t* source = pixels + size_t{height - 1 - y} * stride;  // DIB rows are bottom-up
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t* sample = row.data() + size_t{x} * samplesPerPixel;
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
    ok = TIFFWriteScanline(tiff, row.data(), y, 0) == 1;
  }
  ok = ok && TIFFFlush(tiff) == 1;
  if (!ok) {
    if (error.empty()) error = "the TIFF library could not write the picture";
    return std::nullopt;
  }
  return std::move(file.bytes);
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
