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

bool IdentifyImageFile(Session& session) {
  std::string& name = session.state.currentFilePath;
  name = ToUpperAscii(name);
  const auto path = FindFileIgnoringCase(session.currentDirectory, name);
  const auto firstBytes = path ? ReadFilePrefix(*path, kCameraHeaderLength) : std::nullopt;
  if (!firstBytes) return ShowErrorBox(session, "Can't open file %s", name.c_str()) != 0;

  IdentificationRecord record = IdentifyByName(name);
  if (const auto probed = ProbeHeaderSize(*firstBytes)) {
    record.fileWidth = probed->width;
    record.fileHeight = probed->height;
    record.headerLength = kCameraHeaderLength;
  }
  session.state.identification = record;
  return true;
}

}  // namespace kestrel
