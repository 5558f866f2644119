#pragma once
// Preview of raw .ACT downloads, which carry no name the identification understands: the user
// picks the satellite's layout from the Preview ACT menu instead.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "base/block.h"
#include "base/identification_record.h"
#include "satfiles/single_image.h"

namespace kestrel {

struct Session;

enum class ActPreset { Uosat, Kitsat, KitsatWide, Tmsat, TmsatWideAngle };

// The layout of a download: what a preset fills in the identification record, and how much
// body its picture is read into (and its block sized for).
struct ActLayout {
  uint16_t width = 0;
  uint16_t height = 0;
  uint16_t fieldGap = 0;
  bool interlaced = false;
  bool spikeFilter = false;
  size_t bodySize = kActBodySize;
};

// The preset a kestrel-cli name stands for: uosat, kitsat, kbiw, tmsat, tm00.
std::optional<ActPreset> ActPresetNamed(std::string_view name);
ActLayout LayoutOf(ActPreset preset);

// Fills the record for a download in the preset's layout. Auto exposure and the wide-angle
// TMSAT flag keep the values of the last identification.
void ApplyActPreset(IdentificationRecord& record, ActPreset preset);

// Loads the download named by the current file path in the preset's layout and shows it.
// Refuses a bitmap file with its message. False when nothing was shown.
bool PreviewActDownload(Session& session, ActPreset preset);
// The same for the download's bytes, already in memory.
bool PreviewActDownload(Session& session, ActPreset preset, std::shared_ptr<const Bytes> file);
// The same in a layout of the caller's: a smaller one makes a smaller picture, as fuzzing wants.
bool PreviewActDownload(Session& session, const ActLayout& layout,
                        std::shared_ptr<const Bytes> file);

}  // namespace kestrel
