#pragma once
// Deciding what a satellite file is from its 8.3 name, with the one look inside the file that
// compressed pairs and decoded files need: the image size at bytes 251..254.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "base/identification_record.h"

namespace kestrel {

struct Session;

// Where the header of a decoded or compressed file keeps the picture's size.
inline constexpr size_t kProbeWidthOffset = 251;
inline constexpr size_t kProbeHeightOffset = 253;
inline constexpr size_t kCameraHeaderLength = 256;

struct ProbedSize {
  uint16_t width = 0;
  uint16_t height = 0;
};

// The size stored at bytes 251..254 of a file's first bytes; none when those bytes hold no
// plausible size (a high byte above 4, a zero dimension, or too few bytes).
std::optional<ProbedSize> ProbeHeaderSize(std::span<const uint8_t> firstBytes);

// The record the naming rules give an upper-case file name; stored width and height are 0.
IdentificationRecord IdentifyByName(std::string_view upperName);

enum class Satellite { Unknown, UoSat5, Kitsat1, Kitsat2, Posat1, Tmsat1 };

enum class FileKind {
  Unknown,
  Image,  // a keyword name (SPECIAL, TOPAZ) made by another tool
  WideAngleImage,
  NarrowAngleImage,
  SpectralPlane,
  Video,
  DecompressedImage,
  HeaderlessImage,  // the "E" files: interlaced, no header
  CompressedImage,
  Thumbnail,
  RawDownload,
  Bitmap,
};

struct NameMeaning {
  Satellite satellite = Satellite::Unknown;
  FileKind kind = FileKind::Unknown;
};

// Which satellite and what kind of file an upper-case file name says it is.
NameMeaning MeaningOfName(std::string_view upperName);

// The names a user knows them by: "UoSat-5", "wide-angle image", ...; empty for Unknown.
std::string_view SatelliteName(Satellite satellite);
std::string_view FileKindName(FileKind kind);

// Upper-cases the current file path in place, reads the file's first 256 bytes and fills the
// identification record. Shows "Can't open file %s" and returns false, leaving the record as
// it was, when the file cannot be read.
bool IdentifyImageFile(Session& session);
// The same for a file already in memory: the current file path is its name, `firstBytes` at
// least its first 256 bytes (fewer when the file is shorter).
void IdentifyImageBytes(Session& session, std::span<const uint8_t> firstBytes);

}  // namespace kestrel
