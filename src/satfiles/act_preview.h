#pragma once
// Preview of raw .ACT downloads, which carry no name the identification understands: the user
// picks the satellite's layout from the Preview ACT menu instead.

#include <memory>
#include <optional>
#include <string_view>

#include "base/block.h"
#include "base/identification_record.h"

namespace kestrel {

struct Session;

enum class ActPreset { Uosat, Kitsat, KitsatWide, Tmsat, TmsatWideAngle };

// The preset a kestrel-cli name stands for: uosat, kitsat, kbiw, tmsat, tm00.
std::optional<ActPreset> ActPresetNamed(std::string_view name);

// Fills the record for a download in the preset's layout. Auto exposure and the wide-angle
// TMSAT flag keep the values of the last identification.
void ApplyActPreset(IdentificationRecord& record, ActPreset preset);

// Loads the download named by the current file path in the preset's layout and shows it.
// Refuses a bitmap file with its message. False when nothing was shown.
bool PreviewActDownload(Session& session, ActPreset preset);
// The same for the download's bytes, already in memory.
bool PreviewActDownload(Session& session, ActPreset preset, std::shared_ptr<const Bytes> file);

}  // namespace kestrel
