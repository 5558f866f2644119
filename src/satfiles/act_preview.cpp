#include "satfiles/act_preview.h"

#include <array>

#include "session/current_image.h"
#include "platform/files.h"
#include "satfiles/single_image.h"
#include "session/session.h"

namespace kestrel {
namespace {

struct PresetLayout {
  std::string_view cliName;
  ActPreset preset;
  uint16_t width;
  uint16_t height;
  uint16_t fieldGap;
  bool interlaced;
  bool spikeFilter;
};

constexpr std::array<PresetLayout, 5> kPresets{{
    {"uosat", ActPreset::Uosat, 611, 576, 355, true, true},
    {"kitsat", ActPreset::Kitsat, 611, 576, 355, true, true},
    {"kbiw", ActPreset::KitsatWide, 511, 502, 0, true, false},
    {"tmsat", ActPreset::Tmsat, 1020, 1020, 0, false, false},
    {"tm00", ActPreset::TmsatWideAngle, 611, 576, 0, true, false},
}};

}  // namespace

std::optional<ActPreset> ActPresetNamed(std::string_view name) {
  for (const PresetLayout& layout : kPresets)
    if (layout.cliName == name) return layout.preset;
  return std::nullopt;
}

void ApplyActPreset(IdentificationRecord& record, ActPreset preset) {
  for (const PresetLayout& layout : kPresets) {
    if (layout.preset != preset) continue;
    record.fileWidth = layout.width;
    record.fileHeight = layout.height;
    record.fieldGap = layout.fieldGap;
    record.interlaced = layout.interlaced;
    record.spikeFilter = layout.spikeFilter;
  }
  record.headerLength = kActHeaderLength;
  record.storedWidth = 0;
  record.storedHeight = 0;
  record.thumbnail = false;
  record.leftTrim = false;
}

namespace {

// The preview with the load that `load(session)` runs.
template <typename LoadPicture>
bool Preview(Session& session, ActPreset preset, const LoadPicture& load) {
  ImageState& s = session.state;
  ApplyActPreset(s.identification, preset);
  ResetProcessingState(session);
  s.currentFilePath = ToUpperAscii(s.currentFilePath);
  if (s.currentFilePath.find("BMP") != std::string::npos) {
    ShowMessage(session, "This is a BMP file, Use Open Bmp", "File Error");
    return false;
  }
  WaitCursor wait(session.platform);
  s.processing.singleImageShown = true;
  s.shownImage = load(session);
  const bool shown = s.shownImage && SetCurrentImage(session, s.shownImage);
  s.exposureLevel = static_cast<uint16_t>(255 - s.imageAverage);
  return shown;
}

}  // namespace

bool PreviewActDownload(Session& session, ActPreset preset) {
  return Preview(session, preset, [](Session& s) { return LoadSingleImage(s); });
}

bool PreviewActDownload(Session& session, ActPreset preset, std::shared_ptr<const Bytes> file) {
  return Preview(session, preset, [&file](Session& s) { return LoadSingleImage(s, file); });
}

}  // namespace kestrel
