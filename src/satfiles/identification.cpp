#include "satfiles/identification.h"

#include <string>

#include "platform/files.h"
#include "session/session.h"

namespace kestrel {
namespace {

// The high byte of a stored size is at most 4, so probed sizes stay below 1280.
constexpr uint8_t kMaxProbeHighByte = 4;

constexpr uint16_t kFieldGap = 355;

bool StartsWithAny(std::string_view name, std::initializer_list<std::string_view> patterns) {
  for (std::string_view pattern : patterns)
    if (name.starts_with(pattern)) return true;
  return false;
}

struct Geometry {
  uint16_t width;
  uint16_t height;
  uint16_t fieldGap;
  uint16_t headerLength;
};

// Most rules set the whole geometry and every flag; every rule asks for automatic exposure.
void Apply(IdentificationRecord& r, Geometry g, bool interlaced, bool thumbnail, bool spikeFilter,
           bool leftTrim, bool wideAngleTmsat) {
  r.autoExposure = true;
  r.fileWidth = g.width;
  r.fileHeight = g.height;
  r.fieldGap = g.fieldGap;
  r.headerLength = g.headerLength;
  r.interlaced = interlaced;
  r.thumbnail = thumbnail;
  r.spikeFilter = spikeFilter;
  r.leftTrim = leftTrim;
  r.wideAngleTmsat = wideAngleTmsat;
}

}  // namespace

std::optional<ProbedSize> ProbeHeaderSize(std::span<const uint8_t> firstBytes) {
  if (firstBytes.size() < kProbeHeightOffset + 2) return std::nullopt;
  const uint8_t* w = firstBytes.data() + kProbeWidthOffset;
  const uint8_t* h = firstBytes.data() + kProbeHeightOffset;
  if (w[1] > kMaxProbeHighByte || h[1] > kMaxProbeHighByte) return std::nullopt;
  const ProbedSize size{LoadU16(w), LoadU16(h)};
  if (size.width == 0 || size.height == 0) return std::nullopt;
  return size;
}

IdentificationRecord IdentifyByName(std::string_view n) {
  IdentificationRecord r;
  // Every rule that matches overwrites what it names, so the last matching rule decides.
  if (StartsWithAny(n, {"IM", "U5IW"}))
    Apply(r, {611, 576, kFieldGap, 256}, true, false, true, true, false);
  if (StartsWithAny(n, {"KAIW", "KAIN", "KBIN"}))
    Apply(r, {611, 576, kFieldGap, 256}, true, false, false, true, false);
  if (StartsWithAny(n, {"IMT", "KBTN", "U5TW", "KAT"}))
    Apply(r, {152, 144, 0, 256}, false, true, false, false, false);
  if (n.starts_with("KBTW")) Apply(r, {128, 124, 0, 256}, false, true, false, false, false);
  if (n.starts_with("TM5")) Apply(r, {141, 141, 0, 0}, false, true, false, false, false);
  if (n.starts_with("P1TW")) Apply(r, {144, 140, 0, 256}, false, true, false, false, false);
  if (StartsWithAny(n, {"KAE", "KBE", "U5E"})) {
    // "E" files keep whatever field gap and header length earlier rules gave.
    r.fileWidth = 611;
    r.fileHeight = 576;
    r.interlaced = true;
    r.thumbnail = r.spikeFilter = r.leftTrim = r.wideAngleTmsat = false;
    r.autoExposure = true;
  }
  if (n.starts_with("KBIW")) Apply(r, {511, 502, 0, 256}, true, false, false, false, false);
  if (n.starts_with("P1D")) Apply(r, {576, 560, 0, 256}, false, false, false, false, false);
  if (n.starts_with("KBDW")) Apply(r, {512, 496, 0, 256}, false, false, false, false, false);
  if (StartsWithAny(n, {"IMD", "KBDN", "U5DW", "KAD"}))
    Apply(r, {608, 576, 0, 256}, false, false, false, true, false);
  if (StartsWithAny(n, {"TM1", "TM2", "TM3"}))
    Apply(r, {1020, 1020, 0, 0}, false, false, false, false, false);
  if (n.starts_with("TM0")) Apply(r, {611, 576, 0, 0}, true, false, false, false, true);
  if (n.starts_with("TM0") && n.find("IMT") != std::string_view::npos)
    Apply(r, {141, 145, 0, 0}, false, true, false, false, false);
  if (n.starts_with("TM4")) Apply(r, {382, 287, 0, 0}, false, false, false, false, false);
  if (n.starts_with("SPECIAL")) Apply(r, {1020, 1020, 0, 0}, false, false, false, false, false);
  if (n.starts_with("TOPAZ")) Apply(r, {1008, 1024, 0, 0}, false, false, false, false, false);
  if (n.starts_with("THUMB")) Apply(r, {252, 256, 0, 0}, false, true, false, false, false);
  if (n.find("IMT") != std::string_view::npos) {
    r.interlaced = false;
    r.thumbnail = true;
    r.autoExposure = true;
  }
  return r;
}

namespace {

Satellite SatelliteOfName(std::string_view n) {
  if (StartsWithAny(n, {"U5", "IM"})) return Satellite::UoSat5;
  if (n.starts_with("KA")) return Satellite::Kitsat1;
  if (n.starts_with("KB")) return Satellite::Kitsat2;
  if (n.starts_with("P1")) return Satellite::Posat1;
  if (n.starts_with("TM")) return Satellite::Tmsat1;
  return Satellite::Unknown;
}

// TMSAT names: the extension says image, thumbnail or compressed; the third character the camera.
FileKind TmsatKind(std::string_view n, std::string_view extension) {
  if (extension == "IMC") return FileKind::CompressedImage;
  if (extension == "IMT") return FileKind::Thumbnail;
  switch (n.size() > 2 ? n[2] : '\0') {
    case '0': return FileKind::WideAngleImage;
    case '1': case '2': case '3': return FileKind::SpectralPlane;
    case '4': case '5': return FileKind::Video;
    default: return FileKind::Unknown;
  }
}

// Other satellites: the third character says the kind, the fourth the camera of raw images.
// The older UoSat-5 names are "IM" and digits, "IMT" and "IMD".
FileKind CameraFileKind(std::string_view n) {
  const char kind = n.size() > 2 ? n[2] : '\0';
  const char camera = n.size() > 3 ? n[3] : '\0';
  switch (kind) {
    case 'T': return FileKind::Thumbnail;
    case 'D': return FileKind::DecompressedImage;
    case 'C': return FileKind::CompressedImage;
    case 'E': return FileKind::HeaderlessImage;
    case 'I': return camera == 'W' ? FileKind::WideAngleImage
                     : camera == 'N' ? FileKind::NarrowAngleImage
                                     : FileKind::Unknown;
    default: return n.starts_with("IM") ? FileKind::WideAngleImage : FileKind::Unknown;
  }
}

}  // namespace

NameMeaning MeaningOfName(std::string_view n) {
  const size_t dot = n.rfind('.');
  const std::string_view extension = dot == std::string_view::npos ? "" : n.substr(dot + 1);
  const Satellite satellite = SatelliteOfName(n);
  if (extension == "ACT") return {satellite, FileKind::RawDownload};
  if (extension == "BMP" || extension == "DIB" || extension == "RLE") return {satellite, FileKind::Bitmap};
  const IdentificationRecord record = IdentifyByName(n);
  FileKind kind = satellite == Satellite::Tmsat1      ? TmsatKind(n, extension)
                  : satellite != Satellite::Unknown ? CameraFileKind(n)
                  : record.fileWidth != 0           ? FileKind::Image
                                                    : FileKind::Unknown;
  // The naming rules make any name with "IMT" in it a thumbnail, as they do THUMB names.
  if (kind != FileKind::Video && record.thumbnail) kind = FileKind::Thumbnail;
  return {satellite, kind};
}

std::string_view SatelliteName(Satellite satellite) {
  switch (satellite) {
    case Satellite::UoSat5: return "UoSat-5";
    case Satellite::Kitsat1: return "KITSAT-1";
    case Satellite::Kitsat2: return "KITSAT-2";
    case Satellite::Posat1: return "PoSAT-1";
    case Satellite::Tmsat1: return "TMSAT-1";
    case Satellite::Unknown: break;
  }
  return "";
}

std::string_view FileKindName(FileKind kind) {
  switch (kind) {
    case FileKind::Image: return "image";
    case FileKind::WideAngleImage: return "wide-angle image";
    case FileKind::NarrowAngleImage: return "narrow-angle image";
    case FileKind::SpectralPlane: return "spectral plane";
    case FileKind::Video: return "video";
    case FileKind::DecompressedImage: return "decompressed image";
    case FileKind::HeaderlessImage: return "headerless image";
    case FileKind::CompressedImage: return "compressed image";
    case FileKind::Thumbnail: return "thumbnail";
    case FileKind::RawDownload: return "raw download";
    case FileKind::Bitmap: return "bitmap";
    case FileKind::Unknown: break;
  }
  return "";
}

bool IdentifyImageFile(Session& session) {
  std::string& name = session.state.currentFilePath;
  name = ToUpperAscii(name);
  const auto path = FindFileIgnoringCase(session.currentDirectory, name);
  const auto firstBytes = path ? ReadFilePrefix(*path, kCameraHeaderLength) : std::nullopt;
  if (!firstBytes) return ShowErrorBox(session, "Can't open file %s", name.c_str()) != 0;
  IdentifyImageBytes(session, *firstBytes);
  return true;
}

void IdentifyImageBytes(Session& session, std::span<const uint8_t> firstBytes) {
  std::string& name = session.state.currentFilePath;
  name = ToUpperAscii(name);
  IdentificationRecord record = IdentifyByName(name);
  if (const auto probed = ProbeHeaderSize(firstBytes)) {
    record.fileWidth = probed->width;
    record.fileHeight = probed->height;
    record.headerLength = kCameraHeaderLength;
  }
  session.state.identification = record;
}

}  // namespace kestrel
