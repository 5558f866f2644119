#include "satfiles/act_preview.h"

#include <array>
#include <utility>

#include "session/current_image.h"
#include "platform/files.h"
#include "satfiles/single_image.h"
#include "session/session.h"

namespace kestrel {
namespace {

struct NamedPreset {
  std::string_view cliName;
  ActPreset preset;
  ActLayout layout;
};

constexpr std::array<NamedPreset, 5> kPresets{{
    {"uosat", ActPreset::Uosat, {611, 576, 355, true, true}},
    {"kitsat", ActPreset::Kitsat, {611, 576, 355, true, true}},
    {"kbiw", ActPreset::KitsatWide, {511, 502, 0, true, false}},
    {"tmsat", ActPreset::Tmsat, {1020, 1020, 0, false, false}},
    {"tm00", ActPreset::TmsatWideAngle, {611, 576, 0, true, false}},
}};

void ApplyActLayout(IdentificationRecord& record, const ActLayout& layout) {
  record.fileWidth = layout.width;
  record.fileHeight = layout.height;
  record.fieldGap = layout.fieldGap;
  record.interlaced = layout.interlaced;
  record.spikeFilter = layout.spikeFilter;
  record.headerLength = kActHeaderLength;
  record.storedWidth = 0;
  record.storedHeight = 0;
  record.thumbnail = false;
  record.leftTrim = false;
}

}  // namespace

std::optional<ActPreset> ActPresetNamed(std::string_view name) {
  for (const NamedPreset& named : kPresets)
    if (named.cliName == name) return named.preset;
  return std::nullopt;
}

ActLayout LayoutOf(ActPreset preset) {
  for (const NamedPreset& named : kPresets)
    if (named.preset == preset) return named.layout;
  return {};
}

void ApplyActPreset(IdentificationRecord& record, ActPreset preset) {
  ApplyActLayout(record, LayoutOf(preset));
}

namespace {

// The preview with the load that `load(session)` runs.
template <typename LoadPicture>
bool Preview(Session& session, const ActLayout& layout, const LoadPicture& load) {
  ImageState& s = session.state;
  ApplyActLayout(s.identification, layout);
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
  return Preview(session, LayoutOf(preset), [](Session& s) { return LoadSingleImage(s); });
}

bool PreviewActDownload(Session& session, ActPreset preset, std::shared_ptr<const Bytes> file) {
  return PreviewActDownload(session, LayoutOf(preset), std::move(file));
}

bool PreviewActDownload(Session& session, const ActLayout& layout,
                        std::shared_ptr<const Bytes> file) {
  return Preview(session, layout,
                 [&](Session& s) { return LoadSingleImage(s, file, layout.bodySize); });
}

}  // namespace kestrel
