#pragma once
// A placed picture written out for the tools people already use: KML for globes, GeoJSON for
// GIS programs and web maps, GeoTIFF for rasters, the map as SVG. The window's Export and
// Save Map and kestrel-cli share these. Each writes through a temporary file renamed over its
// output, so nothing is left half-written.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "base/block.h"
#include "geo/placed_picture.h"
#include "geo/world_map.h"

namespace kestrel {

// What the map shows of a placed picture: footprint, track, point and nearest place.
MapContent MapContentOf(const PlacedPicture& placed);

// The location as where --json gives it, its footprint among its members as a GeoJSON Feature.
std::string PlacedPictureJson(const PlacedPicture& placed, std::string_view fileName);

// Each returns none on success, else why not in words, naming the file.
// KML of the picture on its footprint; the picture (`dib`, as shown) is written as a PNG of
// the same name beside `out`.
std::optional<std::string> ExportKml(const PlacedPicture& placed, const Bytes& dib,
                                     std::string_view fileName, const std::filesystem::path& out);
std::optional<std::string> ExportGeoJson(const PlacedPicture& placed, std::string_view fileName,
                                         const std::filesystem::path& out);
std::optional<std::string> ExportGeoTiff(const PlacedPicture& placed, const Bytes& dib,
                                         const std::filesystem::path& out);
// The map of the picture at `width` x `height`, framed as the map window first shows it.
std::optional<std::string> ExportMapSvg(const PlacedPicture& placed, int width, int height,
                                        const std::filesystem::path& out);

}  // namespace kestrel
